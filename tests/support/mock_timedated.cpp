#include "tests/support/mock_timedated.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace brisendale {

MockTimedated::MockTimedated(Behaviour behaviour) {
    const char* const answers[] = {"accept",
                                   "org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
                                   "org.freedesktop.PolicyKit1.Error.NotAuthorized",
                                   "org.freedesktop.DBus.Error.AccessDenied",
                                   "silent",
                                   "absent"};
    folder_ = (std::filesystem::temp_directory_path() / "brisendale-bus-XXXXXX").string();
    if (mkdtemp(folder_.data()) == nullptr) {
        problem_ = "no temporary folder";
        return;
    }
    // One whole line once the bus is ready or failed; the shell's if it cannot start.
    const std::string out = folder_ + "/address", errors = folder_ + "/errors";
    const std::string command = "/usr/bin/python3 " BRISENDALE_MOCK_TIMEDATED_SCRIPT " " + folder_ +
                                " " + answers[static_cast<int>(behaviour)] + " >" + out + " 2>" +
                                errors + " || echo \"!$(tr '\\n' ' ' <" + errors + ")\" >>" + out;
    script_ = popen(command.c_str(), "we");
    std::string line;
    for (int i = 0; i < 300 && line.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream file(out);
        if (!std::getline(file, line) || file.eof()) {
            line.clear();  // not yet a whole line
        }
    }
    if (line.empty() || line[0] == '!') {
        problem_ = line.empty() ? "the script gave no answer within 30 s" : line.substr(1);
        return;
    }
    address_ = line;
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
}

MockTimedated::~MockTimedated() {
    setenv("DBUS_SYSTEM_BUS_ADDRESS", kNoSystemBus, 1);
    if (script_ != nullptr) {
        pclose(script_);  // closes its input and waits while it ends the bus
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<MockTimedated::SetTimeCall> MockTimedated::Calls() const {
    std::vector<SetTimeCall> calls;
    std::ifstream log(folder_ + "/calls.log");  // "usec relative interactive" a line
    for (SetTimeCall call{}; log >> call.usecUtc >> call.relative >> call.interactive;) {
        calls.push_back(call);
    }
    return calls;
}

}  // namespace brisendale

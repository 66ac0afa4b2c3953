#include "tests/support/private_bus.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/no_system_bus.h"

namespace brisendale {

PrivateBus::PrivateBus(const std::string& templateName, const std::string& answer)
    : variable_(templateName == "timedated" ? "DBUS_SYSTEM_BUS_ADDRESS"
                                            : "DBUS_SESSION_BUS_ADDRESS") {
    folder_ = (std::filesystem::temp_directory_path() / "brisendale-bus-XXXXXX").string();
    if (mkdtemp(folder_.data()) == nullptr) {
        problem_ = "no temporary folder";
        return;
    }
    // One whole line once the bus is ready or failed; the shell's if it cannot start.
    const std::string out = folder_ + "/address", errors = folder_ + "/errors";
    const std::string command = "/usr/bin/python3 " BRISENDALE_PRIVATE_BUS_SCRIPT " " + folder_ +
                                " " + templateName + " " + answer + " >" + out + " 2>" + errors +
                                " || echo \"!$(tr '\\n' ' ' <" + errors + ")\" >>" + out;
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
    setenv(variable_.c_str(), address_.c_str(), 1);
}

PrivateBus::~PrivateBus() {
    setenv(variable_.c_str(), kNoSystemBus, 1);
    if (script_ != nullptr) {
        pclose(script_);  // closes its input and waits while it ends the bus
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string PrivateBus::CallLog() const {
    std::ifstream log(folder_ + "/calls.log");
    return {std::istreambuf_iterator<char>(log), {}};
}

}  // namespace brisendale

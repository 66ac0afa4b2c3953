#include "tests/support/private_bus.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace brisendale {

PrivateBus::PrivateBus(const std::string& templateName, const char* answer)
    : variable_(templateName == "timedated" ? "DBUS_SYSTEM_BUS_ADDRESS"
                                            : "DBUS_SESSION_BUS_ADDRESS"),
      folder_((std::filesystem::temp_directory_path() / "brisendale-bus-XXXXXX").string()) {
    setenv(variable_.c_str(), kNoSystemBus, 1);  // never the real bus
    if (answer == nullptr) {
        address_ = kNoSystemBus;
        return;
    }
    if (mkdtemp(folder_.data()) == nullptr) {
        problem_ = "no temporary folder";
        return;
    }
    // Its first line: the address once the bus is ready, or "!" and why not.
    script_ = popen(("/usr/bin/python3 " BRISENDALE_PRIVATE_BUS_SCRIPT " " + folder_ + " " +
                     templateName + " " + std::string(answer))
                        .c_str(),
                    "re");
    char line[1024] = "";
    if (script_ == nullptr || std::fgets(line, sizeof line, script_) == nullptr || line[0] == '!') {
        problem_ = line[0] == '!' ? line + 1 : "the script did not start";
        return;
    }
    address_.assign(line, std::strcspn(line, "\n"));
    setenv(variable_.c_str(), address_.c_str(), 1);
}

PrivateBus::~PrivateBus() {
    setenv(variable_.c_str(), kNoSystemBus, 1);
    if (script_ != nullptr)
        pclose(script_);  // waits while it ends the bus
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string PrivateBus::CallLog() const {
    std::ifstream log(folder_ + "/calls.log");
    return {std::istreambuf_iterator<char>(log), {}};
}

}  // namespace brisendale

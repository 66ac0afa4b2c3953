#include "tests/support/mock_timedated.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace brisendale {

namespace {

// The script's names for the behaviours, in the order of the enum.
const char* const kBehaviourArguments[] = {"accept",        "automatic-sync", "not-authorized",
                                           "access-denied", "silent",         "absent"};

// The first line the script prints, or empty after `timeout` or its end.
std::string ReadLine(int fd, std::chrono::seconds timeout) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        char c;
        if (read(fd, &c, 1) != 1 || c == '\n')
            return line;
        line += c;
    }
    return {};
}

}  // namespace

MockTimedated::MockTimedated(Behaviour behaviour) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "brisendale-bus-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        problem_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    int toScript[2];
    int fromScript[2];
    if (pipe2(toScript, O_CLOEXEC) != 0 || pipe2(fromScript, O_CLOEXEC) != 0) {
        problem_ = "no pipes";
        return;
    }
    const std::string log = folder_ + "/script.log";
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);  // so that the bus and the stand-in can be ended with it
        dup2(toScript[0], STDIN_FILENO);
        dup2(fromScript[1], STDOUT_FILENO);
        const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, STDERR_FILENO);
        // A full argv[0], or Python would take the first python3 on PATH as
        // its own path and start the stand-in with that one.
        execl("/usr/bin/python3", "/usr/bin/python3", BRISENDALE_MOCK_TIMEDATED_SCRIPT,
              folder_.c_str(), kBehaviourArguments[static_cast<int>(behaviour)],
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toScript[0]);
    close(fromScript[1]);
    input_ = toScript[1];
    address_ = ReadLine(fromScript[0], std::chrono::seconds(30));
    close(fromScript[0]);
    if (address_.empty()) {
        std::ifstream errors(log);
        std::stringstream text;
        text << errors.rdbuf();
        problem_ = "/usr/bin/python3 " BRISENDALE_MOCK_TIMEDATED_SCRIPT " said: " + text.str();
        return;
    }
    if (const char* previous = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        hadAddress_ = true;
        previousAddress_ = previous;
    }
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
}

MockTimedated::~MockTimedated() {
    if (!address_.empty()) {
        if (hadAddress_) {
            setenv("DBUS_SYSTEM_BUS_ADDRESS", previousAddress_.c_str(), 1);
        } else {
            unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        }
    }
    if (input_ >= 0)
        close(input_);  // the script ends the bus and the stand-in, then itself
    if (pid_ > 0) {
        int status = 0;
        for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::vector<MockTimedated::SetTimeCall> MockTimedated::Calls() const {
    // dbusmock logs each call as "<time> SetTime <usec> <True|False> <True|False>".
    std::vector<SetTimeCall> calls;
    std::ifstream log(folder_ + "/calls.log");
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream words(line);
        std::string stamp, method, relative, interactive;
        std::int64_t usec = 0;
        if (words >> stamp >> method >> usec >> relative >> interactive && method == "SetTime")
            calls.push_back({usec, relative == "True", interactive == "True"});
    }
    return calls;
}

}  // namespace brisendale

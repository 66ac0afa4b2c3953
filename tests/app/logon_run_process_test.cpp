// The real program started as its logon entry starts it, in namespaces of its
// own: a private network where a Daytime server answers on 127.0.0.1 port 13,
// a private /etc/hosts that sends the first server's name there, and a user
// namespace in which the system clock cannot be changed. The run must end by
// itself, and since the clock change is refused, with status 1 and the reason.
#include "settings/stored_settings.h"
#include "timesync/server_table.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace brisendale {
namespace {

namespace fs = std::filesystem;

constexpr int kNoNamespaces = 77;

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    return static_cast<bool>(file.flush());
}

bool BringLoopbackUp() {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP;
    ok = ok && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    return ok;
}

// Runs in the child: enters the namespaces or exits with kNoNamespaces.
void EnterNamespaces(const std::string& hostsFile) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0)
        _exit(kNoNamespaces);
    WriteFile("/proc/self/setgroups", "deny");
    if (!WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
        _exit(kNoNamespaces);
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(hostsFile.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0 ||
        !BringLoopbackUp()) {
        _exit(kNoNamespaces);
    }
}

// A one-shot Daytime server on 127.0.0.1:13 in its own process.
pid_t StartDaytimeServer() {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(13);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0) {
        _exit(kNoNamespaces);
    }
    pid_t server = fork();
    if (server == 0) {
        alarm(30);  // never outlive the test
        int connection = accept(listener, nullptr, nullptr);
        const char line[] = "\n61380 26-12-06 12:00:00 00 0 0 812.3 UTC(NIST) * \n";
        if (connection >= 0)
            (void)!write(connection, line, sizeof line - 1);
        close(connection);
        _exit(0);
    }
    close(listener);
    return server;
}

struct RunResult {
    int status = -1;
    bool timedOut = false;
    std::string standardError;
};

// Starts the program with "-startup", without a display; with a hosts file,
// inside the namespaces with the Daytime server, otherwise as it is.
RunResult RunLogonStart(const fs::path& configHome, const fs::path& hostsFile = {}) {
    int errPipe[2];
    if (pipe(errPipe) != 0)
        return {};
    pid_t child = fork();
    if (child == 0) {
        close(errPipe[0]);
        dup2(errPipe[1], STDERR_FILENO);
        if (!hostsFile.empty()) {
            EnterNamespaces(hostsFile.string());
            StartDaytimeServer();
        }
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");  // the program must choose offscreen itself
        execl(BRISENDALE_EXECUTABLE, BRISENDALE_EXECUTABLE, "-startup", nullptr);
        _exit(127);
    }
    close(errPipe[1]);
    fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

    RunResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    char buffer[512];
    for (;;) {
        ssize_t n;
        while ((n = read(errPipe[0], buffer, sizeof buffer)) > 0)
            result.standardError.append(buffer, n);
        if (waitpid(child, &status, WNOHANG) == child)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ssize_t n;
    while ((n = read(errPipe[0], buffer, sizeof buffer)) > 0)
        result.standardError.append(buffer, n);
    close(errPipe[0]);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(LogonRunProcess, EndsByItselfAndReportsTheRefusedClock) {
    const fs::path folder =
        fs::temp_directory_path() / ("brisendale-logon-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path hostsFile = folder / "hosts";

    ServerTable servers;
    servers.Fill();
    ASSERT_TRUE(
        WriteFile(hostsFile.string(), "127.0.0.1 localhost " + servers.ServerHost[0] + "\n"));

    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    SaveSettings(SettingsToSave{.serverIndex = 0,
                                .zoneIndex = 7,
                                .delayText = "1",
                                .startupCheckValue = 1,
                                .appFolder = "/usr/bin",
                                .exeName = "brisendale"});
    ASSERT_TRUE(ReadLogonEntryExists());

    const auto started = std::chrono::steady_clock::now();
    RunResult run = RunLogonStart(folder, hostsFile);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    fs::remove_all(folder);
    unsetenv("XDG_CONFIG_HOME");

    if (run.status == kNoNamespaces)
        GTEST_SKIP() << "user and network namespaces are not available here";
    EXPECT_FALSE(run.timedOut) << run.standardError;
    EXPECT_EQ(run.status, 1) << run.standardError;
    EXPECT_NE(run.standardError.find("The system time could not be set"), std::string::npos)
        << run.standardError;
    EXPECT_GE(seconds, 0.9) << "the run waits its one-second delay first";
}

TEST(LogonRunProcess, SwitchWithoutEntryAndWithoutDisplayRefusesToStart) {
    const fs::path folder =
        fs::temp_directory_path() / ("brisendale-nodisplay-" + std::to_string(getpid()));
    fs::create_directories(folder);
    RunResult run = RunLogonStart(folder);
    fs::remove_all(folder);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 1) << run.standardError;
    EXPECT_NE(run.standardError.find("no display"), std::string::npos) << run.standardError;
}

}  // namespace
}  // namespace brisendale

// Runs a program the way the logon entry starts it, in namespaces of its own:
// a user namespace (so the real clock cannot be changed), a private network
// whose loopback has a Daytime server on 127.0.0.1 port 13, and a private
// /etc/hosts that sends the server table's names there.
//
// Shared by the logon run test, the stress tests and the benchmark;
// header-only, POSIX only.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/no_system_bus.h"

namespace brisendale::measure {

// The exit status of a run that could not enter the namespaces.
constexpr int kNoNamespaces = 77;

enum class ServerBehaviour {
    SendLine,  // a NIST line with the current time, then close
    Flood,     // NIST lines without end, as fast as the connection takes them
    Trickle,   // a NIST line one byte a second
    Reset,     // accept, then reset the connection without sending
};

struct NamespaceRun {
    int status = -1;  // exit status; -1 when killed or ended by a signal
    bool timedOut = false;
    double seconds = 0;  // from start to end
    long maxRssKb = 0;   // the program's peak resident memory
    std::string standardError;
};

namespace detail {

inline bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    return static_cast<bool>(file.flush());
}

inline bool BringLoopbackUp() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
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

// In the child: enters the namespaces or exits with kNoNamespaces.
inline void EnterNamespaces(const std::string& hostsFile) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0)
        _exit(kNoNamespaces);
    WriteText("/proc/self/setgroups", "deny");
    if (!WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
        _exit(kNoNamespaces);
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(hostsFile.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0 ||
        !BringLoopbackUp()) {
        _exit(kNoNamespaces);
    }
}

// "\n61380 26-12-06 12:00:00 00 0 0 812.3 UTC(NIST) * \n" for the current time.
inline std::string NistLineNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char line[80];
    std::snprintf(line, sizeof line,
                  "\n%05ld %02d-%02d-%02d %02d:%02d:%02d 00 0 0 812.3 UTC(NIST) * \n",
                  static_cast<long>(now / 86400 + 40587), utc.tm_year % 100, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return line;
}

inline void Serve(int connection, ServerBehaviour behaviour) {
    signal(SIGPIPE, SIG_DFL);  // a flood ends when the client goes away
    if (behaviour == ServerBehaviour::Reset) {
        const linger abort{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        close(connection);
        return;
    }
    const std::string line = NistLineNow();
    if (behaviour == ServerBehaviour::SendLine) {
        (void)!write(connection, line.data(), line.size());
    } else if (behaviour == ServerBehaviour::Flood) {
        std::string burst;
        while (burst.size() < 64 * 1024)
            burst += line;
        while (write(connection, burst.data(), burst.size()) > 0) {
        }
    } else {
        for (char c : line) {
            if (write(connection, &c, 1) != 1)
                break;
            sleep(1);
        }
    }
    close(connection);
}

// A Daytime server on 127.0.0.1:13 in its own process, serving connections
// until the program ends (at most a minute).
inline void StartDaytimeServer(ServerBehaviour behaviour) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(13);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0) {
        _exit(kNoNamespaces);
    }
    if (fork() == 0) {
        // Ends with the program it serves, and after a minute in any case.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        alarm(60);
        for (;;) {
            const int connection = accept(listener, nullptr, nullptr);
            if (connection < 0)
                _exit(0);
            if (fork() == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                Serve(connection, behaviour);
                _exit(0);
            }
            close(connection);
        }
    }
    close(listener);
}

}  // namespace detail

// Runs `argv` (program first) with XDG_CONFIG_HOME at `configHome`, no
// display, in namespaces where `hostsFile` is /etc/hosts and a server of the
// given behaviour answers on 127.0.0.1:13, and with `systemBus` as its system
// bus: none by default, never the real one. Kills it after `timeoutSeconds`.
// `environment` (NAME=value each) is set last, over all of that.
inline NamespaceRun RunInNamespace(const std::vector<std::string>& argv,
                                   const std::string& configHome, const std::string& hostsFile,
                                   ServerBehaviour behaviour, int timeoutSeconds,
                                   const std::string& systemBus = kNoSystemBus,
                                   const std::vector<std::string>& environment = {}) {
    NamespaceRun result;
    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0)
        return result;
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(errPipe[1], STDERR_FILENO);
        detail::EnterNamespaces(hostsFile);
        detail::StartDaytimeServer(behaviour);
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus.c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");  // the program chooses offscreen by itself
        for (const std::string& setting : environment)
            putenv(const_cast<char*>(setting.c_str()));
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(errPipe[1]);
    fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

    const auto deadline = started + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    rusage usage{};
    char buffer[512];
    auto drain = [&] {
        ssize_t n;
        while ((n = read(errPipe[0], buffer, sizeof buffer)) > 0)
            result.standardError.append(buffer, static_cast<std::size_t>(n));
    };
    for (;;) {
        drain();
        if (wait4(child, &status, WNOHANG, &usage) == child)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    drain();
    close(errPipe[0]);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

}  // namespace brisendale::measure

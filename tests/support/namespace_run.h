// Runs a program where the real clock cannot be changed (a user namespace),
// with a private network, Daytime server on 127.0.0.1:13 and /etc/hosts.
#pragma once

#include <arpa/inet.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/no_system_bus.h"

namespace brisendale::measure {

constexpr int kNoNamespaces = 77;  // the exit status when the namespaces cannot be had

enum class ServerBehaviour {
    SendLine,    // a NIST line with the current time, then close
    ListenLate,  // the same, but only from about 3 s after the start
};

struct NamespaceChild {
    pid_t pid = -1;
    std::FILE* standardError = std::tmpfile();
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

struct NamespaceRun {
    int status = -1;  // -1 when ended by a signal
    double seconds = 0;
    std::string standardError;
};

namespace detail {

inline bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path);
    return static_cast<bool>(file << text << std::flush);
}

inline bool BringLoopbackUp() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP;
    up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    return up;
}

inline std::string NistLineNow() {
    const std::time_t now = std::time(nullptr);
    char line[80];
    std::strftime(line, sizeof line, "\n61380 %y-%m-%d %T 00 0 0 812.3 UTC(NIST) * \n",
                  std::gmtime(&now));
    return line;
}

// The server lives as long as the program, a minute at most.
inline void EnterNamespacesWithServer(const std::string& hostsFile, ServerBehaviour behaviour) {
    const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0)
        _exit(kNoNamespaces);
    WriteText("/proc/self/setgroups", "deny");
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, htons(13), {htonl(INADDR_LOOPBACK)}, {}};
    const auto listen13 = [&] {
        return bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               listen(listener, 8) == 0;
    };
    const bool late = behaviour == ServerBehaviour::ListenLate;
    if (!WriteText("/proc/self/uid_map", "0 " + uid + " 1") ||
        !WriteText("/proc/self/gid_map", "0 " + gid + " 1") ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(hostsFile.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0 ||
        !BringLoopbackUp() || (!late && !listen13()))
        _exit(kNoNamespaces);
    if (fork() != 0) {
        close(listener);
        return;
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    alarm(60);
    if (late && (sleep(3) != 0 || !listen13()))
        _exit(1);
    const std::string line = NistLineNow();
    for (int connection; (connection = accept(listener, nullptr, nullptr)) >= 0; close(connection))
        (void)!write(connection, line.data(), line.size());
    _exit(0);
}

}  // namespace detail

// `argv` starts with the program; DISPLAY names no display; the buses are the ones named, or none.
inline NamespaceChild StartInNamespace(const std::vector<std::string>& argv,
                                       const std::string& configHome, const std::string& hostsFile,
                                       ServerBehaviour behaviour,
                                       const std::string& systemBus = kNoSystemBus,
                                       const std::string& sessionBus = kNoSystemBus) {
    NamespaceChild child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(fileno(child.standardError), STDERR_FILENO);
        detail::EnterNamespacesWithServer(hostsFile, behaviour);
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus.c_str(), 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", sessionBus.c_str(), 1);
        setenv("DISPLAY", ":99", 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return child;
}

inline NamespaceRun WaitForRun(NamespaceChild child, int timeoutSeconds) {
    NamespaceRun result;
    int status = -1;
    const auto deadline = child.started + std::chrono::seconds(timeoutSeconds);
    while (child.pid > 0 && waitpid(child.pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            kill(child.pid, SIGKILL);  // reaped by the next turn
        usleep(2000);
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - child.started).count();
    std::rewind(child.standardError);
    for (int c; (c = std::fgetc(child.standardError)) != EOF;)
        result.standardError += static_cast<char>(c);
    std::fclose(child.standardError);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace brisendale::measure

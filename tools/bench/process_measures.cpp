#include "tools/bench/process_measures.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "settings/stored_settings.h"
#include "tests/support/namespace_run.h"
#include "tests/support/private_bus.h"
#include "timesync/server_table.h"

namespace brisendale::bench {

namespace {

namespace fs = std::filesystem;
using measure::ServerBehaviour;

constexpr int kRunBoundSeconds = 30;
constexpr int kLogonDelaySeconds = 1;
constexpr double kKiBPerMiB = 1024.0;

// What every run shares: a store that asks for the logon run, and a hosts
// file that sends the first server's name to the loopback server.
struct RunSetup {
    fs::path configHome;
    fs::path hosts;
    std::string host;
};

RunSetup PrepareRuns(const fs::path& folder) {
    const std::string host(ServerAt(0)->host);
    RunSetup setup{folder, folder / "hosts", host};
    measure::detail::WriteText(setup.hosts, "127.0.0.1 localhost " + host + "\n");
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    SaveSettings(SettingsToSave{.serverIndex = 0,
                                .zoneIndex = 12,
                                .delayText = std::to_string(kLogonDelaySeconds),
                                .syncAtLogon = true,
                                .appFolder = "/usr/bin",
                                .exeName = "brisendale"});
    if (saved != nullptr)
        setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    return setup;
}

struct Program {
    std::string label;
    std::vector<std::string> argv;
    int expectedStatus;
    bool logonRun = false;
    std::string systemBus = kNoSystemBus;
};

// One finished run as the probe saw it.
struct ProbedRun {
    int status;
    double seconds;
    long peakKiB;
    std::string standardError;
};

std::optional<ProbedRun> RunProbed(const Program& program, const RunSetup& setup) {
    std::vector<std::string> probed{RUN_PROBE_EXECUTABLE};
    probed.insert(probed.end(), program.argv.begin(), program.argv.end());
    const measure::NamespaceRun run =
        measure::WaitForRun(measure::StartInNamespace(probed, setup.configHome, setup.hosts,
                                                      ServerBehaviour::SendLine, program.systemBus),
                            kRunBoundSeconds);
    if (run.status == measure::kNoNamespaces)
        return std::nullopt;
    ProbedRun probedRun{run.status, 0, 0, run.standardError};
    const std::size_t line = run.standardError.rfind("probe: ");
    if (line != std::string::npos)
        std::sscanf(run.standardError.c_str() + line, "probe: %lf s, %ld KiB", &probedRun.seconds,
                    &probedRun.peakKiB);
    return probedRun;
}

std::string StatusDescription(int status) {
    if (status < 0)
        return "was killed at its bound of " + std::to_string(kRunBoundSeconds) + " s";
    if (status > 128)
        return "ended by signal " + std::to_string(status - 128);
    return "ended with status " + std::to_string(status);
}

bool UnexpectedEnd(const Program& program, const ProbedRun& run) {
    return Broken(program.label + " " + StatusDescription(run.status) + " (expected " +
                  std::to_string(program.expectedStatus) + "); it said:\n" + run.standardError);
}

std::optional<std::string> FindInPath(const std::string& name) {
    std::stringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin");
    for (std::string folder; std::getline(path, folder, ':');) {
        const fs::path candidate = fs::path(folder) / name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return std::nullopt;
}

// Fontconfig's configuration and caches, and anything under a fonts folder;
// not the libraries that can read them, which every Qt program with Gui loads.
bool IsFontFile(const std::string& path) {
    return (path.find("fonts/") != std::string::npos ||
            path.find("fontconfig") != std::string::npos) &&
           path.find(".so") == std::string::npos;
}

// The distinct font files that one logon run opened, as strace saw them: one
// trace file per process (-ff), so that no call is split across lines, and
// only the calls that succeeded (-z).
void MeasureFontFiles(const BenchOptions& options, const RunSetup& setup, bool& sound) {
    const std::string what = "Font files the logon run opened";
    const std::optional<std::string> strace = FindInPath("strace");
    if (!strace) {
        Row(what, "n/a", "strace is not installed (packaging/install-build-deps.sh installs it)");
        return;
    }
    const fs::path traces = setup.configHome / "traces";
    fs::create_directories(traces);
    // Through the probe: strace would also wait for the namespace's server,
    // which is a child of the process it starts in.
    const std::vector<std::string> argv{RUN_PROBE_EXECUTABLE,
                                        *strace,
                                        "-ff",
                                        "-qq",
                                        "-z",
                                        "-e",
                                        "trace=open,openat",
                                        "-o",
                                        (traces / "openat").string(),
                                        options.logonProgram,
                                        "-startup"};
    const measure::NamespaceRun run = measure::WaitForRun(
        measure::StartInNamespace(argv, setup.configHome, setup.hosts, ServerBehaviour::SendLine),
        kRunBoundSeconds);
    if (run.status == measure::kNoNamespaces)
        return;
    if (fs::is_empty(traces)) {
        // Not the program's fault: ptrace is not allowed here.
        Row(what, "n/a", "strace could not trace here: " + run.standardError);
        return;
    }
    if (run.status != 1) {
        sound = Broken("the traced logon run " + StatusDescription(run.status) +
                       " (expected 1); it said:\n" + run.standardError);
        return;
    }
    std::set<std::string> fontFiles;
    for (const auto& trace : fs::directory_iterator(traces)) {
        std::ifstream lines(trace.path());
        for (std::string line; std::getline(lines, line);) {
            const std::size_t open = line.find('"');
            const std::size_t close = line.find('"', open + 1);
            if (open != std::string::npos && close != std::string::npos) {
                const std::string path = line.substr(open + 1, close - open - 1);
                if (IsFontFile(path))
                    fontFiles.insert(path);
            }
        }
    }
    Row(what, std::to_string(fontFiles.size()),
        "distinct fontconfig files and files under font folders (`strace -ff -z -e "
        "trace=open,openat`, one run)");
}

}  // namespace

bool MeasureProcesses(const BenchOptions& options) {
    const TempFolder folder;
    const RunSetup setup = PrepareRuns(folder.Path());
    // The clock cannot be set in the namespaces, so a logon run there ends
    // refused, after asking timedated on a bus that is not there and trying to
    // notify. Beside it a run that sets the clock, as most runs at logon do,
    // through a stand-in for timedated on a private bus.
    const PrivateBus timedated("timedated", "accept");
    std::vector<Program> programs{
        {"Bare Qt client, the program's Qt libraries", {BARE_QT_FULL_EXECUTABLE, setup.host}, 0},
        {"Bare Qt client, Qt Core and Network only", {BARE_QT_CORE_EXECUTABLE, setup.host}, 0},
        {"Bare C client", {BARE_C_EXECUTABLE, setup.host}, 0},
        {"Logon run, delay 1 (`brisendale -startup`), clock refused",
         {options.logonProgram, "-startup"},
         1,
         true},
    };
    if (!timedated.Address().empty())
        programs.push_back({"Logon run, delay 1, clock set through timedated (a stand-in)",
                            {options.logonProgram, "-startup"},
                            0,
                            true,
                            timedated.Address()});
    else
        Row("Logon run, clock set through timedated", "n/a",
            "no private bus: " + timedated.Problem());
    constexpr std::size_t kFloor = 0;  // the bare Qt client with the program's libraries

    std::vector<std::vector<double>> seconds(programs.size());
    std::vector<long> peakKiB(programs.size(), 0);
    bool sound = true;
    // Interleaved, so that whatever else the machine does falls on all alike.
    for (int turn = 0; turn < options.processRuns; ++turn) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const std::optional<ProbedRun> run = RunProbed(programs[p], setup);
            if (!run) {
                Row("Programs in namespaces of their own", "n/a",
                    "user namespaces are not available here");
                return true;
            }
            if (run->status != programs[p].expectedStatus)
                sound = UnexpectedEnd(programs[p], *run);
            seconds[p].push_back(run->seconds);
            peakKiB[p] = std::max(peakKiB[p], run->peakKiB);
        }
    }
    const double floor = Summarise(seconds[kFloor]).median;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        const Summary wall = Summarise(seconds[p]);
        Row(programs[p].label + ": wall time",
            Format("%.1f ms (%.1f to %.1f)", wall.median * 1e3, wall.min * 1e3, wall.max * 1e3),
            Format("%d run%s; peak memory %.1f MiB", options.processRuns,
                   options.processRuns == 1 ? "" : "s",
                   static_cast<double>(peakKiB[p]) / kKiBPerMiB));
        if (programs[p].logonRun) {
            const double overhead = wall.median - kLogonDelaySeconds;
            Row("... its overhead over the delay", Format("%.1f ms", overhead * 1e3),
                Format("%.2f times the bare Qt client with the program's libraries (target: at "
                       "most 1.5); peak memory %+.1f MiB over that client's (target: at most +3)",
                       overhead / floor,
                       static_cast<double>(peakKiB[p] - peakKiB[kFloor]) / kKiBPerMiB));
        }
    }
    MeasureFontFiles(options, setup, sound);
    return sound;
}

}  // namespace brisendale::bench

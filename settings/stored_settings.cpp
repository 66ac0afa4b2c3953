#include "settings/stored_settings.h"

#include "platform/registry/registry_failure.h"
#include "platform/runtime/numeric_text.h"
#include "settings/logon_command.h"
#include "settings/registry.h"
#include "settings/settings_batch.h"

namespace brisendale {
namespace {

const std::string kSettingsPath = "Software\\Quorvel\\";
const std::string kRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
const std::string kLogonValueName = "Quorvel";
constexpr std::int16_t kDefaultZone = 7;

// The problem `failure` makes for key `path`. Where the registry names no
// file (Windows), the key is what the user is told about.
SettingsProblem Problem(SettingsProblemKind kind, RegistryFailure failure,
                        const std::string& path) {
    if (failure.file.empty())
        failure.file = "HKEY_LOCAL_MACHINE\\" + path.substr(0, path.size() - 1);
    return {kind, std::move(failure.file), std::move(failure.reason)};
}

SettingsProblem WriteProblem(const RegistryFailure& failure, const std::string& path) {
    const SettingsProblemKind kind = failure.result == ERROR_BUSY ? SettingsProblemKind::kBusy
                                     : failure.result == ERROR_ACCESS_DENIED
                                         ? SettingsProblemKind::kReadOnly
                                         : SettingsProblemKind::kWriteFailed;
    SettingsProblem problem = Problem(kind, failure, path);
    problem.logonEntry = path == kRunPath;
    return problem;
}

struct StoredDword {
    bool stored = false;  // false: no such value (or no key, or no store)
    bool usable = true;   // false: its data take more than four bytes
    std::int32_t value = 0;
};

// Reads the REG_DWORD value `name` of the settings key into `out`. A value of
// another type that fits in four bytes reads as 0, as it always has. The
// failure when the store is there but cannot be read.
std::optional<RegistryFailure> ReadDword(const char* name, StoredDword& out) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsPath.c_str(), &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    if (result != ERROR_SUCCESS)
        return ExplainRegistryFailure(result);
    DWORD type = 0;
    BYTE data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    result = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    std::optional<RegistryFailure> failure;
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        out.stored = true;
        out.usable = result == ERROR_SUCCESS;
        // Stored little-endian whatever the machine's own order.
        const std::uint32_t bits =
            static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
            static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        out.value = type == REG_DWORD ? static_cast<std::int32_t>(bits) : 0;
    } else if (result != ERROR_FILE_NOT_FOUND) {
        failure = ExplainRegistryFailure(result);
    }
    RegCloseKey(key);
    return failure;
}

std::int32_t InRange(const StoredDword& read, std::int32_t low, std::int32_t high,
                     std::int32_t fallback) {
    if (!read.stored || !read.usable || read.value < low || read.value > high)
        return fallback;
    return read.value;
}

// The three values land together: a second instance saving at the same
// time, or a kill half-way, must not leave one save's server with another's
// zone. The failure when they did not land.
std::optional<RegistryFailure> WriteValues(const SettingsToSave& settings) {
    RegistryBatch batch;
    HKEY key = nullptr;
    if (LONG created = RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettingsPath.c_str(), &key);
        created != ERROR_SUCCESS)
        return ExplainRegistryFailure(created);
    // A pasted "1e10" is beyond 32 bits; it is stored saturated, and the next
    // start's range check turns it into the default.
    const std::pair<const char*, std::int32_t> values[] = {
        {"ServerIndex", settings.serverIndex},
        {"GMTIndex", settings.zoneIndex},
        {"Delay", RoundToInt32(NumericValue(settings.delayText))},
    };
    std::optional<RegistryFailure> failure;
    for (const auto& [name, value] : values) {
        const auto bits = static_cast<std::uint32_t>(value);
        const BYTE bytes[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8),
                               static_cast<BYTE>(bits >> 16), static_cast<BYTE>(bits >> 24)};
        if (LONG set = RegSetValueExA(key, name, 0, REG_DWORD, bytes, sizeof bytes);
            set != ERROR_SUCCESS) {
            failure = ExplainRegistryFailure(set);
            break;
        }
    }
    RegCloseKey(key);
    if (failure)
        return failure;
    if (LONG landed = batch.End(); landed != ERROR_SUCCESS)
        return ExplainRegistryFailure(landed);
    return std::nullopt;
}

std::optional<SettingsProblem> SaveLogonEntry(const SettingsToSave& settings) {
    if (settings.syncAtLogon) {
        // An entry naming some other path would start nothing, or the wrong
        // program; whatever entry there is stays as it was.
        if (auto path = ProgramPathUnfitForLogon(settings.appFolder, settings.exeName))
            return SettingsProblem{SettingsProblemKind::kProgramPathNotUtf8, std::move(*path), ""};
        const LONG written = WriteLogonCommand(
            kRunPath, kLogonValueName, LogonCommandLine(settings.appFolder, settings.exeName));
        if (written != ERROR_SUCCESS)
            return WriteProblem(ExplainRegistryFailure(written), kRunPath);
        return std::nullopt;
    }
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kRunPath.c_str(), &key) != ERROR_SUCCESS)
        return std::nullopt;  // no Run key, so no entry to delete
    const LONG deleted = RegDeleteValueA(key, kLogonValueName.c_str());
    std::optional<SettingsProblem> problem;
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
        problem = WriteProblem(ExplainRegistryFailure(deleted), kRunPath);
    RegCloseKey(key);
    return problem;
}

}  // namespace

LoadedSettings LoadSettings(std::int16_t zoneWhenNoneStored) {
    LoadedSettings loaded{0, kDefaultZone, 2, ReadLogonEntryExists(), std::nullopt};
    StoredDword server, zone, delay;
    for (const auto& [name, read] : {std::pair{"ServerIndex", &server},
                                     std::pair{"GMTIndex", &zone}, std::pair{"Delay", &delay}}) {
        if (auto failure = ReadDword(name, *read)) {
            loaded.unreadableStore =
                Problem(SettingsProblemKind::kUnreadable, std::move(*failure), kSettingsPath);
            return loaded;
        }
    }
    const bool firstZone = !zone.stored && zoneWhenNoneStored >= 0 && zoneWhenNoneStored <= 24;
    loaded.serverIndex = static_cast<std::int16_t>(InRange(server, 0, 11, 0));
    loaded.zoneIndex =
        firstZone ? zoneWhenNoneStored : static_cast<std::int16_t>(InRange(zone, 0, 24, 7));
    loaded.delay = InRange(delay, 1, 9999, 2);
    return loaded;
}

std::vector<SettingsProblem> SaveSettings(const SettingsToSave& settings) {
    std::vector<SettingsProblem> problems;
    if (!settings.storeUnreadable) {
        if (auto failure = WriteValues(settings))
            problems.push_back(WriteProblem(*failure, kSettingsPath));
    }
    if (auto problem = SaveLogonEntry(settings))
        problems.push_back(std::move(*problem));
    return problems;
}

std::int16_t ReadServerIndex() {
    return LoadSettings(kDefaultZone).serverIndex;
}

std::int16_t ReadZoneIndex() {
    return LoadSettings(kDefaultZone).zoneIndex;
}

std::int32_t ReadDelay() {
    return LoadSettings(kDefaultZone).delay;
}

bool ReadLogonEntryExists() {
    std::int16_t failed = 0;
    return !Registry::GetStringValue(HKEY_LOCAL_MACHINE, kRunPath, kLogonValueName, failed).empty();
}

}  // namespace brisendale

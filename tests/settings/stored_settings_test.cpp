// Ranges and defaults of the stored settings, what a save writes, and the problems it meets.
#include "settings/stored_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <set>

#include "settings/logon_command.h"
#include "tests/support/raw_registry.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using namespace testing;
using enum SettingsProblemKind;
using Problems = std::vector<SettingsProblem>;
namespace fs = std::filesystem;

const std::string kSettings = "Software\\Quorvel";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A value at and past its range's ends moves itself only; only an unstored zone is the caller's.
TEST(StoredSettings, EachValueKeepsItsOwnRangeAndDefault) {
    const std::tuple<const char*, int, int, int> ranges[] = {
        {"ServerIndex", 0, 11, 0}, {"GMTIndex", 0, 24, 7}, {"Delay", 1, 9999, 2}};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& [name, low, high, fallback] = ranges[i];
        for (const int value : {low - 1, low, high, high + 1}) {
            TempConfigHome home;
            StoreRaw(kSettings, name, REG_DWORD, DwordBytes(static_cast<std::uint32_t>(value)));
            const LoadedSettings loaded = LoadSettings(20);
            std::array<int, 3> wanted = {0, 20, 2};
            wanted[i] = value >= low && value <= high ? value : fallback;
            EXPECT_EQ((std::array<int, 3>{loaded.serverIndex, loaded.zoneIndex, loaded.delay}),
                      wanted)
                << name << "=" << value;
        }
    }
    TempConfigHome home;
    for (const std::int16_t zone : {-1, 0, 24, 25})  // 7 where there is no such zone to choose
        EXPECT_EQ(LoadSettings(zone).zoneIndex, zone >= 0 && zone <= 24 ? zone : 7);
    // A text is stored, not missing: it reads as 0 when it fits in four bytes.
    for (const auto& [text, zone] : {std::pair{"7", 0}, std::pair{"12345", 7}}) {
        StoreRaw(kSettings, "GMTIndex", REG_SZ, std::string(text) + '\0');
        EXPECT_EQ(LoadSettings(20).zoneIndex, zone) << text;
    }
}

TEST(StoredSettings, SaveStoresTheValuesAsGivenAndTheLogonEntryOnlyWhenChecked) {
    TempConfigHome home;
    SettingsToSave settings{-1, 25, "1e10", 1, "/opt/a\"b$c`d\\e%f", "x"};
    EXPECT_EQ(SaveSettings(settings), Problems{});
    // The range check is the next start's, not the save's.
    EXPECT_EQ(ReadRaw(kSettings, "ServerIndex"), DwordBytes(0xFFFFFFFFu));
    EXPECT_EQ(ReadRaw(kSettings, "GMTIndex"), DwordBytes(25));
    EXPECT_EQ(ReadRaw(kSettings, "Delay"), DwordBytes(0x7FFFFFFF));
    EXPECT_EQ(ReadRaw(kRun, "Quorvel"), "\"/opt/a\\\"b\\$c\\`d\\\\e%%f/x\" -startup");
    EXPECT_EQ(LogonCommandLine("/opt/x/", "b"), "\"/opt/x/b\" -startup");
    settings.syncAtLogon = false;
    EXPECT_EQ(SaveSettings(settings), Problems{});
    EXPECT_FALSE(fs::exists(home.Autostart()));
    // Only the entry's text counts, not whose it is.
    StoreRaw(kRun, "Quorvel", REG_SZ, "");
    EXPECT_FALSE(LoadSettings(7).logonEntryExists);
    StoreRaw(kRun, "Quorvel", REG_SZ, "other.exe");
    EXPECT_TRUE(LoadSettings(7).logonEntryExists);
    // A path a desktop entry cannot hold leaves the entry as it was, and says why.
    settings.syncAtLogon = true;
    settings.appFolder = "/opt/latin\xE9";
    EXPECT_EQ(SaveSettings(settings),
              (Problems{{kProgramPathNotUtf8, "/opt/latin\xEF\xBF\xBD/x", ""}}));
    settings.appFolder = "/opt/bell\a";
    EXPECT_EQ(SaveSettings(settings),
              (Problems{{kWriteFailed, "HKEY_LOCAL_MACHINE\\" + kRun, "", true}}));
    EXPECT_EQ(ReadRaw(kRun, "Quorvel"), "other.exe");
}

// Makes a file or folder unwritable while it lives; for root, whom modes do not stop, immutable.
struct Unwritable {
    explicit Unwritable(const std::string& path) : path(path), ok(Set("+i", 0500)) {}
    ~Unwritable() { Set("-i", 0700); }
    bool Set(const std::string& flag, mode_t mode) const {
        const std::string chattr = "chattr " + flag + " '" + path + "' 2>/dev/null";
        return geteuid() != 0 ? chmod(path.c_str(), mode) == 0 : std::system(chattr.c_str()) == 0;
    }
    const std::string path;
    const bool ok;
};

// One failure at a time, named with its file and the system's reason; the rest is saved. An
// unreadable store is said at start, so not again at close; the logon entry is still saved.
TEST(StoredSettings, StoreOrEntryThatCannotBeReadOrWrittenIsReportedAndTheRestSaved) {
    TempConfigHome home;
    WriteFile(home.Store(), std::string(3000, 'x'));
    const LoadedSettings loaded = LoadSettings(20);
    EXPECT_EQ(loaded.unreadableStore,
              (SettingsProblem{kUnreadable, home.Store(), "file is not a database"}));
    EXPECT_EQ(std::tuple(loaded.serverIndex, loaded.zoneIndex, loaded.delay), std::tuple(0, 7, 2));
    EXPECT_EQ(SaveSettings({1, 2, "3", true, "/opt", "brisendale", true}), Problems{});
    EXPECT_TRUE(LoadSettings(7).logonEntryExists);
    fs::remove(home.Store());
    const SettingsToSave settings{1, 2, "3", 1, "/opt", "brisendale"};
    ASSERT_EQ(SaveSettings(settings), Problems{});
    const std::string store = home.Store(), entry = home.Autostart();
    StoreLock locked = LockStore(store);
    EXPECT_EQ(SaveSettings(settings), (Problems{{kBusy, store, "database is locked"}}));
    locked.reset();
    const std::string folder = fs::path(entry).parent_path();
    const std::string refused = std::strerror(geteuid() == 0 ? EPERM : EACCES);
    for (const std::string& file : {store, folder}) {
        const Unwritable readOnly(file);
        if (!readOnly.ok)
            GTEST_SKIP() << "this file system cannot make " << file << " immutable";
        const SettingsProblem problem =
            file == store
                ? SettingsProblem{kReadOnly, store, "attempt to write a readonly database"}
                : SettingsProblem{kReadOnly, entry, refused, true};
        for (bool box : {false, true})
            EXPECT_EQ(SaveSettings({1, 2, "3", box, "/opt", "brisendale"}), Problems{problem})
                << file << ", box " << box;
    }
    fs::remove_all(folder);
    WriteFile(folder, "");
    EXPECT_EQ(
        SaveSettings(settings),
        (Problems{{kWriteFailed, entry, "its folder cannot be made: Not a directory", true}}));
    EXPECT_EQ(LoadSettings(7).delay, 3);
}

// Each message is its own and names its file, and its reason where the system gave one.
TEST(StoredSettings, EachProblemIsWordedWithItsFileAndReason) {
    std::set<std::string> texts;
    for (auto kind : {kUnreadable, kReadOnly, kBusy, kProgramPathNotUtf8, kWriteFailed}) {
        const std::string text = DescribeSettingsProblem({kind, "/the/file", "why"});
        const bool reasonShown = kind != kBusy && kind != kProgramPathNotUtf8;
        EXPECT_NE(text.find("/the/file"), std::string::npos) << text;
        EXPECT_EQ(text.find("(why)") != std::string::npos, reasonShown) << text;
        EXPECT_EQ(DescribeSettingsProblem({kind, "/the/file", ""}).find("()"), std::string::npos);
        EXPECT_TRUE(texts.insert(text).second) << text;
    }
    // A lost logon entry must not read as if the three values were lost too.
    EXPECT_EQ(DescribeSettingsProblem({kReadOnly, "f", "", true}).find("Your choices"),
              std::string::npos);
}

}  // namespace
}  // namespace brisendale

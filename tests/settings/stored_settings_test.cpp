// The stored settings' ranges and defaults, the logon entry a save writes, and
// the problems a store or entry that cannot be read or written gives.
#include "settings/stored_settings.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "settings/logon_command.h"
#include "tests/support/raw_registry.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using namespace testing;
using Problems = std::vector<SettingsProblem>;
namespace fs = std::filesystem;

const std::string kSettings = "Software\\Quorvel";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::int16_t kComputersZone = 20;

struct Setting {
    const char* name;
    std::int64_t low, high, fallback, whenNoneStored;
    std::int32_t LoadedSettings::*field;
};

std::int32_t Loaded(const Setting& setting) {
    const LoadedSettings loaded = LoadSettings(kComputersZone);
    EXPECT_FALSE(loaded.unreadableStore);
    if (setting.field != nullptr)
        return loaded.*setting.field;
    return std::string(setting.name) == "ServerIndex" ? loaded.serverIndex : loaded.zoneIndex;
}

const Setting kAll[] = {
    {"ServerIndex", 0, 11, 0, 0, nullptr},
    {"GMTIndex", 0, 24, 7, kComputersZone, nullptr},
    {"Delay", 1, 9999, 2, 2, &LoadedSettings::delay},
};

// A value stored alone at or just past its range's ends; the others are not
// stored. Only a zone that is not stored at all is the computer's.
TEST(StoredSettings, EachValueKeepsItsOwnRangeAndDefault) {
    for (const Setting& stored : kAll) {
        for (std::int64_t value : {stored.low - 1, stored.low, stored.high, stored.high + 1}) {
            TempConfigHome home;
            ASSERT_EQ(StoreRaw(kSettings, stored.name, REG_DWORD,
                               DwordBytes(static_cast<std::uint32_t>(value))),
                      ERROR_SUCCESS);
            for (const Setting& setting : kAll) {
                const bool inRange = value >= stored.low && value <= stored.high;
                const std::int64_t expected = &setting != &stored ? setting.whenNoneStored
                                              : inRange           ? value
                                                                  : setting.fallback;
                EXPECT_EQ(Loaded(setting), expected)
                    << stored.name << "=" << value << ", read " << setting.name;
            }
        }
    }
    TempConfigHome home;
    for (const std::int16_t zone : {-1, 0, 24, 25})  // 7 where there is no such zone to choose
        EXPECT_EQ(LoadSettings(zone).zoneIndex, zone >= 0 && zone <= 24 ? zone : 7);
    // A text is stored, not missing: it reads as 0 when it fits in four bytes.
    for (const auto& [text, zone] : {std::pair{"7", 0}, std::pair{"12345", 7}}) {
        ASSERT_EQ(StoreRaw(kSettings, "GMTIndex", REG_SZ, std::string(text) + '\0'), ERROR_SUCCESS);
        EXPECT_EQ(LoadSettings(kComputersZone).zoneIndex, zone) << text;
    }
}

TEST(StoredSettings, SaveStoresTheValuesAsGivenAndTheLogonEntryOnlyWhenChecked) {
    TempConfigHome home;
    SettingsToSave settings{-1, 25, "1e10", 1, "/opt/a\"b$c`d\\e%f", "x"};
    EXPECT_EQ(SaveSettings(settings), Problems{});
    // The range check is the next start's, not the save's.
    EXPECT_EQ(ReadRaw(kSettings, "ServerIndex").data, DwordBytes(0xFFFFFFFFu));
    EXPECT_EQ(ReadRaw(kSettings, "GMTIndex").data, DwordBytes(25));
    EXPECT_EQ(ReadRaw(kSettings, "Delay").data, DwordBytes(INT32_MAX));
    const std::string line = "\"/opt/a\\\"b\\$c\\`d\\\\e%%f/x\" -startup";
    EXPECT_EQ(ReadRaw(kRun, "Quorvel").data, line);
    EXPECT_EQ(LogonCommandLine("/opt/x/", "b"), "\"/opt/x/b\" -startup");
    settings.delayText = "3.5";
    settings.syncAtLogon = true;
    SaveSettings(settings);
    ASSERT_TRUE(LoadSettings(7).logonEntryExists);
    settings.syncAtLogon = false;
    EXPECT_EQ(SaveSettings(settings), Problems{});
    EXPECT_FALSE(fs::exists(home.Autostart("Quorvel")));
    EXPECT_EQ(LoadSettings(7).delay, 4);
    // Only the entry's text counts, not whose it is.
    ASSERT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, ""), ERROR_SUCCESS);
    EXPECT_FALSE(LoadSettings(7).logonEntryExists);
    ASSERT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, "other.exe"), ERROR_SUCCESS);
    EXPECT_TRUE(LoadSettings(7).logonEntryExists);
    // A desktop entry holds UTF-8 only: a path that is not stays out of it.
    settings.syncAtLogon = true;
    settings.appFolder = "/opt/latin\xE9";
    const SettingsProblem notUtf8{SettingsProblemKind::kProgramPathNotUtf8,
                                  "/opt/latin\xEF\xBF\xBD/x", ""};
    EXPECT_EQ(SaveSettings(settings), Problems{notUtf8});
    EXPECT_EQ(ReadRaw(kRun, "Quorvel").data, "other.exe");
}

TEST(StoredSettings, StoreThatCannotBeReadGivesDefaultsAndIsNeverWrittenOver) {
    TempConfigHome home;
    const std::string garbage(3000, 'x');
    WriteFile(home.Store(), garbage);
    const LoadedSettings loaded = LoadSettings(kComputersZone);
    ASSERT_TRUE(loaded.unreadableStore);
    EXPECT_EQ(loaded.unreadableStore->kind, SettingsProblemKind::kUnreadable);
    EXPECT_EQ(loaded.unreadableStore->file, home.Store().string());
    EXPECT_NE(loaded.unreadableStore->reason, "");
    EXPECT_EQ(std::tuple(loaded.serverIndex, loaded.zoneIndex, loaded.delay), std::tuple(0, 7, 2));
    // Said at start, so not again; the logon entry is the user's choice still.
    EXPECT_EQ(SaveSettings({1, 2, "3", true, "/opt", "brisendale", true}), Problems{});
    EXPECT_TRUE(LoadSettings(7).logonEntryExists);
    EXPECT_EQ(SaveSettings({1, 2, "3", true, "/opt", "brisendale"}).size(), 1u);
    EXPECT_EQ(ReadFile(home.Store()), garbage);
}

// Makes a file or folder unwritable while it lives: for root, whom permission
// bits do not stop, through the immutable flag.
class Unwritable {
  public:
    explicit Unwritable(fs::path path) : path_(std::move(path)) { ok_ = Set(true); }
    ~Unwritable() { Set(false); }
    bool Ok() const { return ok_; }

  private:
    bool Set(bool on) {
        if (geteuid() != 0)
            return chmod(path_.c_str(), on ? 0500 : 0700) == 0;
        const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0)
            close(fd);
        return done;
    }
    fs::path path_;
    bool ok_ = false;
};

// One failure at a time, named with its file and the system's reason;
// whatever else can be saved is.
TEST(StoredSettings, StoreOrEntryThatCannotBeWrittenIsReportedAndTheRestSaved) {
    using enum SettingsProblemKind;
    TempConfigHome home;
    const SettingsToSave settings{1, 2, "3", 1, "/opt", "brisendale"};
    ASSERT_EQ(SaveSettings(settings), Problems{});
    const std::string store = home.Store(), entry = home.Autostart("Quorvel");
    {
        const StoreLocked locked(store);
        EXPECT_EQ(SaveSettings(settings), (Problems{{kBusy, store, "database is locked"}}));
    }
    const std::string folder = fs::path(entry).parent_path();
    const std::string refused = std::strerror(geteuid() == 0 ? EPERM : EACCES);
    for (const std::string& file : {store, folder}) {
        const Unwritable readOnly(file);
        if (!readOnly.Ok())
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

// Each message names its file, and its reason where the system gave one.
TEST(StoredSettings, EachProblemIsWordedWithItsFileAndReason) {
    std::set<std::string> texts;
    for (auto kind : {SettingsProblemKind::kUnreadable, SettingsProblemKind::kReadOnly,
                      SettingsProblemKind::kBusy, SettingsProblemKind::kProgramPathNotUtf8,
                      SettingsProblemKind::kWriteFailed}) {
        const std::string text = DescribeSettingsProblem({kind, "/the/file", "the reason"});
        EXPECT_NE(text.find("/the/file"), std::string::npos) << text;
        const bool reasonShown =
            kind != SettingsProblemKind::kBusy && kind != SettingsProblemKind::kProgramPathNotUtf8;
        EXPECT_EQ(text.find("(the reason)") != std::string::npos, reasonShown) << text;
        EXPECT_EQ(DescribeSettingsProblem({kind, "/the/file", ""}).find("()"), std::string::npos);
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 5u);
    // A lost logon entry must not read as if the three values were lost too.
    EXPECT_EQ(DescribeSettingsProblem({SettingsProblemKind::kReadOnly, "f", "", true})
                  .find("Your choices"),
              std::string::npos);
    EXPECT_NE(DescribeSettingsProblem({SettingsProblemKind::kUnreadable, "f", ""})
                  .find("uses its defaults and will not write over that file"),
              std::string::npos);
}

}  // namespace
}  // namespace brisendale

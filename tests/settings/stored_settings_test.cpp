// The stored settings' ranges and defaults, and the logon entry a save writes.
#include "settings/stored_settings.h"

#include <gtest/gtest.h>

#include <climits>

#include "settings/logon_command.h"
#include "tests/support/raw_registry.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using namespace testing;

const std::string kSettings = "Software\\Quorvel";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Setting {
    const char* name;
    std::int64_t low, high, fallback;
    std::int32_t (*read)();
};

const Setting kAll[] = {
    {"ServerIndex", 0, 11, 0, [] { return std::int32_t{ReadServerIndex()}; }},
    {"GMTIndex", 0, 24, 7, [] { return std::int32_t{ReadZoneIndex()}; }},
    {"Delay", 1, 9999, 2, ReadDelay},
};

// A value stored alone at or just past its range's ends; the others default.
TEST(StoredSettings, EachValueKeepsItsOwnRangeAndDefault) {
    for (const Setting& stored : kAll) {
        for (std::int64_t value : {stored.low - 1, stored.low, stored.high, stored.high + 1}) {
            TempConfigHome home;
            ASSERT_EQ(StoreRaw(kSettings, stored.name, REG_DWORD,
                               DwordBytes(static_cast<std::uint32_t>(value))),
                      ERROR_SUCCESS);
            for (const Setting& setting : kAll) {
                const bool kept =
                    &setting == &stored && value >= stored.low && value <= stored.high;
                EXPECT_EQ(setting.read(), kept ? value : setting.fallback)
                    << stored.name << "=" << value << ", read " << setting.name;
            }
        }
    }
}

TEST(StoredSettings, SaveStoresTheValuesAsGivenAndTheLogonEntryOnlyWhenChecked) {
    TempConfigHome home;
    SettingsToSave settings{-1, 25, "1e10", 1, "/opt/a\"b$c`d\\e%f", "x"};
    SaveSettings(settings);
    // The range check is the next start's, not the save's.
    EXPECT_EQ(ReadRaw(kSettings, "ServerIndex").data, DwordBytes(0xFFFFFFFFu));
    EXPECT_EQ(ReadRaw(kSettings, "GMTIndex").data, DwordBytes(25));
    EXPECT_EQ(ReadRaw(kSettings, "Delay").data, DwordBytes(INT32_MAX));
    const std::string line = "\"/opt/a\\\"b\\$c\\`d\\\\e%%f/x\" -startup";
    EXPECT_EQ(ReadRaw(kRun, "Quorvel").data, line);
    EXPECT_EQ(LogonCommandLine("/opt/x/", "b"), "\"/opt/x/b\" -startup");
    settings.delayText = "3.5";
    for (int box : {0, 2}) {
        settings.startupCheckValue = 1;
        SaveSettings(settings);
        ASSERT_TRUE(ReadLogonEntryExists());
        settings.startupCheckValue = box;
        SaveSettings(settings);
        EXPECT_FALSE(std::filesystem::exists(home.Autostart("Quorvel"))) << box;
    }
    EXPECT_EQ(ReadDelay(), 4);
    // Only the entry's text counts, not whose it is.
    ASSERT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, ""), ERROR_SUCCESS);
    EXPECT_FALSE(ReadLogonEntryExists());
    ASSERT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, "other.exe"), ERROR_SUCCESS);
    EXPECT_TRUE(ReadLogonEntryExists());
}

}  // namespace
}  // namespace brisendale

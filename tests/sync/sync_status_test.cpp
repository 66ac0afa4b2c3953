// The computer's own zone: the first start's choice, and named in the words of the clock's
// success where it is not the chosen one.
#include "sync/sync_status.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "sync/computer_zone.h"

namespace brisendale {
namespace {

using namespace std::chrono;

TEST(ClockSetWords, NameTheComputersZoneOnlyWhenItIsNotTheChosenOneAndHowFarTheClockWasOff) {
    ClockSetReport report{.host = "time-a-g.nist.gov",
                          .shownTime = "07:00:00",
                          .chosenOffsetSeconds = -5 * 3600,
                          .computerOffsetSeconds = -5 * 3600,
                          .instant = sys_days{year{2026} / 12 / 7} + hours(12) + milliseconds(500),
                          .correction = milliseconds(2400)};
    EXPECT_EQ(StatusText(report), "Status: System time set.");
    EXPECT_EQ(LogonSummary(report),
              "clock set to 07:00:00 from time-a-g.nist.gov; it was about 2 s behind");
    report.correction = -milliseconds(400);
    EXPECT_EQ(LogonSummary(report),
              "clock set to 07:00:00 from time-a-g.nist.gov; it was already right to the second");
    const std::pair<int, const char*> zones[] = {{3600, "13:00:00 (GMT +1 h)"},
                                                 {0, "12:00:00 (GMT +0)"},
                                                 {19800, "17:30:00 (GMT +5:30 h)"},
                                                 {-12600, "08:30:00 (GMT -3:30 h)"},
                                                 {13 * 3600, "01:00:00 (GMT +13 h)"}};
    report.correction = -seconds(61);
    for (const auto& [offset, shown] : zones) {
        report.computerOffsetSeconds = offset;
        const std::string note = std::string("; local time ") + shown;
        EXPECT_EQ(StatusText(report), "Status: System time set" + note + ".");
        EXPECT_EQ(LogonSummary(report),
                  "clock set to 07:00:00 from time-a-g.nist.gov; it was about 61 s ahead" + note);
    }
}

TEST(ComputerZone, IsTheListsEntryForAWholeHourAndTheFallbackOtherwise) {
    const std::pair<const char*, int> zones[] = {
        {"UTC", 12}, {"Asia/Tokyo", 21}, {"EST5", 7}, {"Asia/Kolkata", 3}, {"TOT-13", 3}};
    for (const auto& [zone, index] : zones) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(ZoneIndexOfComputer(3), index) << zone;
    }
    unsetenv("TZ");
    tzset();
}

}  // namespace
}  // namespace brisendale

// The first start's zone: the computer's own, where the list has it.
#include "sync/computer_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace brisendale {
namespace {

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

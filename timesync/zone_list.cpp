#include "timesync/zone_list.h"

#include <cstdio>

#include "platform/runtime/numeric_text.h"

namespace brisendale {

namespace {

// A single-precision number as text: whole numbers in plain digits, anything
// else (only a malformed hour gives one) with up to seven significant digits.
std::string SingleToText(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
    return buffer;
}

}  // namespace

std::vector<std::string> ZoneEntries() {
    std::vector<std::string> entries;
    entries.reserve(kZoneCount);
    for (std::int16_t n = 12; n >= 1; --n) {
        entries.push_back("[GMT -" + std::to_string(n) + " h.]");
    }
    entries.push_back("[GMT +0]");
    for (std::int16_t n = 1; n <= 12; ++n) {
        entries.push_back("[GMT +" + std::to_string(n) + " h.]");
    }
    return entries;
}

std::string ToLocalTime(const std::string& timeText, const std::int16_t& offset) {
    const std::string hourText = timeText.substr(0, 2);
    const std::string rest = timeText.size() > 2 ? timeText.substr(2, 6) : std::string();

    const double hourValue = NumericValue(hourText);
    const float sum = static_cast<float>(hourValue + offset);
    float newHour;
    if (sum >= 0) {
        newHour = static_cast<float>(RoundToInt32(sum) % 24);
    } else {
        // No rounding and no remainder here: an hour of 0 to 23 shifted back by
        // 1 to 12 hours already lands in 12 to 23.
        newHour = sum + 24.0f;
    }

    std::string newHourText = SingleToText(newHour);
    if (newHourText.size() != 2) {
        newHourText = "0" + newHourText;
    }
    return newHourText + rest;
}

}  // namespace brisendale

// The whole-hour offsets from Greenwich the user can pick, and the hour shift.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brisendale {

constexpr std::int16_t kZoneCount = 25;

// The 25 entries of the zone list, index 0 first: "[GMT -12 h.]" down to
// "[GMT -1 h.]", then "[GMT +0]", then "[GMT +1 h.]" up to "[GMT +12 h.]".
std::vector<std::string> ZoneEntries();

// Offset in whole hours for a zone index: zone index minus 12, so index 0 is
// -12 hours and index 24 is +12 hours.
constexpr int ZoneOffset(int zoneIndex) {
    return zoneIndex - 12;
}

// Shifts the hour of an "HH:MM:SS" text by `offset` hours, wrapping at
// midnight; the date is not involved. Characters 3 to 8 are passed through
// unchanged and unchecked. The hour is read with NumericValue (no number reads
// as 0), so a short or malformed text gives a malformed result rather than an
// error: "" with -5 gives "19". The arithmetic deliberately goes through single
// precision, the way the shown values have always been computed.
std::string ToLocalTime(const std::string& timeText, const std::int16_t& offset);

}  // namespace brisendale

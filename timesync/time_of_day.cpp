#include "timesync/time_of_day.h"

#include <cstddef>

#include "platform/runtime/ascii_digit.h"

namespace brisendale {

namespace {

std::string_view TrimmedBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Reads one field of at least `minDigits` and at most two digits at `pos` and
// moves `pos` past it.
std::optional<int> ReadField(std::string_view text, std::size_t& pos, std::size_t minDigits) {
    int value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && digits < 2 && IsAsciiDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits < minDigits) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text, TimeOfDayForm form) {
    const bool exact = form == TimeOfDayForm::kExact;
    if (!exact) {
        text = TrimmedBlanks(text);
    }
    const std::size_t minDigits = exact ? 2 : 1;
    const int minFields = exact ? 3 : 2;

    std::size_t pos = 0;
    int fields[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
        const auto field = ReadField(text, pos, minDigits);
        if (!field) {
            return std::nullopt;
        }
        fields[count++] = *field;
        if (pos == text.size()) {
            break;
        }
        if (text[pos] != ':') {
            return std::nullopt;
        }
        ++pos;
    }
    if (count < minFields || pos != text.size()) {
        return std::nullopt;
    }
    const TimeOfDay time{fields[0], fields[1], fields[2]};
    if (!IsInRange(time)) {
        return std::nullopt;
    }
    return time;
}

}  // namespace brisendale

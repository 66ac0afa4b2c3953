#include "timesync/clock_update.h"

#include <cstddef>

#include "platform/runtime/runtime_error.h"

namespace brisendale {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Reads one field of one or two digits at `pos` and moves `pos` past it.
std::optional<int> ReadField(std::string_view text, std::size_t& pos) {
    int value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && digits < 2 && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<TimeOfDay> ReadTimeOfDay(std::string_view text) {
    text = Trimmed(text);
    std::size_t pos = 0;
    int fields[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
        const auto field = ReadField(text, pos);
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
    if (count < 2 || pos != text.size()) {
        return std::nullopt;
    }
    const TimeOfDay time{fields[0], fields[1], fields[2]};
    if (!IsInRange(time)) {
        return std::nullopt;
    }
    return time;
}

void SetSystemTimeOfDay(SystemClock& clock, const std::string& shownText,
                        Authorisation authorisation, const ClockRequestDone& done) {
    const auto time = ReadTimeOfDay(shownText);
    if (!time) {
        throw RuntimeError(RuntimeError::kTypeMismatch, "Type mismatch");
    }
    clock.RequestLocalTimeOfDay(*time, authorisation, done);
}

}  // namespace brisendale

#include "timesync/daytime_reply.h"

#include <algorithm>

#include "platform/runtime/ascii_digit.h"
#include "timesync/time_of_day.h"

namespace brisendale {

namespace {

constexpr std::size_t kTimeFieldStart = 16;  // character 17, counted from 0
constexpr std::size_t kTimeFieldLength = 8;
constexpr std::size_t kTimeFieldEnd = kTimeFieldStart + kTimeFieldLength;
constexpr std::size_t kHealthDigit = 30;  // character 31
constexpr std::string_view kNistMarker = "UTC(NIST)";

}  // namespace

void DaytimeReply::Append(std::string_view bytes) {
    const std::size_t room = kMaxReplyBytes - bytes_.size();
    bytes_.append(bytes.substr(0, std::min(room, bytes.size())));
}

bool DaytimeReply::Complete() const {
    // The health digit and the NIST marker come after the time field, so the
    // whole line is needed before the reply can be judged.
    return bytes_.size() >= kMaxReplyBytes || bytes_.find('\n', kTimeFieldEnd) != std::string::npos;
}

std::string DaytimeReply::TimeField() const {
    if (bytes_.size() < kTimeFieldStart) {
        return {};
    }
    return bytes_.substr(kTimeFieldStart, kTimeFieldLength);
}

ReplyFault DaytimeReply::Fault() const {
    if (!IsValidTimeOfDay(TimeField())) {
        return ReplyFault::InvalidReply;
    }
    const std::string_view line =
        std::string_view(bytes_).substr(0, bytes_.find('\n', kTimeFieldEnd));
    if (line.find(kNistMarker, kTimeFieldEnd) == std::string_view::npos) {
        return ReplyFault::None;  // not a NIST line: it carries no health to read
    }
    // The health digit stands alone between blanks; a line that claims to be
    // NIST's but has no readable health cannot be trusted either.
    const bool readable = line.size() > kHealthDigit + 1 && line[kHealthDigit - 1] == ' ' &&
                          IsAsciiDigit(line[kHealthDigit]) && line[kHealthDigit + 1] == ' ';
    if (!readable) {
        return ReplyFault::InvalidReply;
    }
    return line[kHealthDigit] == '0' ? ReplyFault::None : ReplyFault::ServerUnhealthy;
}

void DaytimeReply::Clear() {
    bytes_.clear();
}

bool DaytimeReply::Empty() const {
    return bytes_.empty();
}

bool IsValidTimeOfDay(std::string_view field) {
    return ParseTimeOfDay(field).has_value();
}

}  // namespace brisendale

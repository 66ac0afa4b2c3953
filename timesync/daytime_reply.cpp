#include "timesync/daytime_reply.h"

#include <algorithm>

#include "timesync/time_of_day.h"

namespace brisendale {

namespace {

constexpr std::size_t kTimeFieldStart = 16;  // character 17, counted from 0
constexpr std::size_t kTimeFieldLength = 8;

}  // namespace

void DaytimeReply::Append(std::string_view bytes) {
    const std::size_t room = kMaxReplyBytes - bytes_.size();
    bytes_.append(bytes.substr(0, std::min(room, bytes.size())));
}

bool DaytimeReply::Complete() const {
    return bytes_.size() >= kTimeFieldStart + kTimeFieldLength;
}

std::string DaytimeReply::TimeField() const {
    if (bytes_.size() < kTimeFieldStart) {
        return {};
    }
    return bytes_.substr(kTimeFieldStart, kTimeFieldLength);
}

void DaytimeReply::Clear() {
    bytes_.clear();
}

bool DaytimeReply::Empty() const {
    return bytes_.empty();
}

bool IsValidTimeOfDay(std::string_view field) {
    return ParseTimeOfDay(field, TimeOfDayForm::kExact).has_value();
}

}  // namespace brisendale

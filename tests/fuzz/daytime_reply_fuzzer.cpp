// A Daytime server's bytes, cut into TCP pieces of any size, through the
// collection, the time field check and the hour shift that follow it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "timesync/daytime_reply.h"
#include "timesync/zone_list.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int TwoDigits(const std::string& text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// The time field check written out the plain way, to hold the real one to.
bool ExpectedValid(const std::string& field) {
    if (field.size() != 8 || field[2] != ':' || field[5] != ':')
        return false;
    for (std::size_t at : {0u, 3u, 6u}) {
        if (!IsDigit(field[at]) || !IsDigit(field[at + 1]))
            return false;
    }
    return TwoDigits(field, 0) <= 23 && TwoDigits(field, 3) <= 59 && TwoDigits(field, 6) <= 59;
}

using brisendale::fuzzing::Require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    brisendale::DaytimeReply reply;
    std::string received;  // everything sent, as the reference
    Require(reply.Empty() && !reply.Complete());
    while (input.remaining_bytes() > 0) {
        const std::string piece =
            input.ConsumeRandomLengthString(brisendale::DaytimeReply::kMaxReplyBytes * 2);
        reply.Append(piece);
        received += piece;
        const std::string kept = received.substr(0, brisendale::DaytimeReply::kMaxReplyBytes);
        const bool lineEnded = kept.find('\n', 24) != std::string::npos;
        Require(reply.Complete() ==
                (kept.size() == brisendale::DaytimeReply::kMaxReplyBytes || lineEnded));
        Require(reply.Empty() == kept.empty());
        Require(reply.TimeField() == (kept.size() < 17 ? std::string() : kept.substr(16, 8)));
        if (reply.Complete())
            break;
    }

    const std::string field = reply.TimeField();
    const bool valid = brisendale::IsValidTimeOfDay(field);
    Require(valid == ExpectedValid(field));
    if (valid) {
        // Only a valid field reaches the window: every zone must then give a
        // valid time with the hour shifted and the rest untouched.
        for (std::int16_t zone = 0; zone < brisendale::kZoneCount; ++zone) {
            const std::int16_t offset = brisendale::ZoneOffset(zone);
            const std::string shown = brisendale::ToLocalTime(field, offset);
            Require(brisendale::IsValidTimeOfDay(shown));
            Require(TwoDigits(shown, 0) == ((TwoDigits(field, 0) + offset) % 24 + 24) % 24);
            Require(shown.substr(2) == field.substr(2));
        }
    }
    reply.Clear();
    Require(reply.Empty() && !reply.Complete() && reply.TimeField().empty());
    return 0;
}

// A Daytime server's bytes, in TCP pieces of any size, through the collection
// and the time field check.
#include <fuzzer/FuzzedDataProvider.h>

#include <regex>

#include "fuzz_check.h"
#include "timesync/daytime_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brisendale;
    static const std::regex kTimeOfDay("([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]");
    FuzzedDataProvider input(data, size);
    DaytimeReply pieces;
    std::string received;
    while (input.remaining_bytes() > 0 && !pieces.Complete()) {
        const std::string piece = input.ConsumeRandomLengthString(2 * DaytimeReply::kMaxReplyBytes);
        pieces.Append(piece);
        received += piece;
    }
    // However cut, the reply reads as if it came at once, and stays in its bound.
    DaytimeReply whole;
    whole.Append(received);
    Require(pieces.Complete() == whole.Complete() && pieces.Fault() == whole.Fault());
    Require(pieces.Complete() || received.size() < DaytimeReply::kMaxReplyBytes);
    // Characters 17 to 24 are the time field, and only a valid one is used.
    const std::string field = pieces.TimeField();
    Require(field == whole.TimeField() &&
            field == received.substr(std::min<std::size_t>(16, received.size()), 8));
    const bool valid = std::regex_match(field, kTimeOfDay);
    Require(IsValidTimeOfDay(field) == valid &&
            (valid || pieces.Fault() == ReplyFault::InvalidReply));
    return 0;
}

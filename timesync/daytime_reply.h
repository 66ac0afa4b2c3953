// One Daytime reply (RFC 867) as it arrives, and the judgement of it.
//
// The NIST servers send one line:
//   character 1       line feed
//   characters 2-6    Modified Julian Date
//   characters 8-15   date, YY-MM-DD
//   characters 17-24  time of day in UTC, HH:MM:SS
//   characters 26-27  daylight-saving code
//   character 29      leap-second warning
//   character 31      health: 0 when the server's time can be trusted
//   then              the advance in milliseconds, "UTC(NIST)", the on-time
//                     marker and the line end, at places not relied on
// TCP may deliver the line in several pieces, so they are collected until the
// line has ended; a server that never stops sending cannot make the
// collection grow past kMaxReplyBytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brisendale {

// Why a reply may not be used, if anything keeps it from being used.
enum class ReplyFault {
    None,
    InvalidReply,     // no valid time of day at 17-24, or an unreadable health field
    ServerUnhealthy,  // the server itself says its time may be wrong
};

class DaytimeReply {
  public:
    // Far more than a Daytime line needs, far less than a flood could fill.
    static constexpr std::size_t kMaxReplyBytes = 4096;

    // Adds the next piece received. Whatever goes beyond kMaxReplyBytes is
    // dropped.
    void Append(std::string_view bytes);

    // True once the line carrying the time field has ended (a line feed after
    // character 24) or kMaxReplyBytes have arrived. A server that closes the
    // connection earlier ends the reply too; the caller knows when.
    bool Complete() const;

    // Characters 17 to 24 (counted from 1): at most eight characters from
    // position 17, fewer if the reply is shorter, none if it has fewer than 17.
    std::string TimeField() const;

    // The reply as it stands judged whole. A line that carries "UTC(NIST)"
    // after its time field is a NIST line and is used only when its health
    // digit is 0; any other line is judged by its time field alone.
    ReplyFault Fault() const;

    void Clear();
    bool Empty() const;

  private:
    std::string bytes_;
};

// True only for exactly "HH:MM:SS" with hour 00-23, minute 00-59 and second
// 00-59, two digits each and colons in place.
bool IsValidTimeOfDay(std::string_view field);

}  // namespace brisendale

// One Daytime reply (RFC 867) as it arrives, and the check of its time field.
//
// The NIST servers send one line:
//   character 1       line feed
//   characters 2-6    Modified Julian Date
//   characters 8-15   date, YY-MM-DD
//   characters 17-24  time of day in UTC, HH:MM:SS
//   25 onward         further fields and the line end
// Only the time field is read. TCP may deliver the line in several pieces, so
// they are collected until the time field is complete; a server that never
// stops sending cannot make the collection grow past kMaxReplyBytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brisendale {

class DaytimeReply {
  public:
    // Far more than a Daytime line needs, far less than a flood could fill.
    static constexpr std::size_t kMaxReplyBytes = 4096;

    // Adds the next piece received. Whatever goes beyond kMaxReplyBytes is
    // dropped.
    void Append(std::string_view bytes);

    // True once at least 24 characters have arrived, the end of the time field.
    bool Complete() const;

    // Characters 17 to 24 (counted from 1): at most eight characters from
    // position 17, fewer if the reply is shorter, none if it has fewer than 17.
    std::string TimeField() const;

    void Clear();
    bool Empty() const;

  private:
    std::string bytes_;
};

// True only for exactly "HH:MM:SS" with hour 00-23, minute 00-59 and second
// 00-59, two digits each and colons in place.
bool IsValidTimeOfDay(std::string_view field);

}  // namespace brisendale

// How the engine reaches a Daytime server: open a connection to a host and be
// told what happens to it. The program's transport is TCP to port 13
// (tcp_daytime_transport.h); tests give the engine one they drive by hand.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace brisendale {

// What happens to one connection, in the order it happens. Nothing is ever
// reported from inside Open, and nothing once the link is destroyed.
struct LinkEvents {
    std::function<void()> connected;
    std::function<void(std::string_view bytes)> received;
    // The server closed its end; everything it sent has been received.
    std::function<void()> closedByPeer;
    // The connection could not be made or broke; `description` is the
    // socket's own ("Host not found", "Connection refused", ...). Last event.
    std::function<void(const std::string& description)> failed;
};

// One connection. Closing it, or destroying it, ends it or abandons the
// attempt to make it; it reports nothing afterwards. Close may be called from
// inside one of its own events.
class DaytimeLink {
  public:
    virtual ~DaytimeLink() = default;
    virtual void Close() = 0;
};

class DaytimeTransport {
  public:
    virtual ~DaytimeTransport() = default;
    // Starts connecting to `host` (resolving its name first) and returns at once.
    virtual std::unique_ptr<DaytimeLink> Open(const std::string& host, LinkEvents events) = 0;
};

}  // namespace brisendale

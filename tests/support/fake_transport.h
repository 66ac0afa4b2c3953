// A Daytime transport played by hand: it records every host asked for, and the
// test plays the server's part on the newest connection.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/net/daytime_transport.h"

namespace brisendale {

class FakeTransport : public DaytimeTransport {
  public:
    std::unique_ptr<DaytimeLink> Open(const std::string& host, LinkEvents events) override;

    std::vector<std::string> hosts;  // every host asked for so far, in order
    bool LinkOpen() const { return newest_ && newest_->open; }

    // The server's part on the newest connection; nothing reaches a closed one.
    void Connect() { Play<&LinkEvents::connected>(); }
    void Send(std::string_view bytes) { Play<&LinkEvents::received>(bytes); }
    void CloseByPeer() { Play<&LinkEvents::closedByPeer>(); }
    void Fail(const std::string& description) { Play<&LinkEvents::failed>(description); }

  private:
    struct Connection {
        LinkEvents events;
        bool open = true;
    };
    template <auto event, typename... Args>
    void Play(const Args&... args) {
        // A hold of its own on the connection: the event may close and drop it.
        if (const std::shared_ptr<Connection> c = newest_; c && c->open)
            (c->events.*event)(args...);
    }

    std::shared_ptr<Connection> newest_;
};

// A NIST Daytime line whose time field reads `time`, health `health`.
std::string NistLine(const std::string& time = "12:00:00", char health = '0');

}  // namespace brisendale

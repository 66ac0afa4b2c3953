// A Daytime transport driven by hand: it records every host asked for, and the
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

    // Every host asked for so far, in order.
    std::vector<std::string> Hosts() const;
    // Whether the newest connection is still open.
    bool LinkOpen() const;

    // The server's part on the newest connection; nothing reaches a closed one.
    void Connect();
    void Send(std::string_view bytes);
    void CloseByPeer();
    void Fail(const std::string& description);

  private:
    struct Connection {
        std::string host;
        LinkEvents events;
        bool open = true;
    };
    class Link;
    std::shared_ptr<Connection> Newest() const;

    std::vector<std::shared_ptr<Connection>> connections_;
};

// A NIST Daytime line whose time field reads `time`, health `health`.
std::string NistLine(const std::string& time = "12:00:00", char health = '0');

}  // namespace brisendale

// A Daytime transport driven by hand: it records every host asked for, and the
// test plays the server's part on the newest connection.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/daytime_transport.h"

namespace brisendale {

class FakeTransport : public DaytimeTransport {
  public:
    std::unique_ptr<DaytimeLink> Open(const std::string& host, LinkEvents events) override;

    std::vector<std::string> hosts;  // every host asked for so far, in order
    bool LinkOpen() const { return !connections_.empty() && connections_.back()->open; }

    // The server's part on the newest connection; nothing reaches a closed one.
    void Connect() {
        Play([](LinkEvents& e) { e.connected(); });
    }
    void Send(std::string_view bytes) {
        Play([bytes](LinkEvents& e) { e.received(bytes); });
    }
    void CloseByPeer() {
        Play([](LinkEvents& e) { e.closedByPeer(); });
    }
    void Fail(const std::string& description) {
        Play([&description](LinkEvents& e) { e.failed(description); });
    }

  private:
    struct Connection {
        LinkEvents events;
        bool open = true;
    };
    void Play(const std::function<void(LinkEvents&)>& event);

    std::vector<std::shared_ptr<Connection>> connections_;
};

// A NIST Daytime line whose time field reads `time`, health `health`.
std::string NistLine(const std::string& time = "12:00:00", char health = '0');

}  // namespace brisendale

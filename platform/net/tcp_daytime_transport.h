// The Daytime transport of the running program: TCP over QTcpSocket.
//
// Nothing here blocks: the name lookup and the connection happen in the
// background, and every event comes from the event loop.
#pragma once

#include <QtGlobal>

#include <string>

#include "platform/net/daytime_transport.h"

namespace brisendale {

class TcpDaytimeTransport : public DaytimeTransport {
  public:
    // Received bytes waiting to be read never exceed this: the socket stops
    // reading and TCP holds the sender back.
    static constexpr qint64 kReadBufferSize = 16 * 1024;

    // Connects to `port` (13 for Daytime). A non-empty `hostOverride` is
    // connected to instead of every host asked for; tests and the benchmark
    // point the server rows at a loopback server that way.
    explicit TcpDaytimeTransport(quint16 port = 13, std::string hostOverride = {});

    std::unique_ptr<DaytimeLink> Open(const std::string& host, LinkEvents events) override;

  private:
    quint16 port_;
    std::string hostOverride_;
};

}  // namespace brisendale

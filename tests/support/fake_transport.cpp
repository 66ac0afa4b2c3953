#include "tests/support/fake_transport.h"

namespace brisendale {

class FakeTransport::Link : public DaytimeLink {
  public:
    explicit Link(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}
    ~Link() override { Close(); }
    void Close() override { connection_->open = false; }

  private:
    std::shared_ptr<Connection> connection_;
};

std::unique_ptr<DaytimeLink> FakeTransport::Open(const std::string& host, LinkEvents events) {
    connections_.push_back(std::make_shared<Connection>(Connection{host, std::move(events)}));
    return std::make_unique<Link>(connections_.back());
}

std::vector<std::string> FakeTransport::Hosts() const {
    std::vector<std::string> hosts;
    for (const auto& connection : connections_)
        hosts.push_back(connection->host);
    return hosts;
}

bool FakeTransport::LinkOpen() const {
    return Newest() && Newest()->open;
}

std::shared_ptr<FakeTransport::Connection> FakeTransport::Newest() const {
    return connections_.empty() ? nullptr : connections_.back();
}

// Each takes its own hold on the connection: the event may close and drop it.
void FakeTransport::Connect() {
    if (const auto c = Newest(); c && c->open)
        c->events.connected();
}

void FakeTransport::Send(std::string_view bytes) {
    if (const auto c = Newest(); c && c->open)
        c->events.received(bytes);
}

void FakeTransport::CloseByPeer() {
    if (const auto c = Newest(); c && c->open)
        c->events.closedByPeer();
}

void FakeTransport::Fail(const std::string& description) {
    if (const auto c = Newest(); c && c->open)
        c->events.failed(description);
}

std::string NistLine(const std::string& time, char health) {
    return "\n61380 26-12-06 " + time + " 00 0 " + health + " 812.3 UTC(NIST) * \n";
}

}  // namespace brisendale

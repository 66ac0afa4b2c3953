#include "tests/support/fake_transport.h"

namespace brisendale {

std::unique_ptr<DaytimeLink> FakeTransport::Open(const std::string& host, LinkEvents events) {
    struct Link : DaytimeLink {
        std::shared_ptr<Connection> connection;
        ~Link() override { Close(); }
        void Close() override { connection->open = false; }
    };
    hosts.push_back(host);
    connections_.push_back(std::make_shared<Connection>(Connection{std::move(events)}));
    auto link = std::make_unique<Link>();
    link->connection = connections_.back();
    return link;
}

void FakeTransport::Play(const std::function<void(LinkEvents&)>& event) {
    // A hold of its own on the connection: the event may close and drop it.
    if (const auto c = connections_.empty() ? nullptr : connections_.back(); c && c->open)
        event(c->events);
}

std::string NistLine(const std::string& time, char health) {
    return "\n61380 26-12-06 " + time + " 00 0 " + health + " 812.3 UTC(NIST) * \n";
}

}  // namespace brisendale

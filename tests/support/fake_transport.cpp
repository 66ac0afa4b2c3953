#include "tests/support/fake_transport.h"

namespace brisendale {

std::unique_ptr<DaytimeLink> FakeTransport::Open(const std::string& host, LinkEvents events) {
    struct Link : DaytimeLink {
        std::shared_ptr<Connection> connection;
        ~Link() override { Close(); }
        void Close() override { connection->open = false; }
    };
    hosts.push_back(host);
    newest_ = std::make_shared<Connection>(Connection{std::move(events)});
    auto link = std::make_unique<Link>();
    link->connection = newest_;
    return link;
}

std::string NistLine(const std::string& time, char health) {
    return "\n61380 26-12-06 " + time + " 00 0 " + health + " 812.3 UTC(NIST) * \n";
}

}  // namespace brisendale

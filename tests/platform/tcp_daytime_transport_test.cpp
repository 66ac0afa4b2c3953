// The TCP transport against a loopback Daytime server: what each connection
// reports, never from inside Open and never once closed.
#include "platform/net/tcp_daytime_transport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <optional>

#include "tests/support/daytime_test_server.h"

namespace brisendale {
namespace {

using Behaviour = DaytimeTestServer::Behaviour;

TEST(TcpDaytimeTransport, ReportsHowAConnectionEndedAndNothingOnceClosed) {
    const QString line = DaytimeTestServer::NistLine();
    const struct {
        const char* host;
        std::optional<Behaviour> server;  // empty: nothing listens
        int closeAfterMs;                 // -1: not closed; -2: from inside its first event
        QStringList events;
    } rows[] = {
        {"localhost", Behaviour::SendLine, -1, {"connected", line, "closed"}},
        {"127.0.0.1", Behaviour::CloseAtOnce, -1, {"connected", "closed"}},
        {"127.0.0.1", std::nullopt, -1, {"failed Connection refused"}},
        {"a..b", Behaviour::SendLine, -1, {"failed Host not found"}},  // asks no name server
        {"localhost", Behaviour::SendLine, 0, {}},                     // during the name lookup
        {"127.0.0.1", Behaviour::Silent, 100, {}},                     // while the server is silent
        {"127.0.0.1", Behaviour::SendLine, -2, {"connected"}},         // from inside an event
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        std::optional<DaytimeTestServer> server;
        if (row.server)
            server.emplace(DaytimeTestServer::NistLine(), *row.server);
        TcpDaytimeTransport transport(server ? server->Port() : 0);  // nothing listens on port 0
        QStringList events;
        std::unique_ptr<DaytimeLink> link;
        auto note = [&](const QString& event) {
            events << event;
            if (row.closeAfterMs == -2)
                link->Close();
        };
        link = transport.Open(
            row.host,
            {.connected = [&] { note("connected"); },
             .received = [&](std::string_view b) { note(QString::fromLatin1(b.data(), b.size())); },
             .closedByPeer = [&] { note("closed"); },
             .failed = [&](const std::string& d) { note(QString::fromStdString("failed " + d)); }});
        EXPECT_TRUE(events.isEmpty()) << "reported from inside Open";
        if (row.closeAfterMs >= 0) {
            QTest::qWait(row.closeAfterMs);
            events.clear();
            link->Close();
        } else {
            (void)QTest::qWaitFor([&] { return events.size() == row.events.size(); }, 5000);
        }
        QTest::qWait(300);  // for events that must not come
        EXPECT_EQ(events, row.events);
    }
}

}  // namespace
}  // namespace brisendale

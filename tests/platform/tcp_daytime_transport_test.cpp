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
const QByteArray kLine = DaytimeTestServer::NistLine();
constexpr int kQuietMs = 300;  // how long to watch for events that must not come

TEST(TcpDaytimeTransport, ReportsHowAConnectionEndedAndNothingOnceClosed) {
    struct Row {
        const char* host;
        std::optional<Behaviour> server;  // empty: nothing listens
        int closeAfterMs;                 // -1: not closed; -2: from inside its first event
        QStringList events;
    };
    const Row rows[] = {
        {"localhost", Behaviour::SendLine, -1, {"connected", "data", "closed"}},
        {"127.0.0.1", Behaviour::CloseAtOnce, -1, {"connected", "closed"}},
        {"127.0.0.1", std::nullopt, -1, {"failed Connection refused"}},
        {"a..b", Behaviour::SendLine, -1, {"failed Host not found"}},  // asks no name server
        {"localhost", Behaviour::SendLine, 0, {}},                     // during the name lookup
        {"127.0.0.1", Behaviour::Silent, 100, {}},                     // while the server is silent
        {"127.0.0.1", Behaviour::SendLine, -2, {"connected"}},   // from inside an event
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        std::optional<DaytimeTestServer> server;
        if (row.server)
            server.emplace(kLine, *row.server);
        TcpDaytimeTransport transport(server ? server->Port() : 0);  // nothing listens on port 0
        QStringList events;
        QByteArray data;
        std::unique_ptr<DaytimeLink> link;
        auto note = [&](const QString& event) {
            events << event;
            if (row.closeAfterMs == -2)
                link->Close();
        };
        link =
            transport.Open(row.host, LinkEvents{.connected = [&] { note("connected"); },
                                                .received =
                                                    [&](std::string_view bytes) {
                                                        data.append(bytes.data(), bytes.size());
                                                        note("data");
                                                    },
                                                .closedByPeer = [&] { note("closed"); },
                                                .failed =
                                                    [&](const std::string& d) {
                                                        note(QString::fromStdString("failed " + d));
                                                    }});
        EXPECT_TRUE(events.isEmpty()) << "reported from inside Open";
        if (row.closeAfterMs >= 0) {
            QTest::qWait(row.closeAfterMs);
            events.clear();
            data.clear();
            link->Close();
        } else {
            (void)QTest::qWaitFor([&] { return events.size() == row.events.size(); }, 5000);
        }
        QTest::qWait(kQuietMs);
        EXPECT_EQ(events, row.events);
        EXPECT_EQ(data, row.events.contains("data") ? kLine : "");
    }
}

}  // namespace
}  // namespace brisendale

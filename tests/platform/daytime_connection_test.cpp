// The socket control against a loopback Daytime server; the window's tests
// cover the exchanges themselves.
#include "platform/net/daytime_connection.h"

#include <gtest/gtest.h>

#include <QTest>
#include <optional>

#include "platform/runtime/runtime_error.h"
#include "tests/support/daytime_test_server.h"

namespace brisendale {
namespace {

using Behaviour = DaytimeTestServer::Behaviour;
const QByteArray kLine = DaytimeTestServer::NistLine();
constexpr int kQuietMs = 300;  // how long to watch for events that must not come

// What the control raised, in order.
struct Recorder {
    explicit Recorder(DaytimeConnection& socket) {
        using C = DaytimeConnection;
        QObject::connect(&socket, &C::DataArrival, [this] { events << "data"; });
        QObject::connect(&socket, &C::PeerClosed, [this] { events << "closed"; });
        QObject::connect(&socket, &C::Error, [this](qint16 number, QString text) {
            events << QString("error %1 %2").arg(number).arg(text);
        });
        socket.SetRemoteHost("127.0.0.1");
    }
    QStringList events;
};

TEST(DaytimeConnection, ReportsOnceHowAConnectionEndedAndNothingOnceClosed) {
    struct Row {
        const char* host;
        std::optional<Behaviour> server;  // empty: nothing listens
        int closeAfterMs;                 // -1: not closed
        QStringList events;
    };
    const Row rows[] = {
        {"localhost", Behaviour::SendLine, -1, {"data", "closed"}},
        {"127.0.0.1", Behaviour::CloseAtOnce, -1, {"closed"}},
        {"127.0.0.1", std::nullopt, -1, {"error 10061 Connection refused"}},
        {"a..b", Behaviour::SendLine, -1, {"error 11001 Host not found"}},  // asks no name server
        {"localhost", Behaviour::SendLine, 0, {}},         // closed during the name lookup
        {"127.0.0.1", Behaviour::SendLine, 0, {}},         // while connecting
        {"127.0.0.1", Behaviour::Silent, 100, {}},         // while the server says nothing
        {"127.0.0.1", Behaviour::SendInTwoParts, 50, {}},  // between the parts
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        std::optional<DaytimeTestServer> server;
        if (row.server) {
            server.emplace(kLine, *row.server);
        }
        DaytimeConnection socket(server ? server->Port() : 0);  // nothing listens on port 0
        Recorder recorder(socket);
        socket.SetRemoteHost(row.host);
        socket.Connect();
        EXPECT_TRUE(recorder.events.isEmpty()) << "raised inside Connect";
        if (row.closeAfterMs < 0) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder.events.isEmpty(); }, 5000));
        } else {
            QTest::qWait(row.closeAfterMs);
            recorder.events.clear();
            socket.Close();
        }
        QTest::qWait(kQuietMs);
        EXPECT_EQ(recorder.events, row.events);
        QString data;
        socket.GetData(data);
        EXPECT_EQ(data.toLatin1(), row.events.contains("data") ? kLine : "") << "kept past the end";
        socket.GetData(data);
        EXPECT_EQ(data, "") << "GetData moves, it does not copy";
    }
}

TEST(DaytimeConnection, OnlyTheNewestConnectionReports) {
    EXPECT_THROW(DaytimeConnection().Connect(), RuntimeError) << "no host";
    DaytimeTestServer server(kLine, Behaviour::SendInTwoParts);
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    socket.Connect();
    EXPECT_THROW(socket.Connect(), RuntimeError) << "a second Connect without Close";
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.ConnectionCount() == 1; }, 5000));
    socket.Close();
    socket.Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.events.contains("closed"); }, 5000));
    QString data;
    socket.GetData(data);
    EXPECT_EQ(data.toLatin1(), kLine);

    // Closed from inside its own DataArrival, a connection raises nothing more.
    QObject::connect(&socket, &DaytimeConnection::DataArrival, &socket, [&] { socket.Close(); });
    recorder.events.clear();
    socket.Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.events.isEmpty(); }, 5000));
    QTest::qWait(kQuietMs);  // past the second part
    EXPECT_EQ(recorder.events, QStringList{"data"});
}

}  // namespace
}  // namespace brisendale

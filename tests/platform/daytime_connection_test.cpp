// The socket control against a Daytime server on loopback, through the real
// event loop: what only the socket level shows. The window's tests cover the
// exchanges themselves.
#include "platform/net/daytime_connection.h"

#include <gtest/gtest.h>

#include <QTest>
#include <optional>

#include "platform/runtime/runtime_error.h"
#include "tests/support/daytime_test_server.h"

namespace brisendale {
namespace {

using Behaviour = DaytimeTestServer::Behaviour;
constexpr int kQuietMs = 300;  // how long to watch for events that must not come

// What the control raised, in order; data is read as it comes unless kept.
struct Recorder {
    explicit Recorder(DaytimeConnection& socket, bool keepData = false) {
        QObject::connect(&socket, &DaytimeConnection::DataArrival, [=, this, &socket](qint32 n) {
            events << "data";
            largest = std::max(largest, n);
            if (!keepData) {
                QString piece;
                socket.GetData(piece);
                received += piece;
            }
        });
        QObject::connect(&socket, &DaytimeConnection::PeerClosed, [this] { events << "closed"; });
        QObject::connect(&socket, &DaytimeConnection::Error, [this](qint16 number, QString text) {
            events << QString("error %1 %2").arg(number).arg(text);
        });
    }
    QStringList events;
    qint32 largest = 0;
    QString received;
};

TEST(DaytimeConnection, EndsInOneReportWithTheDataStillReadableAfterThePeerClosed) {
    struct Row {
        const char* name;
        Behaviour behaviour;  // nullopt: nothing listens
        const char* host;
        QStringList events;
    };
    const Row rows[] = {
        {"LineThenClose", Behaviour::SendLine, "localhost", {"data", "closed"}},
        {"CloseWithoutSending", Behaviour::CloseAtOnce, "127.0.0.1", {"closed"}},
        {"NothingListens", Behaviour::Silent, "127.0.0.1", {"error 10061 Connection refused"}},
        // An invalid name fails without asking any name server.
        {"NoSuchHost", Behaviour::SendLine, "a..b", {"error 11001 Host not found"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<DaytimeTestServer> server(std::in_place, DaytimeTestServer::NistLine(),
                                                row.behaviour);
        DaytimeConnection socket(server->Port());
        if (row.events.first().startsWith("error 10061")) {
            server.reset();
        }
        Recorder recorder(socket, true);
        socket.SetRemoteHost(row.host);
        socket.Connect();
        EXPECT_TRUE(recorder.events.isEmpty()) << "raised inside Connect";
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return recorder.events.size() >= row.events.size(); }, 5000));
        QTest::qWait(kQuietMs);
        EXPECT_EQ(recorder.events, row.events);
        QString data;
        socket.GetData(data);
        EXPECT_EQ(data.toLatin1(),
                  row.events.contains("data") ? DaytimeTestServer::NistLine() : "");
        socket.GetData(data);
        EXPECT_EQ(data, "") << "GetData moves, it does not copy";
    }
}

TEST(DaytimeConnection, NothingIsRaisedAfterClose) {
    const std::tuple<const char*, Behaviour, int> rows[] = {
        {"localhost", Behaviour::SendLine, 0},  // during the name lookup
        {"127.0.0.1", Behaviour::SendLine, 0},  // while connecting
        {"127.0.0.1", Behaviour::Silent, 100},
        {"127.0.0.1", Behaviour::SendInTwoParts, 50},  // between the parts
    };
    for (const auto& [host, behaviour, closeAfterMs] : rows) {
        SCOPED_TRACE(host + std::to_string(closeAfterMs));
        DaytimeTestServer server(DaytimeTestServer::NistLine(), behaviour);
        DaytimeConnection socket(server.Port());
        socket.SetRemoteHost(host);
        socket.Connect();
        QTest::qWait(closeAfterMs);
        Recorder recorder(socket);  // sees only what comes after Close
        socket.Close();
        QTest::qWait(kQuietMs);
        EXPECT_EQ(recorder.events, QStringList{});
        QString data;
        socket.GetData(data);
        EXPECT_EQ(data, "");
    }
}

TEST(DaytimeConnection, OnlyTheNewestConnectionReports) {
    EXPECT_THROW(DaytimeConnection().Connect(), RuntimeError) << "no host";
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    EXPECT_THROW(socket.Connect(), RuntimeError) << "a second Connect without Close";
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.ConnectionCount() == 1; }, 5000));
    socket.Close();
    socket.Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.events.contains("closed"); }, 5000));
    EXPECT_EQ(recorder.received.toLatin1(), DaytimeTestServer::NistLine());

    // Closed from inside its own DataArrival, a connection raises nothing more.
    QObject::connect(&socket, &DaytimeConnection::DataArrival, &socket, [&] { socket.Close(); });
    recorder.events.clear();
    socket.Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.events.isEmpty(); }, 5000));
    QTest::qWait(kQuietMs);  // past the second part
    EXPECT_EQ(recorder.events, QStringList{"data"});
}

TEST(DaytimeConnection, AFloodKeepsTheWaitingDataCappedAndReadingMakesRoom) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::Flood);
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket, true);
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    QTest::qWait(500);
    EXPECT_LE(recorder.largest, DaytimeConnection::kReadBufferSize);
    QString data;
    socket.GetData(data);
    EXPECT_LE(data.size(), DaytimeConnection::kReadBufferSize);
    EXPECT_TRUE(data.toLatin1().startsWith(DaytimeTestServer::NistLine()));
    const qsizetype before = recorder.events.size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.events.size() > before; }, 5000));
}

}  // namespace
}  // namespace brisendale

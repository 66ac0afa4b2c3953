// The socket control against a Daytime server on loopback, through the real
// event loop.
#include "platform/net/daytime_connection.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QVector>
#include <algorithm>

#include "platform/runtime/runtime_error.h"
#include "tests/support/daytime_test_server.h"

namespace brisendale {
namespace {

using Behaviour = DaytimeTestServer::Behaviour;

constexpr int kWaitMs = 5000;
// How long to watch for events that must not come.
constexpr int kQuietMs = 300;

// Records what the control raised and, like the window, reads data as it comes.
class Recorder {
  public:
    explicit Recorder(DaytimeConnection& socket) : socket_(socket) {
        QObject::connect(&socket, &DaytimeConnection::DataArrival, [this](qint32 bytes) {
            events.append("data");
            sizes.append(bytes);
            if (readOnArrival) {
                QString piece;
                socket_.GetData(piece);
                received += piece;
            }
        });
        QObject::connect(&socket, &DaytimeConnection::PeerClosed,
                         [this] { events.append("closed"); });
        QObject::connect(&socket, &DaytimeConnection::Error,
                         [this](qint16 number, const QString& text) {
                             events.append("error");
                             errorNumber = number;
                             errorText = text;
                         });
    }

    bool WaitFor(const QString& event, int ms = kWaitMs) {
        return QTest::qWaitFor([&] { return events.contains(event); }, ms);
    }

    bool readOnArrival = true;
    QStringList events;
    QVector<qint32> sizes;
    QString received;
    qint16 errorNumber = 0;
    QString errorText;

  private:
    DaytimeConnection& socket_;
};

// A loopback port where nothing listens.
quint16 ClosedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

TEST(DaytimeConnection, ReceivesTheLineAndThenThePeerClosing) {
    DaytimeTestServer server;
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    ASSERT_TRUE(recorder.WaitFor("closed"));
    EXPECT_EQ(recorder.received.toLatin1(), DaytimeTestServer::NistLine());
    EXPECT_EQ(recorder.events.first(), "data");
    EXPECT_EQ(recorder.events.last(), "closed");
    EXPECT_FALSE(recorder.events.contains("error"));
}

TEST(DaytimeConnection, DataStaysReadableAfterThePeerClosed) {
    DaytimeTestServer server;
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    recorder.readOnArrival = false;
    socket.SetRemoteHost("localhost");
    socket.Connect();
    ASSERT_TRUE(recorder.WaitFor("closed"));
    QString data;
    socket.GetData(data);
    EXPECT_EQ(data.toLatin1(), DaytimeTestServer::NistLine());
    socket.GetData(data);
    EXPECT_EQ(data, "");  // GetData moves, it does not copy
}

TEST(DaytimeConnection, ReplyInPiecesArrivesInSeveralEvents) {
    for (const Behaviour behaviour : {Behaviour::SendInTwoParts, Behaviour::Trickle}) {
        SCOPED_TRACE(static_cast<int>(behaviour));
        DaytimeTestServer server(DaytimeTestServer::NistLine(), behaviour);
        server.SetInterval(behaviour == Behaviour::Trickle ? 2 : 150);
        DaytimeConnection socket(server.Port());
        Recorder recorder(socket);
        socket.SetRemoteHost("127.0.0.1");
        socket.Connect();
        ASSERT_TRUE(recorder.WaitFor("closed"));
        EXPECT_EQ(recorder.received.toLatin1(), DaytimeTestServer::NistLine());
        EXPECT_GE(recorder.events.count("data"), 2);
    }
}

TEST(DaytimeConnection, ServerClosingWithoutSendingIsReportedAsPeerClosed) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::CloseAtOnce);
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    ASSERT_TRUE(recorder.WaitFor("closed"));
    EXPECT_EQ(recorder.events, QStringList{"closed"});
}

TEST(DaytimeConnection, RefusedPortIsAnErrorEventNotACallError) {
    DaytimeConnection socket(ClosedPort());
    Recorder recorder(socket);
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    EXPECT_TRUE(recorder.events.isEmpty());  // nothing raised inside Connect
    ASSERT_TRUE(recorder.WaitFor("error"));
    EXPECT_EQ(recorder.errorNumber, DaytimeConnection::kConnectionRefused);
    EXPECT_EQ(recorder.errorText, "Connection refused");
    QTest::qWait(kQuietMs);
    EXPECT_EQ(recorder.events, QStringList{"error"});
}

TEST(DaytimeConnection, UnknownHostIsAnErrorEvent) {
    DaytimeConnection socket;
    Recorder recorder(socket);
    socket.SetRemoteHost("nonexistent.invalid");
    socket.Connect();
    EXPECT_TRUE(recorder.events.isEmpty());
    ASSERT_TRUE(recorder.WaitFor("error", 30000));
    EXPECT_EQ(recorder.errorNumber, DaytimeConnection::kHostNotFound);
    EXPECT_EQ(recorder.errorText, "Host not found");
}

TEST(DaytimeConnection, NothingIsRaisedAfterClose) {
    struct Row {
        const char* name;
        const char* host;
        Behaviour behaviour;
        int closeAfterMs;  // -1: close right after Connect returns
    };
    const Row rows[] = {
        {"DuringNameLookup", "nonexistent.invalid", Behaviour::SendLine, -1},
        {"DuringConnect", "127.0.0.1", Behaviour::SendLine, -1},
        {"WhileServerIsSilent", "127.0.0.1", Behaviour::Silent, 100},
        {"WhileTrickling", "127.0.0.1", Behaviour::Trickle, 50},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DaytimeTestServer server(DaytimeTestServer::NistLine(), row.behaviour);
        server.SetInterval(10);
        DaytimeConnection socket(server.Port());
        socket.SetRemoteHost(row.host);
        socket.Connect();
        if (row.closeAfterMs >= 0) {
            QTest::qWait(row.closeAfterMs);
        }
        Recorder recorder(socket);  // sees only what comes after Close
        socket.Close();
        QTest::qWait(kQuietMs);
        EXPECT_TRUE(recorder.events.isEmpty()) << recorder.events.join(",").toStdString();
        QString data;
        socket.GetData(data);
        EXPECT_EQ(data, "");
    }
}

TEST(DaytimeConnection, ClosingFromInsideDataArrivalEndsTheConnectionQuietly) {
    DaytimeTestServer server;
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    QObject::connect(&socket, &DaytimeConnection::DataArrival, &socket,
                     [&socket] { socket.Close(); });
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    ASSERT_TRUE(recorder.WaitFor("data"));
    QTest::qWait(kQuietMs);
    EXPECT_EQ(recorder.events, QStringList{"data"});
}

TEST(DaytimeConnection, ImpossibleCallsThrow) {
    DaytimeConnection noHost;
    try {
        noHost.Connect();
        ADD_FAILURE() << "connected without a host";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), DaytimeConnection::kInvalidArgument);
    }

    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::Silent);
    DaytimeConnection socket(server.Port());
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    try {
        socket.Connect();
        ADD_FAILURE() << "second Connect without Close";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), DaytimeConnection::kInvalidOperation);
    }
}

TEST(DaytimeConnection, SecondPressOnlyTheNewConnectionReports) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::SendInTwoParts);
    server.SetInterval(100);
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.ConnectionCount() == 1; }, kWaitMs));
    socket.Close();
    socket.Connect();
    ASSERT_TRUE(recorder.WaitFor("closed"));
    QTest::qWait(kQuietMs);
    EXPECT_EQ(server.ConnectionCount(), 2);
    EXPECT_EQ(recorder.received.toLatin1(), DaytimeTestServer::NistLine());
    EXPECT_EQ(recorder.events.count("closed"), 1);
}

TEST(DaytimeConnection, FloodKeepsTheWaitingDataCapped) {
    DaytimeTestServer server(DaytimeTestServer::NistLine(), Behaviour::Flood);
    DaytimeConnection socket(server.Port());
    Recorder recorder(socket);
    recorder.readOnArrival = false;
    socket.SetRemoteHost("127.0.0.1");
    socket.Connect();
    ASSERT_TRUE(recorder.WaitFor("data"));
    QTest::qWait(500);
    ASSERT_FALSE(recorder.sizes.isEmpty());
    EXPECT_LE(*std::max_element(recorder.sizes.begin(), recorder.sizes.end()),
              DaytimeConnection::kReadBufferSize);
    QString data;
    socket.GetData(data);
    EXPECT_GT(data.size(), 0);
    EXPECT_LE(data.size(), DaytimeConnection::kReadBufferSize);
    EXPECT_TRUE(data.toLatin1().startsWith(DaytimeTestServer::NistLine()));
    // Reading makes room, and more arrives.
    const qsizetype before = recorder.sizes.size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.sizes.size() > before; }, kWaitMs));
    socket.Close();
}

}  // namespace
}  // namespace brisendale

// A Daytime server (RFC 867) inside the test process, on 127.0.0.1 and a free
// port, that answers each connection the way a test asks for.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

namespace brisendale {

class DaytimeTestServer : public QObject {
    Q_OBJECT

  public:
    enum class Behaviour {
        SendLine,        // the reply at once, then close, as the NIST servers do
        SendInTwoParts,  // the first 20 bytes, a pause of Interval(), the rest, close
        Silent,          // accept and never send nor close
        CloseAtOnce,     // accept and close without sending
        Flood,           // the reply over and over, never closing
        Trickle,         // one byte every Interval(), then close
    };

    explicit DaytimeTestServer(QByteArray reply = NistLine(),
                               Behaviour behaviour = Behaviour::SendLine,
                               QObject* parent = nullptr);

    // A line as the NIST servers send it; its time field reads 12:00:00.
    static QByteArray NistLine();

    quint16 Port() const;
    // Connections accepted so far.
    int ConnectionCount() const;
    // When each was accepted, in milliseconds since the server started.
    QList<qint64> AcceptTimes() const;

    // The pause of SendInTwoParts and the step of Trickle, in milliseconds.
    int Interval() const;
    void SetInterval(int milliseconds);

  private:
    void OnNewConnection();
    void StartFlood(QTcpSocket* socket);

    QTcpServer server_;
    QByteArray reply_;
    Behaviour behaviour_;
    int connections_ = 0;
    QElapsedTimer sinceStart_;
    QList<qint64> acceptTimes_;
    int intervalMs_ = 150;
};

}  // namespace brisendale

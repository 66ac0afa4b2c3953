// A Daytime server in the test process, on 127.0.0.1 and a free port.
#pragma once

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <stdexcept>

namespace brisendale {

class DaytimeTestServer : public QObject {
  public:
    enum class Behaviour {
        SendLine,        // the reply, then close
        SendInTwoParts,  // 20 bytes, a pause of the interval, the rest, close
        Silent,          // never send nor close
        CloseAtOnce,     // close without sending
    };

    explicit DaytimeTestServer(QByteArray reply = NistLine(),
                               Behaviour behaviour = Behaviour::SendLine)
        : reply_(std::move(reply)), behaviour_(behaviour) {
        sinceStart_.start();
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                acceptTimes_.append(sinceStart_.elapsed());
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                Answer(socket);
            }
        });
        if (!server_.listen(QHostAddress::LocalHost, 0)) {
            throw std::runtime_error("the test server cannot listen");
        }
    }

    // Its time field reads 12:00:00.
    static QByteArray NistLine() {
        return QByteArrayLiteral("\n61380 26-12-06 12:00:00 00 0 0 812.3 UTC(NIST) * \n");
    }
    quint16 Port() const { return server_.serverPort(); }
    int ConnectionCount() const { return static_cast<int>(acceptTimes_.size()); }
    QList<qint64> AcceptTimes() const { return acceptTimes_; }  // ms since the start
    void SetInterval(int milliseconds) { intervalMs_ = milliseconds; }

  private:
    void Answer(QTcpSocket* socket) {
        const auto sendFrom = [this, socket](qsizetype from) {
            socket->write(reply_.mid(from));
            socket->disconnectFromHost();
        };
        if (behaviour_ == Behaviour::SendLine || behaviour_ == Behaviour::CloseAtOnce) {
            sendFrom(behaviour_ == Behaviour::SendLine ? 0 : reply_.size());
        } else if (behaviour_ == Behaviour::SendInTwoParts) {
            socket->write(reply_.left(20));
            QTimer::singleShot(intervalMs_, socket, [sendFrom] { sendFrom(20); });
        }
    }

    QTcpServer server_;
    QByteArray reply_;
    Behaviour behaviour_;
    QElapsedTimer sinceStart_;
    QList<qint64> acceptTimes_;
    int intervalMs_ = 150;
};

}  // namespace brisendale

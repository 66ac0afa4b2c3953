#include "tests/support/daytime_test_server.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <stdexcept>
#include <utility>

namespace brisendale {

namespace {

constexpr int kSplitAt = 20;
// Keep at most this much queued in the flooding socket, so that the server's
// own memory stays small while the client's side is under test.
constexpr qint64 kFloodQueue = 64 * 1024;

}  // namespace

DaytimeTestServer::DaytimeTestServer(QByteArray reply, Behaviour behaviour, QObject* parent)
    : QObject(parent), reply_(std::move(reply)), behaviour_(behaviour) {
    sinceStart_.start();
    connect(&server_, &QTcpServer::newConnection, this, &DaytimeTestServer::OnNewConnection);
    if (!server_.listen(QHostAddress::LocalHost, 0)) {
        throw std::runtime_error("test server cannot listen: " +
                                 server_.errorString().toStdString());
    }
}

QByteArray DaytimeTestServer::NistLine() {
    return QByteArrayLiteral("\n61380 26-12-06 12:00:00 00 0 0 812.3 UTC(NIST) * \n");
}

quint16 DaytimeTestServer::Port() const {
    return server_.serverPort();
}

int DaytimeTestServer::ConnectionCount() const {
    return connections_;
}

QList<qint64> DaytimeTestServer::AcceptTimes() const {
    return acceptTimes_;
}

int DaytimeTestServer::Interval() const {
    return intervalMs_;
}

void DaytimeTestServer::SetInterval(int milliseconds) {
    intervalMs_ = milliseconds;
}

void DaytimeTestServer::OnNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        ++connections_;
        acceptTimes_.append(sinceStart_.elapsed());
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QPointer<QTcpSocket> guarded(socket);
        switch (behaviour_) {
            case Behaviour::SendLine:
                socket->write(reply_);
                socket->disconnectFromHost();
                break;
            case Behaviour::SendInTwoParts:
                socket->write(reply_.left(kSplitAt));
                socket->flush();
                QTimer::singleShot(intervalMs_, this, [this, guarded] {
                    if (guarded) {
                        guarded->write(reply_.mid(kSplitAt));
                        guarded->disconnectFromHost();
                    }
                });
                break;
            case Behaviour::Silent:
                break;
            case Behaviour::CloseAtOnce:
                socket->disconnectFromHost();
                break;
            case Behaviour::Flood:
                StartFlood(socket);
                break;
            case Behaviour::Trickle: {
                auto* timer = new QTimer(socket);
                auto sent = std::make_shared<qsizetype>(0);
                connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent] {
                    if (*sent < reply_.size()) {
                        socket->write(reply_.mid(*sent, 1));
                        ++*sent;
                    } else {
                        timer->stop();
                        socket->disconnectFromHost();
                    }
                });
                timer->start(intervalMs_);
                break;
            }
        }
    }
}

void DaytimeTestServer::StartFlood(QTcpSocket* socket) {
    auto topUp = [this, socket] {
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < kFloodQueue) {
            socket->write(reply_.isEmpty() ? QByteArray(1024, 'x') : reply_);
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
    topUp();
}

}  // namespace brisendale

#include "platform/net/daytime_connection.h"

#include <QTcpSocket>
#include <limits>

#include "platform/runtime/runtime_error.h"

namespace brisendale {

namespace {

struct Description {
    QAbstractSocket::SocketError error;
    qint16 number;
    const char* text;
};

// The Winsock control's number and text for each failure it shares with
// QTcpSocket; any other failure keeps Qt's own text.
constexpr Description kDescriptions[] = {
    {QAbstractSocket::HostNotFoundError, DaytimeConnection::kHostNotFound, "Host not found"},
    {QAbstractSocket::ConnectionRefusedError, DaytimeConnection::kConnectionRefused,
     "Connection refused"},
    {QAbstractSocket::SocketTimeoutError, DaytimeConnection::kTimedOut, "Connection timed out"},
    {QAbstractSocket::NetworkError, DaytimeConnection::kNetworkUnreachable,
     "Network is unreachable"},
    {QAbstractSocket::SocketAccessError, DaytimeConnection::kAccessDenied, "Permission denied"},
    {QAbstractSocket::SocketResourceError, DaytimeConnection::kNoBufferSpace,
     "No buffer space available"},
};

Description Describe(QAbstractSocket::SocketError error) {
    for (const Description& description : kDescriptions) {
        if (description.error == error) {
            return description;
        }
    }
    return {error, DaytimeConnection::kUnknownError, nullptr};
}

}  // namespace

DaytimeConnection::DaytimeConnection(quint16 remotePort, QObject* parent)
    : QObject(parent), remotePort_(remotePort) {}

DaytimeConnection::~DaytimeConnection() {
    Close();
}

void DaytimeConnection::SetRemoteHost(const QString& host) {
    remoteHost_ = host;
}

QString DaytimeConnection::RemoteHost() const {
    return remoteHost_;
}

quint16 DaytimeConnection::RemotePort() const {
    return remotePort_;
}

void DaytimeConnection::Close() {
    ++generation_;
    ended_ = false;
    if (socket_ == nullptr) {
        return;
    }
    QTcpSocket* old = socket_;
    socket_ = nullptr;
    old->disconnect(this);
    // abort() also cancels a name lookup still under way. The socket may be
    // the one whose signal is being handled right now, so it goes later.
    old->abort();
    old->deleteLater();
}

void DaytimeConnection::Connect() {
    if (remoteHost_.trimmed().isEmpty()) {
        throw RuntimeError(kInvalidArgument,
                           "The argument passed to a function was not in the correct format or "
                           "in the specified range");
    }
    if (socket_ != nullptr && !ended_ && socket_->state() != QAbstractSocket::UnconnectedState) {
        throw RuntimeError(kInvalidOperation, "Invalid operation at current state");
    }
    Close();

    const quint64 generation = generation_;
    socket_ = new QTcpSocket(this);
    socket_->setReadBufferSize(kReadBufferSize);
    // Queued, so that no signal can be raised inside Connect itself and the
    // order of events is the order the socket saw them.
    connect(
        socket_, &QTcpSocket::readyRead, this, [this, generation] { OnReadyRead(generation); },
        Qt::QueuedConnection);
    connect(
        socket_, &QTcpSocket::disconnected, this,
        [this, generation] { OnDisconnected(generation); }, Qt::QueuedConnection);
    connect(
        socket_, &QTcpSocket::errorOccurred, this,
        [this, generation](QAbstractSocket::SocketError error) {
            OnError(generation, static_cast<int>(error));
        },
        Qt::QueuedConnection);
    socket_->connectToHost(remoteHost_, remotePort_);
}

void DaytimeConnection::GetData(QString& data) {
    data.clear();
    if (socket_ != nullptr) {
        data = QString::fromLatin1(socket_->readAll());
    }
}

bool DaytimeConnection::IsCurrent(quint64 generation) const {
    return generation == generation_ && socket_ != nullptr && !ended_;
}

void DaytimeConnection::OnReadyRead(quint64 generation) {
    if (!IsCurrent(generation)) {
        return;
    }
    const qint64 waiting = socket_->bytesAvailable();
    if (waiting > 0) {
        emit DataArrival(
            static_cast<qint32>(qMin<qint64>(waiting, std::numeric_limits<qint32>::max())));
    }
}

void DaytimeConnection::OnDisconnected(quint64 generation) {
    if (!IsCurrent(generation)) {
        return;
    }
    ended_ = true;
    emit PeerClosed();
}

void DaytimeConnection::OnError(quint64 generation, int socketError) {
    if (!IsCurrent(generation)) {
        return;
    }
    const auto error = static_cast<QAbstractSocket::SocketError>(socketError);
    // The server closing its end is not a failure here: a Daytime server
    // closes right after its line, and PeerClosed reports it.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        return;
    }
    const Description description = Describe(error);
    const QString text = description.text != nullptr ? QString::fromLatin1(description.text)
                                                     : socket_->errorString();
    ended_ = true;
    emit Error(description.number, text);
}

}  // namespace brisendale

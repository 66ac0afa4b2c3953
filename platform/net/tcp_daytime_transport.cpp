#include "platform/net/tcp_daytime_transport.h"

#include <QTcpSocket>

#include <memory>
#include <utility>

namespace brisendale {

namespace {

struct Description {
    QAbstractSocket::SocketError error;
    const char* text;
};

// Plain words for the failures a Daytime client meets; any other keeps Qt's
// own text.
constexpr Description kDescriptions[] = {
    {QAbstractSocket::HostNotFoundError, "Host not found"},
    {QAbstractSocket::ConnectionRefusedError, "Connection refused"},
    {QAbstractSocket::SocketTimeoutError, "Connection timed out"},
    {QAbstractSocket::NetworkError, "Network is unreachable"},
    {QAbstractSocket::SocketAccessError, "Permission denied"},
    {QAbstractSocket::SocketResourceError, "No buffer space available"},
};

std::string Describe(const QTcpSocket& socket) {
    for (const Description& description : kDescriptions) {
        if (description.error == socket.error()) {
            return description.text;
        }
    }
    return socket.errorString().toStdString();
}

class TcpLink : public DaytimeLink {
  public:
    TcpLink(const std::string& host, quint16 port, LinkEvents events)
        : socket_(new QTcpSocket), state_(std::make_shared<State>(State{std::move(events)})) {
        socket_->setReadBufferSize(TcpDaytimeTransport::kReadBufferSize);
        // Queued, so that nothing is reported from inside Open and events come
        // in the order the socket saw them. A closed link's events may still
        // be queued; they find it closed.
        QTcpSocket* socket = socket_;
        const std::shared_ptr<State> state = state_;
        const auto on = [socket](auto signal, auto handler) {
            QObject::connect(socket, signal, socket, handler, Qt::QueuedConnection);
        };
        on(&QTcpSocket::connected, [state] {
            if (state->open)
                state->events.connected();
        });
        on(&QTcpSocket::readyRead, [state, socket] { ReportReceived(*socket, *state); });
        on(&QTcpSocket::disconnected, [state, socket] {
            // Bytes that came with the server's goodbye are still waiting.
            ReportReceived(*socket, *state);
            if (state->open)
                state->events.closedByPeer();
        });
        on(&QTcpSocket::errorOccurred, [state, socket](QAbstractSocket::SocketError error) {
            // The server closing its end is how a Daytime reply ends;
            // `disconnected` reports it.
            if (state->open && error != QAbstractSocket::RemoteHostClosedError)
                state->events.failed(Describe(*socket));
        });
        socket_->connectToHost(QString::fromStdString(host), port);
    }

    ~TcpLink() override { Close(); }

    void Close() override {
        if (socket_ == nullptr)
            return;
        state_->open = false;
        QTcpSocket* socket = std::exchange(socket_, nullptr);
        socket->disconnect();
        // abort() also cancels a name lookup still under way. The socket may
        // be the one whose signal is being handled right now, so it goes later.
        socket->abort();
        socket->deleteLater();
    }

  private:
    struct State {
        LinkEvents events;
        bool open = true;
    };

    static void ReportReceived(QTcpSocket& socket, const State& state) {
        if (!state.open)
            return;
        const QByteArray bytes = socket.readAll();
        if (!bytes.isEmpty())
            state.events.received(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }

    QTcpSocket* socket_;
    std::shared_ptr<State> state_;
};

}  // namespace

TcpDaytimeTransport::TcpDaytimeTransport(quint16 port, std::string hostOverride)
    : port_(port), hostOverride_(std::move(hostOverride)) {}

std::unique_ptr<DaytimeLink> TcpDaytimeTransport::Open(const std::string& host, LinkEvents events) {
    return std::make_unique<TcpLink>(hostOverride_.empty() ? host : hostOverride_, port_,
                                     std::move(events));
}

}  // namespace brisendale

// A Daytime server in the test process, on 127.0.0.1 and a free port.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <stdexcept>

#include "tests/support/fake_transport.h"

namespace brisendale {

class DaytimeTestServer : public QObject {
  public:
    enum class Behaviour { SendLine, Silent, CloseAtOnce };  // the last without sending

    explicit DaytimeTestServer(QByteArray reply = NistLine(),
                               Behaviour behaviour = Behaviour::SendLine) {
        connect(&server_, &QTcpServer::newConnection, this, [this, reply, behaviour] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                if (behaviour == Behaviour::SendLine)
                    socket->write(reply);
                if (behaviour != Behaviour::Silent)
                    socket->disconnectFromHost();
            }
        });
        if (!server_.listen(QHostAddress::LocalHost, 0))
            throw std::runtime_error("the test server cannot listen");
    }

    static QByteArray NistLine() { return QByteArray::fromStdString(brisendale::NistLine()); }
    quint16 Port() const { return server_.serverPort(); }

  private:
    QTcpServer server_;
};

}  // namespace brisendale

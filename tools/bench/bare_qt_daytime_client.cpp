// The least a Qt program can do for one Daytime exchange: a QCoreApplication
// that resolves the host, connects with a QTcpSocket, reads until the server
// closes, prints the line and exits. Built twice, with Qt Core and Network
// only and with every Qt library the program links, so that the benchmark can
// tell what Qt itself costs from what the program adds.
// Usage: bare_qt_daytime_client HOST
#include <QCoreApplication>
#include <QTcpSocket>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2)
        return 2;
    QTcpSocket socket;
    QByteArray reply;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { reply += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, [&] {
        reply += socket.readAll();
        std::fprintf(stderr, "%s\n", reply.trimmed().constData());
        QCoreApplication::exit(reply.trimmed().isEmpty() ? 1 : 0);
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, [&](QAbstractSocket::SocketError error) {
        // The server closing its end is how the reply ends: `disconnected` says so.
        if (error != QAbstractSocket::RemoteHostClosedError)
            QCoreApplication::exit(1);
    });
    socket.connectToHost(QString::fromLocal8Bit(argv[1]), 13);
    return QCoreApplication::exec();
}

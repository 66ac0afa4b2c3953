// The Daytime connection: a TCP client in the manner of the Winsock control, over QTcpSocket.
//
// The window drives it with a few calls (RemoteHost, Connect, GetData, Close)
// and learns the outcome from its signals. Nothing here ever blocks: name
// resolution and connecting happen in the background, and every signal is
// raised from the event loop, never from inside one of the calls.
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

class QTcpSocket;

namespace brisendale {

class DaytimeConnection : public QObject {
    Q_OBJECT

  public:
    // Error numbers, as the Winsock control reports them.
    static constexpr qint16 kNetworkUnreachable = 10051;
    static constexpr qint16 kConnectionReset = 10054;
    static constexpr qint16 kTimedOut = 10060;
    static constexpr qint16 kConnectionRefused = 10061;
    static constexpr qint16 kHostNotFound = 11001;
    static constexpr qint16 kAccessDenied = 10013;
    static constexpr qint16 kNoBufferSpace = 10055;
    static constexpr qint16 kUnknownError = 10000;
    // Raised by Connect itself, as RuntimeError numbers.
    static constexpr int kInvalidArgument = 40014;
    static constexpr int kInvalidOperation = 40020;

    // Received bytes waiting for GetData never exceed this: once it is reached
    // the socket stops reading and TCP holds the sender back.
    static constexpr qint64 kReadBufferSize = 16 * 1024;

    // `remotePort` is fixed for the life of the control; a Daytime client
    // uses 13.
    explicit DaytimeConnection(quint16 remotePort = 13, QObject* parent = nullptr);
    ~DaytimeConnection() override;

    void SetRemoteHost(const QString& host);
    QString RemoteHost() const;
    quint16 RemotePort() const;

    // Ends the current connection, or the attempt to make one, and throws away
    // whatever it received. Harmless in any state. After it, no signal of that
    // connection is ever raised, even one already on its way.
    void Close();

    // Starts connecting to RemoteHost on RemotePort and returns at once; the
    // outcome arrives as DataArrival, PeerClosed or Error. Throws RuntimeError
    // (kInvalidArgument) when no host is set and (kInvalidOperation) while a
    // connection is still open or being made: call Close first.
    void Connect();

    // Moves everything received so far into `data`, each byte one character
    // (Latin-1). Empty when nothing is waiting.
    void GetData(QString& data);

  signals:
    // Data is waiting; `bytesTotal` is how much.
    void DataArrival(qint32 bytesTotal);
    // The connection failed or broke; it raises nothing more afterwards.
    void Error(qint16 number, const QString& description);
    // The server closed the connection; it raises nothing more afterwards.
    // Data that arrived before is still there for GetData.
    void PeerClosed();

  private:
    void OnReadyRead(quint64 generation);
    void OnDisconnected(quint64 generation);
    void OnError(quint64 generation, int socketError);
    bool IsCurrent(quint64 generation) const;

    quint16 remotePort_;
    QString remoteHost_;
    QTcpSocket* socket_ = nullptr;
    // Counts connections; a queued signal of an older one is recognised by
    // its number and dropped.
    quint64 generation_ = 0;
    // Set once Error or PeerClosed was raised for the current connection.
    bool ended_ = false;
};

}  // namespace brisendale

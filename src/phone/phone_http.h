#pragma once

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTimer>
#include <string>

#include "data/status.h"
#include "phone_desk.h"

class QTcpSocket;

namespace quillmark {

// Accepts connections for the phone page within the desk's limits, before the HTTP parser
// sees a byte: at most so many connections, each closed when it has sent more than a request
// may hold or has taken longer than a request may take, and at most so many bodies being
// received at once (a further one is answered 503 and closed). A request whose path does not
// carry the token is closed before its body can take one of those places.
class GuardedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    GuardedTcpServer(const PhoneLimits& limits, std::string token, QObject* parent = nullptr);
    // The HTTP layer answered a request on the socket: its next request starts afresh.
    void RequestAnswered(QTcpSocket* socket);
    int Connections() const { return static_cast<int>(sockets_.size()); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Watch {
        qint64 bytes = 0;
        QElapsedTimer since;
        bool receivingBody = false;
        bool refused = false;
        QByteArray head;  // the request's first bytes, for its path
    };
    void BytesArrived(QTcpSocket* socket);
    void Refuse(QTcpSocket* socket, int status, const QByteArray& json);
    void Sweep();
    int BodiesNow() const;

    PhoneLimits limits_;
    std::string token_;
    QHash<QTcpSocket*, Watch> sockets_;
    QTimer sweeper_;
};

// The phone page over HTTP on one address: every request goes to the desk, every reply
// carries the page's security headers.
class PhoneHttpServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit PhoneHttpServer(PhoneDesk& desk, QObject* parent = nullptr);
    // Listens on the address (port 0: any free port); the port, or why it could not.
    Status Listen(const QHostAddress& address, quint16 port, quint16& listening);
    void Stop();

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    PhoneDesk& desk_;
    GuardedTcpServer* tcp_ = nullptr;
};

}  // namespace quillmark

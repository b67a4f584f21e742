#include "phone_http.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>

#include "data/ui_text.h"
#include "phone_token.h"

namespace quillmark {
namespace {

constexpr qsizetype kHeadPeek = 256;

// Whether the request line's path starts with the token: "POST /TOKEN/photos/… HTTP/1.1".
bool CarriesToken(const QByteArray& head, const std::string& token) {
    qsizetype space = head.indexOf(' ');
    if (space < 0 || space + 2 + static_cast<qsizetype>(token.size()) > head.size()) return false;
    QByteArray given = head.mid(space + 2, static_cast<qsizetype>(token.size()));
    char after = head.size() > space + 2 + static_cast<qsizetype>(token.size()) ? head[space + 2 + static_cast<qsizetype>(token.size())] : ' ';
    return head[space + 1] == '/' && SameToken(std::string_view(given.constData(), static_cast<std::size_t>(given.size())), token) &&
           (after == '/' || after == ' ' || after == '?');
}

QByteArray StatusLine(int status) {
    switch (status) {
        case 403: return "403 Forbidden";
        case 413: return "413 Payload Too Large";
        case 503: return "503 Service Unavailable";
        default: return "400 Bad Request";
    }
}

}  // namespace

GuardedTcpServer::GuardedTcpServer(const PhoneLimits& limits, std::string token, QObject* parent)
    : QTcpServer(parent), limits_(limits), token_(std::move(token)) {
    setMaxPendingConnections(limits.maxConnections);
    sweeper_.setInterval(1000);
    connect(&sweeper_, &QTimer::timeout, this, &GuardedTcpServer::Sweep);
    sweeper_.start();
}

void GuardedTcpServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (Connections() >= limits_.maxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    // Connected before the HTTP layer connects its own: sees every byte first.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { BytesArrived(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        sockets_.remove(socket);
        socket->deleteLater();
    });
    Watch watch;
    watch.since.start();
    sockets_.insert(socket, watch);
    addPendingConnection(socket);
}

int GuardedTcpServer::BodiesNow() const {
    int bodies = 0;
    for (const Watch& watch : sockets_) bodies += watch.receivingBody && !watch.refused ? 1 : 0;
    return bodies;
}

void GuardedTcpServer::BytesArrived(QTcpSocket* socket) {
    auto found = sockets_.find(socket);
    if (found == sockets_.end()) return;
    Watch& watch = *found;
    if (watch.refused) {
        socket->readAll();  // drained here, so the HTTP layer parses nothing more
        return;
    }
    // Seen before the HTTP layer reads them: the first bytes of a request hold its path.
    if (watch.head.size() < kHeadPeek) watch.head += socket->peek(kHeadPeek - watch.head.size());
    watch.bytes += socket->bytesAvailable();
    const qint64 most = static_cast<qint64>(limits_.maxBodyBytes + limits_.maxHeadBytes);
    if (watch.bytes > most) {
        Refuse(socket, 413, R"({"error":"照片太大（最多 12 MB），请降低相机分辨率后重拍"})");
        return;
    }
    if (!watch.receivingBody && watch.bytes > static_cast<qint64>(limits_.maxHeadBytes)) {
        if (!CarriesToken(watch.head, token_)) {
            Refuse(socket, 403, R"({"error":"链接无效或已过期，请重新扫描电脑上的二维码"})");
            return;
        }
        if (BodiesNow() >= limits_.maxUploadsAtOnce) {
            Refuse(socket, 503, R"({"error":"电脑正忙，稍后自动重试"})");
            return;
        }
        watch.receivingBody = true;
    }
}

void GuardedTcpServer::Refuse(QTcpSocket* socket, int status, const QByteArray& json) {
    sockets_[socket].refused = true;
    socket->readAll();
    QByteArray reply = "HTTP/1.1 " + StatusLine(status) +
                       "\r\nContent-Type: application/json\r\nConnection: close\r\nRetry-After: 2\r\n"
                       "Content-Length: " + QByteArray::number(json.size()) + "\r\n\r\n" + json;
    socket->write(reply);
    socket->disconnectFromHost();
}

void GuardedTcpServer::RequestAnswered(QTcpSocket* socket) {
    auto found = sockets_.find(socket);
    if (found == sockets_.end()) return;
    found->bytes = 0;
    found->receivingBody = false;
    found->head.clear();
    found->since.restart();
}

void GuardedTcpServer::Sweep() {
    const qint64 most = qint64{limits_.requestSeconds} * 1000;
    const QList<QTcpSocket*> sockets = sockets_.keys();
    for (QTcpSocket* socket : sockets) {
        if (sockets_[socket].since.elapsed() > most) socket->abort();  // disconnected removes it
    }
}

PhoneHttpServer::PhoneHttpServer(PhoneDesk& desk, QObject* parent) : QAbstractHttpServer(parent), desk_(desk) {}

Status PhoneHttpServer::Listen(const QHostAddress& address, quint16 port, quint16& listening) {
    tcp_ = new GuardedTcpServer(desk_.Limits(), desk_.Token(), this);
    if (!tcp_->listen(address, port)) {
        QString reason = tcp_->errorString();
        delete tcp_;
        tcp_ = nullptr;
        return Status::Error(FillForm(UiText("PhoneHttp", "无法在 %1:%2 上提供手机页面：%3"),
                                      {address.toString().toStdString(), std::to_string(port), reason.toStdString()}));
    }
    bind(tcp_);
    listening = tcp_->serverPort();
    return Status::Ok();
}

void PhoneHttpServer::Stop() {
    desk_.Revoke();
    if (tcp_) tcp_->close();
}

bool PhoneHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    HttpRequest call;
    switch (request.method()) {
        case QHttpServerRequest::Method::Get: call.method = "GET"; break;
        case QHttpServerRequest::Method::Head: call.method = "HEAD"; break;
        case QHttpServerRequest::Method::Post: call.method = "POST"; break;
        default: call.method = "OTHER"; break;
    }
    call.path = request.url().path(QUrl::FullyEncoded).toStdString();
    const QByteArray body = request.body();
    call.body = std::string_view(body.constData(), static_cast<std::size_t>(body.size()));
    HttpReply reply = desk_.Handle(call);

    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
    responder.writeHeader("Content-Type", QByteArray::fromStdString(reply.contentType));
    responder.writeHeader("Content-Security-Policy", kPhoneContentPolicy);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    // The address carries the token: never hand it on to anyone.
    responder.writeHeader("Referrer-Policy", "no-referrer");
    if (reply.status == 503) responder.writeHeader("Retry-After", "2");
    for (const auto& [key, value] : reply.headers) {
        responder.writeHeader(QByteArray::fromStdString(key), QByteArray::fromStdString(value));
    }
    responder.writeHeader("Content-Length", QByteArray::number(static_cast<qint64>(reply.body.size())));
    responder.writeBody(QByteArray::fromStdString(call.method == "HEAD" ? std::string() : reply.body));
    if (tcp_) tcp_->RequestAnswered(socket);
    return true;
}

void PhoneHttpServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

}  // namespace quillmark

// The phone page's server on a real socket: raw clients, so a test can stop sending halfway
// through a request or send nothing at all.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpSocket>
#include <memory>
#include <nlohmann/json.hpp>

#include "phone/phone_http.h"
#include "phone/phone_token.h"
#include "support/gui_wait.h"
#include "support/temp_folder.h"

namespace quillmark::test {

std::string GreyJpeg(int width, int height, unsigned seed);  // in phone_desk_test.cpp

namespace {

constexpr int kWait = 10000;  // ms; only a bound on a hang, never a measure

class RawClient {
public:
    explicit RawClient(quint16 port) {
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { got_ += socket_.readAll(); });
        socket_.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket_.waitForConnected(kWait));  // the kernel accepts; the server's loop need not run
    }

    static QByteArray Head(const std::string& method, const std::string& path, std::size_t length) {
        return QByteArray::fromStdString(method + " " + path + " HTTP/1.1\r\nHost: phone\r\n" +
                                         "Content-Type: image/jpeg\r\nContent-Length: " + std::to_string(length) +
                                         "\r\n\r\n");
    }
    void Send(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.flush();
    }
    // A whole reply (head and the body its Content-Length announces) has come.
    bool Answered() const {
        const qsizetype end = got_.indexOf("\r\n\r\n");
        return end >= 0 && got_.size() >= end + 4 + Header("Content-Length").toLongLong();
    }
    bool Closed() const { return socket_.state() == QAbstractSocket::UnconnectedState; }
    int Status() const { return got_.mid(9, 3).toInt(); }
    QByteArray Header(const QByteArray& name) const {
        for (const QByteArray& line : got_.left(got_.indexOf("\r\n\r\n")).split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
                return line.mid(colon + 1).trimmed();
            }
        }
        return {};
    }
    nlohmann::json Json() const {
        return nlohmann::json::parse(got_.mid(got_.indexOf("\r\n\r\n") + 4).toStdString(), nullptr, false);
    }

private:
    QTcpSocket socket_;
    QByteArray got_;
};

class PhoneHttpTest : public ::testing::Test {
protected:
    [[nodiscard]] bool Start(const PhoneLimits& limits) {
        if (!inbox.Open(folder.path() / "inbox").ok()) return false;
        desk = std::make_unique<PhoneDesk>(token, inbox, limits);
        desk->onPhoto = [this](const InboxPhoto&) { ++photosTold; };
        server = std::make_unique<PhoneHttpServer>(*desk);
        return server->Listen(QHostAddress::LocalHost, 0, port).ok() && port != 0;
    }
    std::string Path(const std::string& rest) const { return "/" + token + "/" + rest; }
    std::unique_ptr<RawClient> Exchange(const std::string& method, const std::string& path,
                                        const std::string& body = {}) {
        auto client = std::make_unique<RawClient>(port);
        client->Send(RawClient::Head(method, path, body.size()) + QByteArray::fromStdString(body));
        EXPECT_SOON(client->Answered(), kWait);
        return client;
    }
    // What the inbox folder holds besides its journal: a refused upload must leave nothing.
    long FilesInInbox() const {
        return std::distance(std::filesystem::directory_iterator(folder.path() / "inbox"), {}) - 1;
    }

    TempFolder folder;
    PhoneInbox inbox;
    std::string token = NewPhoneToken();
    std::unique_ptr<PhoneDesk> desk;
    std::unique_ptr<PhoneHttpServer> server;
    quint16 port = 0;
    int photosTold = 0;
};

TEST_F(PhoneHttpTest, UploadIsKeptAndItsCardServed) {
    ASSERT_TRUE(Start({}));
    const std::string photo = GreyJpeg(120, 90, 3);
    auto upload = Exchange("POST", Path("photos/round-trip-1"), photo);
    ASSERT_EQ(upload->Status(), 200);
    EXPECT_EQ(upload->Json(), nlohmann::json({{"id", "round-trip-1"}, {"state", "received"}}));
    EXPECT_EQ(upload->Header("Content-Security-Policy"), kPhoneContentPolicy);
    EXPECT_EQ(upload->Header("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(upload->Header("Referrer-Policy"), "no-referrer");
    ASSERT_EQ(inbox.Photos().size(), 1u);
    EXPECT_EQ(folder.ReadBytes("inbox/" + inbox.Photos()[0].file), photo);
    EXPECT_EQ(photosTold, 1);

    EXPECT_EQ(Exchange("GET", Path("photos/round-trip-1"))->Json()["state"], "waiting");
    desk->SetCard("round-trip-1", R"({"id":"round-trip-1","state":"marked","score":"85"})");
    EXPECT_EQ(Exchange("GET", Path("photos/round-trip-1"))->Json()["score"], "85");

    auto refused = Exchange("GET", std::string("/") + NewPhoneToken() + "/photos/round-trip-1");
    EXPECT_EQ(refused->Status(), 403);
    EXPECT_EQ(refused->Header("Content-Security-Policy"), kPhoneContentPolicy);
}

TEST_F(PhoneHttpTest, OversizedBodiesAreRefusedAndNothingKept) {
    PhoneLimits limits;
    limits.maxBodyBytes = 64 << 10;
    limits.maxHeadBytes = 1 << 10;
    ASSERT_TRUE(Start(limits));
    std::string body = std::string("\xFF\xD8\xFF", 3) + std::string((70 << 10), '\0');

    // Cut off mid-body once it passes what a request may hold, whatever the length it announced.
    RawClient cut(port);
    cut.Send(RawClient::Head("POST", Path("photos/too-big-01"), 200 << 10) + QByteArray::fromStdString(body));
    ASSERT_SOON(cut.Answered(), kWait);
    EXPECT_EQ(cut.Status(), 413);
    EXPECT_SOON(cut.Closed(), kWait);

    // Just over the body limit but within what the connection may send: the desk refuses it.
    body.resize(limits.maxBodyBytes + 100);
    auto desk413 = Exchange("POST", Path("photos/too-big-02"), body);
    EXPECT_EQ(desk413->Status(), 413);
    EXPECT_EQ(desk413->Header("Content-Security-Policy"), kPhoneContentPolicy);  // it reached the desk

    EXPECT_TRUE(inbox.Photos().empty());
    EXPECT_EQ(FilesInInbox(), 0);
    EXPECT_EQ(photosTold, 0);
}

// Two slow uploads with room for one body at a time: whichever is second is told to come back
// later, the other is kept once it ends, and the slot is free again after it.
TEST_F(PhoneHttpTest, UploadsBeyondTheLimitAtOnceAreAskedToRetry) {
    PhoneLimits limits;
    limits.maxHeadBytes = 1 << 10;
    limits.maxUploadsAtOnce = 1;
    ASSERT_TRUE(Start(limits));
    const std::string photos[] = {GreyJpeg(200, 200, 1), GreyJpeg(200, 200, 2)};
    ASSERT_GT(photos[0].size(), 8u << 10);
    RawClient first(port), second(port);
    RawClient* clients[] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        const std::string& photo = photos[i];
        clients[i]->Send(RawClient::Head("POST", Path("photos/slow-000" + std::to_string(i)), photo.size()) +
                         QByteArray::fromStdString(photo.substr(0, photo.size() / 2)));
    }
    ASSERT_SOON(first.Answered() || second.Answered(), kWait);
    const int refused = first.Answered() ? 0 : 1, kept = 1 - refused;
    EXPECT_FALSE(clients[kept]->Answered());
    EXPECT_EQ(clients[refused]->Status(), 503);
    EXPECT_EQ(clients[refused]->Header("Retry-After"), "2");
    EXPECT_SOON(clients[refused]->Closed(), kWait);

    clients[kept]->Send(QByteArray::fromStdString(photos[kept].substr(photos[kept].size() / 2)));
    ASSERT_SOON(clients[kept]->Answered(), kWait);
    EXPECT_EQ(clients[kept]->Status(), 200);
    ASSERT_EQ(inbox.Photos().size(), 1u);
    EXPECT_EQ(inbox.Photos()[0].id, "slow-000" + std::to_string(kept));

    EXPECT_EQ(Exchange("POST", Path("photos/retried-1"), photos[refused])->Status(), 200);
    EXPECT_EQ(inbox.Photos().size(), 2u);
}

TEST_F(PhoneHttpTest, BodiesWithoutTheTokenNeverTakeAnUploadPlace) {
    PhoneLimits limits;
    limits.maxHeadBytes = 1 << 10;
    limits.maxUploadsAtOnce = 1;
    ASSERT_TRUE(Start(limits));
    const std::string photo = GreyJpeg(200, 200, 3);
    RawClient stranger(port);
    stranger.Send(RawClient::Head("POST", "/" + std::string(32, 'a') + "/photos/stranger-1", photo.size()) +
                  QByteArray::fromStdString(photo.substr(0, photo.size() / 2)));
    ASSERT_SOON(stranger.Answered(), kWait);
    EXPECT_EQ(stranger.Status(), 403);
    EXPECT_SOON(stranger.Closed(), kWait);
    // The one place is still free for a phone with the token.
    EXPECT_EQ(Exchange("POST", Path("photos/phone-0001"), photo)->Status(), 200);
    EXPECT_EQ(inbox.Photos().size(), 1u);
}

TEST_F(PhoneHttpTest, ConnectionsThatOutstayARequestAreClosed) {
    PhoneLimits limits;
    limits.requestSeconds = 1;
    ASSERT_TRUE(Start(limits));
    RawClient silent(port), stalled(port);
    stalled.Send(QByteArray::fromStdString("POST " + Path("photos/stalled-1") + " HTTP/1.1\r\nHost: ph"));
    ASSERT_SOON(silent.Closed() && stalled.Closed(), 4 * kWait);
    EXPECT_FALSE(stalled.Answered());
    EXPECT_EQ(Exchange("GET", Path("status"))->Status(), 200);  // the server itself goes on
}

}  // namespace
}  // namespace quillmark::test

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

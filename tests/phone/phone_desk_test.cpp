// The phone page's rules without a socket: the token, the uploads a desk takes, the cards,
// the inbox that keeps photos across a kill, and the header sniffing behind the limits.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "phone/phone_desk.h"
#include "phone/phone_inbox.h"
#include "phone/phone_token.h"
#include "phone/photo_kind.h"
#include "support/temp_folder.h"

namespace quillmark::test {

// A grey JPEG whose pixels (and so bytes) follow from the seed.
std::string GreyJpeg(int width, int height, unsigned seed) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>((i * 37 + seed * 101) % 251);
    tjhandle encoder = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(encoder, pixels.data(), width, 0, height, TJPF_GRAY, &out, &size, TJSAMP_GRAY, 90, 0);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    tjFree(out);
    tjDestroy(encoder);
    return bytes;
}

namespace {

// The signature and an IHDR chunk claiming these dimensions; no pixel data follows.
std::string PngHead(std::uint32_t width, std::uint32_t height) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (std::uint32_t v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((v >> shift) & 0xFF);
    }
    return bytes + std::string("\x08\x00\x00\x00\x00\0\0\0\0", 9);
}

TEST(PhoneToken, IsFreshHexAndComparedWhole) {
    const std::string token = NewPhoneToken();
    ASSERT_EQ(token.size(), 32u);
    EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << token;
    EXPECT_NE(NewPhoneToken(), token);

    EXPECT_TRUE(SameToken(token, token));
    std::string wrong = token;
    wrong.back() = wrong.back() == 'a' ? 'b' : 'a';
    EXPECT_FALSE(SameToken(wrong, token));
    EXPECT_FALSE(SameToken(token.substr(0, 31), token));
    EXPECT_FALSE(SameToken("", token));
    EXPECT_FALSE(SameToken("", ""));
}

// Every cut is a view into the whole file, so a read past its end would find the dimensions.
TEST(SniffPhoto, ReadsHeaderDimensionsWithinTheBytesGiven) {
    const std::string plain = GreyJpeg(48, 32, 1);
    // A camera's EXIF block before the frame header is walked over.
    const std::string jpeg = plain.substr(0, 2) + "\xFF\xE1\x04\x02" + std::string(0x400, 'x') + plain.substr(2);
    const std::size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    for (std::size_t cut = 0; cut <= frame + 12; ++cut) {
        PhotoKind kind = SniffPhoto(std::string_view(jpeg.data(), cut));
        const bool whole = cut >= frame + 9;
        EXPECT_EQ(kind.format, cut >= 4 ? PhotoKind::Jpeg : PhotoKind::None) << cut;
        EXPECT_EQ(kind.width, whole ? 48u : 0u) << cut;
        EXPECT_EQ(kind.height, whole ? 32u : 0u) << cut;
    }
    const std::string png = PngHead(3000, 4000);
    for (std::size_t cut = 0; cut < 24; ++cut) {
        EXPECT_EQ(SniffPhoto(std::string_view(png.data(), cut)).format, PhotoKind::None) << cut;
    }
    PhotoKind kind = SniffPhoto(png);
    EXPECT_EQ(kind.format, PhotoKind::Png);
    EXPECT_EQ(kind.width, 3000u);
    EXPECT_EQ(kind.height, 4000u);

    EXPECT_EQ(SniffPhoto("GIF89a....................").format, PhotoKind::None);
    EXPECT_EQ(SniffPhoto(std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIDAT\0\0\0\1\0\0\0\1", 24)).format, PhotoKind::None);
    // A segment length pointing far past the end, and a scan before any frame header.
    EXPECT_EQ(SniffPhoto(std::string("\xFF\xD8\xFF\xE0\xFF\xF0xx", 8)).width, 0u);
    EXPECT_EQ(SniffPhoto(std::string("\xFF\xD8\xFF\xDA\x00\x08xxxxxxxxxxxx", 18)).width, 0u);
}

InboxPhoto Keep(PhoneInbox& inbox, const std::string& id, unsigned seed) {
    const std::string bytes = GreyJpeg(16, 16, seed);
    Acceptance accepted = inbox.Accept(id, bytes, SniffPhoto(bytes));
    EXPECT_TRUE(accepted.status.ok() && !accepted.repeat) << id;
    return accepted.photo;
}

class PhoneDeskTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(inbox.Open(folder.path() / "inbox", "paper\troster").ok());
        limits.maxBodyBytes = 200 << 10;
        desk = std::make_unique<PhoneDesk>(token, inbox, limits);
        desk->onPhoto = [this](const InboxPhoto& photo) { told.push_back("photo " + photo.id); };
        desk->onNumber = [this](const InboxPhoto& photo) { told.push_back("number " + photo.id + " " + photo.number); };
    }
    HttpReply Get(const std::string& path) { return desk->Handle({"GET", "/" + token + "/" + path, {}}); }
    HttpReply Post(const std::string& path, std::string_view body) {
        return desk->Handle({"POST", "/" + token + "/" + path, body});
    }
    static nlohmann::json Json(const HttpReply& reply) { return nlohmann::json::parse(reply.body); }

    TempFolder folder;
    PhoneInbox inbox;
    PhoneLimits limits;
    std::string token = NewPhoneToken();
    std::unique_ptr<PhoneDesk> desk;
    std::vector<std::string> told;
};

TEST_F(PhoneDeskTest, EveryPathNeedsTheLiveToken) {
    std::string other = NewPhoneToken();
    for (const std::string& path : {std::string("/"), "/" + other + "/", "/" + other + "/status", "/" + other,
                                    std::string("//") + token + "/",
                                    std::string("/") + token.substr(0, 31) + "/app.js"}) {
        HttpReply reply = desk->Handle({"GET", path, {}});
        EXPECT_EQ(reply.status, 403) << path;
        EXPECT_EQ(reply.body, kTokenRefused);
    }
    EXPECT_EQ(Get("").status, 200);
    HttpReply moved = desk->Handle({"GET", "/" + token, {}});  // typed without the last slash
    EXPECT_EQ(moved.status, 301);
    EXPECT_EQ(moved.headers, (decltype(moved.headers){{"Location", "/" + token + "/"}}));
    desk->Revoke();
    EXPECT_EQ(desk->Handle({"GET", "/" + token, {}}).status, 403);
    EXPECT_EQ(Get("").status, 403);
    EXPECT_EQ(Post("photos/abcdefgh", GreyJpeg(16, 16, 0)).status, 403);
    EXPECT_TRUE(inbox.Photos().empty());
}

TEST_F(PhoneDeskTest, ServesThePageFilesAndTheStatus) {
    EXPECT_EQ(Get("").contentType, "text/html; charset=utf-8");
    EXPECT_NE(Get("").body.find("app.js"), std::string::npos);
    EXPECT_EQ(Get("app.js").contentType, "text/javascript; charset=utf-8");
    EXPECT_EQ(Get("app.css").contentType, "text/css; charset=utf-8");
    desk->summary = [] { return std::string(R"({"paper":"p","roster":"r","marked":3})"); };
    EXPECT_EQ(Json(Get("status"))["marked"], 3);
    EXPECT_EQ(Get("inbox.jsonl").status, 404);
}

TEST_F(PhoneDeskTest, RefusesWhatIsNotATakeablePhotoAndKeepsNothing) {
    EXPECT_EQ(Post("photos/abcdefgh", "<html>not a photo</html>").status, 415);
    EXPECT_EQ(Post("photos/abcdefgh", std::string(limits.maxBodyBytes + 1, '\xFF')).status, 413);
    EXPECT_EQ(Post("photos/abcdefgh", PngHead(20000, 20000)).status, 413);
    EXPECT_EQ(Post("photos/abcdefgh", std::string("\xFF\xD8\xFF\xDA\x00\x08", 6)).status, 413);  // no size
    for (const std::string& id :
         {std::string("short"), std::string("has.dot-1234"), std::string("with space1"), std::string(65, 'a')}) {
        HttpReply reply = Post("photos/" + id, GreyJpeg(16, 16, 0));
        EXPECT_EQ(reply.status, 400) << id;
        EXPECT_TRUE(Json(reply).contains("error"));
    }
    EXPECT_EQ(Post("photos/" + std::string(64, 'a'), GreyJpeg(16, 16, 0)).status, 200);
    EXPECT_EQ(inbox.Photos().size(), 1u);
    EXPECT_EQ(told.size(), 1u);
}

TEST_F(PhoneDeskTest, ARepeatedIdOrRepeatedBytesRecordOnePhoto) {
    const std::string photo = GreyJpeg(32, 32, 5);
    HttpReply first = Post("photos/first-123", photo);
    ASSERT_EQ(first.status, 200);
    EXPECT_EQ(Json(first), nlohmann::json({{"id", "first-123"}, {"state", "received"}}));

    nlohmann::json again = Json(Post("photos/first-123", GreyJpeg(32, 32, 6)));  // a retry after a lost reply
    EXPECT_EQ(again["duplicate"], true);
    EXPECT_FALSE(again.contains("same_as"));

    HttpReply same = Post("photos/second-456", photo);
    EXPECT_EQ(same.status, 200);
    EXPECT_EQ(Json(same)["duplicate"], true);
    EXPECT_EQ(Json(same)["same_as"], "first-123");

    ASSERT_EQ(inbox.Photos().size(), 1u);
    EXPECT_EQ(told, std::vector<std::string>{"photo first-123"});
    EXPECT_EQ(folder.ReadBytes("inbox/" + inbox.Photos()[0].file), photo);
}

TEST_F(PhoneDeskTest, CardsWaitUntilSetAndANumberMarksAgain) {
    ASSERT_EQ(Post("photos/card-0001", GreyJpeg(24, 24, 1)).status, 200);
    EXPECT_EQ(Json(Get("photos/card-0001"))["state"], "waiting");
    EXPECT_EQ(Get("photos/unknown-1").status, 404);

    desk->SetCard("card-0001", R"({"id":"card-0001","state":"number","read":"12 4"})");
    EXPECT_EQ(Json(Get("photos/card-0001"))["read"], "12 4");
    ASSERT_TRUE(inbox.MarkDone("card-0001").ok());

    for (const char* bad : {"123", "12a4", "12345", ""}) {
        EXPECT_EQ(Post("photos/card-0001/number", bad).status, 400) << bad;
    }
    EXPECT_EQ(Post("photos/unknown-1/number", "1234").status, 404);

    HttpReply given = Post("photos/card-0001/number", "1234\n");
    EXPECT_EQ(given.status, 200);
    InboxPhoto photo;
    ASSERT_TRUE(inbox.Find("card-0001", photo));
    EXPECT_EQ(photo.number, "1234");
    EXPECT_FALSE(photo.marked);
    EXPECT_EQ(told.back(), "number card-0001 1234");
    EXPECT_EQ(Json(Get("photos/card-0001"))["state"], "waiting");
}

// A kill at any time: what was acknowledged is there after a reopen, with its number and
// whether it was marked; what was not marked is what the next session marks.
TEST(PhoneInboxTest, ReopeningRecoversWhatWasAcknowledged) {
    TempFolder folder;
    const std::filesystem::path where = folder.path() / "inbox";
    {
        PhoneInbox inbox;
        ASSERT_TRUE(inbox.Open(where, "paper\troster").ok());
        for (unsigned i = 0; i < 4; ++i) Keep(inbox, "photo-00" + std::to_string(i), i);
        ASSERT_TRUE(inbox.MarkDone("photo-000").ok());
        ASSERT_TRUE(inbox.MarkDone("photo-001").ok());
        ASSERT_TRUE(inbox.SetNumber("photo-001", "0420").ok());  // asked for its number: marked again
        ASSERT_TRUE(inbox.SetNumber("photo-002", "0421").ok());
        EXPECT_EQ(inbox.Unmarked(), 3u);
    }
    PhoneInbox inbox;
    ASSERT_TRUE(inbox.Open(where, "ignored when the inbox exists").ok());
    EXPECT_EQ(inbox.About(), "paper\troster");
    std::vector<InboxPhoto> photos = inbox.Photos();
    ASSERT_EQ(photos.size(), 4u);
    EXPECT_TRUE(photos[0].marked);
    EXPECT_FALSE(photos[1].marked);
    EXPECT_EQ(photos[1].number, "0420");
    EXPECT_EQ(photos[2].number, "0421");
    EXPECT_EQ(inbox.Unmarked(), 3u);
    EXPECT_EQ(folder.ReadBytes("inbox/" + photos[3].file), GreyJpeg(16, 16, 3));

    // The repeat checks hold across the reopen too.
    std::string first = GreyJpeg(16, 16, 0);
    Acceptance repeat = inbox.Accept("another-id", first, SniffPhoto(first));
    EXPECT_TRUE(repeat.repeat);
    EXPECT_EQ(repeat.photo.id, "photo-000");
}

// Read leniently: a torn last line, a line naming a file not the inbox's own and a photo whose
// file was deleted by hand drop out; nothing written afterwards is lost or overwrites a photo.
TEST(PhoneInboxTest, ReadsLenientlyAndLosesNothingAfterwards) {
    TempFolder folder;
    const std::filesystem::path where = folder.path() / "inbox";
    std::vector<std::string> files;
    {
        PhoneInbox inbox;
        ASSERT_TRUE(inbox.Open(where).ok());
        for (unsigned i = 0; i < 3; ++i) files.push_back(Keep(inbox, "photo-00" + std::to_string(i), i).file);
    }
    std::filesystem::remove(where / files[1]);
    folder.WriteBytes("x.jpg", "not in the inbox");
    {
        const std::string digest(64, 'a');
        std::ofstream journal(where / PhoneInbox::kJournalName, std::ios::app | std::ios::binary);
        journal << R"({"photo":"escape-01","digest":")" << digest << R"(","file":"../x.jpg"})" << "\n";
        journal << R"({"photo":"torn-0001","digest":")" << digest << R"(","file":"0007.j)";  // killed here
    }
    {
        PhoneInbox inbox;
        ASSERT_TRUE(inbox.Open(where).ok());
        std::vector<InboxPhoto> photos = inbox.Photos();
        ASSERT_EQ(photos.size(), 2u);
        EXPECT_EQ(photos[1].id, "photo-002");
        Keep(inbox, "after-torn", 9);
    }
    PhoneInbox inbox;
    ASSERT_TRUE(inbox.Open(where).ok());
    std::vector<InboxPhoto> photos = inbox.Photos();
    ASSERT_EQ(photos.size(), 3u);
    EXPECT_EQ(photos[2].id, "after-torn");
    EXPECT_EQ(folder.ReadBytes("inbox/" + photos[1].file), GreyJpeg(16, 16, 2));
    EXPECT_EQ(folder.ReadBytes("inbox/" + photos[2].file), GreyJpeg(16, 16, 9));
}

}  // namespace
}  // namespace quillmark::test

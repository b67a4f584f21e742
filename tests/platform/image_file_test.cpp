#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <random>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"
#include "support/temp_folder.h"

namespace quillmark::test {
namespace {

QImage Checker() {
    QImage image(10, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 10; ++x) image.setPixel(x, y, (x + y) % 2 ? qRgb(250, 250, 250) : qRgb(5, 5, 5));
    }
    return image;
}

std::string Message(const std::filesystem::path& path, const char* problem) {
    return std::string("无法读取图像文件“") + path.string() + "”：" + problem + "。";
}

TEST(ImageFile, RecognisesTheFormatByContentNotName) {
    TempFolder folder;
    folder.WriteBytes("scan.bmp", EncodeJpeg(Checker(), true, 100, TJSAMP_GRAY));
    folder.WriteBytes("scan.jpg", SaveBmp(Checker()));
    folder.WriteBytes("scan", SaveBmp(Checker()));
    for (const char* name : {"scan.bmp", "scan.jpg", "scan"}) {
        SCOPED_TRACE(name);
        DecodedImage decoded = DecodeImageFile(folder.path() / name);
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_EQ(decoded.pixels.format, PixelFormat::Gray8);
        EXPECT_LE(MaxChannelDifference(Checker(), decoded.pixels), 2);
    }
}

TEST(ImageFile, NamesTheFileInEveryFailure) {
    TempFolder folder;
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    noise[0] = 'P';  // neither signature
    folder.WriteBytes("empty.jpg", "");
    folder.WriteBytes("noise.jpg", noise);
    folder.WriteBytes("sig.jpg", "\xff\xd8\xff" + noise);
    folder.WriteBytes("sig.bmp", "BM" + noise);
    folder.WriteBytes("二号考生.bmp", "BM");
    std::filesystem::create_directories(folder.path() / "folder.jpg");

    const char* corrupt = "文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像";
    const std::pair<const char*, const char*> cases[] = {
        {"empty.jpg", corrupt}, {"noise.jpg", corrupt},      {"sig.jpg", corrupt},
        {"sig.bmp", corrupt},   {"二号考生.bmp", corrupt},   {"missing.jpg", "文件不存在"},
        {"folder.jpg", "这是一个文件夹"},
    };
    for (const auto& [name, problem] : cases) {
        SCOPED_TRACE(name);
        std::filesystem::path path = folder.path() / name;
        DecodedImage decoded = DecodeImageFile(path);
        EXPECT_EQ(decoded.status.message(), Message(path, problem));
        EXPECT_TRUE(decoded.pixels.bytes.empty());
    }
}

}  // namespace
}  // namespace quillmark::test

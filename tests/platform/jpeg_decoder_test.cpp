#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cmath>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"

namespace quillmark::test {
namespace {

// Smooth colour ramps, optionally crossed by dark lines: every channel differs, so a swapped
// or shifted channel shows, and the image survives quality 100 almost unchanged.
QImage Ramps(int width, int height, bool lines = true) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool dark = lines && (y % 24 < 2 || x % 40 < 2);
            int r = 30 + 200 * x / width, g = 220 - 180 * y / height, b = 60 + 150 * (x + y) / (width + height);
            image.setPixel(x, y, dark ? qRgb(r / 4, g / 4, b / 4) : qRgb(r, g, b));
        }
    }
    return image;
}

std::size_t Find(const std::string& bytes, const char* marker) { return bytes.find(marker, 0, 2); }

// The engine reads luminance only: a colour file decodes to the luminance it stores.
TEST(JpegDecoder, DecodesGreyAndColourToTheirLuminanceNearlyExactly) {
    QImage source = Ramps(123, 77);
    DecodedImage grey = DecodeImageBytes(EncodeJpeg(source, true, 100, TJSAMP_GRAY), "g.jpg");
    ASSERT_TRUE(grey.ok()) << grey.status.message();
    EXPECT_EQ(grey.pixels.format, PixelFormat::Gray8);
    EXPECT_LE(MaxChannelDifference(source.convertToFormat(QImage::Format_Grayscale8), grey.pixels), 2);

    // Halved chroma would smear the one-pixel lines, so the 4:2:0 page is lines-free.
    const std::pair<QImage, int> cases[] = {{source, TJSAMP_444}, {Ramps(123, 77, false), TJSAMP_420}};
    for (const auto& [image, subsampling] : cases) {
        SCOPED_TRACE(subsampling);
        DecodedImage colour = DecodeImageBytes(EncodeJpeg(image, false, 100, subsampling), "c.jpg");
        ASSERT_TRUE(colour.ok()) << colour.status.message();
        EXPECT_EQ(colour.pixels.format, PixelFormat::Gray8);
        EXPECT_LE(MaxLuminanceDifference(image, colour.pixels), 2);
    }
}

// Bytes that are no marker, before the scan: libjpeg skips them with a warning.
std::string WithJunkBeforeScan(const std::string& jpeg) {
    std::string junk = jpeg;
    return junk.insert(Find(jpeg, "\xff\xda"), "\x01\x02\x03");
}

TEST(JpegDecoder, DecodesAWholeFileDespiteJunkBeforeAMarker) {
    QImage source = Ramps(64, 48);
    std::string jpeg = EncodeJpeg(source, false, 100, TJSAMP_444);
    jpeg.insert(jpeg.size() - 2, "\x11\x22");  // before the end marker too
    DecodedImage decoded = DecodeImageBytes(WithJunkBeforeScan(jpeg), "junk.jpg");
    ASSERT_TRUE(decoded.ok()) << decoded.status.message();
    EXPECT_LE(MaxLuminanceDifference(source, decoded.pixels), 2);
}

TEST(JpegDecoder, RefusesBrokenFiles) {
    std::string jpeg = EncodeJpeg(Ramps(64, 48), false, 90, TJSAMP_420);
    std::size_t frame = Find(jpeg, "\xff\xc0");
    ASSERT_NE(frame, std::string::npos);
    std::string twelveBit = jpeg;
    twelveBit[frame + 4] = 12;
    std::string strangerInScan = jpeg;
    strangerInScan[Find(jpeg, "\xff\xda") + 5] = 9;  // a component the frame does not have
    // libjpeg paints what a short file lacks grey and only warns.
    std::string whole = EncodeJpeg(Ramps(96, 96), false, 100, TJSAMP_444);
    std::string progressive = EncodeJpeg(Ramps(96, 96), false, 90, TJSAMP_420, TJFLAG_PROGRESSIVE);
    auto cut = [](const std::string& bytes, int perMille) { return bytes.substr(0, bytes.size() * perMille / 1000); };

    const std::pair<const char*, std::string> cases[] = {
        {"cut before the scan", jpeg.substr(0, Find(jpeg, "\xff\xda"))},
        {"only the signature", jpeg.substr(0, 3)},
        {"12-bit samples", twelveBit},
        {"scan of an unknown component", strangerInScan},
        {"cut to 60%", cut(whole, 600)},
        {"cut to 94%", cut(whole, 940)},
        {"cut to 99.9%", cut(whole, 999)},
        {"progressive, cut to 94%", cut(progressive, 940)},
        // TurboJPEG would report only the first, harmless warning.
        {"junk before the scan, then cut", cut(WithJunkBeforeScan(whole), 970)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        DecodedImage decoded = DecodeImageBytes(bytes, "坏.jpg");
        EXPECT_EQ(decoded.status.message(), "无法读取图像文件“坏.jpg”：文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像。");
    }
}

TEST(JpegDecoder, RefusesCmyk) {
    std::vector<unsigned char> ink(16 * 16 * 4, 40);
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(encoder, ink.data(), 16, 64, 16, TJPF_CMYK, &jpeg, &size, TJSAMP_444, 90, 0), 0);
    std::string bytes(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(encoder);
    EXPECT_EQ(DecodeImageBytes(bytes, "ink.jpg").status.message(), "无法读取图像文件“ink.jpg”：不支持CMYK颜色的JPEG图像。");
}

TEST(JpegDecoder, RefusesOversizedFrameWithoutAllocating) {
    std::string jpeg = EncodeJpeg(Ramps(16, 16), true, 90, TJSAMP_GRAY);
    std::size_t frame = Find(jpeg, "\xff\xc0");
    ASSERT_NE(frame, std::string::npos);
    // Height, then width: 30000 each. A JPEG file is decoded reduced (to 3750×3750 here),
    // so the limit is on the pixels it stores, which bound the time it takes.
    for (int i : {5, 7}) {
        jpeg[frame + i] = static_cast<char>(30000 >> 8);
        jpeg[frame + i + 1] = static_cast<char>(30000 & 255);
    }
    AllocationProbe probe;
    DecodedImage decoded = DecodeImageBytes(jpeg, "big.jpg");
    EXPECT_NE(decoded.status.message().find("图像太大（30000×30000像素，最多400000000像素）"), std::string::npos) << decoded.status.message();
    EXPECT_LT(probe.largest(), 1u << 20);
}

}  // namespace
}  // namespace quillmark::test

// Fine scans are reduced to what the engine reads: by the smallest power of two that
// brings the longer side within kMaxLongerSide, averaging square blocks.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"

namespace quillmark::test {
namespace {

// Columns of black and white one pixel wide, a grey band at the top: blocks average to mid
// grey, the partial blocks at the right and bottom edges average what they hold.
QImage Stripes(int width, int height) {
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) row[x] = y < 2 ? 100 : (x % 2 ? 0 : 255);
    }
    return image;
}

TEST(Reduction, WholeDecodedImagesAverageBlocks) {
    const int width = kMaxLongerSide + 1;  // a factor of 2; the last column is a block alone
    DecodedImage decoded = DecodeImageBytes(EncodePng(Stripes(width, 5)), "s.png");
    ASSERT_TRUE(decoded.ok()) << decoded.status.message();
    const PixelBuffer& p = decoded.pixels;
    ASSERT_EQ(p.width, (width + 1) / 2);
    ASSERT_EQ(p.height, 3);
    EXPECT_EQ(p.format, PixelFormat::Gray8);
    EXPECT_EQ(p.bytes[0], 100);
    EXPECT_EQ(p.bytes[p.stride + 5], 128);                  // (255 + 0) * 2 / 4, rounded
    EXPECT_EQ(p.bytes[2 * p.stride + 5], 128);              // the last row alone
    EXPECT_EQ(p.bytes[p.stride + p.width - 1], 255);        // column `width - 1` is even: white
}

TEST(Reduction, BilevelTiffStripsAreReducedAsTheyAreRead) {
    const int width = 2 * kMaxLongerSide + 1;  // a factor of 4
    DecodedImage decoded = DecodeImageBytes(EncodeTiff({{Stripes(width, 12), COMPRESSION_CCITTFAX4, true}}), "g4.tif");
    ASSERT_TRUE(decoded.ok()) << decoded.status.message();
    const PixelBuffer& p = decoded.pixels;
    ASSERT_EQ(p.width, (width + 3) / 4);
    ASSERT_EQ(p.height, 3);
    EXPECT_EQ(p.bytes[0], 64);  // two rows of the band, gone black, and two of stripes
    EXPECT_EQ(p.bytes[p.stride + 7], 128);
}

TEST(Reduction, JpegFilesAreDecodedScaled) {
    for (auto [width, factor] : {std::pair{kMaxLongerSide, 1}, {kMaxLongerSide * 2, 2}, {kMaxLongerSide * 3, 4}}) {
        SCOPED_TRACE(width);
        QImage image(width, 32, QImage::Format_RGB32);
        image.fill(qRgb(200, 120, 60));
        DecodedImage decoded = DecodeImageBytes(EncodeJpeg(image, false, 95, TJSAMP_420), "wide.jpg");
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_EQ(decoded.pixels.width, (width + factor - 1) / factor);
        EXPECT_EQ(decoded.pixels.height, 32 / factor);
        EXPECT_NEAR(SheetImage(decoded.pixels).luminanceAtPixel(1, 1), Luminance(ColourOf(qRgb(200, 120, 60))), 2);
    }
}

// A batch hands its workers the bytes of marked sheets: a decoder fills them instead of
// fresh memory, whatever their size, and leaves the thread without spare bytes.
TEST(SpareBytes, DecodersFillTheThreadsSpareBytes) {
    const QImage image = Stripes(64, 48);
    const std::pair<const char*, std::string> files[] = {
        {"JPEG", EncodeJpeg(image, true, 90, TJSAMP_GRAY)},
        {"TIFF", EncodeTiff({{image, COMPRESSION_LZW}})},
        {"G4", EncodeTiff({{image, COMPRESSION_CCITTFAX4, true}})},
        {"PNG", EncodePng(image)},
    };
    for (std::size_t spareSize : {std::size_t{100}, std::size_t{64 * 48}, std::size_t{100000}}) {
        for (const auto& [format, bytes] : files) {
            SCOPED_TRACE(std::string(format) + " " + std::to_string(spareSize));
            std::vector<std::uint8_t>& spare = SparePixelBytes();
            spare.assign(spareSize, 7);
            spare.reserve(100000);
            const std::uint8_t* memory = spare.data();
            DecodedImage decoded = DecodeImageBytes(bytes, format);
            ASSERT_TRUE(decoded.ok()) << decoded.status.message();
            EXPECT_EQ(decoded.pixels.bytes.data(), memory);
            EXPECT_EQ(SparePixelBytes().capacity(), 0u);
            // Nothing of the earlier bytes shows.
            EXPECT_EQ(decoded.pixels.bytes, DecodeImageBytes(bytes, format).pixels.bytes);
        }
    }
}

}  // namespace
}  // namespace quillmark::test

#include <gtest/gtest.h>

#include <random>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"

namespace quillmark::test {
namespace {

// Bytes of a string literal, embedded zeros included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

int StoredBitCount(const std::string& bmp) { return static_cast<unsigned char>(bmp[28]); }

QImage NoisyImage(int width, int height, QImage::Format format, int colours, unsigned seed) {
    std::mt19937 random(seed);
    QImage image(width, height, format);
    if (colours > 0) {
        for (int i = 0; i < colours; ++i) image.setColor(i, qRgb(random() & 255, random() & 255, random() & 255));
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, colours > 0 ? random() % colours : qRgb(random() & 255, random() & 255, random() & 255));
        }
    }
    return image;
}

QImage Greyed(QImage image) {
    QList<QRgb> table = image.colorTable();
    for (QRgb& c : table) c = qRgb(qGreen(c), qGreen(c), qGreen(c));
    image.setColorTable(table);
    return image;
}

struct WrittenCase {
    const char* name;
    QImage image;
    int bitCount;
};

// Every bitmap is read in grey, the engine's luminance of its colours.
TEST(BmpDecoder, ReadsEveryDepthQtWritesExactly) {
    QImage twoTone = NoisyImage(37, 11, QImage::Format_Mono, 2, 1);
    QImage yellowPaper = twoTone;
    yellowPaper.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 160)});
    QImage sixteen = NoisyImage(33, 9, QImage::Format_Indexed8, 16, 2);
    QImage indexed = NoisyImage(31, 13, QImage::Format_Indexed8, 256, 3);
    QImage rgb = NoisyImage(29, 17, QImage::Format_RGB32, 0, 4);
    QImage greyRgb = Greyed(indexed).convertToFormat(QImage::Format_RGB32);
    QImage almostGrey = greyRgb;
    almostGrey.setPixel(almostGrey.width() - 1, almostGrey.height() - 1, qRgb(10, 11, 10));
    const WrittenCase cases[] = {
        {"1-bit colour", twoTone, 1},
        {"1-bit black on yellow", yellowPaper, 1},
        {"1-bit black and white", Greyed(twoTone), 1},
        {"4-bit colour", sixteen, 4},
        {"4-bit grey", Greyed(sixteen), 4},
        {"8-bit colour", indexed, 8},
        {"8-bit grey", Greyed(indexed), 8},
        {"24-bit colour", rgb, 24},
        {"24-bit grey", greyRgb, 24},
        {"24-bit, last pixel coloured", almostGrey, 24},
    };
    for (const WrittenCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bmp = SaveBmp(c.image);
        ASSERT_EQ(StoredBitCount(bmp), c.bitCount);
        DecodedImage decoded = DecodeImageBytes(bmp, "x.bmp");
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_EQ(decoded.pixels.format, PixelFormat::Gray8);
        EXPECT_EQ(MaxLuminanceDifference(c.image, decoded.pixels), 0);
    }
}

TEST(BmpDecoder, ReadsHandBuiltLayouts) {
    // 32 bits: the fourth byte varies and must not leak into the colour.
    HandBmp wide{3, 2, 32, 0, {}, Bytes("\x01\x02\x03\x00\x04\x05\x06\x80\x07\x08\x09\xff"
                                              "\x0a\x0b\x0c\x00\x0d\x0e\x0f\x01\x10\x11\x12\x7f")};
    QImage wideExpected(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) wideExpected.setPixel(i % 3, 1 - i / 3, qRgb(3 * i + 3, 3 * i + 2, 3 * i + 1));

    // Same pixels with a version-5 header whose alpha mask is set; alpha 0 must not blacken them.
    std::string masks;
    for (std::uint32_t m : {0x00ff0000u, 0x0000ff00u, 0x000000ffu, 0xff000000u, 0x73524742u}) {
        for (int b = 0; b < 4; ++b) masks += static_cast<char>(m >> (8 * b) & 255);
    }
    masks.resize(124 - 40, '\0');
    HandBmp alpha = wide;
    alpha.compression = 3;
    alpha.headerTail = masks;

    // Top-down 24 bits, rows padded to four bytes.
    HandBmp topDown{2, -2, 24, 0, {}, Bytes("\x01\x02\x03\x04\x05\x06\x00\x00\x07\x08\x09\x0a\x0b\x0c\x00\x00")};
    QImage topDownExpected(2, 2, QImage::Format_RGB32);
    for (int i = 0; i < 4; ++i) topDownExpected.setPixel(i % 2, i / 2, qRgb(3 * i + 3, 3 * i + 2, 3 * i + 1));

    std::vector<QRgb> greys = {qRgb(0, 0, 0), qRgb(90, 90, 90), qRgb(200, 200, 200)};
    HandBmp topDownGrey{3, -2, 8, 0, greys, Bytes("\x00\x01\x02\x00\x02\x02\x01\x00")};

    // 16 bits: five a channel, or 5-6-5 by masks, scaled as Qt's reader scales them (31 reads
    // 248), as sheets have always read.
    HandBmp five{3, 1, 16, 0, {}, Bytes("\xff\x7f\x21\x04\x10\x42\x00\x00")};
    HandBmp sixFive{3, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, Bytes("\xff\xff\x21\x08\x10\x84\x00\x00")};
    QImage fiveExpected(3, 1, QImage::Format_RGB32), sixFiveExpected(3, 1, QImage::Format_RGB32);
    fiveExpected.setPixel(0, 0, qRgb(248, 248, 248));
    fiveExpected.setPixel(1, 0, qRgb(8, 8, 8));
    fiveExpected.setPixel(2, 0, qRgb(128, 128, 128));
    sixFiveExpected.setPixel(0, 0, qRgb(248, 252, 248));
    sixFiveExpected.setPixel(1, 0, qRgb(8, 4, 8));
    sixFiveExpected.setPixel(2, 0, qRgb(128, 128, 128));

    const std::pair<HandBmp, QImage> cases[] = {
        {five, fiveExpected},
        {sixFive, sixFiveExpected},
        {wide, wideExpected},
        {alpha, wideExpected},
        {topDown, topDownExpected},
        {topDownGrey, IndexedImage({{0, 1, 2}, {2, 2, 1}}, greys)},
    };
    int n = 0;
    for (const auto& [bmp, expected] : cases) {
        SCOPED_TRACE(n++);
        DecodedImage decoded = DecodeImageBytes(BuildBmp(bmp), "x.bmp");
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_EQ(MaxLuminanceDifference(expected, decoded.pixels), 0);
    }
}

std::vector<QRgb> Rainbow(int n) {
    std::vector<QRgb> palette;
    for (int i = 0; i < n; ++i) palette.push_back(qRgb(200 - 10 * i, 15 * i, 7 + 3 * i));
    return palette;
}

// Bottom row first: runs, an odd literal run with its pad byte, a delta that skips pixels
// (they keep index 0), and the end-of-bitmap code.
const std::string kRle8 = Bytes(
    "\x03\x01" "\x00\x03\x02\x03\x04\x00" "\x00\x00"
    "\x02\x05" "\x00\x02\x02\x01" "\x02\x06" "\x00\x00"
    "\x06\x07" "\x00\x01");

TEST(BmpDecoder, ReadsRunLengthBitmaps) {
    DecodedImage rle8 = DecodeImageBytes(BuildBmp({6, 4, 8, 1, Rainbow(8), kRle8}), "x.bmp");
    ASSERT_TRUE(rle8.ok()) << rle8.status.message();
    EXPECT_EQ(MaxLuminanceDifference(IndexedImage({{7, 7, 7, 7, 7, 7},
                                                 {0, 0, 0, 0, 6, 6},
                                                 {5, 5, 0, 0, 0, 0},
                                                 {1, 1, 1, 2, 3, 4}}, Rainbow(8)),
                                   rle8.pixels), 0);

    // Alternating nibble runs and a five-pixel literal padded to a whole word.
    std::string rle4 = Bytes("\x03\x12" "\x00\x04\x34\x56" "\x00\x00"
                     "\x00\x05\x78\x9a\xb0\x00" "\x02\xcc" "\x00\x00"
                     "\x07\x0d" "\x00\x01");
    DecodedImage decoded4 = DecodeImageBytes(BuildBmp({7, 3, 4, 2, Rainbow(16), rle4}), "x.bmp");
    ASSERT_TRUE(decoded4.ok()) << decoded4.status.message();
    EXPECT_EQ(MaxLuminanceDifference(IndexedImage({{0, 13, 0, 13, 0, 13, 0},
                                                 {7, 8, 9, 10, 11, 12, 12},
                                                 {1, 2, 1, 3, 4, 5, 6}}, Rainbow(16)),
                                   decoded4.pixels), 0);
}

TEST(BmpDecoder, RefusesDamagedBitmaps) {
    std::string full = SaveBmp(NoisyImage(40, 30, QImage::Format_RGB32, 0, 5));
    std::string badDepth = full;
    badDepth[28] = 7;
    std::string jpegInside = full;
    jpegInside[30] = 4;
    // Qt reads masks and palettes where they belong, whatever the pixel offset says, and
    // leaves the rows it then runs short of unwritten.
    std::string masksOverPixels = BuildBmp({4, 2, 32, 3, {}, std::string(32, '\0')});
    std::string zeroMasks = BuildBmp({4, 2, 32, 3, {0, 0, 0}, std::string(32, '\x40')});
    zeroMasks.replace(46, 4, 4, '\0');  // the three zero "colours" are the masks, not a palette
    std::string paletteOverPixels = Bytes("BM\x1a\x04\0\0\0\0\0\0\x1a\0\0\0"
                                          "\x0c\0\0\0\x20\0\x20\0\x01\0\x08\0") + std::string(1024, '\x05');
    const std::pair<const char*, std::string> cases[] = {
        {"short pixel rows", full.substr(0, full.size() - 1)},
        {"header only", full.substr(0, 54)},
        {"cut inside the header", full.substr(0, 20)},
        {"runs stopping after one row", BuildBmp({6, 4, 8, 1, Rainbow(8), kRle8.substr(0, 10)})},
        {"seven bits a pixel", badDepth},
        {"embedded JPEG", jpegInside},
        {"pixels where the bit-field masks belong", masksOverPixels},
        {"all bit-field masks zero", zeroMasks},
        {"pixels where the palette belongs", paletteOverPixels},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        DecodedImage decoded = DecodeImageBytes(bytes, "坏.bmp");
        EXPECT_EQ(decoded.status.message(), "无法读取图像文件“坏.bmp”：文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像。");
        EXPECT_TRUE(decoded.pixels.bytes.empty());
    }
}

TEST(BmpDecoder, RefusesOversizedHeaderWithoutAllocating) {
    std::string huge = BuildBmp({20000, 20000, 24, 0, {}, std::string(64, '\0')});
    AllocationProbe probe;
    DecodedImage decoded = DecodeImageBytes(huge, "big.bmp");
    EXPECT_NE(decoded.status.message().find("图像太大（20000×20000像素"), std::string::npos) << decoded.status.message();
    EXPECT_LT(probe.largest(), 1u << 20);
}

}  // namespace
}  // namespace quillmark::test

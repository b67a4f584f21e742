// Files made to exhaust memory or time, generated here: each is refused with a message that
// names the file, or decoded a row at a time. Peak memory and time are measured outside the
// tests (see the figures reported with the change); here only what a runaway would break.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <QByteArray>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"
#include "platform/raw_decode.h"
#include "support/temp_folder.h"

namespace quillmark::test {
namespace {

std::string Flate(const std::string& data) {
    const QByteArray packed = qCompress(QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size())), 1);
    return std::string(packed.constData() + 4, static_cast<std::size_t>(packed.size() - 4));  // without Qt's length
}

std::string Repeated(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// Forms each drawing the next, translucent, so each is a layer of its own: `depth` deep.
std::string NestedGroups(int depth) {
    const std::string translucent = "/ExtGState << /A << /ca 0.9 >> >>";
    std::vector<std::string> more;
    for (int i = 0; i < depth; ++i) {
        const bool last = i + 1 == depth;
        const std::string next = last ? "" : "/XObject << /Next " + std::to_string(6 + i) + " 0 R >>";
        more.push_back(PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 600 600] /Group << /S /Transparency >> "
                                 "/Resources << " + next + " " + translucent + " >>",
                                 last ? "0 g 0 0 10 10 re f" : "/A gs 0.5 g 0 0 600 600 re f /Next Do"));
    }
    return OnePagePdf(600, "/A gs /Next Do", "/XObject << /Next 5 0 R >> " + translucent, more);
}

// A progressive JPEG whose frame says it is `side` pixels square: its coefficients alone
// would take gigabytes.
std::string ProgressiveClaiming(int side) {
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(qRgb(200, 100, 50));
    std::string jpeg = EncodeJpeg(small, false, 90, TJSAMP_444, TJFLAG_PROGRESSIVE);
    const std::size_t frame = jpeg.find("\xFF\xC2");
    if (frame == std::string::npos) return "";
    for (std::size_t at : {frame + 5, frame + 7}) {
        jpeg[at] = static_cast<char>(side >> 8);
        jpeg[at + 1] = static_cast<char>(side & 255);
    }
    return jpeg;
}

void ExpectRefused(const DecodedImage& decoded, const std::string& name, const std::string& why) {
    EXPECT_TRUE(decoded.pixels.bytes.empty());
    EXPECT_EQ(decoded.status.message().rfind("无法读取图像文件“" + name + "”", 0), 0u) << decoded.status.message();
    EXPECT_NE(decoded.status.message().find(why), std::string::npos) << decoded.status.message();
}

// Each of these once ran poppler out of memory (a dash pattern of [0.00001] took 4 GB) or
// would have: the operation is weighed before it runs.
TEST(PdfLimits, DrawingThatWouldTakeTooMuchMemoryIsRefusedBeforeItRuns) {
    const std::string memory = "页面绘制所需内存超过";
    const std::string jpeg = ProgressiveClaiming(30000);
    ASSERT_FALSE(jpeg.empty());
    struct Case {
        const char* name;
        std::string pdf;
        std::string why;
    };
    const Case cases[] = {
        {"dash.pdf", OnePagePdf(600, "[0.00001] 0 d 1 w 10 10 m 585 590 l S"), memory},
        {"text.pdf", OnePagePdf(600, "BT /F 100000 Tf 0 0 Td (A) Tj ET", "/Font << /F << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >>"),
         "文字太大"},
        {"groups.pdf", NestedGroups(60), memory},
        {"mesh.pdf",
         OnePagePdf(600, "/M sh", "/Shading << /M 5 0 R >>",
                    {PdfStream("/ShadingType 6 /ColorSpace /DeviceGray /BitsPerCoordinate 1 /BitsPerComponent 1 "
                               "/BitsPerFlag 2 /Decode [0 600 0 600 0 1] /Filter /FlateDecode",
                               Flate(std::string(4 << 20, '\0')))}),
         memory},
        {"samples.pdf",
         OnePagePdf(600, "/S sh", "/Shading << /S << /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 600 0] /Function 5 0 R >> >>",
                    {PdfStream("/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [65535 65535] /BitsPerSample 8", "x")}),
         memory},
        {"jpeg.pdf",
         OnePagePdf(600, "q 600 0 0 600 0 0 cm /Im Do Q", "/XObject << /Im 5 0 R >>",
                    {PdfStream("/Type /XObject /Subtype /Image /Width 16 /Height 16 /ColorSpace /DeviceRGB "
                               "/BitsPerComponent 8 /Filter /DCTDecode",
                               jpeg)}),
         memory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRefused(DecodeImageBytes(c.pdf, c.name), c.name, c.why);
    }
    // The same drawing within bounds is drawn.
    EXPECT_TRUE(DecodeImageBytes(OnePagePdf(600, "[3 3] 0 d 1 w 10 10 m 585 590 l S"), "dash.pdf").ok());
    EXPECT_TRUE(DecodeImageBytes(NestedGroups(3), "groups.pdf").ok());
}

// Content that inflates past the limit is refused before it is parsed; a page that runs
// past its time is refused and the next page of the file reads as usual.
TEST(PdfLimits, PagesTooLargeOrTooSlowAreRefusedAndTheRestRead) {
    const std::string lines = Flate(Repeated("0 0 m 1 1 l S\n", (20 << 20) / 14));
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>"};
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 600] /Contents 5 0 R >>");
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 600] /Contents 6 0 R >>");
    objects.push_back(PdfStream("/Filter /FlateDecode", lines));
    objects.push_back(PdfStream("", "0 g 10 10 100 100 re f"));
    const std::string inflated = AssemblePdf(objects);
    ExpectRefused(DecodeImageBytes(inflated, "big.pdf", 1), "big.pdf", "页面内容过大");
    EXPECT_TRUE(DecodeImageBytes(inflated, "big.pdf", 2).ok());

    // A form of many small fills drawn a hundred thousand times: minutes of drawing.
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 600] /Resources << /XObject << /F 7 0 R >> >> /Contents 5 0 R >>";
    objects[4] = PdfStream("", Repeated("/F Do\n", 100000));
    objects.push_back(PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 600 600]", Repeated("0 0 1 1 re f\n", 2000)));
    const std::string slow = AssemblePdf(objects);
    detail::PagedInput input;
    input.bytes = slow;
    detail::PageLimits limits;
    limits.seconds = 1;
    const detail::RawDecode refused = detail::DecodePdfPage(input, 1, limits);
    EXPECT_EQ(refused.status.message(), "处理超时（超过1秒），已放弃此页");
    EXPECT_TRUE(refused.pixels.bytes.empty());
    EXPECT_TRUE(detail::DecodePdfPage(input, 2, limits).status.ok());

    // A page size past any integer: refused by its size, not printed as a wrapped number.
    const DecodedImage tooLarge = DecodeImageBytes(OnePagePdf(1e29, "0 0 m 1 1 l S"), "poster.pdf");
    EXPECT_EQ(tooLarge.status.message(), "无法读取图像文件“poster.pdf”：页面太大（超过100000000像素）。");
}

// A 16-bit RGBA PNG `side` pixels square, all white, its rows compressed as they are made.
std::string WhitePng(int side) {
    std::string header;
    for (int shift : {24, 16, 8, 0}) header += static_cast<char>(side >> shift);
    header += header + std::string("\x10\x06\0\0\0", 5);
    std::string row(static_cast<std::size_t>(side) * 8 + 1, '\xFF');
    row[0] = 0;
    z_stream z{};
    deflateInit(&z, 1);
    std::string packed;
    std::vector<unsigned char> buffer(1 << 16);
    for (int y = 0; y <= side; ++y) {
        z.next_in = reinterpret_cast<Bytef*>(row.data());
        z.avail_in = y < side ? static_cast<uInt>(row.size()) : 0;
        do {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            deflate(&z, y < side ? Z_NO_FLUSH : Z_FINISH);
            packed.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", packed) + PngChunk("IEND", "");
}

// The same as a one-strip Deflate TIFF, written a row at a time.
std::string WhiteTiff(int side) {
    char name[] = "/tmp/quillmark-tiff-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return "";
    close(fd);
    TIFF* tif = TIFFOpen(name, "w");
    if (!tif) return "";
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, side);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, side);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
    const std::uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, side);
    std::vector<std::uint16_t> row(static_cast<std::size_t>(side) * 4, 0xFFFF);
    for (int y = 0; y < side; ++y) TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0);
    TIFFClose(tif);
    std::FILE* file = std::fopen(name, "rb");
    std::string bytes;
    for (int c; file && (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
    if (file) std::fclose(file);
    std::remove(name);
    return bytes;
}

// A small file of a large 16-bit image with alpha once took 1.45 GB (eight bytes a pixel
// and three copies): it is read a row at a time, in grey, reduced as it goes, and so is an
// uncompressed bitmap. Only a buffer of the whole image comes near the bound on the largest
// allocation.
TEST(ImageLimits, LargeImagesAreReadARowAtATime) {
    constexpr int kSide = 6000;  // reduced by 2
    const std::size_t whole = std::size_t{kSide} * kSide * 8;
    for (const auto& [name, bytes] : {std::pair<const char*, std::string>{"white.png", WhitePng(kSide)}, {"white.tif", WhiteTiff(kSide)}}) {
        SCOPED_TRACE(name);
        ASSERT_LT(bytes.size(), whole / 100);
        AllocationProbe probe;
        const DecodedImage decoded = DecodeImageBytes(bytes, name);
        const std::size_t largest = probe.largest();
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_EQ(decoded.pixels.width, kSide / 2);
        EXPECT_EQ(decoded.pixels.height, kSide / 2);
        EXPECT_EQ(decoded.pixels.bytes[12345], 255);
        EXPECT_LT(largest, whole / 8);
    }
    // An uncompressed bitmap is as large as its file, and read from it in place.
    const std::string bmp = BuildBmp({kSide, kSide, 24, 0, {}, std::string(std::size_t{kSide} * kSide * 3, '\xF0')});
    AllocationProbe probe;
    const DecodedImage decoded = DecodeImageBytes(bmp, "white.bmp");
    const std::size_t largest = probe.largest();
    ASSERT_TRUE(decoded.ok()) << decoded.status.message();
    EXPECT_EQ(decoded.pixels.width, kSide / 2);
    EXPECT_EQ(decoded.pixels.bytes[12345], 0xF0);
    EXPECT_LT(largest, bmp.size() / 8);
}

TEST(ImageLimits, DecodingThatWouldTakeTooMuchIsRefused) {
    // Every coefficient of a progressive JPEG is held until its last scan.
    ExpectRefused(DecodeImageBytes(ProgressiveClaiming(20000), "p.jpg"), "p.jpg", "图像太大（解码所需内存超过256 MB）");

    // A row of a hundred million pixels.
    std::string wide = WhitePng(1);
    wide.replace(16, 4, std::string("\x05\xF5\xE1\x00", 4));
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(wide.data() + 12), 17);
    for (int i = 0; i < 4; ++i) wide[29 + static_cast<std::size_t>(i)] = static_cast<char>(crc >> (24 - 8 * i));
    ExpectRefused(DecodeImageBytes(wide, "wide.png"), "wide.png", "图像太宽（100000000像素）");

    // A TIFF page past its time.
    const std::string tiff = EncodeTiff({{QImage(64, 64, QImage::Format_Grayscale8), COMPRESSION_LZW}});
    detail::PagedInput input;
    input.bytes = tiff;
    detail::PageLimits limits;
    limits.seconds = -1;
    EXPECT_EQ(detail::DecodeTiffPage(input, 1, limits).status.message().rfind("处理超时", 0), 0u);
    EXPECT_TRUE(detail::DecodeTiffPage(input, 1).status.ok());
}

}  // namespace
}  // namespace quillmark::test

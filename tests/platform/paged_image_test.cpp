#include <gtest/gtest.h>
#include <tiffio.h>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"
#include "support/temp_folder.h"

namespace quillmark::test {
namespace {

// Grey steps, a dark bar and a light dot: what a scan's pixels look like at small scale.
QImage Pattern(int width, int height, int seed = 0) {
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int grey = (x * 7 + y * 3 + seed * 40) % 256;
            if (x % 13 < 3) grey = 0;
            image.scanLine(y)[x] = static_cast<uchar>(grey);
        }
    }
    return image;
}

QImage Colourful(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 9 % 256, y * 11 % 256, (x + y) * 5 % 256));
    }
    return image;
}

// What a bilevel file holds of a grey image: black below 128, white otherwise.
QImage Thresholded(const QImage& grey) {
    QImage image = grey.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) image.scanLine(y)[x] = image.scanLine(y)[x] < 128 ? 0 : 255;
    }
    return image;
}

// A PDF assembled object by object: pages of `points` square, each with one grey image of
// `pixels` square drawn over `covered` points; optionally locked by a password.
std::string HandPdf(int pages, double points, int pixels, double covered, bool locked = false, bool mask = false) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (int p = 0; p < pages; ++p) {
        const int page = static_cast<int>(objects.size()) + 1;
        kids += std::to_string(page) + " 0 R ";
        std::string content = "q " + std::to_string(covered) + " 0 0 " + std::to_string(covered) + " 0 0 cm /Im Do Q";
        std::string data;
        if (mask) {
            for (int y = 0; y < pixels; ++y) {
                for (int b = 0; b < (pixels + 7) / 8; ++b) data += static_cast<char>(y % 2 ? 0xF0 : 0x0F);
            }
        } else {
            for (int i = 0; i < pixels * pixels; ++i) data += static_cast<char>(((i % pixels + i / pixels) / 2 + p * 50) % 256);
        }
        const std::string image = "<< /Type /XObject /Subtype /Image /Width " + std::to_string(pixels) + " /Height " +
                                  std::to_string(pixels) +
                                  (mask ? " /ImageMask true /BitsPerComponent 1" : " /ColorSpace /DeviceGray /BitsPerComponent 8") +
                                  " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(points) + " " +
                          std::to_string(points) + "] /Resources << /XObject << /Im " + std::to_string(page + 2) +
                          " 0 R >> >> /Contents " + std::to_string(page + 1) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        objects.push_back(image);
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    std::string trailerExtra;
    if (locked) {
        const std::string hash(64, 'A');
        objects.push_back("<< /Filter /Standard /V 1 /R 2 /O <" + hash + "> /U <" + hash + "> /P -4 >>");
        trailerExtra = " /Encrypt " + std::to_string(objects.size()) + " 0 R /ID [<0123456789ABCDEF0123456789ABCDEF> <0123456789ABCDEF0123456789ABCDEF>]";
    }
    std::string out = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R" + trailerExtra +
           " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

TEST(PngFile, EveryKindOfPixelReadsAsItsColourOnWhitePaper) {
    QImage grey = Pattern(23, 17);
    QImage alpha(4, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(10, 20, 30, 255));
    alpha.setPixel(1, 0, qRgba(0, 0, 0, 0));      // transparent: the paper shows
    alpha.setPixel(2, 0, qRgba(0, 0, 0, 128));    // half black on white
    alpha.setPixel(3, 0, qRgba(200, 0, 0, 255));
    QImage onWhite(4, 1, QImage::Format_RGB32);
    for (int x : {0, 3}) onWhite.setPixel(x, 0, alpha.pixel(x, 0) | 0xff000000);
    onWhite.setPixel(1, 0, qRgb(255, 255, 255));
    onWhite.setPixel(2, 0, qRgb(127, 127, 127));

    const std::pair<const char*, std::pair<QImage, QImage>> cases[] = {
        {"grey 8", {grey, grey}},
        {"grey 16", {grey.convertToFormat(QImage::Format_Grayscale16), grey}},
        {"palette", {Colourful(9, 5).convertToFormat(QImage::Format_Indexed8), Colourful(9, 5).convertToFormat(QImage::Format_Indexed8)}},
        {"bilevel", {Thresholded(grey).convertToFormat(QImage::Format_Mono), Thresholded(grey)}},
        {"colour", {Colourful(9, 5), Colourful(9, 5)}},
        {"colour 16", {Colourful(9, 5).convertToFormat(QImage::Format_RGBX64), Colourful(9, 5)}},
        {"alpha", {alpha, onWhite}},
    };
    for (const auto& [kind, images] : cases) {
        SCOPED_TRACE(kind);
        DecodedImage decoded = DecodeImageBytes(EncodePng(images.first), "s.png");
        ASSERT_TRUE(decoded.ok()) << decoded.error;
        EXPECT_LE(MaxChannelDifference(images.second, decoded.pixels), 1);
    }
    EXPECT_EQ(DecodeImageBytes(EncodePng(grey), "g.png").pixels.format, PixelFormat::Gray8);
}

TEST(TiffFile, EveryCompressionInStripsAndTilesReadsBack) {
    const QImage grey = Pattern(70, 45);
    const QImage bilevel = Thresholded(grey);
    struct Case {
        const char* name;
        TiffPage page;
        QImage expected;
        int tolerance;
    };
    const Case cases[] = {
        {"none", {grey, COMPRESSION_NONE}, grey, 0},
        {"LZW", {grey, COMPRESSION_LZW}, grey, 0},
        {"Deflate", {grey, COMPRESSION_ADOBE_DEFLATE}, grey, 0},
        {"PackBits", {grey, COMPRESSION_PACKBITS}, grey, 0},
        {"JPEG", {grey, COMPRESSION_JPEG}, grey, 12},
        {"LZW tiles", {grey, COMPRESSION_LZW, false, 16}, grey, 0},
        {"colour LZW", {Colourful(40, 30), COMPRESSION_LZW}, Colourful(40, 30), 0},
        {"colour JPEG tiles", {Colourful(40, 30), COMPRESSION_JPEG, false, 16}, Colourful(40, 30), 40},
        {"bilevel none", {grey, COMPRESSION_NONE, true}, bilevel, 0},
        {"bilevel G3", {grey, COMPRESSION_CCITTFAX3, true}, bilevel, 0},
        {"bilevel G4", {grey, COMPRESSION_CCITTFAX4, true}, bilevel, 0},
        {"bilevel G4 one strip", {grey, COMPRESSION_CCITTFAX4, true, 0, 1000}, bilevel, 0},
        {"bilevel PackBits tiles", {grey, COMPRESSION_PACKBITS, true, 16}, bilevel, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage decoded = DecodeImageBytes(EncodeTiff({c.page}), "s.tif");
        ASSERT_TRUE(decoded.ok()) << decoded.error;
        EXPECT_LE(MaxChannelDifference(c.expected, decoded.pixels), c.tolerance);
    }
}

TEST(PagedFile, EveryPageIsCountedAndReadByItselfFromTheFile) {
    TempFolder folder;
    std::vector<TiffPage> pages;
    for (int p = 0; p < 3; ++p) pages.push_back({Pattern(30 + p, 20, p), COMPRESSION_CCITTFAX4, true});
    folder.WriteBytes("stack.jpg", EncodeTiff(pages));  // by content, not name
    folder.WriteBytes("stack.pdf", HandPdf(3, 72, 40, 72));
    folder.WriteBytes("one.tif", EncodeTiff({pages[1]}));
    folder.WriteBytes("sheet.png", EncodePng(Pattern(5, 5)));

    EXPECT_EQ(CountImagePages(folder.path() / "stack.jpg").pages, 3);
    EXPECT_EQ(CountImagePages(folder.path() / "stack.pdf").pages, 3);
    EXPECT_EQ(CountImagePages(folder.path() / "one.tif").pages, 1);
    EXPECT_EQ(CountImagePages(folder.path() / "sheet.png").pages, 1);
    for (int p = 1; p <= 3; ++p) {
        DecodedImage tiff = DecodeImageFile(folder.path() / "stack.jpg", p);
        ASSERT_TRUE(tiff.ok()) << tiff.error;
        EXPECT_EQ(MaxChannelDifference(Thresholded(Pattern(29 + p, 20, p - 1)), tiff.pixels), 0);
        DecodedImage pdf = DecodeImageFile(folder.path() / "stack.pdf", p);
        ASSERT_TRUE(pdf.ok()) << pdf.error;
        EXPECT_EQ(pdf.pixels.width, 40);
        EXPECT_NEAR(pdf.pixels.bytes[1], (p - 1) * 50, 3);
    }
    const std::string stack = (folder.path() / "stack.pdf").string();
    EXPECT_EQ(DecodeImageFile(stack, 4).error, "无法读取图像文件“" + stack + "”第4页：文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像。");
    const std::string missing = (folder.path() / "missing.pdf").string();
    EXPECT_EQ(CountImagePages(missing).error, "无法读取图像文件“" + missing + "”：文件不存在。");
}

// A scanned page is drawn at its image's own resolution, never finer and at most 300 dpi;
// a drawn page at 200 dpi.
TEST(PdfFile, PagesRenderAtTheirImagesResolution) {
    struct Case {
        const char* name;
        double points, covered;
        int pixels;
        int expectedWidth;
    };
    const Case cases[] = {
        {"150 dpi", 72, 72, 150, 150},
        {"400 dpi drawn at 300", 72, 72, 400, 300},
        {"72 dpi never enlarged", 144, 144, 144, 144},
        {"a small logo on a drawn page", 72, 20, 100, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage decoded = DecodeImageBytes(HandPdf(1, c.points, c.pixels, c.covered), "p.pdf");
        ASSERT_TRUE(decoded.ok()) << decoded.error;
        EXPECT_EQ(decoded.pixels.format, PixelFormat::Gray8);
        EXPECT_EQ(decoded.pixels.width, c.expectedWidth);
        EXPECT_EQ(decoded.pixels.height, c.expectedWidth);
    }
    // A page that is one image filling it is taken as stored, not rendered: every pixel is
    // the image's.
    DecodedImage exact = DecodeImageBytes(HandPdf(1, 72, 150, 72), "p.pdf");
    ASSERT_EQ(exact.pixels.bytes.size(), 150u * 150u);
    int worst = 0;
    for (int i = 0; i < 150 * 150; ++i) worst = std::max(worst, std::abs(exact.pixels.bytes[static_cast<std::size_t>(i)] - (i % 150 + i / 150) / 2));
    EXPECT_EQ(worst, 0);
    // 1-bit stencil images, as copiers store text-mode scans, stay black and white.
    DecodedImage mask = DecodeImageBytes(HandPdf(1, 72, 96, 72, false, true), "m.pdf");
    ASSERT_TRUE(mask.ok()) << mask.error;
    EXPECT_EQ(mask.pixels.width, 96);
    EXPECT_EQ(std::count_if(mask.pixels.bytes.begin(), mask.pixels.bytes.end(), [](std::uint8_t v) { return v != 0 && v != 255; }), 0);
}

TEST(PagedFile, DamagedLockedAndOversizedFilesAreReportedByNameAndPage) {
    const QImage grey = Pattern(200, 120);
    const std::string g4 = EncodeTiff({{grey, COMPRESSION_CCITTFAX4, true}, {grey, COMPRESSION_CCITTFAX4, true}});
    const std::string lzw = EncodeTiff({{grey, COMPRESSION_LZW, false, 0, 1000}});
    const std::string pdf = HandPdf(2, 72, 100, 72);
    const std::string png = EncodePng(grey);
    const char* corrupt = "文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像";
    struct Case {
        const char* name;
        std::string bytes;
        int page;
        std::string error;
        int namedPage = 0;  // the page the message names, in a file of several
    };
    const Case cases[] = {
        {"cut.png", png.substr(0, png.size() / 2), 1, corrupt},
        {"cut.tif", lzw.substr(0, lzw.size() * 2 / 3), 1, corrupt},
        {"noise.tif", std::string("II*\0", 4) + std::string(500, '\x11'), 1, corrupt},
        // The first page's data overwritten by noise: the G4 decoder only warns.
        {"bad.tif", g4.substr(0, 8) + std::string(300, '\0') + g4.substr(308), 1, corrupt, 1},
        {"locked.pdf", HandPdf(1, 72, 10, 72, true), 1, "PDF文件有密码保护"},
        {"cut.pdf", pdf.substr(0, pdf.size() / 3), 1, corrupt},
        {"poster.pdf", HandPdf(1, 14400, 10, 10), 1, "图像太大（40000×40000像素，最多100000000像素）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage decoded = DecodeImageBytes(c.bytes, c.name, c.page);
        EXPECT_TRUE(decoded.pixels.bytes.empty());
        EXPECT_EQ(decoded.error.substr(0, decoded.error.find("：")),
                  std::string("无法读取图像文件“") + c.name + "”" + (c.namedPage ? "第" + std::to_string(c.namedPage) + "页" : ""));
        EXPECT_NE(decoded.error.find(c.error), std::string::npos) << decoded.error;
    }
}

}  // namespace
}  // namespace quillmark::test

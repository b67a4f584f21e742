#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <QByteArray>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

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
    return AssemblePdf(objects, trailerExtra);
}

// An interlaced 8-bit RGB PNG of the image, written by hand: Qt writes none. Its seven
// passes are stored one after the other, every row unfiltered.
std::string InterlacedPng(const QImage& image) {
    std::string header;
    for (int v : {image.width(), image.height()}) {
        for (int shift : {24, 16, 8, 0}) header += static_cast<char>(v >> shift);
    }
    header += std::string("\x08\x02\0\0\x01", 5);
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::string raw;
    for (const auto& [x0, y0, dx, dy] : passes) {
        if (x0 >= image.width()) continue;
        for (int y = y0; y < image.height(); y += dy) {
            raw += '\0';
            for (int x = x0; x < image.width(); x += dx) {
                const QRgb c = image.pixel(x, y);
                raw += {static_cast<char>(qRed(c)), static_cast<char>(qGreen(c)), static_cast<char>(qBlue(c))};
            }
        }
    }
    const QByteArray packed = qCompress(QByteArray::fromRawData(raw.data(), static_cast<qsizetype>(raw.size())));
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
           PngChunk("IDAT", std::string(packed.constData() + 4, static_cast<std::size_t>(packed.size() - 4))) + PngChunk("IEND", "");
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
    const QImage small = Colourful(9, 7);  // some passes empty, others ragged
    DecodedImage interlaced = DecodeImageBytes(InterlacedPng(small), "i.png");
    ASSERT_TRUE(interlaced.ok()) << interlaced.status.message();
    EXPECT_EQ(MaxLuminanceDifference(small, interlaced.pixels), 0);
    for (const auto& [kind, images] : cases) {
        SCOPED_TRACE(kind);
        DecodedImage decoded = DecodeImageBytes(EncodePng(images.first), "s.png");
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_EQ(decoded.pixels.format, PixelFormat::Gray8);  // all the engine reads
        EXPECT_LE(MaxLuminanceDifference(images.second, decoded.pixels), 1);
    }
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
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_EQ(decoded.pixels.format, PixelFormat::Gray8);
        EXPECT_LE(MaxLuminanceDifference(c.expected, decoded.pixels), c.tolerance);
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
        ASSERT_TRUE(tiff.ok()) << tiff.status.message();
        EXPECT_EQ(MaxChannelDifference(Thresholded(Pattern(29 + p, 20, p - 1)), tiff.pixels), 0);
        DecodedImage pdf = DecodeImageFile(folder.path() / "stack.pdf", p);
        ASSERT_TRUE(pdf.ok()) << pdf.status.message();
        EXPECT_EQ(pdf.pixels.width, 40);
        EXPECT_NEAR(pdf.pixels.bytes[1], (p - 1) * 50, 3);
    }
    const std::string stack = (folder.path() / "stack.pdf").string();
    EXPECT_EQ(DecodeImageFile(stack, 4).status.message(), "无法读取图像文件“" + stack + "”第4页：没有第4页。");
    const std::string missing = (folder.path() / "missing.pdf").string();
    EXPECT_EQ(CountImagePages(missing).status.message(), "无法读取图像文件“" + missing + "”：文件不存在。");
}

// One page of strips written through libtiff: `fields` sets its tags, `row` gives each row's
// samples as stored.
std::string TiffOf(int width, int height, const std::function<void(TIFF*)>& fields,
                   const std::function<std::vector<std::uint8_t>(int)>& row) {
    TempFolder folder;
    const std::string name = (folder.path() / "page.tif").string();
    TIFF* tif = TIFFOpen(name.c_str(), "w");
    if (!tif) return "";
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
    fields(tif);
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> samples = row(y);
        TIFFWriteScanline(tif, samples.data(), static_cast<std::uint32_t>(y), 0);
    }
    TIFFClose(tif);
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each colour model libtiff stores is read a row at a time and turned into the grey the
// engine would make of its colours, transparent parts showing the paper.
TEST(TiffFile, EveryColourModelReadsAsItsGrey) {
    const int w = 40, h = 30;
    const QImage colours = Colourful(w, h);
    const QImage grey = Pattern(w, h);
    // Smooth colours for JPEG, whose chroma is stored at half resolution.
    QImage smooth(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) smooth.setPixel(x, y, qRgb(x * 4, 100 + y * 3, 200 - x * 2));
    }
    auto rowsOf = [&](const QImage& image) {
        return [&image](int y) {
            std::vector<std::uint8_t> out;
            for (int x = 0; x < w; ++x) {
                const QRgb c = image.pixel(x, y);
                for (int v : {qRed(c), qGreen(c), qBlue(c)}) out.push_back(static_cast<std::uint8_t>(v));
            }
            return out;
        };
    };
    const auto rgb = rowsOf(colours);
    auto set = [](std::uint16_t photometric, int bits, int samples, std::uint16_t compression = COMPRESSION_LZW) {
        return [=](TIFF* tif) {
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
            TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
        };
    };
    // Alpha across each row: clear at the left, opaque at the right.
    auto alphaAt = [&](int x) { return x * 255 / (w - 1); };
    QImage onPaper(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb c = colours.pixel(x, y);
            const int a = alphaAt(x);
            auto blend = [a](int v) { return (v * a + 127) / 255 + 255 - a; };
            onPaper.setPixel(x, y, qRgb(blend(qRed(c)), blend(qGreen(c)), blend(qBlue(c))));
        }
    }
    QImage inkOnPaper(w, h, QImage::Format_RGB32);  // CMYK as libtiff makes RGB of it
    std::vector<std::uint16_t> map(3 * 256);
    QImage paletted(w, h, QImage::Format_RGB32);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = qRgb(i, 255 - i, (i * 7) % 256);
        map[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(qRed(c) * 257);
        map[static_cast<std::size_t>(256 + i)] = static_cast<std::uint16_t>(qGreen(c) * 257);
        map[static_cast<std::size_t>(512 + i)] = static_cast<std::uint16_t>(qBlue(c) * 257);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int i = (x * 5 + y * 3) % 256;
            paletted.setPixel(x, y, qRgb(map[static_cast<std::size_t>(i)] / 257, map[static_cast<std::size_t>(256 + i)] / 257,
                                         map[static_cast<std::size_t>(512 + i)] / 257));
            const int c = x * 6, m = y * 8, yellow = 50, k = 40;
            inkOnPaper.setPixel(x, y, qRgb((255 - k) * (255 - c) / 255, (255 - k) * (255 - m) / 255, (255 - k) * (255 - yellow) / 255));
        }
    }
    QImage light = grey;
    light.invertPixels();
    QImage sixteenLevels = grey;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) sixteenLevels.scanLine(y)[x] = static_cast<uchar>(grey.scanLine(y)[x] / 17 * 17);
    }
    struct Case {
        const char* name;
        std::string tiff;
        QImage expected;
        int tolerance;
    };
    const Case cases[] = {
        {"colour JPEG in YCbCr", TiffOf(w, h, [&](TIFF* tif) {
             set(PHOTOMETRIC_YCBCR, 8, 3, COMPRESSION_JPEG)(tif);
             TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
         }, rowsOf(smooth)), smooth, 4},
        {"16-bit grey", TiffOf(w, h, set(PHOTOMETRIC_MINISBLACK, 16, 1), [&](int y) {
             std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * 2);
             for (int x = 0; x < w; ++x) {
                 const std::uint16_t v = static_cast<std::uint16_t>(grey.scanLine(y)[x] * 257);
                 std::memcpy(out.data() + 2 * x, &v, 2);
             }
             return out;
         }), grey, 0},
        {"4-bit grey", TiffOf(w, h, set(PHOTOMETRIC_MINISBLACK, 4, 1), [&](int y) {
             std::vector<std::uint8_t> out(static_cast<std::size_t>(w + 1) / 2);
             for (int x = 0; x < w; ++x) out[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>((grey.scanLine(y)[x] / 17) << (x % 2 ? 0 : 4));
             return out;
         }), sixteenLevels, 0},
        {"white is zero", TiffOf(w, h, set(PHOTOMETRIC_MINISWHITE, 8, 1), [&](int y) {
             return std::vector<std::uint8_t>(grey.scanLine(y), grey.scanLine(y) + w);
         }), light, 0},
        {"palette", TiffOf(w, h, [&](TIFF* tif) {
             set(PHOTOMETRIC_PALETTE, 8, 1)(tif);
             TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
         }, [&](int y) {
             std::vector<std::uint8_t> out;
             for (int x = 0; x < w; ++x) out.push_back(static_cast<std::uint8_t>((x * 5 + y * 3) % 256));
             return out;
         }), paletted, 0},
        {"colour with alpha", TiffOf(w, h, [&](TIFF* tif) {
             set(PHOTOMETRIC_RGB, 8, 4)(tif);
             const std::uint16_t kind = EXTRASAMPLE_UNASSALPHA;
             TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
         }, [&](int y) {
             std::vector<std::uint8_t> out, c = rgb(y);
             for (int x = 0; x < w; ++x) {
                 out.insert(out.end(), c.begin() + 3 * x, c.begin() + 3 * x + 3);
                 out.push_back(static_cast<std::uint8_t>(alphaAt(x)));
             }
             return out;
         }), onPaper, 1},
        {"ink", TiffOf(w, h, set(PHOTOMETRIC_SEPARATED, 8, 4), [&](int y) {
             std::vector<std::uint8_t> out;
             for (int x = 0; x < w; ++x) out.insert(out.end(), {static_cast<std::uint8_t>(x * 6), static_cast<std::uint8_t>(y * 8), 50, 40});
             return out;
         }), inkOnPaper, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.tiff.empty());
        DecodedImage decoded = DecodeImageBytes(c.tiff, "s.tif");
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        EXPECT_LE(MaxLuminanceDifference(c.expected, decoded.pixels), c.tolerance);
    }
}

// Uncompressed 8-bit grey pages of 8 by 8 pixels, page p all of grey p; where each page's
// directory and its link to the next lie, to damage them.
struct TinyTiff {
    std::string bytes;
    std::vector<std::size_t> directories, links;
};

TinyTiff TinyPages(int pages) {
    TinyTiff tiff;
    tiff.bytes = std::string("II*\0\x08\0\0\0", 8);
    auto put = [&](std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) tiff.bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    };
    for (int p = 0; p < pages; ++p) {
        const std::size_t at = tiff.bytes.size();
        const std::size_t data = at + 2 + 9 * 12 + 4;
        tiff.directories.push_back(at);
        tiff.bytes.resize(data + 64, static_cast<char>(p % 256));
        put(at, 9, 2);
        const std::uint32_t entries[9][3] = {{256, 3, 8}, {257, 3, 8}, {258, 3, 8}, {259, 3, 1}, {262, 3, 1},
                                             {273, 4, static_cast<std::uint32_t>(data)}, {277, 3, 1}, {278, 3, 8}, {279, 4, 64}};
        for (int e = 0; e < 9; ++e) {
            const std::size_t entry = at + 2 + 12 * static_cast<std::size_t>(e);
            put(entry, entries[e][0], 2);
            put(entry + 2, entries[e][1], 2);
            put(entry + 4, 1, 4);
            put(entry + 8, entries[e][2], 4);
        }
        tiff.links.push_back(data - 4);
        put(data - 4, 0, 4);
        if (p > 0) put(tiff.links[static_cast<std::size_t>(p - 1)], static_cast<std::uint32_t>(at), 4);
    }
    return tiff;
}

// A link that leads nowhere readable loses the pages after it: the first of them is a page
// that reports it, by file and page, so a batch counts it failed.
TEST(TiffFile, PagesPastABrokenLinkAreReportedNotLost) {
    const TinyTiff good = TinyPages(3);
    auto relinked = [&](std::size_t link, std::uint32_t to) {
        std::string bytes = good.bytes;
        for (int i = 0; i < 4; ++i) bytes[link + static_cast<std::size_t>(i)] = static_cast<char>(to >> (8 * i));
        return bytes;
    };
    std::string noEntries = good.bytes;
    noEntries[good.directories[1]] = noEntries[good.directories[1] + 1] = '\xFF';
    struct Case {
        const char* name;
        std::string bytes;
        int pages;  // counted, the last one the page that reports the break
        int readable;
    };
    const Case cases[] = {
        {"intact", good.bytes, 3, 3},
        {"past the end", relinked(good.links[0], static_cast<std::uint32_t>(good.bytes.size() + 1000)), 2, 1},
        {"off by one", relinked(good.links[0], static_cast<std::uint32_t>(good.directories[1] + 1)), 2, 1},
        {"0xFFFF entries", noEntries, 2, 1},
        {"back to the first", relinked(good.links[1], static_cast<std::uint32_t>(good.directories[0])), 3, 2},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path path = folder.path() / (std::string(c.name) + ".tif");
        folder.WriteBytes(path.filename().string(), c.bytes);
        ASSERT_EQ(CountImagePages(path).pages, c.pages);
        for (int p = 1; p <= c.pages; ++p) {
            // From the file (pages found through the offsets counting kept) and from memory.
            for (const DecodedImage& decoded : {DecodeImageFile(path, p), DecodeImageBytes(c.bytes, path.string(), p)}) {
                if (p <= c.readable) {
                    ASSERT_TRUE(decoded.ok()) << decoded.status.message();
                    EXPECT_EQ(decoded.pixels.bytes[0], p - 1);
                } else {
                    EXPECT_EQ(decoded.status.message(), "无法读取图像文件“" + path.string() + "”第" + std::to_string(p) + "页：第" +
                                                 std::to_string(c.readable) + "页之后的页链已损坏，此页及其后的页无法读取。");
                }
            }
        }
    }
}

// Each page is found from the offsets already known, not by following every link before it
// (which took 45 s for 10,000 pages): only a quadratic walk comes near the bound.
TEST(TiffFile, ManyPagesAreReadOneByOneInLinearTime) {
    constexpr int kPages = 10000;
    TempFolder folder;
    folder.WriteBytes("stack.tif", TinyPages(kPages).bytes);
    const std::filesystem::path path = folder.path() / "stack.tif";
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(CountImagePages(path).pages, kPages);
    for (int p = 1; p <= kPages; ++p) {
        DecodedImage decoded = DecodeImageFile(path, p);
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        ASSERT_EQ(decoded.pixels.bytes[0], (p - 1) % 256);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(DecodeImageFile(path, kPages + 1).status.message(),
              "无法读取图像文件“" + path.string() + "”第" + std::to_string(kPages + 1) + "页：没有第" + std::to_string(kPages + 1) + "页。");
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
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
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
    ASSERT_TRUE(mask.ok()) << mask.status.message();
    EXPECT_EQ(mask.pixels.width, 96);
    EXPECT_EQ(std::count_if(mask.pixels.bytes.begin(), mask.pixels.bytes.end(), [](std::uint8_t v) { return v != 0 && v != 255; }), 0);
}

// A page is read as it shows: its scan is taken as stored only when nothing else on the
// page paints over it, clips it or masks it.
TEST(PdfFile, AScanIsTakenAsStoredOnlyWhenNothingElseShows) {
    const auto scan = [](int x, int y) { return 40 + (x + y) / 3; };
    const std::string draw = " q 72 0 0 72 0 0 cm /Im Do Q ";
    const std::string resources =
        "/XObject << /Im 5 0 R /Im2 6 0 R >> /ExtGState << /Hide << /SMask << /S /Luminosity /G 7 0 R >> >> >>";
    const std::vector<std::string> objects = {
        GreyImageObject(150, scan), GreyImageObject(150, [](int, int) { return 200; }),
        PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 72 72] /Group << /S /Transparency /CS /DeviceGray >>",
                  "0 g 0 0 72 72 re f")};
    struct Case {
        const char* name;
        std::string content;
        std::function<int(int, int)> expected;
        int tolerance;
    };
    const Case cases[] = {
        {"alone", draw, scan, 0},
        {"clipped to the whole page", "0 0 72 72 re W n" + draw, scan, 0},
        {"white over it", draw + "1 g 0 0 72 72 re f", [](int, int) { return 255; }, 0},
        {"black over it", draw + "0 g 0 0 72 72 re f", [](int, int) { return 0; }, 0},
        {"another image over it", draw + "q 72 0 0 72 0 0 cm /Im2 Do Q", [](int, int) { return 200; }, 1},
        {"clipped with a hole", "0 0 72 72 re 24 24 24 24 re W* n" + draw,
         [&](int x, int y) { return x >= 50 && x < 100 && y >= 50 && y < 100 ? 255 : scan(x, y); }, 3},
        {"masked out", "/Hide gs" + draw, [](int, int) { return 255; }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage decoded = DecodeImageBytes(OnePagePdf(72, c.content, resources, objects), "p.pdf");
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        ASSERT_EQ(decoded.pixels.width, 150);
        ASSERT_EQ(decoded.pixels.height, 150);
        int worst = 0;
        // Away from the hole's edges, where rendering may blend.
        for (int y = 0; y < 150; ++y) {
            for (int x = 0; x < 150; ++x) {
                if (std::min({std::abs(x - 50), std::abs(x - 99), std::abs(y - 50), std::abs(y - 99)}) < 2) continue;
                worst = std::max(worst, std::abs(decoded.pixels.bytes[static_cast<std::size_t>(y * 150 + x)] - c.expected(x, y)));
            }
        }
        EXPECT_LE(worst, c.tolerance);
    }
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
        EXPECT_EQ(decoded.status.message().substr(0, decoded.status.message().find("：")),
                  std::string("无法读取图像文件“") + c.name + "”" + (c.namedPage ? "第" + std::to_string(c.namedPage) + "页" : ""));
        EXPECT_NE(decoded.status.message().find(c.error), std::string::npos) << decoded.status.message();
    }
}

}  // namespace
}  // namespace quillmark::test

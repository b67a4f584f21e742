#include "platform/image_fixtures.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <tiffio.h>
#include <turbojpeg.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace {
std::atomic<bool> probing{false};
std::atomic<std::size_t> largestRequest{0};
}  // namespace

void* operator new(std::size_t size) {
    if (probing.load(std::memory_order_relaxed)) {
        std::size_t seen = largestRequest.load();
        while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// Every form that pairs with the deletes below, so nothing allocated elsewhere is freed here.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace quillmark::test {

Colour ColourOf(QRgb rgb) { return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16; }

int MaxChannelDifference(const QImage& expected, const PixelBuffer& decoded) {
    if (expected.width() != decoded.width || expected.height() != decoded.height) return 256;
    SheetImage view(decoded);
    int worst = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            Colour want = ColourOf(expected.pixel(x, y));
            Colour got = view.readPixel(x, y);
            if (got == kInvalidColour) return 256;
            for (int shift : {0, 8, 16}) {
                worst = std::max(worst, std::abs((want >> shift & 255) - (got >> shift & 255)));
            }
        }
    }
    return worst;
}

int MaxLuminanceDifference(const QImage& expected, const PixelBuffer& decoded) {
    if (expected.width() != decoded.width || expected.height() != decoded.height) return 256;
    SheetImage view(decoded);
    int worst = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            worst = std::max(worst, std::abs(Luminance(ColourOf(expected.pixel(x, y))) - view.luminanceAtPixel(x, y)));
        }
    }
    return worst;
}

std::string SaveBmp(const QImage& image) {
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    if (!image.save(&device, "BMP")) throw std::runtime_error("QImage could not write the BMP");
    return bytes.toStdString();
}

namespace {
void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 255);
    out += static_cast<char>(v >> 8 & 255);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}
}  // namespace

std::string BuildBmp(const HandBmp& bmp) {
    const std::uint32_t headerSize = 40 + static_cast<std::uint32_t>(bmp.headerTail.size());
    const std::uint32_t offset = 14 + headerSize + 4 * static_cast<std::uint32_t>(bmp.palette.size());
    std::string out = "BM";
    Put32(out, offset + static_cast<std::uint32_t>(bmp.pixels.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, headerSize);
    Put32(out, static_cast<std::uint32_t>(bmp.width));
    Put32(out, static_cast<std::uint32_t>(bmp.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bmp.bitCount));
    Put32(out, bmp.compression);
    Put32(out, static_cast<std::uint32_t>(bmp.pixels.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<std::uint32_t>(bmp.palette.size()));
    Put32(out, 0);
    out += bmp.headerTail;
    for (QRgb c : bmp.palette) Put32(out, c & 0xffffff);
    return out + bmp.pixels;
}

QImage IndexedImage(const std::vector<std::vector<int>>& rows, const std::vector<QRgb>& palette) {
    QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, static_cast<uint>(rows[y][x]));
    }
    return image;
}

std::string EncodeJpeg(const QImage& image, bool grey, int quality, int subsampling, int flags) {
    QImage source = image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(encoder, source.constBits(), source.width(), static_cast<int>(source.bytesPerLine()),
                         source.height(), grey ? TJPF_GRAY : TJPF_RGB, &jpeg, &size,
                         grey ? TJSAMP_GRAY : subsampling, quality, flags);
    std::string bytes = rc == 0 ? std::string(reinterpret_cast<char*>(jpeg), size) : std::string();
    tjFree(jpeg);
    tjDestroy(encoder);
    if (bytes.empty()) throw std::runtime_error("tjCompress2 failed");
    return bytes;
}

std::string EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    if (!image.save(&device, "PNG")) throw std::runtime_error("QImage could not write the PNG");
    return bytes.toStdString();
}

std::string EncodeTiff(const std::vector<TiffPage>& pages) {
    char name[] = "/tmp/quillmark-tiff-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) throw std::runtime_error("no temporary file");
    close(fd);
    TIFF* tif = TIFFOpen(name, "w");
    if (!tif) throw std::runtime_error("libtiff could not write");
    for (const TiffPage& page : pages) {
        const bool grey = page.bilevel || page.image.isGrayscale();
        const QImage image = page.image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        const int width = image.width();
        const int samples = grey ? 1 : 3;
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, image.height());
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bilevel ? 1 : 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                     page.bilevel ? PHOTOMETRIC_MINISWHITE : grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
        if (page.compression == COMPRESSION_JPEG) TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 92);
        if (pages.size() > 1) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);

        // Rows as stored: packed bits (1 = black) or bytes.
        std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(image.height()));
        for (int y = 0; y < image.height(); ++y) {
            const uchar* in = image.constScanLine(y);
            std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(y)];
            if (page.bilevel) {
                row.assign(static_cast<std::size_t>((width + 7) / 8), 0);
                for (int x = 0; x < width; ++x) {
                    if (in[x] < 128) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
            } else {
                row.assign(in, in + width * samples);
            }
        }
        bool ok = true;
        if (page.tileSide > 0) {
            const int side = page.tileSide;
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, side);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, side);
            // Bytes a row of a tile holds, and where a tile's column starts in a stored row.
            const auto bytesFor = [&](int pixels) { return static_cast<std::size_t>(page.bilevel ? (pixels + 7) / 8 : pixels * samples); };
            const std::size_t tileRow = bytesFor(side);
            std::vector<std::uint8_t> tile(tileRow * static_cast<std::size_t>(side));
            for (int ty = 0; ty < image.height(); ty += side) {
                for (int tx = 0; tx < width; tx += side) {
                    std::fill(tile.begin(), tile.end(), page.bilevel ? 0 : 255);
                    for (int y = ty; y < std::min(ty + side, image.height()); ++y) {
                        const std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(y)];
                        std::copy_n(row.begin() + static_cast<std::ptrdiff_t>(bytesFor(tx)), bytesFor(std::min(side, width - tx)),
                                    tile.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y - ty) * tileRow));
                    }
                    ok = ok && TIFFWriteTile(tif, tile.data(), static_cast<std::uint32_t>(tx), static_cast<std::uint32_t>(ty), 0, 0) >= 0;
                }
            }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.rowsPerStrip);
            for (int y = 0; y < image.height(); ++y) {
                ok = ok && TIFFWriteScanline(tif, rows[static_cast<std::size_t>(y)].data(), static_cast<std::uint32_t>(y), 0) == 1;
            }
        }
        ok = ok && TIFFWriteDirectory(tif);
        if (!ok) {
            TIFFClose(tif);
            std::remove(name);
            throw std::runtime_error("libtiff could not write a page");
        }
    }
    TIFFClose(tif);
    std::ifstream in(name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::remove(name);
    return bytes.str();
}

std::string EncodePdf(const std::vector<QImage>& pages, double dpi) {
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    QPdfWriter writer(&device);
    writer.setResolution(static_cast<int>(dpi));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QImage& image = pages[i];
        const QPageSize size(QSizeF(image.width() / dpi, image.height() / dpi), QPageSize::Inch, QString(),
                             QPageSize::ExactMatch);
        writer.setPageSize(size);
        if (i == 0) painter.begin(&writer);
        else writer.newPage();
        painter.drawImage(QRect(0, 0, image.width(), image.height()), image);
    }
    painter.end();
    return bytes.toStdString();
}

std::string AssemblePdf(const std::vector<std::string>& objects, const std::string& trailerExtra) {
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
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R" + trailerExtra + " >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

std::string PngChunk(const char* type, const std::string& data) {
    std::string out;
    for (int shift : {24, 16, 8, 0}) out += static_cast<char>(data.size() >> shift);
    out += std::string(type, 4) + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    for (int shift : {24, 16, 8, 0}) out += static_cast<char>(crc >> shift);
    return out;
}

std::string PdfStream(const std::string& entries, const std::string& data) {
    return "<< /Length " + std::to_string(data.size()) + " " + entries + " >>\nstream\n" + data + "\nendstream";
}

std::string OnePagePdf(double points, const std::string& content, const std::string& resources,
                       const std::vector<std::string>& more) {
    const std::string side = std::to_string(points);
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + side + " " + side + "] /Resources << " + resources +
            " >> /Contents 4 0 R >>",
        PdfStream("", content)};
    objects.insert(objects.end(), more.begin(), more.end());
    return AssemblePdf(objects);
}

std::string GreyImageObject(int pixels, int (*grey)(int x, int y)) {
    std::string data;
    for (int y = 0; y < pixels; ++y) {
        for (int x = 0; x < pixels; ++x) data += static_cast<char>(grey(x, y));
    }
    return PdfStream("/Type /XObject /Subtype /Image /Width " + std::to_string(pixels) + " /Height " +
                         std::to_string(pixels) + " /ColorSpace /DeviceGray /BitsPerComponent 8",
                     data);
}

AllocationProbe::AllocationProbe() {
    largestRequest = 0;
    probing = true;
}
AllocationProbe::~AllocationProbe() { probing = false; }
std::size_t AllocationProbe::largest() const { return largestRequest.load(); }

}  // namespace quillmark::test

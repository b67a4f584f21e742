#include "platform/image_fixtures.h"

#include <QBuffer>
#include <turbojpeg.h>

#include <algorithm>
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
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

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

AllocationProbe::AllocationProbe() {
    largestRequest = 0;
    probing = true;
}
AllocationProbe::~AllocationProbe() { probing = false; }
std::size_t AllocationProbe::largest() const { return largestRequest.load(); }

}  // namespace quillmark::test

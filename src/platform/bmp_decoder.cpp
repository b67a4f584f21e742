#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kMasksAt = kFileHeaderSize + kInfoHeaderSize;  // red, green, blue

std::uint32_t U8(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }
std::uint32_t U16(std::string_view b, std::size_t at) { return U8(b, at) | U8(b, at + 1) << 8; }
std::uint32_t U32(std::string_view b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

struct BmpLayout {
    long long width = 0;
    long long height = 0;  // rows, whichever way they run
    std::uint32_t bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::size_t pixelOffset = 0;
};

// The header fields Qt's reader relies on, checked before it is let loose on the file.
std::optional<BmpLayout> ReadLayout(std::string_view bytes) {
    if (bytes.size() < kFileHeaderSize + 4) return std::nullopt;
    const std::uint32_t headerSize = U32(bytes, kFileHeaderSize);
    BmpLayout layout;
    std::size_t paletteEntrySize = 4;
    if (headerSize == kCoreHeaderSize) {
        if (bytes.size() < kFileHeaderSize + kCoreHeaderSize) return std::nullopt;
        layout.width = U16(bytes, 18);
        layout.height = U16(bytes, 20);
        layout.bitCount = U16(bytes, 24);
        paletteEntrySize = 3;
    } else if (headerSize >= kInfoHeaderSize && headerSize <= 1024) {
        if (bytes.size() < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
        layout.width = static_cast<std::int32_t>(U32(bytes, 18));
        layout.height = std::llabs(static_cast<std::int32_t>(U32(bytes, 22)));
        layout.bitCount = U16(bytes, 28);
        layout.compression = U32(bytes, 30);
    } else {
        return std::nullopt;
    }
    if (layout.width <= 0 || layout.height <= 0) return std::nullopt;

    const std::uint32_t bits = layout.bitCount;
    switch (layout.compression) {
        case kBiRgb:
            if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
            break;
        case kBiRle8:
            if (bits != 8) return std::nullopt;
            break;
        case kBiRle4:
            if (bits != 4) return std::nullopt;
            break;
        case kBiBitfields:
            if (bits != 16 && bits != 32) return std::nullopt;
            break;
        default:
            return std::nullopt;
    }

    std::size_t afterHeader = kFileHeaderSize + headerSize;
    if (headerSize == kInfoHeaderSize && layout.compression == kBiBitfields) afterHeader += 12;
    if (bits <= 8) {
        std::size_t colours = headerSize == kCoreHeaderSize ? 0 : U32(bytes, 46);
        if (colours == 0 || colours > (std::size_t{1} << bits)) colours = std::size_t{1} << bits;
        afterHeader += colours * paletteEntrySize;
    }
    const std::uint32_t offset = U32(bytes, 10);
    // Qt reads the masks and palette where they belong and seeks only forward to the pixels,
    // so it would run short of rows for an offset inside them.
    if (offset != 0 && offset < afterHeader) return std::nullopt;
    layout.pixelOffset = offset != 0 ? offset : afterHeader;
    if (layout.pixelOffset > bytes.size()) return std::nullopt;
    // Masks that select no bits hold no picture.
    if (layout.compression == kBiBitfields &&
        (bytes.size() < kMasksAt + 12 || (U32(bytes, kMasksAt) | U32(bytes, kMasksAt + 4) | U32(bytes, kMasksAt + 8)) == 0)) {
        return std::nullopt;
    }
    return layout;
}

// Qt stops quietly at the end of short data and leaves the remaining rows as whatever the
// allocator gave it, so a short file has to be caught here.
bool RowsComplete(std::string_view bytes, const BmpLayout& layout) {
    const long long rowBytes = (layout.width * layout.bitCount + 31) / 32 * 4;
    return static_cast<long long>(bytes.size() - layout.pixelOffset) / rowBytes >= layout.height;
}

// Walks the run-length stream without drawing it: complete means an end-of-bitmap code, or
// every row ended before the data ran out.
bool RunsComplete(std::string_view bytes, const BmpLayout& layout) {
    std::size_t at = layout.pixelOffset;
    long long row = 0;
    while (at + 2 <= bytes.size()) {
        const std::uint32_t count = U8(bytes, at);
        const std::uint32_t code = U8(bytes, at + 1);
        at += 2;
        if (count > 0) continue;
        if (code == 0) {
            ++row;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (at + 2 > bytes.size()) return false;
            row += U8(bytes, at + 1);
            at += 2;
        } else {
            std::size_t literal = layout.bitCount == 8 ? code : (code + 1) / 2;
            at += (literal + 1) & ~std::size_t{1};  // literal runs are padded to whole words
        }
    }
    return row >= layout.height;
}

bool IsGrey(QRgb rgb) { return qRed(rgb) == qGreen(rgb) && qGreen(rgb) == qBlue(rgb); }

void StoreBgrx(std::uint8_t* p, QRgb rgb) {
    p[0] = static_cast<std::uint8_t>(qBlue(rgb));
    p[1] = static_cast<std::uint8_t>(qGreen(rgb));
    p[2] = static_cast<std::uint8_t>(qRed(rgb));
    p[3] = 0xff;
}

PixelBuffer FromIndexed(const QImage& image) {
    // Indices past the colour table read as black, as Qt's own conversions do.
    QRgb lut[256];
    std::fill(std::begin(lut), std::end(lut), qRgb(0, 0, 0));
    const QList<QRgb> table = image.colorTable();
    bool grey = true;
    for (qsizetype i = 0; i < table.size() && i < 256; ++i) {
        lut[i] = table[i];
        grey = grey && IsGrey(table[i]);
    }
    const int width = image.width();
    const int height = image.height();
    PixelBuffer out = PixelBuffer::Blank(width, height, grey ? PixelFormat::Gray8 : PixelFormat::Bgrx32);
    for (int y = 0; y < height; ++y) {
        const uchar* in = image.constScanLine(y);
        std::uint8_t* row = out.bytes.data() + static_cast<std::size_t>(y) * out.stride;
        if (grey) {
            for (int x = 0; x < width; ++x) row[x] = static_cast<std::uint8_t>(qBlue(lut[in[x]]));
        } else {
            for (int x = 0; x < width; ++x) StoreBgrx(row + 4 * x, lut[in[x]]);
        }
    }
    return out;
}

// RGB32 and ARGB32 words; the alpha byte is ignored, as Windows ignores it in a plain
// 32-bit bitmap, and never blended into the colour.
PixelBuffer FromWords(const QImage& image) {
    const int width = image.width();
    const int height = image.height();
    bool grey = true;
    for (int y = 0; y < height && grey; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // Blue^green and green^red in the low 16 bits; a whole row at a time so it vectorises.
        std::uint32_t differences = 0;
        for (int x = 0; x < width; ++x) differences |= (in[x] ^ in[x] >> 8) & 0xffff;
        grey = differences == 0;
    }
    PixelBuffer out = PixelBuffer::Blank(width, height, grey ? PixelFormat::Gray8 : PixelFormat::Bgrx32);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* row = out.bytes.data() + static_cast<std::size_t>(y) * out.stride;
        if (grey) {
            for (int x = 0; x < width; ++x) row[x] = static_cast<std::uint8_t>(qBlue(in[x]));
        } else if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(row, in, static_cast<std::size_t>(width) * 4);
        } else {
            for (int x = 0; x < width; ++x) StoreBgrx(row + 4 * x, in[x]);
        }
    }
    return out;
}

}  // namespace

RawDecode DecodeBmp(std::string_view bytes) {
    RawDecode result;
    std::optional<BmpLayout> layout = ReadLayout(bytes);
    if (!layout) {
        result.problem = kCorruptImage;
        return result;
    }
    if (layout->width * layout->height > kMaxImagePixels) {
        result.problem = TooLargeProblem(layout->width, layout->height);
        return result;
    }
    const bool runLength = layout->compression == kBiRle8 || layout->compression == kBiRle4;
    if (!(runLength ? RunsComplete(bytes, *layout) : RowsComplete(bytes, *layout))) {
        result.problem = kCorruptImage;
        return result;
    }

    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer device(&data);
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device, "bmp");
    reader.setAutoDetectImageFormat(false);
    // Qt's default limit (128 MB) would refuse large colour pages that are within ours.
    reader.setAllocationLimit(static_cast<int>((kMaxImagePixels * 4 + (1 << 20) - 1) >> 20));

    // Qt gives a top-down bitmap a negative height here.
    const QSize reported = reader.size();
    const long long width = reported.width();
    const long long height = std::llabs(reported.height());
    if (width <= 0 || height <= 0) {
        result.problem = kCorruptImage;
        return result;
    }
    if (width * height > kMaxImagePixels) {
        result.problem = TooLargeProblem(width, height);
        return result;
    }

    QImage image;
    if (runLength) {
        // Pixels the runs skip keep colour index 0 instead of stale memory; Qt draws into
        // an image of the right size and format rather than allocating its own.
        image = QImage(static_cast<int>(width), static_cast<int>(height), reader.imageFormat());
        if (image.isNull()) {
            result.problem = "内存不足";
            return result;
        }
        std::memset(image.bits(), 0, static_cast<std::size_t>(image.sizeInBytes()));
    }
    if (!reader.read(&image) || image.isNull()) {
        result.problem = kCorruptImage;
        return result;
    }

    switch (image.format()) {
        case QImage::Format_Indexed8:
            result.pixels = FromIndexed(image);
            break;
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            result.pixels = FromIndexed(image.convertToFormat(QImage::Format_Indexed8));
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            result.pixels = FromWords(image);
            break;
        default:
            result.pixels = FromWords(image.convertToFormat(QImage::Format_RGB32));
            break;
    }
    return result;
}

}  // namespace quillmark::detail

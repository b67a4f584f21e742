// BMP: uncompressed rows are read where they lie in the file, straight to grey (what the
// engine reads) and reduced as they go; run-length bitmaps are drawn by Qt's reader first.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <array>
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
    bool topDown = false;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::size_t pixelOffset = 0;
    std::size_t paletteAt = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t colours = 0;  // palette entries
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
        layout.topDown = static_cast<std::int32_t>(U32(bytes, 22)) < 0;
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
        layout.paletteAt = afterHeader;
        layout.paletteEntrySize = paletteEntrySize;
        layout.colours = colours;
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

// Every row must be there: a short file is damaged, not a picture with a blank bottom.
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

// A channel of a 16- or 32-bit pixel, scaled to 8 bits as Qt's reader scales it (a 5-bit
// maximum reads 248), so sheets read as they always have.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m) : mask(m), shift(m ? std::countr_zero(m) : 0), bits(std::popcount(m)) {}
    unsigned Of(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mask) >> shift;
        return bits >= 8 ? v >> (bits - 8) : v << (8 - bits);
    }
};

// The grey of every palette index; indices past the colour table read as black, as Qt's
// own conversions do.
std::array<std::uint8_t, 256> PaletteGreys(std::string_view bytes, const BmpLayout& layout) {
    std::array<std::uint8_t, 256> greys{};
    for (std::size_t i = 0; i < layout.colours && i < greys.size(); ++i) {
        const std::size_t at = layout.paletteAt + i * layout.paletteEntrySize;
        greys[i] = GreyOf(U8(bytes, at + 2), U8(bytes, at + 1), U8(bytes, at));
    }
    return greys;
}

// Uncompressed rows, read where they lie in the file and turned into grey one at a time: a
// large bitmap is never held a second time at full size.
void ReadStoredRows(std::string_view bytes, const BmpLayout& layout, GreyRows& out) {
    const std::size_t rowBytes = static_cast<std::size_t>((layout.width * layout.bitCount + 31) / 32 * 4);
    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    const std::uint32_t bits = layout.bitCount;
    const std::array<std::uint8_t, 256> palette = PaletteGreys(bytes, layout);
    const bool masked = layout.compression == kBiBitfields;
    const Channel red(masked ? U32(bytes, kMasksAt) : bits == 16 ? 0x7C00u : 0xFF0000u);
    const Channel green(masked ? U32(bytes, kMasksAt + 4) : bits == 16 ? 0x03E0u : 0x00FF00u);
    const Channel blue(masked ? U32(bytes, kMasksAt + 8) : bits == 16 ? 0x001Fu : 0x0000FFu);
    for (int y = 0; y < height; ++y) {
        const int stored = layout.topDown ? y : height - 1 - y;
        const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data() + layout.pixelOffset) +
                         static_cast<std::size_t>(stored) * rowBytes;
        std::uint8_t* row = out.Row(y);
        if (bits <= 8) {
            const unsigned mask = (1u << bits) - 1;
            for (int x = 0; x < width; ++x) {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                row[x] = palette[(in[bit / 8] >> (8 - bits - bit % 8)) & mask];
            }
        } else if (bits == 24) {
            for (int x = 0; x < width; ++x) row[x] = GreyOf(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
        } else {
            const std::size_t size = bits / 8;
            for (int x = 0; x < width; ++x) {
                std::uint32_t pixel = 0;
                for (std::size_t k = 0; k < size; ++k) pixel |= std::uint32_t{in[size * x + k]} << (8 * k);
                row[x] = GreyOf(red.Of(pixel), green.Of(pixel), blue.Of(pixel));
            }
        }
        out.Done();
    }
}

}  // namespace

RawDecode DecodeBmp(std::string_view bytes) {
    RawDecode result;
    std::optional<BmpLayout> layout = ReadLayout(bytes);
    if (!layout) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    if (layout->width * layout->height > kMaxImagePixels) {
        result.status = TooLargeProblem(layout->width, layout->height);
        return result;
    }
    const bool runLength = layout->compression == kBiRle8 || layout->compression == kBiRle4;
    if (!(runLength ? RunsComplete(bytes, *layout) : RowsComplete(bytes, *layout))) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    if (!runLength) {
        GreyRows rows(static_cast<int>(layout->width), static_cast<int>(layout->height));
        ReadStoredRows(bytes, *layout, rows);
        result.pixels = rows.Take();
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
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    if (width * height > kMaxImagePixels) {
        result.status = TooLargeProblem(width, height);
        return result;
    }

    QImage image;
    if (runLength) {
        // Pixels the runs skip keep colour index 0 instead of stale memory; Qt draws into
        // an image of the right size and format rather than allocating its own.
        image = QImage(static_cast<int>(width), static_cast<int>(height), reader.imageFormat());
        if (image.isNull()) {
            result.status = Status::Error(kOutOfMemory);
            return result;
        }
        std::memset(image.bits(), 0, static_cast<std::size_t>(image.sizeInBytes()));
    }
    if (!reader.read(&image) || image.isNull()) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }

    // Qt draws runs into 8-bit indices; they are turned into grey a row at a time.
    std::array<std::uint8_t, 256> greys{};
    const QList<QRgb> table = image.colorTable();
    for (qsizetype i = 0; i < table.size() && i < 256; ++i) {
        greys[static_cast<std::size_t>(i)] = GreyOf(qRed(table[i]), qGreen(table[i]), qBlue(table[i]));
    }
    GreyRows rows(image.width(), image.height());
    const bool indexed = image.format() == QImage::Format_Indexed8;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* in = image.constScanLine(y);
        std::uint8_t* row = rows.Row(y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = indexed ? 0 : image.pixel(x, y);
            row[x] = indexed ? greys[in[x]] : GreyOf(qRed(c), qGreen(c), qBlue(c));
        }
        rows.Done();
    }
    result.pixels = rows.Take();
    return result;
}

}  // namespace quillmark::detail

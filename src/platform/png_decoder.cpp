// PNG read here over zlib, a row at a time, rather than through an image library that
// holds the whole picture at its own depth: a small file of a large 16-bit image with alpha
// would need eight bytes a pixel. Grey, colour and palette images of any bit depth,
// interlaced or not, with or without transparency, go straight to grey (what the engine
// reads) and are reduced as they are read. Samples are taken as stored, without gamma
// correction, as the other formats are.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark::detail {
namespace {

// Rows wider than this are refused before anything is allocated for them.
constexpr std::size_t kMaxRowBytes = std::size_t{16} << 20;

std::uint32_t Be32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t{u[0]} << 24 | std::uint32_t{u[1]} << 16 | std::uint32_t{u[2]} << 8 | u[3];
}

unsigned Be16(const std::uint8_t* p) { return unsigned{p[0]} << 8 | p[1]; }

// 16 bits to 8, rounded.
unsigned Scale16(unsigned v) { return (v * 255 + 32767) / 65535; }

// A sample on white paper: what shows through a transparent pixel is the paper.
unsigned OnWhite(unsigned value, unsigned alpha) { return (value * alpha + 255 * (255 - alpha) + 127) / 255; }

struct Png {
    std::uint32_t width = 0, height = 0;
    int depth = 0;
    int colourType = 0;
    bool interlaced = false;
    std::vector<std::string_view> data;         // the IDAT chunks, in order
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::string_view transparency;              // the tRNS chunk
};

int Channels(int colourType) {
    switch (colourType) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;
    }
}

bool ValidDepth(int colourType, int depth) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6: return depth == 8 || depth == 16;
        default: return false;
    }
}

// The chunks, checked: a damaged critical chunk fails the file, a damaged ancillary one is
// left out. The file may end without IEND when the image data is complete.
std::optional<Png> ReadChunks(std::string_view bytes) {
    if (bytes.substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8)) return std::nullopt;
    Png png;
    bool header = false;
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = Be32(bytes.data() + at);
        if (length > 0x7fffffffu || length > bytes.size() - at - 12) break;  // cut short
        const std::string_view type = bytes.substr(at + 4, 4);
        const std::string_view body = bytes.substr(at + 8, length);
        const std::uint32_t crc = Be32(bytes.data() + at + 8 + length);
        at += 12 + static_cast<std::size_t>(length);
        const bool critical = (type[0] & 0x20) == 0;
        const auto computed = static_cast<std::uint32_t>(
            crc32(crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4), reinterpret_cast<const Bytef*>(body.data()), length));
        // A fuzzer cannot mend checksums: its builds read past them to reach the pixels.
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        if (computed != crc) {
            if (critical) return std::nullopt;
            continue;
        }
#else
        (void)computed, (void)crc, (void)critical;
#endif
        if (!header) {
            if (type != "IHDR" || length != 13) return std::nullopt;
            const auto* h = reinterpret_cast<const std::uint8_t*>(body.data());
            png.width = Be32(body.data());
            png.height = Be32(body.data() + 4);
            png.depth = h[8];
            png.colourType = h[9];
            if (png.width == 0 || png.height == 0 || png.width > 0x7fffffffu || png.height > 0x7fffffffu ||
                !ValidDepth(png.colourType, png.depth) || h[10] != 0 || h[11] != 0 || h[12] > 1) {
                return std::nullopt;
            }
            png.interlaced = h[12] == 1;
            header = true;
        } else if (type == "PLTE") {
            if (length == 0 || length % 3 != 0 || length > 768) return std::nullopt;
            png.palette.resize(length / 3);
            std::memcpy(png.palette.data(), body.data(), length);
        } else if (type == "tRNS") {
            png.transparency = body;
        } else if (type == "IDAT") {
            png.data.push_back(body);
        } else if (type == "IEND") {
            break;
        }
    }
    if (!header || png.data.empty() || (png.colourType == 3 && png.palette.empty())) return std::nullopt;
    return png;
}

// The image data inflated across its chunks, a row at a time.
class Inflater {
public:
    explicit Inflater(const std::vector<std::string_view>& chunks) : chunks_(chunks) { ok_ = inflateInit(&stream_) == Z_OK; }
    ~Inflater() {
        if (ok_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Exactly `size` bytes, or false when the data ends first or is damaged.
    bool Read(std::uint8_t* out, std::size_t size) {
        if (!ok_) return false;
        stream_.next_out = out;
        stream_.avail_out = static_cast<uInt>(size);
        while (stream_.avail_out > 0) {
            if (stream_.avail_in == 0) {
                if (next_ >= chunks_.size()) return false;
                const std::string_view chunk = chunks_[next_++];
                stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
                stream_.avail_in = static_cast<uInt>(chunk.size());
                continue;
            }
            const int status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) return stream_.avail_out == 0;
            if (status != Z_OK && status != Z_BUF_ERROR) return false;
        }
        return true;
    }

private:
    const std::vector<std::string_view>& chunks_;
    std::size_t next_ = 0;
    z_stream stream_{};
    bool ok_ = false;
};

void Unfilter(int filter, std::uint8_t* row, const std::uint8_t* prior, std::size_t size, std::size_t bpp) {
    switch (filter) {
        case 1:
            for (std::size_t i = bpp; i < size; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
            break;
        case 2:
            for (std::size_t i = 0; i < size; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
            break;
        case 3:
            for (std::size_t i = 0; i < size; ++i) {
                const unsigned left = i >= bpp ? row[i - bpp] : 0;
                row[i] = static_cast<std::uint8_t>(row[i] + ((left + prior[i]) >> 1));
            }
            break;
        case 4:
            for (std::size_t i = 0; i < size; ++i) {
                const int a = i >= bpp ? row[i - bpp] : 0;
                const int b = prior[i];
                const int c = i >= bpp ? prior[i - bpp] : 0;
                const int p = a + b - c;
                const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                const int predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                row[i] = static_cast<std::uint8_t>(row[i] + predicted);
            }
            break;
        default:
            break;
    }
}

// Turns one row of samples into grey bytes on white paper.
class GreyConverter {
public:
    explicit GreyConverter(const Png& png) : png_(png) {
        const std::string_view t = png.transparency;
        const auto* u = reinterpret_cast<const std::uint8_t*>(t.data());
        if (png.colourType == 3) {
            for (std::size_t i = 0; i < lut_.size(); ++i) {
                // Indices past the palette read as black.
                const std::array<std::uint8_t, 3> c = i < png.palette.size() ? png.palette[i] : std::array<std::uint8_t, 3>{};
                const unsigned alpha = i < t.size() && t.size() <= png.palette.size() ? u[i] : 255;
                lut_[i] = GreyOf(OnWhite(c[0], alpha), OnWhite(c[1], alpha), OnWhite(c[2], alpha));
            }
        } else if (png.colourType == 0 && t.size() == 2) {
            key_ = {Be16(u) & ((1u << png.depth) - 1), 0, 0};
        } else if (png.colourType == 2 && t.size() == 6) {
            const unsigned mask = (1u << png.depth) - 1;
            key_ = {Be16(u) & mask, Be16(u + 2) & mask, Be16(u + 4) & mask};
        }
    }

    void Convert(const std::uint8_t* in, std::uint32_t width, std::uint8_t* out) const {
        const int depth = png_.depth;
        switch (png_.colourType) {
            case 0:
                if (depth == 16) {
                    for (std::uint32_t x = 0; x < width; ++x) {
                        const unsigned v = Be16(in + 2 * x);
                        out[x] = Keyed(v) ? 255 : static_cast<std::uint8_t>(Scale16(v));
                    }
                } else {
                    const unsigned max = (1u << depth) - 1;
                    for (std::uint32_t x = 0; x < width; ++x) {
                        const unsigned v = Packed(in, x, depth);
                        out[x] = Keyed(v) ? 255 : static_cast<std::uint8_t>(v * 255 / max);
                    }
                }
                break;
            case 3:
                for (std::uint32_t x = 0; x < width; ++x) out[x] = lut_[Packed(in, x, depth)];
                break;
            case 2:
                for (std::uint32_t x = 0; x < width; ++x) {
                    unsigned r, g, b;
                    if (depth == 16) {
                        r = Be16(in + 6 * x), g = Be16(in + 6 * x + 2), b = Be16(in + 6 * x + 4);
                        if (KeyedRgb(r, g, b)) {
                            out[x] = 255;
                            continue;
                        }
                        r = Scale16(r), g = Scale16(g), b = Scale16(b);
                    } else {
                        r = in[3 * x], g = in[3 * x + 1], b = in[3 * x + 2];
                        if (KeyedRgb(r, g, b)) {
                            out[x] = 255;
                            continue;
                        }
                    }
                    out[x] = GreyOf(r, g, b);
                }
                break;
            case 4:
                for (std::uint32_t x = 0; x < width; ++x) {
                    const unsigned v = depth == 16 ? Scale16(Be16(in + 4 * x)) : in[2 * x];
                    const unsigned a = depth == 16 ? Scale16(Be16(in + 4 * x + 2)) : in[2 * x + 1];
                    out[x] = static_cast<std::uint8_t>(OnWhite(v, a));
                }
                break;
            case 6:
                for (std::uint32_t x = 0; x < width; ++x) {
                    unsigned c[4];
                    for (int k = 0; k < 4; ++k) c[k] = depth == 16 ? Scale16(Be16(in + 8 * x + 2 * k)) : in[4 * x + k];
                    out[x] = GreyOf(OnWhite(c[0], c[3]), OnWhite(c[1], c[3]), OnWhite(c[2], c[3]));
                }
                break;
            default:
                break;
        }
    }

private:
    static unsigned Packed(const std::uint8_t* in, std::uint32_t x, int depth) {
        if (depth == 8) return in[x];
        const std::size_t bit = static_cast<std::size_t>(x) * depth;
        return (in[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
    }
    bool Keyed(unsigned v) const { return key_ && (*key_)[0] == v; }
    bool KeyedRgb(unsigned r, unsigned g, unsigned b) const {
        return key_ && (*key_)[0] == r && (*key_)[1] == g && (*key_)[2] == b;
    }

    const Png& png_;
    std::array<std::uint8_t, 256> lut_{};
    std::optional<std::array<unsigned, 3>> key_;
};

std::size_t RowBytes(std::uint64_t width, const Png& png) {
    return static_cast<std::size_t>((width * static_cast<std::uint64_t>(Channels(png.colourType) * png.depth) + 7) / 8);
}

struct Pass {
    std::uint32_t x0, y0, dx, dy;
};
constexpr Pass kWhole = {0, 0, 1, 1};
constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

}  // namespace

RawDecode DecodePng(std::string_view bytes) {
    RawDecode result;
    const std::optional<Png> png = ReadChunks(bytes);
    if (!png) {
        result.status = Status::Error(kCorruptImage);
        return result;
    }
    const long long width = png->width, height = png->height;
    if (width * height > kMaxImagePixels) {
        result.status = TooLargeProblem(width, height);
        return result;
    }
    if (RowBytes(png->width, *png) > kMaxRowBytes) {
        result.status = Status::Error(FillForm(UiText("ImageFiles", "图像太宽（%1像素）"), {std::to_string(width)}));
        return result;
    }
    const std::size_t bpp = std::max(1, Channels(png->colourType) * png->depth / 8);
    const GreyConverter converter(*png);
    Inflater inflater(png->data);

    // Rows of an interlaced image arrive in seven sparse passes: they are gathered in grey
    // at full size and reduced at the end.
    std::optional<GreyRows> rows;
    PixelBuffer whole;
    if (png->interlaced) whole = PixelsFor(static_cast<int>(width), static_cast<int>(height), PixelFormat::Gray8);
    else rows.emplace(static_cast<int>(width), static_cast<int>(height));

    std::vector<std::uint8_t> row, prior, grey(png->interlaced ? png->width : 0);
    const Pass* passes = png->interlaced ? kAdam7 : &kWhole;
    const int passCount = png->interlaced ? 7 : 1;
    for (int p = 0; p < passCount; ++p) {
        const Pass& pass = passes[p];
        if (pass.x0 >= png->width || pass.y0 >= png->height) continue;  // an empty pass is not stored
        const std::uint32_t passWidth = (png->width - pass.x0 + pass.dx - 1) / pass.dx;
        const std::uint32_t passHeight = (png->height - pass.y0 + pass.dy - 1) / pass.dy;
        const std::size_t size = RowBytes(passWidth, *png);
        row.assign(size + 1, 0);
        prior.assign(size + 1, 0);
        for (std::uint32_t r = 0; r < passHeight; ++r) {
            if (!inflater.Read(row.data(), size + 1) || row[0] > 4) {
                result.status = Status::Error(kCorruptImage);
                return result;
            }
            Unfilter(row[0], row.data() + 1, prior.data() + 1, size, bpp);
            const std::uint32_t y = pass.y0 + r * pass.dy;
            if (rows) {
                converter.Convert(row.data() + 1, passWidth, rows->Row(static_cast<int>(y)));
                rows->Done();
            } else {
                converter.Convert(row.data() + 1, passWidth, grey.data());
                std::uint8_t* out = whole.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(whole.stride);
                for (std::uint32_t i = 0; i < passWidth; ++i) out[pass.x0 + i * pass.dx] = grey[i];
            }
            std::swap(row, prior);
        }
    }
    result.pixels = rows ? rows->Take() : Reduce(std::move(whole), ReductionFactor(width, height));
    return result;
}

}  // namespace quillmark::detail

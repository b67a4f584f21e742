#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace quillmark {

// A colour as the engine reads it: red in bits 0-7, green 8-15, blue 16-23.
// A read outside the picture gives the invalid colour, all bits set.
using Colour = std::int32_t;
inline constexpr Colour kInvalidColour = -1;

// Brightness 0..255 of a colour: (9798 R + 19235 G + 3735 B) / 32768, halves to even.
// The invalid colour gives 28.
int Luminance(Colour colour);

enum class PixelFormat : std::uint8_t {
    Gray8,   // one byte a pixel
    Rgb24,   // red, green, blue bytes
    Bgrx32,  // blue, green, red, unused (a little-endian 0xXXRRGGBB word)
};

// Decoded pixels that own their memory.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes from one row to the next
    PixelFormat format = PixelFormat::Gray8;
    std::vector<std::uint8_t> bytes;

    static PixelBuffer Blank(int width, int height, PixelFormat format, std::uint8_t fill = 255);
};

// Rounds to the nearest integer, halves to the even neighbour; what every real position
// and every real-to-integer step of the engine goes through.
inline long long RoundEven(double value) { return std::llrint(value); }

// The engine's read-only view of one sheet image: width, height and one pixel at a time.
class SheetImage {
public:
    SheetImage() = default;
    SheetImage(const std::uint8_t* data, int width, int height, int stride, PixelFormat format)
        : data_(data), width_(width), height_(height), stride_(stride), format_(format) {}
    explicit SheetImage(const PixelBuffer& buffer)
        : SheetImage(buffer.bytes.data(), buffer.width, buffer.height, buffer.stride, buffer.format) {}

    int width() const { return width_; }
    int height() const { return height_; }

    Colour readPixel(long long x, long long y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColour;
        const std::uint8_t* row = data_ + static_cast<std::ptrdiff_t>(y) * stride_;
        switch (format_) {
            case PixelFormat::Gray8: {
                Colour g = row[x];
                return g | (g << 8) | (g << 16);
            }
            case PixelFormat::Rgb24: {
                const std::uint8_t* p = row + 3 * x;
                return p[0] | (p[1] << 8) | (p[2] << 16);
            }
            case PixelFormat::Bgrx32: {
                const std::uint8_t* p = row + 4 * x;
                return p[2] | (p[1] << 8) | (p[0] << 16);
            }
        }
        return kInvalidColour;
    }

    // Luminance of the pixel nearest to a real position (halves to even).
    int luminanceAt(double x, double y) const { return luminanceAtPixel(RoundEven(x), RoundEven(y)); }

    int luminanceAtPixel(long long x, long long y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidLuminance;
        const std::uint8_t* row = data_ + static_cast<std::ptrdiff_t>(y) * stride_;
        switch (format_) {
            case PixelFormat::Gray8:
                return row[x];  // the weights sum to 32768, so grey reads as itself
            case PixelFormat::Rgb24:
                return WeightedLuminance(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
            case PixelFormat::Bgrx32:
                return WeightedLuminance(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
        }
        return kInvalidLuminance;
    }

    static constexpr int kInvalidLuminance = 28;

private:
    static int WeightedLuminance(int r, int g, int b) {
        int sum = 9798 * r + 19235 * g + 3735 * b;
        int quotient = sum >> 15;
        int remainder = sum & 32767;
        if (remainder > 16384 || (remainder == 16384 && (quotient & 1))) ++quotient;
        return quotient;
    }

    const std::uint8_t* data_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    PixelFormat format_ = PixelFormat::Gray8;
};

}  // namespace quillmark

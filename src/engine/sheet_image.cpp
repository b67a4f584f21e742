#include "sheet_image.h"

namespace quillmark {

int Luminance(Colour colour) {
    // The byte split as the colour arithmetic defines it, so the invalid colour -1 gives
    // R = -1, G = -1, B = 255.
    long long c = colour;
    long long r = c % 256;
    long long g = ((c & ~0xFFLL) / 256) % 256;
    long long b = (c & 0xFF0000LL) / 65536;
    return static_cast<int>(RoundEven(static_cast<double>(9798 * r + 19235 * g + 3735 * b) / 32768.0));
}

PixelBuffer PixelBuffer::Blank(int width, int height, PixelFormat format, std::uint8_t fill) {
    PixelBuffer buffer;
    buffer.width = width;
    buffer.height = height;
    buffer.format = format;
    int bytesPerPixel = format == PixelFormat::Gray8 ? 1 : format == PixelFormat::Rgb24 ? 3 : 4;
    buffer.stride = width * bytesPerPixel;
    buffer.bytes.assign(static_cast<std::size_t>(buffer.stride) * static_cast<std::size_t>(height), fill);
    return buffer;
}

}  // namespace quillmark

#include "preview.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

class Canvas {
public:
    Canvas(int width, int height, Colour background)
        : buffer_(PixelBuffer::Blank(std::max(width, 0), std::max(height, 0), PixelFormat::Bgrx32)) {
        for (int y = 0; y < buffer_.height; ++y) {
            for (int x = 0; x < buffer_.width; ++x) Put(x, y, background);
        }
    }

    void Put(long long x, long long y, Colour colour) {
        if (colour == kInvalidColour) return;
        if (x < 0 || y < 0 || x >= buffer_.width || y >= buffer_.height) return;
        std::uint8_t* p = buffer_.bytes.data() + y * buffer_.stride + 4 * x;
        p[0] = static_cast<std::uint8_t>(colour >> 16);
        p[1] = static_cast<std::uint8_t>(colour >> 8);
        p[2] = static_cast<std::uint8_t>(colour);
        p[3] = 255;
    }

    int width() const { return buffer_.width; }
    int height() const { return buffer_.height; }
    PixelBuffer Take() { return std::move(buffer_); }

private:
    PixelBuffer buffer_;
};

// The source index that preview distance `distance` (in preview pixels from the copy's
// origin) falls on, or -1 outside the copy. Coordinates that round up to the size are
// held to the last pixel, so the copy is whole.
long long SourceIndex(long long distance, double z, int size) {
    if (distance < 0) return -1;
    double t = static_cast<double>(distance) * z;
    if (!(t < size)) return -1;
    return std::min<long long>(RoundEven(t), size - 1);
}

void DrawStraight(const SheetImage& source, Canvas& canvas, double z, bool halfTurn) {
    constexpr long long kOriginX = 400, kOriginY = 500;
    for (int py = 0; py < canvas.height(); ++py) {
        long long sy = SourceIndex(halfTurn ? kOriginY - py : py, z, source.height());
        if (sy < 0) continue;
        for (int px = 0; px < canvas.width(); ++px) {
            long long sx = SourceIndex(halfTurn ? kOriginX - px : px, z, source.width());
            if (sx >= 0) canvas.Put(px, py, source.readPixel(sx, sy));
        }
    }
}

// A position rounded to a pixel index; positions too far out for an integer stay outside.
long long PixelIndex(double t) { return std::fabs(t) < 1e15 ? RoundEven(t) : -1; }

void DrawQuarterTurn(const SheetImage& source, Canvas& canvas, double z, bool toTheLeft) {
    const long long w = canvas.width(), h = canvas.height();
    for (long long y = 0; y <= h; ++y) {
        long long sx = PixelIndex(static_cast<double>(y) * z);
        for (long long x = 0; x <= w; ++x) {
            Colour colour = source.readPixel(sx, PixelIndex(static_cast<double>(x) * z));
            if (toTheLeft) {
                canvas.Put(x, h - y, colour);
            } else {
                canvas.Put(w - x, y, colour);
            }
        }
    }
}

}  // namespace

PixelBuffer RefreshPreview(const SheetImage& source, int previewWidth, int previewHeight, int orientation,
                           double zoom, bool fixedZoom, Colour background) {
    Canvas canvas(previewWidth, previewHeight, background);
    double z = fixedZoom ? zoom : 1.0;
    if (!std::isfinite(z) || z < 0) return canvas.Take();
    switch (orientation) {
        case 向上: DrawStraight(source, canvas, z, false); break;
        case 向下: DrawStraight(source, canvas, z, true); break;
        case 向左: DrawQuarterTurn(source, canvas, z, true); break;
        case 向右: DrawQuarterTurn(source, canvas, z, false); break;
        default: break;
    }
    return canvas.Take();
}

}  // namespace quillmark

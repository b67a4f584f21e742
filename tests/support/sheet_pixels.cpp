#include "support/sheet_pixels.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillmark::test {
namespace {

std::size_t Offset(const PixelBuffer& image, int x, int y) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(image.stride) +
           static_cast<std::size_t>(x) * static_cast<std::size_t>(Channels(image));
}

std::uint8_t Scaled(std::uint8_t value, double factor) {
    return static_cast<std::uint8_t>(std::lround(value * std::clamp(factor, 0.0, 255.0) / 255.0));
}

// Bilinear sample of every channel at a real position into `out`; false outside the image.
bool Sample(const PixelBuffer& source, double sx, double sy, std::uint8_t* out, double factor = 1) {
    int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= source.width || y0 + 1 >= source.height) return false;
    double fx = sx - x0, fy = sy - y0;
    int channels = Channels(source);
    const std::uint8_t* p = &source.bytes[Offset(source, x0, y0)];
    const std::uint8_t* below = p + source.stride;
    for (int c = 0; c < channels; ++c) {
        double top = p[c] * (1 - fx) + p[c + channels] * fx;
        double bottom = below[c] * (1 - fx) + below[c + channels] * fx;
        out[c] = static_cast<std::uint8_t>(std::lround((top * (1 - fy) + bottom * fy) * factor));
    }
    return true;
}

// Every pixel darkened by a factor that depends on its position alone.
template <typename Factor>
void Shade(PixelBuffer& image, Factor factor) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) Darken(image, x, y, 255 * factor(x, y));
    }
}

// Wood grain: bands that wander, with fine fibres across them, deterministic in x and y.
std::uint8_t DeskAt(int x, int y, int background, double grain) {
    double band = std::sin(0.045 * x + 2.5 * std::sin(0.006 * y) + 0.8 * std::sin(0.021 * y + 0.01 * x));
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y / 3) * 19349663u;
    h ^= h >> 13, h *= 0x5bd1e995u, h ^= h >> 15;
    double fibre = static_cast<double>(h % 41) - 20;
    return static_cast<std::uint8_t>(std::clamp(std::lround(background + grain * (45 * band + fibre)), 0L, 255L));
}

}  // namespace

double Uniform(Random& random, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }

bool Chance(Random& random, double p) { return p > 0 && Uniform(random, 0, 1) < p; }

int Channels(const PixelBuffer& image) { return image.format == PixelFormat::Rgb24 ? 3 : 1; }

std::uint8_t* PixelAt(PixelBuffer& image, int x, int y) { return &image.bytes[Offset(image, x, y)]; }

void Darken(PixelBuffer& image, int x, int y, double grey) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    std::uint8_t* pixel = PixelAt(image, x, y);
    for (int c = 0; c < Channels(image); ++c) pixel[c] = Scaled(pixel[c], grey);
}

void Darken(PixelBuffer& image, int x, int y, const Ink& ink) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    std::uint8_t* pixel = PixelAt(image, x, y);
    if (Channels(image) == 1) {
        pixel[0] = Scaled(pixel[0], 0.299 * ink.red + 0.587 * ink.green + 0.114 * ink.blue);
        return;
    }
    pixel[0] = Scaled(pixel[0], ink.red);
    pixel[1] = Scaled(pixel[1], ink.green);
    pixel[2] = Scaled(pixel[2], ink.blue);
}

PixelBuffer Turn(const PixelBuffer& source, int quarterTurns) {
    if (quarterTurns == 0) return source;
    bool sideways = quarterTurns != 3;
    PixelBuffer out = PixelBuffer::Blank(sideways ? source.height : source.width,
                                         sideways ? source.width : source.height, source.format);
    int channels = Channels(source);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const std::uint8_t* v = &source.bytes[Offset(source, x, y)];
            std::uint8_t* to = quarterTurns == 1   ? PixelAt(out, y, source.width - 1 - x)         // top to the left
                               : quarterTurns == 2 ? PixelAt(out, source.height - 1 - y, x)        // top to the right
                                                   : PixelAt(out, source.width - 1 - x, source.height - 1 - y);
            std::copy_n(v, channels, to);
        }
    }
    return out;
}

PixelBuffer Transform(const PixelBuffer& source, double degrees, double scale, double shiftX, double shiftY) {
    if (degrees == 0 && scale == 1 && shiftX == 0 && shiftY == 0) return source;
    CameraView view;
    view.degrees = degrees;
    view.scale = scale;
    view.shiftX = shiftX;
    view.shiftY = shiftY;
    return Photograph(source, view);
}

PixelBuffer Photograph(const PixelBuffer& source, const CameraView& view) {
    PixelBuffer out = PixelBuffer::Blank(source.width, source.height, source.format,
                                         static_cast<std::uint8_t>(std::clamp(view.background, 0, 255)));
    double radians = view.degrees * M_PI / 180, c = std::cos(radians), s = std::sin(radians);
    double mx = source.width / 2.0, my = source.height / 2.0;
    // The squeeze p -> p / (1 + g a.p) shortens the edge where a.p = 1 by the keystone share.
    double g = view.keystone / (2 - view.keystone);
    double ax = view.keystoneSide == 2 ? -1 / mx : view.keystoneSide == 3 ? 1 / mx : 0;
    double ay = view.keystoneSide == 0 ? -1 / my : view.keystoneSide == 1 ? 1 / my : 0;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            // Inverse map: positive degrees turn the content counter-clockwise on screen.
            double dx = (x - mx - view.shiftX) / view.scale, dy = (y - my - view.shiftY) / view.scale;
            double sx = mx + c * dx - s * dy, sy = my + s * dx + c * dy;
            if (g != 0) {
                double qx = c * dx - s * dy, qy = s * dx + c * dy;
                double w = 1 - g * (ax * qx + ay * qy);
                if (w <= 0) continue;
                sx = mx + qx / w;
                sy = my + qy / w;
            }
            if (!Sample(source, sx, sy, PixelAt(out, x, y)) && view.deskGrain > 0) {
                std::fill_n(PixelAt(out, x, y), Channels(out), DeskAt(x, y, view.background, view.deskGrain));
            }
        }
    }
    return out;
}

void CurlPage(PixelBuffer& image, bool rightSide, double lift, double band) {
    if (lift <= 0 || band <= 1) return;
    PixelBuffer source = image;
    double my = image.height / 2.0;
    int channels = Channels(image);
    for (int y = 0; y < image.height; ++y) {
        for (int d = 0; d < static_cast<int>(band) && d < image.width; ++d) {
            double rise = (1 - d / band) * (1 - d / band);
            double sd = d + lift * rise;
            double sy = y + lift * 0.25 * rise * (y - my) / my;
            int x = rightSide ? image.width - 1 - d : d;
            double sx = rightSide ? image.width - 1 - sd : sd;
            std::uint8_t* to = PixelAt(image, x, y);
            if (!Sample(source, sx, sy, to, 1 - 0.3 * rise)) std::fill_n(to, channels, std::uint8_t{255});
        }
    }
}

void BoxBlur(PixelBuffer& image, int radius) {
    if (radius <= 0) return;
    std::vector<int> line;
    int channels = Channels(image);
    auto pass = [&](bool horizontal, int c) {
        int outer = horizontal ? image.height : image.width, inner = horizontal ? image.width : image.height;
        line.resize(static_cast<std::size_t>(inner));
        for (int o = 0; o < outer; ++o) {
            std::size_t first = horizontal ? Offset(image, 0, o) : Offset(image, o, 0);
            std::size_t step = horizontal ? static_cast<std::size_t>(channels) : static_cast<std::size_t>(image.stride);
            auto pixel = [&](int i) -> std::uint8_t& { return image.bytes[first + static_cast<std::size_t>(i) * step + static_cast<std::size_t>(c)]; };
            for (int i = 0; i < inner; ++i) line[static_cast<std::size_t>(i)] = pixel(i);
            int sum = 0, count = 0;
            for (int i = -radius; i < inner; ++i) {
                if (i + radius < inner) sum += line[static_cast<std::size_t>(i + radius)], ++count;
                if (i - radius - 1 >= 0) sum -= line[static_cast<std::size_t>(i - radius - 1)], --count;
                if (i >= 0) pixel(i) = static_cast<std::uint8_t>(sum / count);
            }
        }
    };
    for (int c = 0; c < channels; ++c) {
        pass(true, c);
        pass(false, c);
    }
}

void Vignette(PixelBuffer& image, double strength) {
    if (strength <= 0) return;
    double mx = image.width / 2.0, my = image.height / 2.0;
    Shade(image, [&](int x, int y) {
        double r2 = ((x - mx) * (x - mx) + (y - my) * (y - my)) / (mx * mx + my * my);
        return 1 - strength * r2;
    });
}

void LidShadow(PixelBuffer& image, int edge, double darkness, double width) {
    if (darkness <= 0 || width <= 0) return;
    Shade(image, [&](int x, int y) {
        double t = edge == 0 ? y : edge == 1 ? image.height - 1 - y : edge == 2 ? x : image.width - 1 - x;
        if (t >= width) return 1.0;
        double near = 1 - t / width;
        return 1 - darkness * near * near;
    });
}

void Streak(PixelBuffer& image, int x, int width, double grey) {
    for (int y = 0; y < image.height; ++y) {
        for (int i = 0; i < width; ++i) Darken(image, x + i, y, grey);
    }
}

void ToneRange(PixelBuffer& image, double black, double white) {
    if (black <= 0 && white >= 255) return;
    for (std::uint8_t& value : image.bytes) value = static_cast<std::uint8_t>(std::lround(black + (white - black) * value / 255.0));
}

void HarshContrast(PixelBuffer& image, double gain, double middle) {
    if (gain <= 1) return;
    for (std::uint8_t& value : image.bytes) {
        value = static_cast<std::uint8_t>(std::clamp(std::lround(128 + (value - middle) * gain), 0L, 255L));
    }
}



void FoldCreases(PixelBuffer& page, const std::vector<int>& ys, double dotsPerMm) {
    int shadow = std::max(2, static_cast<int>(3 * dotsPerMm));
    for (int crease : ys) {
        for (int y = crease - 1; y < crease + shadow; ++y) {
            if (y < 0 || y >= page.height) continue;
            double grey = y <= crease ? 200 : 255 - 28.0 * (crease + shadow - y) / shadow;
            for (int x = 0; x < page.width; ++x) Darken(page, x, y, grey);
        }
    }
}

void PunchHoles(PixelBuffer& page, const std::vector<int>& ys, int backing, double dotsPerMm) {
    double r = 3 * dotsPerMm, cx = 12 * dotsPerMm;
    for (int cy : ys) {
        for (int y = static_cast<int>(cy - r); y <= static_cast<int>(cy + r); ++y) {
            for (int x = static_cast<int>(cx - r); x <= static_cast<int>(cx + r); ++x) {
                if (x < 0 || y < 0 || x >= page.width || y >= page.height) continue;
                if (std::hypot(x - cx, y - cy) <= r) std::fill_n(PixelAt(page, x, y), Channels(page), static_cast<std::uint8_t>(backing));
            }
        }
    }
}

void ShowThrough(PixelBuffer& page, double strength) {
    if (strength <= 0) return;
    PixelBuffer back = page;
    int channels = Channels(page);
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            const std::uint8_t* mirror = &back.bytes[static_cast<std::size_t>(y) * back.stride +
                                                    static_cast<std::size_t>(page.width - 1 - x) * channels];
            double grey = 0;
            for (int c = 0; c < channels; ++c) grey += mirror[c];
            grey /= channels;
            Darken(page, x, y, 255 - strength * (255 - grey));
        }
    }
}

}  // namespace quillmark::test

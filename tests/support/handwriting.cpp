#include "support/handwriting.h"

#include <algorithm>
#include <cmath>

#include "marking/sheet_layouts.h"

namespace quillmark::test {
namespace {

PointMm Bezier(const PointMm& a, const PointMm& control, const PointMm& b, double t) {
    double u = 1 - t;
    return {u * u * a.x + 2 * u * t * control.x + t * t * b.x, u * u * a.y + 2 * u * t * control.y + t * t * b.y};
}

PenPath Curve(const PointMm& from, const PointMm& to, double bend, Random& random) {
    PointMm middle{(from.x + to.x) / 2 + Uniform(random, -bend, bend), (from.y + to.y) / 2 + Uniform(random, -bend, bend)};
    PenPath path;
    for (int i = 0; i <= 12; ++i) path.push_back(Bezier(from, middle, to, i / 12.0));
    return path;
}

// One stroke of a glyph in its box: across, down, a falling diagonal either way, or a dot.
PenPath GlyphStroke(Random& random, double left, double top, double size) {
    auto at = [&](double u, double v) { return PointMm{left + u * size, top + v * size}; };
    double a = Uniform(random, 0.05, 0.45), b = Uniform(random, 0.55, 0.95), c = Uniform(random, 0.1, 0.9);
    switch (static_cast<int>(Uniform(random, 0, 5))) {
        case 0: return Curve(at(a, c), at(b, c + Uniform(random, -0.1, 0.1)), size * 0.08, random);
        case 1: return Curve(at(c, a), at(c + Uniform(random, -0.1, 0.1), b), size * 0.08, random);
        case 2: return Curve(at(b, a), at(a, b), size * 0.2, random);
        case 3: return Curve(at(a, a), at(b, b), size * 0.2, random);
        default: return Curve(at(c, c), at(c + 0.08, c + 0.1), size * 0.02, random);
    }
}

// Inside the rectangle grown by `grow` and not inside it shrunk by `thickness + grow`.
bool OnRectangleLine(const PointMm& p, double left, double top, double right, double bottom, double thickness,
                     double grow) {
    bool inOuter = p.x >= left - grow && p.x <= right + grow && p.y >= top - grow && p.y <= bottom + grow;
    double in = thickness + grow;
    bool inInner = p.x > left + in && p.x < right - in && p.y > top + in && p.y < bottom - in;
    return inOuter && !inInner;
}

}  // namespace

void DrawPen(PixelBuffer& page, const std::vector<PenPath>& paths, double widthMm, const Ink& ink, double dotsPerMm) {
    std::vector<PointMm> points = Trace(paths, 0.4 / dotsPerMm);
    if (points.empty()) return;
    double radius = std::max(0.6, widthMm * dotsPerMm / 2);
    int left = page.width, top = page.height, right = -1, bottom = -1;
    for (const PointMm& p : points) {
        left = std::min(left, static_cast<int>(p.x * dotsPerMm - radius) - 1);
        top = std::min(top, static_cast<int>(p.y * dotsPerMm - radius) - 1);
        right = std::max(right, static_cast<int>(p.x * dotsPerMm + radius) + 1);
        bottom = std::max(bottom, static_cast<int>(p.y * dotsPerMm + radius) + 1);
    }
    int w = right - left + 1, h = bottom - top + 1;
    std::vector<bool> covered(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (const PointMm& p : points) {
        double cx = p.x * dotsPerMm, cy = p.y * dotsPerMm;
        for (int y = static_cast<int>(cy - radius); y <= static_cast<int>(cy + radius) + 1; ++y) {
            for (int x = static_cast<int>(cx - radius); x <= static_cast<int>(cx + radius) + 1; ++x) {
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > radius * radius) continue;
                covered[static_cast<std::size_t>(y - top) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x - left)] = true;
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (covered[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)]) {
                Darken(page, left + x, top + y, ink);
            }
        }
    }
}

std::vector<PenPath> HandwrittenGlyphs(Random& random, double x, double baseline, double height, int characters,
                                       bool numbers) {
    std::vector<PenPath> paths;
    for (int i = 0; i < characters; ++i) {
        double size = height * Uniform(random, 0.85, 1.1);
        double top = baseline - size + Uniform(random, -0.1, 0.1) * height;
        int strokes = numbers ? 1 + static_cast<int>(Uniform(random, 0, 2)) : 3 + static_cast<int>(Uniform(random, 0, 4));
        for (int s = 0; s < strokes; ++s) paths.push_back(GlyphStroke(random, x, top, numbers ? size * 0.6 : size));
        x += (numbers ? 0.65 : 1.05) * size;
    }
    return paths;
}

PenPath StrokeAcrossFrame(Random& random) {
    int side = static_cast<int>(Uniform(random, 0, 4));
    double outside = Uniform(random, 8, 19), inside = Uniform(random, 24, 34);
    double along = side < 2 ? Uniform(random, 30, page::kWidth - 30) : Uniform(random, 30, page::kHeight - 30);
    double drift = Uniform(random, -8, 8);
    auto point = [&](double depth, double offset) {
        switch (side) {
            case 0: return PointMm{along + offset, depth};
            case 1: return PointMm{along + offset, page::kHeight - depth};
            case 2: return PointMm{depth, along + offset};
            default: return PointMm{page::kWidth - depth, along + offset};
        }
    };
    return Curve(point(outside, 0), point(inside, drift), 3, random);
}

std::vector<PointMm> Trace(const std::vector<PenPath>& paths, double stepMm) {
    std::vector<PointMm> points;
    for (const PenPath& path : paths) {
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            double dx = path[i + 1].x - path[i].x, dy = path[i + 1].y - path[i].y;
            int steps = std::max(1, static_cast<int>(std::ceil(std::hypot(dx, dy) / stepMm)));
            for (int s = 0; s < steps; ++s) points.push_back({path[i].x + dx * s / steps, path[i].y + dy * s / steps});
        }
        if (!path.empty()) points.push_back(path.back());
    }
    return points;
}

bool TouchesFrameLine(const std::vector<PenPath>& paths, double widthMm) {
    using namespace page;
    double grow = widthMm / 2;
    for (const PointMm& p : Trace(paths, 0.1)) {
        if (OnRectangleLine(p, kMargin, kMargin, kWidth - kMargin, kHeight - kMargin, kOuterLine, grow)) return true;
        if (OnRectangleLine(p, kGridLeft - kInnerLine, kGridTop - kInnerLine, kGridRight + kInnerLine,
                            kGridBottom + kInnerLine, kInnerLine, grow)) {
            return true;
        }
    }
    return false;
}

}  // namespace quillmark::test

#include "support/synthetic_sheet.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace quillmark::test {

namespace {

// Drawing happens in edge coordinates, where pixel i covers [i, i + 1); the public positions
// are pixel centres, half a pixel less.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    Canvas(int w, int h, float paper)
        : width(w), height(h), values(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), paper) {}

    void paint(int x, int y, double grey, double coverage) {
        float& v = values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
        v += static_cast<float>((grey - v) * coverage);
    }
};

double Overlap(int i, double a, double b) { return std::max(0.0, std::min(i + 1.0, b) - std::max(double(i), a)); }

int FloorClamp(double v, int limit) { return std::clamp(static_cast<int>(std::floor(v)), 0, limit); }
int CeilClamp(double v, int limit) { return std::clamp(static_cast<int>(std::ceil(v)), 0, limit); }

struct Rect {
    double x0, y0, x1, y1;
};

void FillRect(Canvas& canvas, Rect r, double grey) {
    int i0 = FloorClamp(r.x0, canvas.width), i1 = CeilClamp(r.x1, canvas.width);
    int j0 = FloorClamp(r.y0, canvas.height), j1 = CeilClamp(r.y1, canvas.height);
    for (int j = j0; j < j1; ++j) {
        double cy = Overlap(j, r.y0, r.y1);
        for (int i = i0; i < i1; ++i) {
            double a = cy * Overlap(i, r.x0, r.x1);
            if (a > 0) canvas.paint(i, j, grey, a);
        }
    }
}

// The area between two nested rectangles, with exact coverage on every pixel.
void FillFrame(Canvas& canvas, Rect outer, Rect inner, double grey) {
    int i0 = FloorClamp(outer.x0, canvas.width), i1 = CeilClamp(outer.x1, canvas.width);
    int j0 = FloorClamp(outer.y0, canvas.height), j1 = CeilClamp(outer.y1, canvas.height);
    int leftEnd = CeilClamp(inner.x0, canvas.width), rightStart = FloorClamp(inner.x1, canvas.width);
    auto column = [&](int i, int j, double coy, double ciy) {
        double a = coy * Overlap(i, outer.x0, outer.x1) - ciy * Overlap(i, inner.x0, inner.x1);
        if (a > 1e-12) canvas.paint(i, j, grey, a);
    };
    for (int j = j0; j < j1; ++j) {
        double coy = Overlap(j, outer.y0, outer.y1);
        double ciy = Overlap(j, inner.y0, inner.y1);
        if (ciy >= 1.0 && leftEnd <= rightStart) {
            for (int i = i0; i < leftEnd; ++i) column(i, j, coy, ciy);
            for (int i = rightStart; i < i1; ++i) column(i, j, coy, ciy);
        } else {
            for (int i = i0; i < i1; ++i) column(i, j, coy, ciy);
        }
    }
}

struct Ellipse {
    double cx, cy, rx, ry;

    bool contains(double x, double y) const {
        double u = (x - cx) / rx, v = (y - cy) / ry;
        return u * u + v * v <= 1.0;
    }

    // Fraction of pixel (i, j) inside: exact for pixels wholly in or out, 4x4 samples on the rim.
    double coverage(int i, int j) const {
        if (rx <= 0 || ry <= 0) return 0;
        double dx = i + 0.5 - cx, dy = j + 0.5 - cy;
        double f = (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry);
        double gx = 2 * dx / (rx * rx), gy = 2 * dy / (ry * ry);
        double g = std::sqrt(gx * gx + gy * gy);
        // f is convex, so (f - 1) / |grad f| never exceeds the distance to the ellipse.
        if (f > 1 && (f - 1) > 0.71 * g) return 0;
        if (contains(i, j) && contains(i + 1, j) && contains(i, j + 1) && contains(i + 1, j + 1)) return 1;
        int inside = 0;
        for (int sy = 0; sy < 4; ++sy)
            for (int sx = 0; sx < 4; ++sx)
                if (contains(i + (sx + 0.5) / 4, j + (sy + 0.5) / 4)) ++inside;
        return inside / 16.0;
    }
};

// Distance-estimate coverage of a thin ellipse ring: cheap enough for a ring in every cell.
void StrokeEllipse(Canvas& canvas, double cx, double cy, double rx, double ry, double thickness, double grey) {
    double reach = thickness / 2 + 1;
    int i0 = FloorClamp(cx - rx - reach, canvas.width), i1 = CeilClamp(cx + rx + reach, canvas.width);
    int j0 = FloorClamp(cy - ry - reach, canvas.height), j1 = CeilClamp(cy + ry + reach, canvas.height);
    for (int j = j0; j < j1; ++j) {
        for (int i = i0; i < i1; ++i) {
            double dx = i + 0.5 - cx, dy = j + 0.5 - cy;
            double f = (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry);
            double gx = 2 * dx / (rx * rx), gy = 2 * dy / (ry * ry);
            double g = std::sqrt(gx * gx + gy * gy);
            if (g <= 0) continue;
            double distance = std::abs(f - 1) / g;
            // A one-pixel box across a band of the given thickness.
            double a = std::min(distance + 0.5, thickness / 2) - std::max(distance - 0.5, -thickness / 2);
            if (a > 0) canvas.paint(i, j, grey, a);
        }
    }
}

// The outer ellipse less the inner one (which must lie inside it; pass rx 0 for none).
void FillEllipse(Canvas& canvas, Ellipse outer, Ellipse inner, double grey) {
    int i0 = FloorClamp(outer.cx - outer.rx, canvas.width), i1 = CeilClamp(outer.cx + outer.rx, canvas.width);
    int j0 = FloorClamp(outer.cy - outer.ry, canvas.height), j1 = CeilClamp(outer.cy + outer.ry, canvas.height);
    for (int j = j0; j < j1; ++j) {
        for (int i = i0; i < i1; ++i) {
            double a = outer.coverage(i, j);
            if (a > 0 && inner.rx > 0) a -= inner.coverage(i, j);
            if (a > 0) canvas.paint(i, j, grey, a);
        }
    }
}

void CheckCell(const SheetDrawing& d, int column, int row) {
    if (column < 1 || column > d.across || row < 1 || row > d.down)
        throw std::invalid_argument("cell outside the grid");
}

void Validate(const SheetDrawing& d) {
    if (d.width <= 0 || d.height <= 0) throw std::invalid_argument("image size");
    if (d.across <= 0 || d.down <= 0) throw std::invalid_argument("grid size");
    if (d.quarterTurns < 0 || d.quarterTurns > 3) throw std::invalid_argument("quarter turns 0..3");
    if (d.typeCode.size() > 10) throw std::invalid_argument("type code longer than 10 bits");
    for (char c : d.typeCode)
        if (c != '0' && c != '1') throw std::invalid_argument("type code bits are 0 or 1");
    SheetGeometry g = Geometry(d);
    if (g.innerRight - g.innerLeft <= 2 * d.innerLine || g.innerBottom - g.innerTop <= 2 * d.innerLine)
        throw std::invalid_argument("frame does not fit the image");
}

// Turns 1 and 2 are the two quarter turns; 3 is the half turn.
bool SwapsSides(int turns) { return turns == 1 || turns == 2; }

// Pixel-centre position in the turned (not yet rotated) image -> upright, and back.
Point TurnedToUpright(int turns, int w, int h, double x, double y) {
    switch (turns) {
        case 1: return {w - 1 - y, x};
        case 2: return {y, h - 1 - x};
        case 3: return {w - 1 - x, h - 1 - y};
        default: return {x, y};
    }
}

Point UprightToTurned(int turns, int w, int h, double x, double y) {
    switch (turns) {
        case 1: return {y, w - 1 - x};
        case 2: return {h - 1 - y, x};
        case 3: return {w - 1 - x, h - 1 - y};
        default: return {x, y};
    }
}

// Deterministic Gaussian-like noise: the sum of four uniforms from one splitmix64 draw.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed) {}
    double next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        // Four uniforms on [0, 1) have mean 2 and variance 1/3.
        std::uint64_t sum = (z & 0xFFFF) + ((z >> 16) & 0xFFFF) + ((z >> 32) & 0xFFFF) + (z >> 48);
        return ((static_cast<double>(sum) + 2.0) / 65536.0 - 2.0) * std::numbers::sqrt3;
    }

private:
    std::uint64_t state_;
};

}  // namespace

SheetGeometry Geometry(const SheetDrawing& d) {
    SheetGeometry g;
    g.innerLeft = d.margin + d.outerLine + d.sideGap;
    g.innerTop = d.margin + d.outerLine + d.topGap;
    // The right and bottom lines end one pixel past their last dark pixel, which is what is found.
    g.innerRight = d.width - d.margin - d.outerLine - d.sideGap - 1;
    g.innerBottom = d.height - d.margin - d.outerLine - d.sideGap - 1;
    g.cellWidth = (g.innerRight - g.innerLeft) / std::max(d.across, 1);
    g.cellHeight = (g.innerBottom - g.innerTop) / std::max(d.down, 1);
    g.codeBitWidth = d.codeSpan * (g.innerRight - g.innerLeft) / 10;
    return g;
}

Point CellCentreUpright(const SheetDrawing& d, int column, int row) {
    SheetGeometry g = Geometry(d);
    return {g.innerLeft + (column - 0.5) * g.cellWidth, g.innerTop + (row - 0.5) * g.cellHeight};
}

Point CodeBitUpright(const SheetDrawing& d, int bit, double fractionOfInnerHeight) {
    SheetGeometry g = Geometry(d);
    return {g.innerRight - (bit - 0.5) * g.codeBitWidth,
            g.innerTop + fractionOfInnerHeight * (g.innerBottom - g.innerTop)};
}

Point UprightToImage(const SheetDrawing& d, Point upright) {
    int turns = d.quarterTurns;
    Point p = UprightToTurned(turns, d.width, d.height, upright.first, upright.second);
    if (d.rotateDegrees == 0) return p;
    int w = SwapsSides(turns) ? d.height : d.width, h = SwapsSides(turns) ? d.width : d.height;
    double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    double t = d.rotateDegrees * std::numbers::pi / 180;
    double c = std::cos(t), s = std::sin(t);
    double dx = p.first - cx, dy = p.second - cy;
    return {cx + dx * c + dy * s, cy - dx * s + dy * c};
}

Point CellCentre(const SheetDrawing& d, int column, int row) {
    return UprightToImage(d, CellCentreUpright(d, column, row));
}

DrawnSheet DrawSheet(const SheetDrawing& d) {
    Validate(d);
    const SheetGeometry g = Geometry(d);
    const double W = d.width, H = d.height;
    Canvas canvas(d.width, d.height, static_cast<float>(d.paper));

    // Edge coordinates of a cell, from the pixel-centre grid.
    auto cellRect = [&](int column, int row) {
        double x0 = g.innerLeft + (column - 1) * g.cellWidth + 0.5;
        double y0 = g.innerTop + (row - 1) * g.cellHeight + 0.5;
        return Rect{x0, y0, x0 + g.cellWidth, y0 + g.cellHeight};
    };

    if (d.cellOutlines) {
        for (int row = 1; row <= d.down; ++row) {
            for (int column = 1; column <= d.across; ++column) {
                auto [x, y] = CellCentreUpright(d, column, row);
                StrokeEllipse(canvas, x + 0.5, y + 0.5, d.outlineSize * g.cellWidth / 2,
                              d.outlineSize * g.cellHeight / 2, d.outlineThickness, d.outlineGrey);
            }
        }
    }

    const double m = d.margin;
    Rect outer{m, m, W - m, H - m};
    Rect outerHole{m + d.outerLine, m + d.outerLine, W - m - d.outerLine, H - m - d.outerLine};
    FillFrame(canvas, outer, outerHole, d.ink);
    Rect inner{g.innerLeft, g.innerTop, g.innerRight + 1, g.innerBottom + 1};
    Rect innerHole{inner.x0 + d.innerLine, inner.y0 + d.innerLine, inner.x1 - d.innerLine, inner.y1 - d.innerLine};
    FillFrame(canvas, inner, innerHole, d.ink);

    double stripTop = innerHole.y0;
    double stripBottom = stripTop + d.codeHeight * (g.innerBottom - g.innerTop);
    // Runs of dark bits as one rectangle, so no seam shows where two bits meet.
    const std::size_t bits = d.typeCode.size();
    for (std::size_t first = 0; first < bits;) {
        if (d.typeCode[first] != '1') {
            ++first;
            continue;
        }
        std::size_t end = first;
        while (end < bits && d.typeCode[end] == '1') ++end;
        double right = g.innerRight + 0.5 - static_cast<double>(first) * g.codeBitWidth;
        double left = g.innerRight + 0.5 - static_cast<double>(end) * g.codeBitWidth;
        FillRect(canvas, {left, stripTop, right, stripBottom}, d.ink);
        first = end;
    }

    auto mark = [&](const CellMark& k) {
        CheckCell(d, k.column, k.row);
        auto [x, y] = CellCentreUpright(d, k.column, k.row);
        FillEllipse(canvas,
                    {x + 0.5 + k.dx, y + 0.5 + k.dy, k.width * g.cellWidth / 2, k.height * g.cellHeight / 2},
                    {0, 0, 0, 0}, k.grey);
    };
    for (auto [column, row] : d.filled)
        mark({column, row, d.fillGrey, d.fillSize, d.fillSize, d.fillDx, d.fillDy});
    for (const CellMark& k : d.marks) mark(k);

    double side = d.dotSize * std::min(g.cellWidth, g.cellHeight);
    for (auto [column, row] : d.calibrationDots) {
        CheckCell(d, column, row);
        Rect c = cellRect(column, row);
        bool right = d.dotCorner == Corner::TopRight || d.dotCorner == Corner::BottomRight;
        bool bottom = d.dotCorner == Corner::BottomLeft || d.dotCorner == Corner::BottomRight;
        double x0 = right ? c.x1 - side : c.x0, y0 = bottom ? c.y1 - side : c.y0;
        FillRect(canvas, {x0, y0, x0 + side, y0 + side}, d.ink);
    }

    // Turn, rotate, add noise and quantise in one pass over the final image. Output pixel ->
    // upright position is affine; without a rotation its steps are exact integers.
    const int turns = d.quarterTurns;
    const int outW = SwapsSides(turns) ? d.height : d.width, outH = SwapsSides(turns) ? d.width : d.height;
    const double cx = (outW - 1) / 2.0, cy = (outH - 1) / 2.0;
    const double angle = d.rotateDegrees * std::numbers::pi / 180;
    const double c = d.rotateDegrees == 0 ? 1 : std::cos(angle), s = d.rotateDegrees == 0 ? 0 : std::sin(angle);
    auto source = [&](double x, double y) {
        double dx = x - cx, dy = y - cy;
        return TurnedToUpright(turns, d.width, d.height, cx + dx * c - dy * s, cy + dx * s + dy * c);
    };
    const Point origin = source(0, 0), alongX = source(1, 0), alongY = source(0, 1);
    const double xx = alongX.first - origin.first, xy = alongX.second - origin.second;
    const double yx = alongY.first - origin.first, yy = alongY.second - origin.second;

    DrawnSheet result;
    result.image = PixelBuffer::Blank(outW, outH, PixelFormat::Gray8);
    Noise noise(d.noiseSeed);
    const float* src = canvas.values.data();
    const int sw = d.width, sh = d.height;
    const float paper = static_cast<float>(d.paper);
    auto at = [&](int x, int y) -> float {
        if (x < 0 || y < 0 || x >= sw || y >= sh) return paper;
        return src[static_cast<std::size_t>(y) * static_cast<std::size_t>(sw) + static_cast<std::size_t>(x)];
    };
    const bool rotated = d.rotateDegrees != 0;
    for (int y = 0; y < outH; ++y) {
        std::uint8_t* row = result.image.bytes.data() + static_cast<std::size_t>(y) * result.image.stride;
        double ux = origin.first + y * yx, uy = origin.second + y * yy;
        for (int x = 0; x < outW; ++x, ux += xx, uy += xy) {
            float v;
            if (!rotated) {
                v = src[static_cast<std::size_t>(uy) * static_cast<std::size_t>(sw) + static_cast<std::size_t>(ux)];
            } else {
                double fx = std::floor(ux), fy = std::floor(uy);
                int i = static_cast<int>(fx), j = static_cast<int>(fy);
                float ax = static_cast<float>(ux - fx), ay = static_cast<float>(uy - fy);
                float p00, p10, p01, p11;
                if (i >= 0 && j >= 0 && i + 1 < sw && j + 1 < sh) {
                    const float* p = src + static_cast<std::size_t>(j) * static_cast<std::size_t>(sw) + i;
                    p00 = p[0], p10 = p[1], p01 = p[sw], p11 = p[sw + 1];
                } else {
                    p00 = at(i, j), p10 = at(i + 1, j), p01 = at(i, j + 1), p11 = at(i + 1, j + 1);
                }
                float top = p00 + (p10 - p00) * ax, bottom = p01 + (p11 - p01) * ax;
                v = top + (bottom - top) * ay;
            }
            if (d.noise > 0) v += static_cast<float>(d.noise * noise.next());
            // Clamped as an integer: noisy paper straddles 255, where float branches mispredict.
            int q = static_cast<int>(v + 0.5f);
            row[x] = static_cast<std::uint8_t>(std::clamp(q, 0, 255));
        }
    }

    std::array<Point, 4> corners{
        UprightToImage(d, {g.innerLeft, g.innerTop}), UprightToImage(d, {g.innerRight, g.innerTop}),
        UprightToImage(d, {g.innerLeft, g.innerBottom}), UprightToImage(d, {g.innerRight, g.innerBottom})};
    std::sort(corners.begin(), corners.end(), [](const Point& a, const Point& b) { return a.second < b.second; });
    if (corners[0].first > corners[1].first) std::swap(corners[0], corners[1]);
    if (corners[2].first > corners[3].first) std::swap(corners[2], corners[3]);
    result.innerCorners = corners;
    return result;
}

SheetDrawing DrawingAtDpi(double dpi) {
    double s = dpi / 200;
    SheetDrawing d;
    d.width = static_cast<int>(std::lround(d.width * s));
    d.height = static_cast<int>(std::lround(d.height * s));
    d.margin *= s;
    d.outerLine *= s;
    d.innerLine *= s;
    d.sideGap *= s;
    d.topGap *= s;
    return d;
}

}  // namespace quillmark::test

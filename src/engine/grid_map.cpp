#include "grid_map.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

GridMap::GridMap(const FrameGeometry& frame, double across, double down) : frame_(frame), across_(across), down_(down) {}

GridMap::GridMap(std::vector<double> ts, std::vector<double> ss, std::vector<Point> points)
    : ts_(std::move(ts)), ss_(std::move(ss)), points_(std::move(points)) {}

namespace {

// The interval of the sorted nodes that holds v (the first or last one outside them),
// and v's fraction along it.
std::size_t IntervalOf(const std::vector<double>& nodes, double v, double& fraction) {
    std::size_t a = 0;
    while (a + 2 < nodes.size() && v >= nodes[a + 1]) ++a;
    fraction = (v - nodes[a]) / (nodes[a + 1] - nodes[a]);
    return a;
}

Point Bilinear(Point p00, Point p10, Point p01, Point p11, double u, double v) {
    return {(1 - v) * (p00.x + (p10.x - p00.x) * u) + v * (p01.x + (p11.x - p01.x) * u),
            (1 - v) * (p00.y + (p10.y - p00.y) * u) + v * (p01.y + (p11.y - p01.y) * u)};
}

}  // namespace

Point GridMap::At(double t, double s) const {
    if (points_.empty()) {
        const auto& c = frame_.corners;
        return Bilinear(c[0], c[1], c[2], c[3], t / across_, s / down_);
    }
    double u = 0, v = 0;
    std::size_t a = IntervalOf(ts_, t, u), b = IntervalOf(ss_, s, v);
    std::size_t n = ts_.size();
    return Bilinear(points_[b * n + a], points_[b * n + a + 1], points_[(b + 1) * n + a], points_[(b + 1) * n + a + 1], u,
                    v);
}

Point Homography::At(double t, double s) const {
    double w = h[6] * t + h[7] * s + h[8];
    return {(h[0] * t + h[1] * s + h[2]) / w, (h[3] * t + h[4] * s + h[5]) / w};
}

bool FitHomography(const std::vector<Point>& grid, const std::vector<Point>& image, Homography& result,
                   bool projective) {
    if (grid.size() < 4 || grid.size() != image.size()) return false;
    // Normal equations of the eight unknowns with h[8] = 1; positions are scaled to about
    // one so the system stays well conditioned.
    double gs = 0, is = 0;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        gs = std::max({gs, std::fabs(grid[i].x), std::fabs(grid[i].y)});
        is = std::max({is, std::fabs(image[i].x), std::fabs(image[i].y)});
    }
    if (gs <= 0 || is <= 0) return false;
    double a[8][9] = {};
    for (std::size_t i = 0; i < grid.size(); ++i) {
        double t = grid[i].x / gs, s = grid[i].y / gs, x = image[i].x / is, y = image[i].y / is;
        double p = projective ? 1 : 0;
        const double rows[2][9] = {{t, s, 1, 0, 0, 0, -x * t * p, -x * s * p, x},
                                   {0, 0, 0, t, s, 1, -y * t * p, -y * s * p, y}};
        for (const auto& row : rows) {
            for (int r = 0; r < 8; ++r) {
                for (int c = 0; c < 9; ++c) a[r][c] += row[r] * row[c];
            }
        }
    }
    if (!projective) a[6][6] = a[7][7] = 1;  // the perspective terms stay 0
    for (int col = 0; col < 8; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 8; ++r) {
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        }
        if (std::fabs(a[pivot][col]) < 1e-12) return false;
        std::swap(a[col], a[pivot]);
        for (int r = 0; r < 8; ++r) {
            if (r == col) continue;
            double f = a[r][col] / a[col][col];
            for (int c = col; c < 9; ++c) a[r][c] -= f * a[col][c];
        }
    }
    double n[9];
    for (int r = 0; r < 8; ++r) n[r] = a[r][8] / a[r][r];
    n[8] = 1;
    // Undo the scaling: x = is * (n0 t/gs + n1 s/gs + n2) / (n6 t/gs + n7 s/gs + 1).
    result.h = {is * n[0] / gs, is * n[1] / gs, is * n[2], is * n[3] / gs, is * n[4] / gs, is * n[5],
                n[6] / gs,      n[7] / gs,      n[8]};
    return std::isfinite(result.h[0]) && std::isfinite(result.h[7]);
}

}  // namespace quillmark

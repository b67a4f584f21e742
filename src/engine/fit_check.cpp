#include "fit_check.h"

#include <algorithm>
#include <cmath>

namespace quillmark {
namespace fit_detail {

std::vector<double> DotLines(int cells) {
    std::vector<double> lines;
    for (int k = 1; k <= cells; k += 4) lines.push_back(k <= cells / 2 ? k : k - 1);
    return lines;
}

namespace {

constexpr int kMinContrast = 40;
constexpr double kMinContrastShare = 0.22;
constexpr double kMinContrastInShadow = 16;

int LightAt(const SheetImage& image, long long x, long long y) {
    // Off the image counts as paper, so the image edge never looks like a dot.
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return 255;
    return image.luminanceAtPixel(x, y);
}

// Sums of luminance over a square window sampled every `step` pixels.
class WindowSums {
public:
    WindowSums(const SheetImage& image, long long x0, long long y0, int samples, int step)
        : n_(samples + 1), sums_(static_cast<std::size_t>(n_ * n_), 0) {
        int histogram[256] = {};
        for (int j = 1; j < n_; ++j) {
            long long row = 0;
            for (int i = 1; i < n_; ++i) {
                int light = LightAt(image, x0 + static_cast<long long>(i - 1) * step, y0 + static_cast<long long>(j - 1) * step);
                ++histogram[std::clamp(light, 0, 255)];
                row += light;
                at(i, j) = at(i, j - 1) + row;
            }
        }
        // The paper: most of a window around a dot is blank.
        int count = 0, wanted = samples * samples / 10;
        for (paper_ = 255; paper_ > 0 && count + histogram[paper_] < wanted; --paper_) count += histogram[paper_];
    }
    int paper() const { return paper_; }
    // Mean over samples [i0, i1] x [j0, j1], both inclusive, 0-based.
    double Mean(int i0, int j0, int i1, int j1) const {
        long long sum = at(i1 + 1, j1 + 1) - at(i0, j1 + 1) - at(i1 + 1, j0) + at(i0, j0);
        return static_cast<double>(sum) / ((i1 - i0 + 1) * (j1 - j0 + 1));
    }

private:
    long long& at(int i, int j) { return sums_[static_cast<std::size_t>(j * n_ + i)]; }
    long long at(int i, int j) const { return sums_[static_cast<std::size_t>(j * n_ + i)]; }
    int n_;
    std::vector<long long> sums_;
    int paper_ = 255;
};

}  // namespace

std::optional<FoundDot> FindDot(const SheetImage& image, Point near, double cellPx, double radius) {
    double dot = std::max(2.0, 0.2 * cellPx);
    int step = std::max(1, static_cast<int>(dot / 3));
    int core = std::max(1, static_cast<int>(std::lround(dot / (2.0 * step))));  // half-width in samples
    int ring = 3 * core + 1;
    int reach = static_cast<int>(std::ceil(radius / step));
    int samples = 2 * (reach + ring) + 1;
    long long x0 = std::llround(near.x) - static_cast<long long>(reach + ring) * step;
    long long y0 = std::llround(near.y) - static_cast<long long>(reach + ring) * step;
    WindowSums sums(image, x0, y0, samples, step);

    double best = 0;
    int bestI = 0, bestJ = 0;
    double bestRing = 0;
    // A wide search steps by two samples; the centre is refined at full resolution anyway.
    int stride = radius > 0.6 * cellPx && core > 1 ? 2 : 1;
    for (int j = ring; j < samples - ring; j += stride) {
        for (int i = ring; i < samples - ring; i += stride) {
            double dx = (i - reach - ring) * step, dy = (j - reach - ring) * step;
            if (dx * dx + dy * dy > radius * radius) continue;
            double inner = sums.Mean(i - core, j - core, i + core, j + core);
            // Paper on all four sides: a line running through, the edge of a filled bubble
            // or the corner of a block has ink on at least one.
            double around = std::min({sums.Mean(i - core, j - ring, i + core, j - core - 1),
                                       sums.Mean(i - core, j + core + 1, i + core, j + ring),
                                       sums.Mean(i - ring, j - core, i - core - 1, j + core),
                                       sums.Mean(i + core + 1, j - core, i + ring, j + core)});
            // A dot is ink on paper all round; a bigger blob leaves its edge in the arms.
            if (around - inner > best && around - inner >= 0.6 * (sums.paper() - inner)) {
                best = around - inner;
                bestI = i, bestJ = j;
                bestRing = around;
            }
        }
    }
    // In a dark corner of a photo (light falloff) the paper itself is grey and a dot stands
    // out by less: the contrast asked for follows the paper's light.
    double wanted = std::clamp(kMinContrastShare * sums.paper(), kMinContrastInShadow, double(kMinContrast));
    if (best < wanted) return std::nullopt;

    // The dot's centre: the darkness-weighted mean of the full-resolution pixels around it.
    long long cx = x0 + static_cast<long long>(bestI) * step, cy = y0 + static_cast<long long>(bestJ) * step;
    int half = static_cast<int>(std::ceil(dot)) + step;
    double wx = 0, wy = 0, w = 0;
    for (long long y = cy - half; y <= cy + half; ++y) {
        for (long long x = cx - half; x <= cx + half; ++x) {
            double weight = std::max(0.0, bestRing - kMinContrast / 2.0 - LightAt(image, x, y));
            wx += weight * static_cast<double>(x);
            wy += weight * static_cast<double>(y);
            w += weight;
        }
    }
    FoundDot found;
    found.at = w > 0 ? Point{wx / w, wy / w} : Point{static_cast<double>(cx), static_cast<double>(cy)};
    found.contrast = static_cast<int>(best);
    return found;
}

}  // namespace fit_detail

namespace {

using namespace fit_detail;

struct Node {
    Point grid;                    // image-grid position
    std::optional<Point> found;    // where its dot was found
};

double Distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::size_t k = std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
}

// The lattice of dots in image-grid positions: the upright sheet's dot lines turned as the
// sheet lies on the image.
void DotLattice(int sheetAcross, int sheetDown, int orientation, std::vector<double>& ts, std::vector<double>& ss) {
    std::vector<double> us = DotLines(sheetAcross), vs = DotLines(sheetDown);
    ts.clear(), ss.clear();
    switch (orientation) {
        case UpsideDown:
            for (double u : us) ts.push_back(sheetAcross - u);
            for (double v : vs) ss.push_back(sheetDown - v);
            break;
        case TopAtLeft:  // image across = sheet down
            for (double v : vs) ts.push_back(v);
            for (double u : us) ss.push_back(sheetAcross - u);
            break;
        case TopAtRight:
            for (double v : vs) ts.push_back(sheetDown - v);
            for (double u : us) ss.push_back(u);
            break;
        default:
            ts = us, ss = vs;
    }
    std::sort(ts.begin(), ts.end());
    std::sort(ss.begin(), ss.end());
}

// Looks for the dot of every `every`-th node; the others are left unfound.
template <typename Predict>
int Search(const SheetImage& image, std::vector<Node>& nodes, Predict predict, double cellPx, double radius,
           std::size_t every = 1) {
    int found = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        Node& node = nodes[i];
        node.found = std::nullopt;
        if (i % every != 0) continue;
        std::optional<FoundDot> dot = FindDot(image, predict(node.grid), cellPx, radius);
        node.found = dot ? std::optional<Point>(dot->at) : std::nullopt;
        found += dot ? 1 : 0;
    }
    return found;
}

// Distances, in cells, of the found dots from where the map puts them.
template <typename Predict>
std::vector<double> Residuals(const std::vector<Node>& nodes, Predict predict, double cellPx) {
    std::vector<double> residuals;
    for (const Node& node : nodes) {
        if (node.found) residuals.push_back(Distance(*node.found, predict(node.grid)) / cellPx);
    }
    return residuals;
}

// Fits the map to the found dots, leaving out those far from the fit.
bool FitRobustly(const std::vector<Node>& nodes, double cellPx, Homography& h, bool projective = true) {
    std::vector<const Node*> used;
    for (const Node& node : nodes) {
        if (node.found) used.push_back(&node);
    }
    for (int round = 0; round < 4; ++round) {
        std::vector<Point> grid, image;
        for (const Node* node : used) grid.push_back(node->grid), image.push_back(*node->found);
        if (!FitHomography(grid, image, h, projective)) return false;
        std::vector<double> residuals;
        for (const Node* node : used) residuals.push_back(Distance(*node->found, h.At(node->grid.x, node->grid.y)) / cellPx);
        double limit = std::max(0.15, 2.5 * Percentile(residuals, 0.5));
        std::vector<const Node*> kept;
        for (std::size_t i = 0; i < used.size(); ++i) {
            if (residuals[i] <= limit) kept.push_back(used[i]);
        }
        if (kept.size() == used.size()) return true;
        used = std::move(kept);
    }
    return used.size() >= 4;
}

// Whether the found dots reach over at least half the grid both ways.
bool CoversMost(const std::vector<Node>& nodes, double across, double down) {
    double t0 = across, t1 = 0, s0 = down, s1 = 0;
    for (const Node& node : nodes) {
        if (!node.found) continue;
        t0 = std::min(t0, node.grid.x), t1 = std::max(t1, node.grid.x);
        s0 = std::min(s0, node.grid.y), s1 = std::max(s1, node.grid.y);
    }
    return t1 - t0 >= across / 2 && s1 - s0 >= down / 2;
}

constexpr double kNearRadius = 0.45;   // cells: the search around a trusted prediction
constexpr double kWideRadius = 1.2;    // cells: still closer to its own dot than to any other
constexpr double kTrustedResidual = 0.15;
constexpr double kInlierResidual = 0.25;
constexpr double kAgreedCornerShift = 2.5;

}  // namespace

bool FitCheck::CorrectionAgreed() const {
    if (verdict != Corrected || residual > kTrustedResidual) return false;
    // A lattice caught a step off leaves a whole line of dots unmatched: with 95 % found,
    // even a frame that was far off (a lid shadow taken for a side) is settled.
    // On a dim, coarse photo many dots are lost in the blur; where the dots moved the frame
    // little, the code reads clear where they put it and nearly every dot found agrees, three
    // in five of them suffice.
    bool smallMove = cornerShift <= kAgreedCornerShift;
    return dotsFound * 100 >= dotsExpected * 95 ||
           (dotsFound * 5 >= dotsExpected * 4 && (smallMove || codeConfirmed)) ||
           (dotsFound * 5 >= dotsExpected * 3 && dotsAstray * 20 <= dotsExpected && smallMove && codeConfirmed);
}

double FitCheck::ConfirmingShare() const {
    bool confirming = verdict == Trusted || (verdict == Corrected && CorrectionAgreed());
    return confirming && dotsSearched > 0 ? static_cast<double>(dotsFound) / dotsSearched : 0;
}

FitCheck CheckFit(const SheetImage& image, const FrameGeometry& frame, int sheetAcross, int sheetDown) {
    FitCheck check;
    check.frame = frame;
    bool sideways = frame.orientation == TopAtLeft || frame.orientation == TopAtRight;
    double across = sideways ? sheetDown : sheetAcross, down = sideways ? sheetAcross : sheetDown;
    GridMap frameMap(frame, across, down);
    check.map = frameMap;
    const auto& c = frame.corners;
    double cellPx = std::min(std::fabs(c[1].x - c[0].x) / across, std::fabs(c[2].y - c[0].y) / down);
    if (!(cellPx >= 3) || !std::isfinite(cellPx)) return check;  // too small to hold a dot

    std::vector<double> ts, ss;
    DotLattice(sheetAcross, sheetDown, frame.orientation, ts, ss);
    std::vector<Node> nodes;
    for (double s : ss) {
        for (double t : ts) nodes.push_back({{t, s}, std::nullopt});
    }
    check.dotsExpected = static_cast<int>(nodes.size());
    int enough = std::max(6, static_cast<int>(nodes.size()) * 3 / 20);

    auto byFrame = [&](Point g) { return frameMap.At(g.x, g.y); };
    // Every other dot first: on most sheets they confirm the frame at half the cost.
    check.dotsFound = Search(image, nodes, byFrame, cellPx, kNearRadius * cellPx, 2);
    check.dotsSearched = (check.dotsExpected + 1) / 2;
    check.residual = Percentile(Residuals(nodes, byFrame, cellPx), 0.9);
    if (check.dotsFound >= enough / 2 + 1 && check.residual <= kTrustedResidual) {
        check.verdict = FitCheck::Trusted;
        return check;
    }
    check.dotsSearched = check.dotsExpected;
    if (check.dotsFound > 0) check.dotsFound = Search(image, nodes, byFrame, cellPx, kNearRadius * cellPx);
    // The dots close to where the frame puts them are the surest start; only without a few
    // of them is the search widened.
    if (check.dotsFound < 6) {
        // Farther afield: a few first, since a sheet without dots would pay for every one.
        if (Search(image, nodes, byFrame, cellPx, kWideRadius * cellPx, 6) < 3) return check;
        check.dotsFound = Search(image, nodes, byFrame, cellPx, kWideRadius * cellPx);
    }
    if (check.dotsFound < 6) return check;  // no dots: the fit cannot be checked

    check.residual = Percentile(Residuals(nodes, byFrame, cellPx), 0.9);
    if (check.dotsFound >= enough && check.residual <= kTrustedResidual) {
        check.verdict = FitCheck::Trusted;
        return check;
    }

    // Grow from the dots found: fit a map to them, look for every dot around it, and again,
    // affine while they cover part of the sheet, projective at the end.
    Homography h;
    auto byDots = [&](Point g) { return h.At(g.x, g.y); };
    int found = check.dotsFound;
    for (int round = 0; round < 5; ++round) {
        // Projective once the dots found span most of the sheet: a keystoned photo bends the
        // rows between the top and bottom dots away from any affine map.
        if (!FitRobustly(nodes, cellPx, h, CoversMost(nodes, across, down))) break;
        int now = Search(image, nodes, byDots, cellPx, kNearRadius * cellPx);
        if (now <= found && round > 0) break;
        found = now;
    }
    if (!FitRobustly(nodes, cellPx, h)) {
        check.verdict = FitCheck::Mismatch;
        return check;
    }
    std::vector<Point> points;
    std::vector<double> inliers;
    for (const Node& node : nodes) {
        Point predicted = h.At(node.grid.x, node.grid.y);
        double residual = node.found ? Distance(*node.found, predicted) / cellPx : 1e9;
        if (residual <= kInlierResidual) inliers.push_back(residual);
        else if (node.found) ++check.dotsAstray;
        points.push_back(residual <= kInlierResidual ? *node.found : predicted);
    }
    check.dotsFound = static_cast<int>(inliers.size());
    check.residual = Percentile(inliers, 0.9);
    // Placing the grid by the dots alone needs most of them: a few found around a frame that
    // is far off may be other print.
    if (check.dotsFound < check.dotsExpected / 2) {
        check.verdict = FitCheck::Mismatch;
        return check;
    }
    check.verdict = FitCheck::Corrected;
    check.map = GridMap(ts, ss, std::move(points));
    check.frame.corners = {check.map.At(0, 0), check.map.At(across, 0), check.map.At(0, down), check.map.At(across, down)};
    for (std::size_t k = 0; k < 4; ++k) {
        check.cornerShift = std::max(check.cornerShift, Distance(check.frame.corners[k], frame.corners[k]) / cellPx);
    }
    return check;
}

}  // namespace quillmark

#include "grid.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "data/text_fns.h"

namespace quillmark {

ImageGrid ImageGridOf(const SheetType& type, int orientation) {
    bool sideways = orientation == TopAtLeft || orientation == TopAtRight;
    return sideways ? ImageGrid{type.垂直单元格数, type.水平单元格数} : ImageGrid{type.水平单元格数, type.垂直单元格数};
}

CellSizePx CellSize(const FrameGeometry& frame, ImageGrid grid) {
    const auto& c = frame.corners;
    return {std::fabs(c[1].x - c[0].x) / grid.across, std::fabs(c[2].y - c[0].y) / grid.down};
}

Point CellCentre(const FrameGeometry& frame, ImageGrid grid, int i, int j) {
    const auto& [c1, c2, c3, c4] = frame.corners;
    double t = (2.0 * j - 1) / (2.0 * grid.across);
    double s = (2.0 * i - 1) / (2.0 * grid.down);
    double x = (1 - s) * (c1.x + (c2.x - c1.x) * t) + s * (c3.x + (c4.x - c3.x) * t);
    double y = (1 - s) * (c1.y + (c2.y - c1.y) * t) + s * (c3.y + (c4.y - c3.y) * t);
    return {static_cast<double>(RoundEven(x)), static_cast<double>(RoundEven(y))};
}

GridPosition SheetCell(ImageGrid grid, int orientation, int i, int j) {
    switch (orientation) {
        case UpsideDown: return {grid.across - j + 1, grid.down - i + 1};
        case TopAtLeft: return {grid.down - i + 1, j};
        case TopAtRight: return {i, grid.across - j + 1};
        default: return {j, i};
    }
}

namespace {

struct Calibration {
    int lo = 0;
    int hi = 0;
    int mean = 0;
};

// The dark samples of the cells' middles, where pencil lies, and those of them at black.
struct DarkTones {
    long long dark = 0;
    long long clipped = 0;
};

// Luminance below which a sample is dark, and to which black is clipped.
constexpr int kDarkTone = 96;
constexpr int kClippedBlack = 10;
// Pencil is dark in many shades, hardly ever black; a tone curve steep enough to cut off the
// light ones pushes nearly all of them down to black. More than this share of the dark
// samples of the cells at black: the tones were cut.
constexpr double kCutTonesShare = 0.62;

// Cells narrower than this in pixels are coarse: a pencil stroke there is a quarter of the
// sampled middle wide before blur.
constexpr double kCoarseCellPx = 18;
// A cell of a coarse image dark from this (against the 100 of white) is looked at whole for a
// stroke: below it no stroke reads as a mark.
constexpr int kStrokeCheckDarkness = 30;

// How much darker than the brightest paper of its window a sample must be to count as dark,
// as a share of the paper's light: shade and a dim capture scale paper and pencil alike.
constexpr double kMinDarkness = 60.0 / 255;

// Samples 41 columns by 5 rows reaching two cells left and right and one up and down.
bool Calibrate(const SheetImage& image, Point centre, CellSizePx cell, Calibration& calibration) {
    int lo = 256, hi = -255;
    long long sum = 0, n = 0;
    for (double dx = -2 * cell.width; dx <= 2 * cell.width; dx += cell.width / 10) {
        for (double dy = -cell.height; dy <= cell.height; dy += cell.height / 2) {
            long long x = RoundEven(centre.x + dx), y = RoundEven(centre.y + dy);
            if (image.readPixel(x, y) == kInvalidColour) continue;
            int L = image.luminanceAtPixel(x, y);
            hi = std::max(hi, L);
            lo = std::min(lo, L);
            sum += L;
            ++n;
        }
    }
    if (n == 0) return false;
    calibration = {lo, hi, static_cast<int>(RoundEven(static_cast<double>(sum) / n))};
    return true;
}

// Moments of the dark samples' positions (in samples), to tell a line from a spread.
struct DarkSpread {
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    void Add(double x, double y) {
        n += 1, sx += x, sy += y, sxx += x * x, syy += y * y, sxy += x * y;
    }
    // Variances along the main axis and across it.
    std::pair<double, double> Axes() const {
        double vx = sxx / n - (sx / n) * (sx / n), vy = syy / n - (sy / n) * (sy / n);
        double cxy = sxy / n - (sx / n) * (sy / n);
        double mean = (vx + vy) / 2, half = std::sqrt((vx - vy) * (vx - vy) / 4 + cxy * cxy);
        return {mean + half, std::max(mean - half, 0.25)};
    }
    // Elongated: the spread along the main axis at least kLineElongation times that across it.
    bool LineShaped() const {
        if (n < 4) return false;
        auto [along, across] = Axes();
        return along > kLineElongation * across;
    }
    // Elongated and long: at least 0.7 of a cell (14 samples a twentieth of a cell apart) end
    // to end, where a fill of the printed bubble is 0.72 by 0.6 of a cell.
    bool LongLine() const {
        if (n < 8) return false;
        auto [along, across] = Axes();
        return along >= (14.0 * 14.0 - 1) / 12 && along > kLongLineElongation * across;
    }
    static constexpr double kLineElongation = 6;
    static constexpr double kLongLineElongation = 4;
};

// On a coarse image a stroke over a bubble fills its middle; seen over the whole cell it is a
// long thin line, where a fill is a round blob in the middle. Samples the cell out to 0.45 of
// it each way: a neighbour's fill stays a quarter cell from its own centre, out of reach.
bool StrokeAcross(const SheetImage& image, Point centre, CellSizePx cell, double darkBelow) {
    DarkSpread spread;
    for (int column = -9; column <= 9; ++column) {
        for (int row = -9; row <= 9; ++row) {
            long long x = RoundEven(centre.x + column * cell.width / 20), y = RoundEven(centre.y + row * cell.height / 20);
            if (image.luminanceAtPixel(x, y) < darkBelow) spread.Add(column, row);
        }
    }
    return spread.LongLine();
}

int ScoreCell(const SheetImage& image, Point centre, CellSizePx cell, const Calibration& calibration, DarkTones& tones,
              bool& lineShaped, bool* strokeAcross) {
    // Dark against the window's own spread, and clearly darker than its paper: a window with
    // no mark has little spread, and the printed letters or a shade falling across it would
    // pass the spread alone.
    double T = std::min(calibration.mean - (calibration.hi - calibration.lo) / 4.0,
                        calibration.hi * (1 - kMinDarkness));
    // The same offsets in every column of samples: round them once, not at every sample.
    std::vector<long long> ys;
    for (double dy = -0.22 * cell.height; dy <= 0.22 * cell.height; dy += cell.height / 20) {
        ys.push_back(RoundEven(centre.y + dy));
    }
    int dark = 0, total = 0;
    DarkSpread spread;
    int column = 0;
    for (double dx = -0.22 * cell.width; dx <= 0.22 * cell.width; dx += cell.width / 20, ++column) {
        long long x = RoundEven(centre.x + dx);
        for (std::size_t row = 0; row < ys.size(); ++row) {
            long long y = ys[row];
            ++total;
            int L = image.luminanceAtPixel(x, y);
            if (L < T) {
                ++dark;
                spread.Add(column, static_cast<double>(row));
            }
            if (L < kDarkTone) {
                ++tones.dark;
                tones.clipped += L <= kClippedBlack ? 1 : 0;
            }
        }
    }
    lineShaped = spread.LineShaped();
    if (total == 0) return 100;
    int score = static_cast<int>(RoundEven(100 - 100.0 * dark / total));
    if (strokeAcross) *strokeAcross = score <= 100 - kStrokeCheckDarkness && StrokeAcross(image, centre, cell, T);
    return score;
}

}  // namespace

namespace {

template <typename Centre>
Status MeasureCellsAt(const SheetImage& image, const FrameGeometry& frame, const SheetType& type, CellGrid& grid,
                      Centre centreOf) {
    ImageGrid cells = ImageGridOf(type, frame.orientation);
    CellSizePx size = CellSize(frame, cells);
    // The sampling loops step by fractions of a cell; a vanishing cell would never end them.
    if (!(size.width >= 1e-6 && size.height >= 1e-6) || !std::isfinite(size.width) || !std::isfinite(size.height)) {
        return Failed(kFrameError);
    }
    // Every cell is judged by the calibration of its own block of 4 x 4 cells (the nearest
    // one at the grid's far edges), not by the one made last: under uneven light the last
    // calibration of a row lies in other light than the next rows' first cells.
    int blocksDown = cells.down >= 5 ? (cells.down - 5) / 4 + 1 : 0;
    int blocksAcross = cells.across >= 5 ? (cells.across - 5) / 4 + 1 : 0;
    std::vector<Calibration> calibrations(static_cast<std::size_t>(blocksDown * blocksAcross));
    grid.tonesCut = false;
    grid.coarse = std::min(size.width, size.height) < kCoarseCellPx;
    for (int b = 0; b < blocksDown; ++b) {
        for (int a = 0; a < blocksAcross; ++a) {
            Point centre = centreOf(cells, 4 * b + 1, 4 * a + 1);
            Calibration& calibration = calibrations[static_cast<std::size_t>(b * blocksAcross + a)];
            if (!Calibrate(image, centre, size, calibration)) return Failed(kOutsideImage);
        }
    }
    DarkTones tones;
    for (int i = 1; i <= cells.down; ++i) {
        for (int j = 1; j <= cells.across; ++j) {
            Point centre = centreOf(cells, i, j);
            Calibration calibration;
            if (blocksDown > 0 && blocksAcross > 0) {
                int b = std::min((i - 1) / 4, blocksDown - 1), a = std::min((j - 1) / 4, blocksAcross - 1);
                calibration = calibrations[static_cast<std::size_t>(b * blocksAcross + a)];
            }
            GridPosition cell = SheetCell(cells, frame.orientation, i, j);
            bool lineShaped = false, strokeAcross = false;
            grid.at(cell.column, cell.row) =
                ScoreCell(image, centre, size, calibration, tones, lineShaped, grid.coarse ? &strokeAcross : nullptr);
            grid.lineShaped[static_cast<std::size_t>(cell.column)][static_cast<std::size_t>(cell.row)] = lineShaped;
            grid.strokeAcross[static_cast<std::size_t>(cell.column)][static_cast<std::size_t>(cell.row)] = strokeAcross;
        }
    }
    grid.tonesCut = tones.dark > 0 && tones.clipped > kCutTonesShare * static_cast<double>(tones.dark);
    return Status::Ok();
}

}  // namespace

Status MeasureCells(const SheetImage& image, const FrameGeometry& frame, const SheetType& type, CellGrid& grid) {
    return MeasureCellsAt(image, frame, type, grid,
                          [&](ImageGrid cells, int i, int j) { return CellCentre(frame, cells, i, j); });
}

Status MeasureCells(const SheetImage& image, const FitCheck& fit, const SheetType& type, CellGrid& grid) {
    if (!fit.map.FromDots()) return MeasureCells(image, fit.frame, type, grid);
    return MeasureCellsAt(image, fit.frame, type, grid, [&](ImageGrid, int i, int j) {
        Point p = fit.map.At(j - 0.5, i - 0.5);
        return Point{static_cast<double>(RoundEven(p.x)), static_cast<double>(RoundEven(p.y))};
    });
}

Status MeasureSheet(const SheetImage& image, const FrameGeometry& frame, const SheetTypeCatalog& catalog,
                    std::string_view typeName, SheetType& type, CellGrid& grid, FitCheck* fit) {
    const SheetTypeDefinition* definition = catalog.Find(typeName);
    if (!definition) return Failed(kWrongType);
    type = definition->type;
    if (!definition->problem.ok()) return definition->problem;
    FitCheck check = CheckFit(image, frame, type.水平单元格数, type.垂直单元格数);
    if (fit) *fit = check;
    if (check.verdict == FitCheck::Mismatch) return Failed(kGridMismatch);
    return MeasureCells(image, check, type, grid);
}

}  // namespace quillmark

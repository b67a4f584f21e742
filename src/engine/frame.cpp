#include "frame.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace quillmark {

bool FrameDetection::ok() const { return status.ok(); }

namespace frame_detail {
namespace {

constexpr double kTiny = 0.000001;
constexpr double kOnTheLine = 1.0;  // pixels

// The pixel at `offset` inward from `position` on scan line n of a side.
struct ScanLine {
    const SheetImage& image;
    Side side;
    long long fixed;  // the rounded other coordinate

    int luminance(long long position, long long offset) const {
        int inward = (side == Left || side == Top) ? 1 : -1;
        long long p = position + inward * offset;
        return (side == Left || side == Right) ? image.luminanceAtPixel(p, fixed) : image.luminanceAtPixel(fixed, p);
    }
};

int LocalThreshold(const ScanLine& line, long long position, bool across) {
    // Left and right look at offsets 1, 3, ..., 19; top and bottom at 1, 4, ..., 28.
    int step = across ? 2 : 3;
    int sum = 0;
    for (int i = 0; i < 10; ++i) sum += line.luminance(position, 1 + step * i);
    return static_cast<int>(RoundEven(sum / 10.0 - 10));
}

// Paper (lighter than the threshold) on the `width` pixels just outside `position`.
bool PaperOutside(const ScanLine& line, long long position, int threshold, int width) {
    for (int k = 1; k <= width; ++k) {
        if (!(line.luminance(position, -k) > threshold)) return false;
    }
    return true;
}

}  // namespace

SideScan ScanBorder(const SheetImage& image, Side side, double lineWidth, FrameSearch search) {
    const double W = image.width();
    const double H = image.height();
    const bool across = side == Left || side == Right;  // the scan runs along x
    const int inward = (side == Left || side == Top) ? 1 : -1;
    const long long start = side == Left || side == Top ? 2 : static_cast<long long>(side == Right ? W - 2 : H - 2);
    const double middle = (across ? W : H) / 2;
    auto outerHalf = [&](long long p) { return inward > 0 ? p < middle : p > middle; };

    const int paperWidth = std::max(2, static_cast<int>(std::ceil(2 * lineWidth)));

    SideScan scan;
    long long gapSum = 0;
    for (int n = 1; n <= kSamples; ++n) {
        double fixedCoordinate = (n + 10) * (across ? H : W) / 60;
        ScanLine line{image, side, RoundEven(fixedCoordinate)};
        bool recorded = false;
        int T = 0;
        for (long long p = start; outerHalf(p) && !recorded; p += inward) {
            if (p == start || p % 20 == 0) T = LocalThreshold(line, p, across);
            if (!(line.luminance(p, 0) < T)) continue;
            if (search == FrameSearch::Careful && !PaperOutside(line, p, T, paperWidth)) continue;

            bool thin = false;
            for (long long k = 1; k <= 2 * lineWidth; ++k) {
                if (line.luminance(p, k) > T) {
                    thin = true;
                    break;
                }
            }
            if (thin) continue;

            for (long long k = static_cast<long long>(std::floor(2 * lineWidth)) + 1; k < 6 * lineWidth && !recorded; ++k) {
                if (!(line.luminance(p, k) > T)) continue;
                for (long long j = 1; j < 30 * lineWidth; ++j) {
                    if (line.luminance(p, k + j) < T) {
                        double position = static_cast<double>(p + inward * (k + j));
                        BorderSample& sample = scan.samples[n];
                        sample.x = across ? position : fixedCoordinate;
                        sample.y = across ? fixedCoordinate : position;
                        sample.valid = true;
                        ++scan.found;
                        gapSum += k + j;
                        recorded = true;
                        break;
                    }
                }
            }
        }
    }
    if (scan.found > 0) scan.gap = static_cast<int>(RoundEven(static_cast<double>(gapSum) / scan.found));
    return scan;
}

void KeepConsensus(SideScan& scan, Side side, double tolerance) {
    // Positions across the side against the scan line's fixed coordinate: well conditioned
    // for every side, upright or level.
    const bool across = side == Left || side == Right;
    std::vector<std::pair<double, double>> points;  // (fixed, position), index n - 1
    points.reserve(kSamples);
    for (int n = 1; n <= kSamples; ++n) {
        const BorderSample& s = scan.samples[n];
        points.emplace_back(across ? s.y : s.x, across ? s.x : s.y);
    }
    auto agreeing = [&](int i, int j, int n) {
        double slope = (points[j].second - points[i].second) / (points[j].first - points[i].first);
        double expected = points[i].second + slope * (points[n].first - points[i].first);
        return std::fabs(points[n].second - expected) <= tolerance;
    };
    int bestI = -1, bestJ = -1, bestCount = 0;
    for (int i = 0; i < kSamples; ++i) {
        if (!scan.samples[i + 1].valid) continue;
        for (int j = i + 1; j < kSamples; ++j) {
            if (!scan.samples[j + 1].valid) continue;
            int count = 0;
            for (int n = 0; n < kSamples; ++n) count += scan.samples[n + 1].valid && agreeing(i, j, n) ? 1 : 0;
            if (count > bestCount) {
                bestCount = count;
                bestI = i;
                bestJ = j;
            }
        }
    }
    if (bestI < 0) return;
    for (int n = 0; n < kSamples; ++n) {
        if (scan.samples[n + 1].valid && !agreeing(bestI, bestJ, n)) scan.samples[n + 1].valid = false;
    }
}

int ValidCount(const SideScan& scan) {
    int count = 0;
    for (int n = 1; n <= kSamples; ++n) count += scan.samples[n].valid ? 1 : 0;
    return count;
}

Line FitLine(const SideScan& scan) {
    double nA = 0, nB = 0, SxA = 0, SyA = 0, SxB = 0, SyB = 0;
    for (int n = 1; n <= kSamples; ++n) {
        const BorderSample& s = scan.samples[n];
        if (!s.valid) continue;
        if (n <= 20) {
            nA += 1;
            SxA += s.x;
            SyA += s.y;
        } else {
            nB += 1;
            SxB += s.x;
            SyB += s.y;
        }
    }
    double D = nA * SxB - nB * SxA;
    if (std::fabs(D) < kTiny) D = kTiny;
    Line line;
    line.intercept = (SyA * SxB - SxA * SyB) / D;
    double SxBd = SxB < kTiny ? kTiny : SxB;
    double SxAd = std::fabs(SxA) < kTiny ? kTiny : SxA;
    line.slope = ((SyB - nB * line.intercept) / SxBd + (SyA - nA * line.intercept) / SxAd) / 2;
    return line;
}

void DropOutliers(SideScan& scan, const Line& line) {
    // The distance of a sample from the line, measured across the line. Summing the
    // vertical and horizontal offsets, as the outlier rule was first written, is a fixed
    // multiple of this for any one line, so it drops the same samples; but on a side that
    // lies exactly level or upright the fit's rounding noise made that sum arbitrary and
    // good samples were dropped. Offsets below a millionth of a pixel are no offset at all.
    // Likewise a sample within a pixel of the line lies on the line: on a straight side the
    // offsets are only the rounding of positions to pixels, and twice their mean, applied
    // four times, could drop so many that a clean frame failed.
    std::array<double, kSamples + 1> error{};
    double sum = 0;
    int count = 0;
    double scale = std::sqrt(1 + line.slope * line.slope);
    for (int n = 1; n <= kSamples; ++n) {
        const BorderSample& s = scan.samples[n];
        if (!s.valid) continue;
        double e = std::fabs(s.y - (line.slope * s.x + line.intercept)) / scale;
        if (!(e >= kTiny)) e = 0;  // also catches NaN from a degenerate fit
        error[n] = e;
        sum += e;
        ++count;
    }
    if (count == 0) return;
    double mean = sum / count;
    for (int n = 1; n <= kSamples; ++n) {
        if (scan.samples[n].valid && error[n] > 2 * mean && error[n] > kOnTheLine) scan.samples[n].valid = false;
    }
}

int OrientationFromGaps(int gL, int gR, int gT, int gB) {
    if (gL > gB && gL > gT && gL > gR) return TopAtLeft;
    if (gR > gB && gR > gT && gR > gL) return TopAtRight;
    if (gB > gL && gB > gT && gB > gR) return UpsideDown;
    return Upright;
}

bool IsDeformed(const Line& left, const Line& right, const Line& top, const Line& bottom) {
    double aV = std::fabs(std::atan(left.slope) - std::atan(right.slope)) * 100;
    if (314 - aV < aV) aV = 314 - aV;
    double aH = static_cast<double>(RoundEven(std::fabs(std::atan(top.slope) - std::atan(bottom.slope)) * 100));
    if (314 - aH < aH) aH = 314 - aH;
    return aV > 10 || aH > 10;
}

Point Intersect(const Line& a, const Line& b) {
    Point p;
    p.x = (b.intercept - a.intercept) / (a.slope - b.slope);
    p.y = (a.intercept * b.slope - a.slope * b.intercept) / (b.slope - a.slope);
    return p;
}

}  // namespace frame_detail

FrameDetection DetectFrame(const SheetImage& image, const RecognitionSettings& settings, FrameSearch search) {
    using namespace frame_detail;
    FrameDetection result;
    if (settings.预计图像宽度与线比例 <= 0) {
        result.status = Failed(kImageScaleSetting);
        return result;
    }
    const double W = image.width();
    const double H = image.height();
    const double lineWidth = (W > H ? W : H) / settings.预计图像宽度与线比例;

    static constexpr const SheetProblem* kSideFailures[] = {&kNoLeftSide, &kNoRightSide, &kNoTopSide, &kNoBottomSide};
    std::array<SideScan, 4> scans;
    for (int side = Left; side <= Bottom; ++side) {
        scans[side] = ScanBorder(image, static_cast<Side>(side), lineWidth, search);
        if (scans[side].found < 20) {
            result.status = Failed(*kSideFailures[side]);
            return result;
        }
    }

    std::array<Line, 4> lines;
    for (int side = Left; side <= Bottom; ++side) {
        SideScan& scan = scans[side];
        if (search == FrameSearch::Careful) KeepConsensus(scan, static_cast<Side>(side), std::max(2.0, 1.5 * lineWidth));
        Line line = FitLine(scan);
        DropOutliers(scan, line);
        DropOutliers(scan, line);
        line = FitLine(scan);
        DropOutliers(scan, line);
        DropOutliers(scan, line);
    }
    // The careful search keeps only samples on one straight line: fewer of them are as sure
    // as the twenty the first search wants, and a tilted photo's side meets fewer scan lines.
    const int enough = search == FrameSearch::Careful ? kCarefulSamples : 20;
    for (int side = Left; side <= Bottom; ++side) {
        if (ValidCount(scans[side]) < enough) {
            result.status = Failed(kFrameError);
            return result;
        }
    }

    FrameGeometry& frame = result.frame;
    frame.gapLeft = scans[Left].gap;
    frame.gapRight = scans[Right].gap;
    frame.gapTop = scans[Top].gap;
    frame.gapBottom = scans[Bottom].gap;
    frame.orientation = settings.边框线数 == 2
                            ? OrientationFromGaps(frame.gapLeft, frame.gapRight, frame.gapTop, frame.gapBottom)
                            : Upright;

    for (int side = Left; side <= Bottom; ++side) lines[side] = FitLine(scans[side]);
    bool deformed = IsDeformed(lines[Left], lines[Right], lines[Top], lines[Bottom]);

    frame.corners[0] = Intersect(lines[Left], lines[Top]);
    frame.corners[1] = Intersect(lines[Right], lines[Top]);
    frame.corners[2] = Intersect(lines[Left], lines[Bottom]);
    frame.corners[3] = Intersect(lines[Right], lines[Bottom]);
    for (const Point& corner : frame.corners) {
        // Exactly parallel sides have no corner; a corner far off the image is no frame.
        if (!std::isfinite(corner.x) || !std::isfinite(corner.y) || std::fabs(corner.x) > 4 * (W + H) ||
            std::fabs(corner.y) > 4 * (W + H)) {
            result.status = Failed(deformed ? kFrameDeformed : kFrameError);
            return result;
        }
    }
    // A photographed sheet's sides converge; whether it can be read, its calibration dots tell.
    result.deformedOnly = deformed;
    result.status = deformed ? Failed(kFrameDeformed) : Status::Ok();
    return result;
}

}  // namespace quillmark

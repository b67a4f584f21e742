#include <gtest/gtest.h>

#include <cmath>

#include "engine/fit_check.h"
#include "engine/frame.h"

namespace quillmark {
namespace {

using namespace frame_detail;

// A white image with vertical dark bands [from, to) across its full height.
PixelBuffer Bands(int width, int height, std::initializer_list<std::pair<int, int>> bands, int ink = 0) {
    PixelBuffer buffer = PixelBuffer::Blank(width, height, PixelFormat::Gray8);
    for (auto [from, to] : bands) {
        for (int y = 0; y < height; ++y) {
            for (int x = from; x < to; ++x) buffer.bytes[static_cast<std::size_t>(y * buffer.stride + x)] = static_cast<std::uint8_t>(ink);
        }
    }
    return buffer;
}

TEST(BorderScan, FindsTheInnerLineAfterTheGap) {
    // lw = 2: outer line 30..36 (6 px > 2 lw), gap 36..50, inner line 50..52.
    PixelBuffer buffer = Bands(400, 600, {{30, 36}, {50, 52}});
    SideScan scan = ScanBorder(SheetImage(buffer), Left, 2.0);
    EXPECT_EQ(scan.found, 40);
    EXPECT_EQ(scan.gap, 20);  // from the first dark pixel of the outer line to the inner line
    EXPECT_DOUBLE_EQ(scan.samples[1].x, 50);
    EXPECT_DOUBLE_EQ(scan.samples[1].y, 11 * 600 / 60.0);
    EXPECT_DOUBLE_EQ(scan.samples[40].y, 50 * 600 / 60.0);
}

TEST(BorderScan, RightSideScansInwardFromTheRightEdge) {
    PixelBuffer buffer = Bands(400, 600, {{364, 370}, {348, 350}});
    SideScan scan = ScanBorder(SheetImage(buffer), Right, 2.0);
    EXPECT_EQ(scan.found, 40);
    EXPECT_DOUBLE_EQ(scan.samples[7].x, 349);
    EXPECT_EQ(scan.gap, 20);
}

TEST(BorderScan, ThinBandsAreNotOuterLines) {
    // A 3 px stroke (thinner than 2 lw = 4) followed by a gap and a line is passed over.
    PixelBuffer buffer = Bands(400, 600, {{30, 33}, {45, 47}});
    SideScan scan = ScanBorder(SheetImage(buffer), Left, 2.0);
    // The 2 px line at 45 is thin too; nothing qualifies.
    EXPECT_EQ(scan.found, 0);
}

TEST(BorderScan, AWideBandIsEnteredUntilLessThanSixLineWidthsRemain) {
    // lw = 2: a band 22..40 (18 px, at least 6 lw) then a gap to an inner line at 50.
    PixelBuffer buffer = Bands(400, 600, {{22, 40}, {50, 52}});
    SideScan scan = ScanBorder(SheetImage(buffer), Left, 2.0);
    ASSERT_EQ(scan.found, 40);
    EXPECT_DOUBLE_EQ(scan.samples[1].x, 50);
    // The outer line is taken from p = 29, where 11 px (less than 6 lw) of the band remain.
    EXPECT_EQ(scan.gap, 50 - 29);
}

TEST(BorderScan, NoInnerLineWithinThirtyLineWidthsGivesNoSample) {
    PixelBuffer buffer = Bands(400, 600, {{30, 36}, {150, 152}});
    SideScan scan = ScanBorder(SheetImage(buffer), Left, 2.0);
    // From the outer line nothing; the scan moves on and takes the line at 150 as an
    // outer line? It is too thin, so no sample at all.
    EXPECT_EQ(scan.found, 0);
}

TEST(BorderScan, LuminanceEqualToTheThresholdIsNeitherDarkNorLight) {
    // At p = 2 the threshold is round((7 * 255 + 3 * g) / 10 - 10): 240 for g = 240 (a tie,
    // so not dark) and 240 for g = 239 (dark).
    PixelBuffer equal = Bands(400, 600, {{10, 16}, {30, 32}}, 240);
    EXPECT_EQ(ScanBorder(SheetImage(equal), Left, 2.0).found, 0);
    PixelBuffer darker = Bands(400, 600, {{10, 16}, {30, 32}}, 239);
    SideScan scan = ScanBorder(SheetImage(darker), Left, 2.0);
    EXPECT_EQ(scan.found, 40);
    EXPECT_DOUBLE_EQ(scan.samples[20].x, 30);
}

SideScan ScanOf(const std::vector<std::pair<double, double>>& points) {
    SideScan scan;
    for (std::size_t i = 0; i < points.size() && i < kSamples; ++i) {
        scan.samples[i + 1] = {points[i].first, points[i].second, true};
    }
    return scan;
}

TEST(LineFit, ThroughBothGroupCentres) {
    std::vector<std::pair<double, double>> points;
    for (int n = 1; n <= 40; ++n) points.push_back({10.0 * n, 0.5 * (10.0 * n) + 7});
    Line line = FitLine(ScanOf(points));
    EXPECT_NEAR(line.slope, 0.5, 1e-12);
    EXPECT_NEAR(line.intercept, 7, 1e-9);
}

TEST(LineFit, ExactlyUprightSideGivesASteepLineThroughItsSamples) {
    std::vector<std::pair<double, double>> points;
    for (int n = 1; n <= 40; ++n) points.push_back({120, 100.0 + 10 * n});
    Line line = FitLine(ScanOf(points));
    EXPECT_GT(std::fabs(line.slope), 1e6);
    // The line still crosses the level y = 300 at x = 120.
    EXPECT_NEAR((300 - line.intercept) / line.slope, 120, 1e-3);
}

TEST(Outliers, AFarSampleIsDroppedAndTheRestKept) {
    std::vector<std::pair<double, double>> points;
    for (int n = 1; n <= 40; ++n) points.push_back({10.0 * n, 200 + (n % 2 ? 0.4 : -0.4)});
    points[5].second = 260;
    SideScan scan = ScanOf(points);
    Line line = FitLine(scan);
    DropOutliers(scan, line);
    EXPECT_FALSE(scan.samples[6].valid);
    EXPECT_EQ(ValidCount(scan), 39);
}

TEST(Outliers, ExactlyLevelAndUprightSidesKeepEverySample) {
    for (double level : {0.0, 417.0, 1234.5}) {
        std::vector<std::pair<double, double>> points;
        for (int n = 1; n <= 40; ++n) points.push_back({(n + 10) * 1654 / 60.0, level});
        SideScan scan = ScanOf(points);
        for (int pass = 0; pass < 2; ++pass) {
            Line line = FitLine(scan);
            DropOutliers(scan, line);
            DropOutliers(scan, line);
        }
        EXPECT_EQ(ValidCount(scan), 40) << level;
    }
    std::vector<std::pair<double, double>> upright;
    for (int n = 1; n <= 40; ++n) upright.push_back({157, (n + 10) * 2339 / 60.0});
    SideScan scan = ScanOf(upright);
    scan.samples[3].valid = false;  // an uneven set of samples
    scan.samples[4].valid = false;
    for (int pass = 0; pass < 2; ++pass) {
        Line line = FitLine(scan);
        DropOutliers(scan, line);
        DropOutliers(scan, line);
    }
    EXPECT_EQ(ValidCount(scan), 38);
}

TEST(Outliers, PixelRoundingOnAStraightSideIsNoOutlier) {
    // A side tilted by a few pixels over its length: the samples are the true line rounded
    // to whole pixels, so every offset is under a pixel.
    for (double tilt : {0.0004, 0.0008, 0.0012, 0.002, 0.003, 0.011, 0.023, 0.0371}) {
        std::vector<std::pair<double, double>> points;
        for (int n = 1; n <= 40; ++n) {
            double y = (n + 10) * 2339 / 60.0;
            points.push_back({std::nearbyint(157 + tilt * y), y});
        }
        SideScan scan = ScanOf(points);
        for (int pass = 0; pass < 2; ++pass) {
            Line line = FitLine(scan);
            DropOutliers(scan, line);
            DropOutliers(scan, line);
        }
        EXPECT_EQ(ValidCount(scan), 40) << tilt;
    }
}

TEST(Orientation, WidestGapWinsAndTiesAreUpright) {
    EXPECT_EQ(OrientationFromGaps(30, 20, 20, 20), TopAtLeft);
    EXPECT_EQ(OrientationFromGaps(20, 30, 20, 20), TopAtRight);
    EXPECT_EQ(OrientationFromGaps(20, 20, 20, 30), UpsideDown);
    EXPECT_EQ(OrientationFromGaps(20, 20, 30, 20), Upright);
    EXPECT_EQ(OrientationFromGaps(30, 30, 20, 20), Upright);
    EXPECT_EQ(OrientationFromGaps(20, 20, 20, 20), Upright);
    EXPECT_EQ(OrientationFromGaps(20, 20, 30, 30), Upright);
}

TEST(Deformation, SmallRotationPassesAndSkewFails) {
    Line level{0, 0};
    Line steepPlus{std::tan(1.5), 0};
    // Nearly upright lines leaning opposite ways: 1.55 and -1.55 differ by 3.10, folded at
    // 314 to 0.04 radian.
    EXPECT_FALSE(IsDeformed(Line{std::tan(1.55), 0}, Line{std::tan(-1.55), 0}, level, level));
    EXPECT_TRUE(IsDeformed(Line{std::tan(1.5), 0}, Line{std::tan(-1.5), 0}, level, level));
    Line tilted{std::tan(0.03), 0};
    EXPECT_FALSE(IsDeformed(Line{std::tan(1.6 - 3.14159265), 0}, Line{std::tan(1.6 - 3.14159265), 0}, tilted, tilted));
    Line skewed{std::tan(1.5 - 0.11), 0};
    EXPECT_TRUE(IsDeformed(steepPlus, skewed, level, level));
    EXPECT_FALSE(IsDeformed(steepPlus, Line{std::tan(1.5 - 0.09), 0}, level, level));
    EXPECT_TRUE(IsDeformed(steepPlus, steepPlus, level, Line{std::tan(0.11), 0}));
}

TEST(Corners, IntersectionOfTwoLines) {
    Point p = Intersect(Line{1, 0}, Line{-1, 10});
    EXPECT_DOUBLE_EQ(p.x, 5);
    EXPECT_DOUBLE_EQ(p.y, 5);
}

TEST(DetectFrame, BlankImageFailsOnTheLeftSide) {
    PixelBuffer blank = PixelBuffer::Blank(800, 1100, PixelFormat::Gray8);
    FrameDetection detection = DetectFrame(SheetImage(blank), RecognitionSettings{2, 1000});
    EXPECT_EQ(StatusText(detection.status), "无法确定左边框");
}

TEST(DetectFrame, MissingLineRatioIsReportedNotDividedBy) {
    PixelBuffer blank = PixelBuffer::Blank(80, 110, PixelFormat::Gray8);
    EXPECT_EQ(DetectFrame(SheetImage(blank), RecognitionSettings{2, 0}).status.message(), "预计图像宽度与线比例设置错误");
    EXPECT_EQ(DetectFrame(SheetImage(blank), RecognitionSettings{2, -5}).status.message(), "预计图像宽度与线比例设置错误");
}

// A correction the dots agree with closely is settled, not a doubt; a large move of the frame
// needs nearly every dot, or the type code read where the dots put the frame; a small one the
// code confirms, three in five with hardly any astray.
TEST(FitCorrection, ALargeMoveIsSettledByNearlyEveryDotOrByTheTypeCode) {
    struct Case {
        int found, astray;
        double shift;
        bool code;
        double residual;
        bool agreed;
    };
    const Case cases[] = {
        {85, 0, 1.0, false, 0.03, true},  {85, 0, 6.0, false, 0.03, false}, {85, 0, 6.0, true, 0.03, true},
        {70, 0, 6.0, true, 0.03, false},  {60, 0, 0.1, true, 0.03, true},   {60, 0, 0.1, false, 0.03, false},
        {60, 6, 0.1, true, 0.03, false},  {59, 0, 0.1, true, 0.03, false},  {96, 0, 6.0, false, 0.03, true},
        {96, 0, 6.0, false, 0.2, false},  // the dots lie loosely around the corrected grid
    };
    for (const Case& c : cases) {
        FitCheck fit;
        fit.verdict = FitCheck::Corrected;
        fit.dotsExpected = 100;
        fit.dotsFound = c.found;
        fit.dotsAstray = c.astray;
        fit.cornerShift = c.shift;
        fit.codeConfirmed = c.code;
        fit.residual = c.residual;
        EXPECT_EQ(fit.CorrectionAgreed(), c.agreed) << c.found << " found, " << c.astray << " astray, moved " << c.shift
                                                    << (c.code ? ", code confirmed" : "");
    }
}

}  // namespace
}  // namespace quillmark

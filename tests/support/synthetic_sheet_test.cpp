#include "support/synthetic_sheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace quillmark::test {
namespace {

constexpr int kDark = 128;

int Pixel(const PixelBuffer& image, int x, int y) {
    return image.bytes[static_cast<std::size_t>(y) * image.stride + x];
}

int PixelNear(const PixelBuffer& image, Point p) {
    return Pixel(image, static_cast<int>(std::lround(p.first)), static_cast<int>(std::lround(p.second)));
}

// Walks from (x, y) in steps of (dx, dy) and returns the first pixel of the second dark run
// (the inner line, after the outer line and the gap), with the light gap's length.
struct Scan {
    int innerStart = -1;
    int gap = 0;
};

Scan ScanInwards(const PixelBuffer& image, int x, int y, int dx, int dy) {
    int run = 0;
    bool dark = false;
    Scan scan;
    for (int step = 0; x >= 0 && y >= 0 && x < image.width && y < image.height; x += dx, y += dy, ++step) {
        bool d = Pixel(image, x, y) < kDark;
        if (d != dark) {
            dark = d;
            if (dark) {
                ++run;
                if (run == 2) {
                    scan.innerStart = dx ? x : y;
                    return scan;
                }
            }
        }
        if (run == 1 && !dark) ++scan.gap;
    }
    return scan;
}

struct Sides {
    Scan left, right, top, bottom;
};

Sides ScanSides(const PixelBuffer& image, int row, int column) {
    return {ScanInwards(image, 0, row, 1, 0), ScanInwards(image, image.width - 1, row, -1, 0),
            ScanInwards(image, column, 0, 0, 1), ScanInwards(image, column, image.height - 1, 0, -1)};
}

TEST(SyntheticSheet, InnerCornersAreWhereTheInnerLinesStart) {
    SheetDrawing drawing;
    DrawnSheet sheet = DrawSheet(drawing);
    ASSERT_EQ(sheet.image.width, 1654);
    ASSERT_EQ(sheet.image.height, 2339);
    Sides s = ScanSides(sheet.image, sheet.image.height / 2, sheet.image.width / 4);
    EXPECT_EQ(s.left.innerStart, sheet.innerCorners[0].first);
    EXPECT_EQ(s.left.innerStart, sheet.innerCorners[2].first);
    EXPECT_EQ(s.right.innerStart, sheet.innerCorners[1].first);
    EXPECT_EQ(s.right.innerStart, sheet.innerCorners[3].first);
    EXPECT_EQ(s.top.innerStart, sheet.innerCorners[0].second);
    EXPECT_EQ(s.top.innerStart, sheet.innerCorners[1].second);
    EXPECT_EQ(s.bottom.innerStart, sheet.innerCorners[2].second);
    EXPECT_EQ(s.bottom.innerStart, sheet.innerCorners[3].second);
    // Independent of the drawer's own arithmetic: paper edge + outer line + gap.
    EXPECT_EQ(s.left.innerStart, 157 + 9 + 28);
    EXPECT_EQ(s.top.innerStart, 157 + 9 + 47);
    EXPECT_EQ(s.right.innerStart, 1654 - 1 - (157 + 9 + 28));
    EXPECT_EQ(s.bottom.innerStart, 2339 - 1 - (157 + 9 + 28));
}

TEST(SyntheticSheet, FractionalFrameCornersWithinHalfAPixel) {
    SheetDrawing drawing;
    drawing.width = 1700;
    drawing.height = 2200;
    drawing.margin = 120.3;
    drawing.outerLine = 8.6;
    drawing.sideGap = 25.45;
    drawing.topGap = 41.8;
    drawing.innerLine = 2.7;
    DrawnSheet sheet = DrawSheet(drawing);
    Sides s = ScanSides(sheet.image, 1100, 400);
    EXPECT_NEAR(s.left.innerStart, sheet.innerCorners[0].first, 0.5);
    EXPECT_NEAR(s.right.innerStart, sheet.innerCorners[1].first, 0.5);
    EXPECT_NEAR(s.top.innerStart, sheet.innerCorners[0].second, 0.5);
    EXPECT_NEAR(s.bottom.innerStart, sheet.innerCorners[3].second, 0.5);
}

TEST(SyntheticSheet, EdgesAreAntiAliasedByArea) {
    SheetDrawing drawing;
    drawing.margin = 157.25;  // pixel 157 is three quarters covered by the outer line
    DrawnSheet sheet = DrawSheet(drawing);
    EXPECT_EQ(Pixel(sheet.image, 157, 1000), 64);
    EXPECT_EQ(Pixel(sheet.image, 156, 1000), 255);
    EXPECT_EQ(Pixel(sheet.image, 158, 1000), 0);
    EXPECT_EQ(Pixel(sheet.image, 1000, 157), 64);
}

TEST(SyntheticSheet, TopGapIsTheWidest) {
    DrawnSheet sheet = DrawSheet(SheetDrawing{});
    Sides s = ScanSides(sheet.image, sheet.image.height / 2, sheet.image.width / 4);
    EXPECT_EQ(s.top.gap, 47);
    EXPECT_EQ(s.left.gap, 28);
    EXPECT_EQ(s.right.gap, 28);
    EXPECT_EQ(s.bottom.gap, 28);
}

TEST(SyntheticSheet, QuarterTurnsAreExactTransposes) {
    SheetDrawing drawing;
    drawing.filled = {{3, 7}, {20, 40}};
    drawing.margin = 150.4;  // grey edge pixels make a wrong mapping visible
    DrawnSheet upright = DrawSheet(drawing);
    const int w = upright.image.width, h = upright.image.height;
    for (int turns = 1; turns <= 3; ++turns) {
        drawing.quarterTurns = turns;
        DrawnSheet turned = DrawSheet(drawing);
        ASSERT_EQ(turned.image.width, turns == 3 ? w : h) << turns;
        ASSERT_EQ(turned.image.height, turns == 3 ? h : w) << turns;
        int mismatches = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int tx = turns == 1 ? y : turns == 2 ? h - 1 - y : w - 1 - x;
                int ty = turns == 1 ? w - 1 - x : turns == 2 ? x : h - 1 - y;
                if (Pixel(upright.image, x, y) != Pixel(turned.image, tx, ty)) ++mismatches;
            }
        }
        EXPECT_EQ(mismatches, 0) << turns;
    }
}

TEST(SyntheticSheet, QuarterTurnsPutTheTopOnTheStatedSide) {
    for (int turns = 0; turns < 4; ++turns) {
        SheetDrawing drawing;
        drawing.quarterTurns = turns;
        DrawnSheet sheet = DrawSheet(drawing);
        // Away from the code strip, which sits in the sheet's top right.
        int row = sheet.image.height * 2 / 5, column = sheet.image.width * 2 / 5;
        Sides s = ScanSides(sheet.image, row, column);
        int widest = std::max({s.left.gap, s.right.gap, s.top.gap, s.bottom.gap});
        const Scan& expected = turns == 0 ? s.top : turns == 1 ? s.left : turns == 2 ? s.right : s.bottom;
        EXPECT_EQ(expected.gap, 47) << turns;
        EXPECT_EQ(widest, 47) << turns;
        // Corners are where the inner lines start in the turned image too.
        EXPECT_EQ(s.left.innerStart, sheet.innerCorners[0].first) << turns;
        EXPECT_EQ(s.right.innerStart, sheet.innerCorners[3].first) << turns;
        EXPECT_EQ(s.top.innerStart, sheet.innerCorners[1].second) << turns;
        EXPECT_EQ(s.bottom.innerStart, sheet.innerCorners[2].second) << turns;
    }
}

TEST(SyntheticSheet, CodeBitsAreDarkWhereOne) {
    for (const char* code : {"1000111001", "0110100110"}) {
        SheetDrawing drawing;
        drawing.typeCode = code;
        DrawnSheet sheet = DrawSheet(drawing);
        for (int bit = 1; bit <= 10; ++bit) {
            for (double fraction : {1.0 / 150, 1.0 / 100}) {
                int v = PixelNear(sheet.image, CodeBitUpright(drawing, bit, fraction));
                if (code[bit - 1] == '1') {
                    EXPECT_EQ(v, 0) << code << " bit " << bit;
                } else {
                    EXPECT_EQ(v, 255) << code << " bit " << bit;
                }
            }
        }
        // Neighbouring dark bits join without a seam along the sampled row.
        Point row = CodeBitUpright(drawing, 1, 1.0 / 100);
        int y = static_cast<int>(std::lround(row.second));
        for (int bit = 1; bit < 10; ++bit) {
            if (code[bit - 1] != '1' || code[bit] != '1') continue;
            int from = static_cast<int>(CodeBitUpright(drawing, bit + 1).first);
            int to = static_cast<int>(CodeBitUpright(drawing, bit).first);
            for (int x = from; x <= to; ++x) EXPECT_EQ(Pixel(sheet.image, x, y), 0) << code << " x " << x;
        }
        // Nothing past the tenth bit.
        EXPECT_EQ(PixelNear(sheet.image, CodeBitUpright(drawing, 11, 1.0 / 100)), 255) << code;
    }
}

TEST(SyntheticSheet, CodeStripTouchesTheInnerLineAndSpansAThird) {
    SheetDrawing drawing;
    drawing.typeCode = "1000000001";
    DrawnSheet sheet = DrawSheet(drawing);
    SheetGeometry g = Geometry(drawing);
    int x = static_cast<int>(std::lround(CodeBitUpright(drawing, 1).first));
    int top = static_cast<int>(g.innerTop);
    // From the inner line down through the strip there is no light pixel.
    int bottom = static_cast<int>(std::lround(g.innerTop + (g.innerBottom - g.innerTop) / 40)) - 1;
    for (int y = top; y <= bottom; ++y) EXPECT_LT(Pixel(sheet.image, x, y), kDark) << y;
    // Bit 10 ends a third of the inner width left of the inner right corner.
    int y = static_cast<int>(std::lround(g.innerTop + (g.innerBottom - g.innerTop) / 100));
    double stripLeft = g.innerRight - (g.innerRight - g.innerLeft) / 3;
    EXPECT_LT(Pixel(sheet.image, static_cast<int>(std::ceil(stripLeft)) + 1, y), kDark);
    EXPECT_EQ(Pixel(sheet.image, static_cast<int>(std::floor(stripLeft)) - 1, y), 255);
}

TEST(SyntheticSheet, FilledCellsAreDarkAndEmptyCellsPaper) {
    SheetDrawing drawing;
    drawing.cellOutlines = true;
    drawing.fillGrey = 40;
    drawing.filled = {{5, 10}, {29, 45}};
    drawing.marks = {{12, 20, 90, 0.5, 0.5, 4, -3}};
    DrawnSheet sheet = DrawSheet(drawing);
    EXPECT_NEAR(PixelNear(sheet.image, CellCentreUpright(drawing, 5, 10)), 40, 1);
    EXPECT_NEAR(PixelNear(sheet.image, CellCentreUpright(drawing, 29, 45)), 40, 1);
    EXPECT_EQ(PixelNear(sheet.image, CellCentreUpright(drawing, 6, 10)), 255);
    EXPECT_EQ(PixelNear(sheet.image, CellCentreUpright(drawing, 5, 11)), 255);
    auto [mx, my] = CellCentreUpright(drawing, 12, 20);
    EXPECT_NEAR(PixelNear(sheet.image, {mx + 4, my - 3}), 90, 1);
    // The mark is half a cell wide about its offset centre.
    SheetGeometry g = Geometry(drawing);
    EXPECT_NEAR(PixelNear(sheet.image, {mx + 4 + 0.2 * g.cellWidth, my - 3}), 90, 1);
    EXPECT_EQ(PixelNear(sheet.image, {mx + 4 + 0.3 * g.cellWidth, my - 3}), 255);
    // The printed ring of an empty cell: light grey on its rim, paper inside and out.
    auto [ex, ey] = CellCentreUpright(drawing, 6, 10);
    int rim = static_cast<int>(std::lround(ex + 0.3 * g.cellWidth));
    int darkest = 255;
    for (int x = rim - 2; x <= rim + 2; ++x) darkest = std::min(darkest, Pixel(sheet.image, x, static_cast<int>(std::lround(ey))));
    EXPECT_GE(darkest, 195);
    EXPECT_LE(darkest, 235);
    EXPECT_EQ(PixelNear(sheet.image, {ex + 0.45 * g.cellWidth, ey}), 255);

    drawing.cellOutlines = false;
    DrawnSheet plain = DrawSheet(drawing);
    for (int x = rim - 2; x <= rim + 2; ++x) EXPECT_EQ(Pixel(plain.image, x, static_cast<int>(std::lround(ey))), 255);
}

TEST(SyntheticSheet, MarksAreCentredOnTheCellCentre) {
    SheetDrawing drawing;
    drawing.fillGrey = 0;
    drawing.filled = {{7, 13}};
    DrawnSheet sheet = DrawSheet(drawing);
    SheetGeometry g = Geometry(drawing);
    auto [cx, cy] = CellCentreUpright(drawing, 7, 13);
    // Half-dark crossings along the row and the column through the centre.
    auto extent = [&](bool alongX) {
        int first = -1, last = -1;
        int from = static_cast<int>(alongX ? cx - g.cellWidth / 2 : cy - g.cellHeight / 2);
        int to = static_cast<int>(alongX ? cx + g.cellWidth / 2 : cy + g.cellHeight / 2);
        for (int k = from; k <= to; ++k) {
            int v = alongX ? Pixel(sheet.image, k, static_cast<int>(std::lround(cy)))
                           : Pixel(sheet.image, static_cast<int>(std::lround(cx)), k);
            if (v < kDark) {
                if (first < 0) first = k;
                last = k;
            }
        }
        return std::pair<int, int>{first, last};
    };
    auto [left, right] = extent(true);
    auto [top, bottom] = extent(false);
    EXPECT_NEAR((left + right) / 2.0, cx, 0.5);
    EXPECT_NEAR((top + bottom) / 2.0, cy, 0.5);
    EXPECT_NEAR(right - left + 1, 0.6 * g.cellWidth, 1.0);
    EXPECT_NEAR(bottom - top + 1, 0.6 * g.cellHeight, 1.0);
}

TEST(SyntheticSheet, CalibrationDotsSitInTheChosenCorner) {
    SheetDrawing drawing;
    drawing.calibrationDots = {{4, 8}};
    SheetGeometry g = Geometry(drawing);
    double side = 0.2 * std::min(g.cellWidth, g.cellHeight);
    auto [cx, cy] = CellCentreUpright(drawing, 4, 8);
    double left = cx - g.cellWidth / 2, top = cy - g.cellHeight / 2;

    DrawnSheet sheet = DrawSheet(drawing);
    EXPECT_EQ(PixelNear(sheet.image, {left + side / 2, top + side / 2}), 0);
    EXPECT_EQ(PixelNear(sheet.image, {left + side + 2, top + side / 2}), 255);
    EXPECT_EQ(PixelNear(sheet.image, {left + side / 2, top + side + 2}), 255);
    EXPECT_EQ(PixelNear(sheet.image, {cx + g.cellWidth / 2 - side / 2, cy + g.cellHeight / 2 - side / 2}), 255);

    drawing.dotCorner = Corner::BottomRight;
    DrawnSheet other = DrawSheet(drawing);
    EXPECT_EQ(PixelNear(other.image, {cx + g.cellWidth / 2 - side / 2, cy + g.cellHeight / 2 - side / 2}), 0);
    EXPECT_EQ(PixelNear(other.image, {left + side / 2, top + side / 2}), 255);
}

TEST(SyntheticSheet, RotatedSheetKeepsCornersAndCellsInPlace) {
    for (double degrees : {1.5, -2.0}) {
        SheetDrawing drawing;
        drawing.quarterTurns = 2;
        drawing.rotateDegrees = degrees;
        drawing.filled = {{3, 4}, {27, 41}};
        DrawnSheet sheet = DrawSheet(drawing);
        EXPECT_LT(PixelNear(sheet.image, CellCentre(drawing, 3, 4)), 40) << degrees;
        EXPECT_LT(PixelNear(sheet.image, CellCentre(drawing, 27, 41)), 40) << degrees;
        EXPECT_EQ(PixelNear(sheet.image, CellCentre(drawing, 4, 4)), 255) << degrees;

        // Scan straight across the middle row: the left inner line starts on the line through
        // the two reported left corners.
        auto [tl, tr, bl, br] = sheet.innerCorners;
        int row = sheet.image.height / 2;
        Scan left = ScanInwards(sheet.image, 0, row, 1, 0);
        double expectLeft = tl.first + (row - tl.second) * (bl.first - tl.first) / (bl.second - tl.second);
        EXPECT_NEAR(left.innerStart, expectLeft, 1.0) << degrees;
        int column = sheet.image.width / 2;
        Scan bottom = ScanInwards(sheet.image, column, sheet.image.height - 1, 0, -1);
        double expectBottom = bl.second + (column - bl.first) * (br.second - bl.second) / (br.first - bl.first);
        EXPECT_NEAR(bottom.innerStart, expectBottom, 1.0) << degrees;
        // Counter-clockwise on screen leans the image's top to the left.
        if (degrees > 0) {
            EXPECT_LT(tl.first, bl.first - 20) << degrees;
        } else {
            EXPECT_GT(tl.first, bl.first + 20) << degrees;
        }
    }
}

TEST(SyntheticSheet, NoiseIsSeededAndHasTheGivenSpread) {
    SheetDrawing drawing;
    drawing.paper = 200;
    drawing.noise = 6;
    drawing.noiseSeed = 7;
    DrawnSheet a = DrawSheet(drawing);
    DrawnSheet b = DrawSheet(drawing);
    EXPECT_EQ(a.image.bytes, b.image.bytes);
    drawing.noiseSeed = 8;
    DrawnSheet c = DrawSheet(drawing);
    EXPECT_NE(a.image.bytes, c.image.bytes);

    double sum = 0, squares = 0;
    int n = 0;
    for (int y = 10; y < 140; ++y) {
        for (int x = 10; x < 1640; ++x) {
            double v = Pixel(a.image, x, y) - 200.0;
            sum += v;
            squares += v * v;
            ++n;
        }
    }
    double mean = sum / n;
    EXPECT_NEAR(mean, 0, 0.1);
    EXPECT_NEAR(std::sqrt(squares / n - mean * mean), 6, 0.3);
}

TEST(SyntheticSheet, RejectsCellsOutsideTheGridAndBadCodes) {
    SheetDrawing drawing;
    drawing.filled = {{30, 1}};
    EXPECT_THROW(DrawSheet(drawing), std::invalid_argument);
    drawing.filled = {{1, 46}};
    EXPECT_THROW(DrawSheet(drawing), std::invalid_argument);
    drawing.filled.clear();
    drawing.typeCode = "10x0000000";
    EXPECT_THROW(DrawSheet(drawing), std::invalid_argument);
    drawing.typeCode = "1000111001";
    drawing.quarterTurns = 4;
    EXPECT_THROW(DrawSheet(drawing), std::invalid_argument);
}

}  // namespace
}  // namespace quillmark::test

#include <gtest/gtest.h>

#include <vector>

#include "marking/marking_parameters.h"
#include "marking/preview.h"

namespace quillmark {
namespace {

constexpr Colour kBackground = 0x00FAFBFC;

// A 6 × 4 sheet whose pixels all differ: red 1 + x + 10y, green 100, blue 7.
class SmallSheet : public ::testing::Test {
protected:
    SmallSheet() : buffer_(PixelBuffer::Blank(6, 4, PixelFormat::Rgb24)) {
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                std::uint8_t* p = buffer_.bytes.data() + y * buffer_.stride + 3 * x;
                p[0] = static_cast<std::uint8_t>(1 + x + 10 * y);
                p[1] = 100;
                p[2] = 7;
            }
        }
    }

    static Colour S(int x, int y) { return (1 + x + 10 * y) | (100 << 8) | (7 << 16); }

    PixelBuffer Draw(int width, int height, int orientation, double zoom, bool fixedZoom = true) const {
        return RefreshPreview(SheetImage(buffer_), width, height, orientation, zoom, fixedZoom, kBackground);
    }

    static Colour At(const PixelBuffer& preview, int x, int y) { return SheetImage(preview).readPixel(x, y); }

    // Every preview pixel against the expectation `expected(x, y)`.
    template <typename Expected>
    static void ExpectPicture(const PixelBuffer& preview, Expected expected) {
        for (int y = 0; y < preview.height; ++y) {
            for (int x = 0; x < preview.width; ++x) {
                ASSERT_EQ(At(preview, x, y), expected(x, y)) << "preview pixel (" << x << ", " << y << ")";
            }
        }
    }

    PixelBuffer buffer_;
};

TEST_F(SmallSheet, PreviewIsBgrxClearedToTheBackground) {
    PixelBuffer preview = Draw(9, 7, 向上, 1);
    ASSERT_EQ(preview.format, PixelFormat::Bgrx32);
    ASSERT_EQ(preview.width, 9);
    ASSERT_EQ(preview.height, 7);
    ASSERT_EQ(preview.stride, 36);
    const std::uint8_t* first = preview.bytes.data();
    EXPECT_EQ(first[0], 7);  // blue, green, red, unused
    EXPECT_EQ(first[1], 100);
    EXPECT_EQ(first[2], 1);
    EXPECT_EQ(first[3], 255);
    const std::uint8_t* corner = preview.bytes.data() + 6 * preview.stride + 4 * 8;
    EXPECT_EQ(corner[0], 0xFA);
    EXPECT_EQ(corner[1], 0xFB);
    EXPECT_EQ(corner[2], 0xFC);
    EXPECT_EQ(corner[3], 255);
}

TEST_F(SmallSheet, UprightCopyAtTheTopLeftCorner) {
    ExpectPicture(Draw(9, 7, 向上, 1), [](int x, int y) { return x < 6 && y < 4 ? S(x, y) : kBackground; });
    // Too small a preview clips the copy.
    ExpectPicture(Draw(3, 2, 向上, 1), [](int x, int y) { return S(x, y); });
    // One preview pixel for 2 × 2 source pixels, sampled at their top-left one.
    ExpectPicture(Draw(9, 7, 向上, 2), [](int x, int y) { return x < 3 && y < 2 ? S(2 * x, 2 * y) : kBackground; });
}

TEST_F(SmallSheet, UprightEnlargementRoundsHalvesToEvenAndKeepsTheLastColumn) {
    // px·0.5 rounded: 0.5→0, 1.5→2, 2.5→2, 3.5→4, 4.5→4; 5.5 and the last row's 3.5 are held.
    const std::vector<int> columns{0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 5};
    const std::vector<int> rows{0, 0, 1, 2, 2, 2, 3, 3};
    ExpectPicture(Draw(14, 10, 向上, 0.5), [&](int x, int y) {
        return x < 12 && y < 8 ? S(columns[x], rows[y]) : kBackground;
    });
}

TEST_F(SmallSheet, WithoutFixedZoomTheSheetIsDrawnOneToOne) {
    MarkingParameters parameters;
    parameters.zoom.TextChanged("4");
    parameters.fixedZoom = false;
    ExpectPicture(parameters.Preview(SheetImage(buffer_), 8, 5, kBackground),
                  [](int x, int y) { return x < 6 && y < 4 ? S(x, y) : kBackground; });
    parameters.fixedZoom = true;
    ExpectPicture(parameters.Preview(SheetImage(buffer_), 8, 5, kBackground),
                  [](int x, int y) { return x < 2 && y < 1 ? S(4 * x, 0) : kBackground; });
}

TEST_F(SmallSheet, HalfTurnHangsFromTheFixedPoint400By500) {
    ExpectPicture(Draw(402, 503, 向下, 1), [](int x, int y) {
        bool inside = x >= 395 && x <= 400 && y >= 497 && y <= 500;
        return inside ? S(400 - x, 500 - y) : kBackground;
    });
    ExpectPicture(Draw(402, 503, 向下, 2), [](int x, int y) {
        bool inside = x >= 398 && x <= 400 && y >= 499 && y <= 500;
        return inside ? S(2 * (400 - x), 2 * (500 - y)) : kBackground;
    });
    const std::vector<int> columns{0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 5};
    PixelBuffer enlarged = Draw(402, 503, 向下, 0.5);
    for (int k = 0; k < 12; ++k) EXPECT_EQ(At(enlarged, 400 - k, 500), S(columns[k], 0)) << k;
    EXPECT_EQ(At(enlarged, 388, 500), kBackground);
    EXPECT_EQ(At(enlarged, 400, 493), S(0, 3));
    EXPECT_EQ(At(enlarged, 400, 492), kBackground);
}

TEST_F(SmallSheet, HalfTurnIsNotPlacedAtThePreviewCorner) {
    ExpectPicture(Draw(10, 8, 向下, 1), [](int, int) { return kBackground; });
    // Just big enough: the sheet's origin lands on the last pixel.
    PixelBuffer preview = Draw(401, 501, 向下, 1);
    EXPECT_EQ(At(preview, 400, 500), S(0, 0));
    EXPECT_EQ(At(preview, 395, 497), S(5, 3));
}

TEST_F(SmallSheet, QuarterTurnsVisitTheBoundsInclusively) {
    // 向左: (x, H − y) ← (y, x). Row 0 comes from y = H = 5, so source column 5 shows and
    // column 0 (y = 0, row H) falls off the bottom.
    ExpectPicture(Draw(4, 5, 向左, 1), [](int x, int y) { return S(5 - y, x); });
    // 向右: (W − x, y) ← (y, x). Column 0 comes from x = W = 3.
    ExpectPicture(Draw(3, 5, 向右, 1), [](int x, int y) { return S(y, 3 - x); });
}

TEST_F(SmallSheet, QuarterTurnsLeaveTheBackgroundWhereTheSourceEnds) {
    ExpectPicture(Draw(7, 9, 向左, 1), [](int x, int y) {
        int column = 9 - y;
        return x < 4 && column < 6 ? S(column, x) : kBackground;
    });
    // Zoom 2 samples every other source pixel.
    ExpectPicture(Draw(3, 4, 向左, 2), [](int x, int y) {
        int column = 2 * (4 - y);
        return x < 2 && column < 6 ? S(column, 2 * x) : kBackground;
    });
}

TEST_F(SmallSheet, QuarterTurnsRoundHalvesToEven) {
    // 向右 at zoom 0.5, W = 7, H = 9: source column round(y / 2), row round(x / 2);
    // 1.5 → 2, 2.5 → 2, 3.5 → 4 (below the sheet).
    const std::vector<int> columnOfRow{0, 0, 1, 2, 2, 2, 3, 4, 4};
    const std::vector<int> rowOfColumn{-1, 3, 2, 2, 2, 1, 0};
    ExpectPicture(Draw(7, 9, 向右, 0.5), [&](int x, int y) {
        return rowOfColumn[x] < 0 ? kBackground : S(columnOfRow[y], rowOfColumn[x]);
    });
}

TEST_F(SmallSheet, UnknownOrientationOrNegativeZoomLeavesTheBackground) {
    ExpectPicture(Draw(8, 6, 4, 1), [](int, int) { return kBackground; });
    ExpectPicture(Draw(8, 6, -1, 1), [](int, int) { return kBackground; });
    for (int orientation : {向上, 向下, 向左, 向右}) {
        ExpectPicture(Draw(8, 6, orientation, -1), [](int, int) { return kBackground; });
    }
}

TEST_F(SmallSheet, ZoomZeroSpreadsTheFirstPixel) {
    // The starting zoom before marking sets it: every sample lands on pixel (0, 0).
    ExpectPicture(Draw(5, 4, 向上, 0), [](int, int) { return S(0, 0); });
    ExpectPicture(Draw(5, 4, 向右, 0), [](int, int) { return S(0, 0); });
}

}  // namespace
}  // namespace quillmark

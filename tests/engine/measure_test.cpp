#include <gtest/gtest.h>

#include "data/text_codec.h"
#include "engine/grid.h"
#include "marking/installed_sheet_types.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

// A 180 x 180 image whose frame corners are the image corners: cells of 20 px.
struct Canvas {
    PixelBuffer pixels = PixelBuffer::Blank(180, 180, PixelFormat::Gray8);

    void Fill(int x0, int y0, int x1, int y1, int grey) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) pixels.bytes[static_cast<std::size_t>(y * pixels.stride + x)] = static_cast<std::uint8_t>(grey);
        }
    }
    // The middle of the cell in image row i and column j, 10 px square.
    void FillCell(int i, int j, int grey) {
        int cx = 10 * (2 * j - 1), cy = 10 * (2 * i - 1);
        Fill(cx - 5, cy - 5, cx + 5, cy + 5, grey);
    }
};

FrameGeometry SquareFrame(double size) {
    FrameGeometry frame;
    frame.corners = {Point{0, 0}, Point{size, 0}, Point{0, size}, Point{size, size}};
    return frame;
}

SheetType Grid(int columns, int rows) {
    SheetType type;
    type.水平单元格数 = columns;
    type.垂直单元格数 = rows;
    return type;
}

TEST(CellScore, DarkHalfAndClean) {
    Canvas canvas;
    canvas.Fill(0, 0, 3, 3, 0);  // some dark print in the first calibration window
    canvas.FillCell(1, 2, 0);
    int cx = 10 * (2 * 3 - 1), cy = 10;
    canvas.Fill(cx - 5, cy - 5, cx, cy + 5, 0);  // the left half of cell (1, 3)
    CellGrid grid;
    ASSERT_EQ(StatusText(MeasureCells(SheetImage(canvas.pixels), SquareFrame(180), Grid(9, 9), grid)), "正常");
    EXPECT_EQ(grid.at(2, 1), 0);
    EXPECT_EQ(grid.at(4, 1), 100);
    EXPECT_NEAR(grid.at(3, 1), 50, 12);
}

// A stroke drawn across a cell darkens its middle along a line; a fill, even a light or
// half one, spreads over it.
TEST(CellScore, StrokesAreToldFromFills) {
    Canvas canvas;
    canvas.Fill(0, 0, 3, 3, 0);
    for (int t = -9; t <= 9; ++t) canvas.Fill(50 + t - 1, 10 + t, 50 + t + 2, 11 + t, 0);  // cell (1, 3), diagonal
    canvas.Fill(65, 5, 75, 10, 0);                                                         // cell (1, 4), top half
    canvas.FillCell(1, 6, 0);
    CellGrid grid;
    ASSERT_EQ(StatusText(MeasureCells(SheetImage(canvas.pixels), SquareFrame(180), Grid(9, 9), grid)), "正常");
    EXPECT_LT(grid.at(3, 1), 80);
    EXPECT_TRUE(grid.isLine(3, 1));
    EXPECT_LT(grid.at(4, 1), 80);
    EXPECT_FALSE(grid.isLine(4, 1));
    EXPECT_FALSE(grid.isLine(6, 1));
}

TEST(Calibration, EveryCellTakesTheCalibrationOfItsBlockOfFourByFour) {
    Canvas canvas;
    // Black print only in the windows of the calibration cells (1, 5) and (5, 5), between
    // the measured middles, so cells calibrated there see a light grey (63 below the paper)
    // as light; cells calibrated on white paper see it as dark.
    canvas.Fill(118, 18, 122, 22, 0);
    canvas.Fill(118, 98, 122, 102, 0);
    for (auto [i, j] : {std::pair{1, 3}, {1, 7}, {3, 2}, {5, 2}, {9, 9}}) canvas.FillCell(i, j, 192);
    canvas.FillCell(7, 3, 200);  // as light as shade or printed letters: no mark on white paper either
    CellGrid grid;
    ASSERT_EQ(StatusText(MeasureCells(SheetImage(canvas.pixels), SquareFrame(180), Grid(9, 9), grid)), "正常");
    EXPECT_EQ(grid.at(3, 1), 0);    // calibrated at (1, 1): white window
    EXPECT_EQ(grid.at(7, 1), 100);  // calibrated at (1, 5)
    EXPECT_EQ(grid.at(2, 3), 0);    // row 3 has no calibration cell: its block's, (1, 1), not the last made
    EXPECT_EQ(grid.at(2, 5), 0);    // calibrated again at (5, 1)
    EXPECT_EQ(grid.at(3, 7), 100);
    EXPECT_EQ(grid.at(9, 9), 100);  // the last rows never calibrate: the nearest block, (5, 5), saw the dot
}

TEST(Calibration, SmallGridsHaveNoCalibrationAndReadEmpty) {
    Canvas canvas;
    canvas.FillCell(1, 1, 0);
    CellGrid grid;
    ASSERT_EQ(StatusText(MeasureCells(SheetImage(canvas.pixels), SquareFrame(180), Grid(9, 4), grid)), "正常");
    EXPECT_EQ(grid.at(1, 1), 100);  // the threshold stays 0: nothing is dark
}

TEST(Calibration, WindowWhollyOutsideThePictureIsReported) {
    Canvas canvas;
    FrameGeometry far;
    far.corners = {Point{5000, 5000}, Point{5180, 5000}, Point{5000, 5180}, Point{5180, 5180}};
    CellGrid grid;
    EXPECT_EQ(StatusText(MeasureCells(SheetImage(canvas.pixels), far, Grid(9, 9), grid)), "答题卡超出图像范围");
}

TEST(Calibration, CellsOutsideTheGridKeepTheirScores) {
    Canvas canvas;
    CellGrid grid;
    grid.at(50, 50) = 7;
    MeasureCells(SheetImage(canvas.pixels), SquareFrame(180), Grid(9, 9), grid);
    EXPECT_EQ(grid.at(50, 50), 7);
    EXPECT_EQ(grid.at(9, 9), 100);
}

TEST(MeasureSheet, FindsTheDefinitionByTrimmedNameOrSaysTheTypeIsWrong) {
    TempFolder home;
    home.MakeProgramFolders();
    home.WriteBytes("DaTiKa/1000111001.CAR", "[MAIN]\r\n水平单元格数=9\r\n垂直单元格数=9\r\n");
    home.WriteBytes("DaTiKa/1111111111.CAR", EncodeGbk("[MAIN]\r\n水平单元格数=0\r\n垂直单元格数=9\r\n").bytes);
    Canvas canvas;
    SheetImage image(canvas.pixels);
    SheetType type;
    CellGrid grid;
    const SheetTypeCatalog types = LoadInstalledSheetTypes(home.path());
    EXPECT_EQ(StatusText(MeasureSheet(image, SquareFrame(180), types, " 1000111001 ", type, grid)), "正常");
    EXPECT_EQ(type.水平单元格数, 9);
    type.水平单元格数 = 3;
    EXPECT_EQ(StatusText(MeasureSheet(image, SquareFrame(180), types, "1000111000", type, grid)), "答题卡类型错误");
    EXPECT_EQ(type.水平单元格数, 3);  // nothing else changes
    EXPECT_EQ(StatusText(MeasureSheet(image, SquareFrame(180), types, "", type, grid)), "答题卡类型错误");
    EXPECT_EQ(StatusText(MeasureSheet(image, SquareFrame(180), types, "../DaTiKa/1000111001", type, grid)), "答题卡类型错误");
    EXPECT_EQ(StatusText(MeasureSheet(image, SquareFrame(180), types, "1111111111", type, grid)), "答题卡类型定义错误");
}

TEST(MeasureSheet, CollapsedFrameIsRefusedInsteadOfLoopingForEver) {
    Canvas canvas;
    FrameGeometry point;
    point.corners = {Point{10, 10}, Point{10, 10}, Point{10, 10}, Point{10, 10}};
    CellGrid grid;
    EXPECT_EQ(StatusText(MeasureCells(SheetImage(canvas.pixels), point, Grid(9, 9), grid)), "边框出错");
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include "engine/grid.h"
#include "engine/sheet_type.h"
#include "marking/installed_sheet_types.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::Gbk;
using test::TempFolder;

const char kDefinition[] =
    "[MAIN]\r\n水平单元格数=20\r\n垂直单元格数=40\r\n考号位数=2\r\n每题选项数=4\r\n"
    "考号方向= 垂直方向 \r\n答案方向=水平\r\n答题卡总题数=2\r\n"
    "[考号位置]\r\n1X=2\r\n1Y=3\r\n2X=3\r\n2Y=3\r\n"
    "[答案位置]\r\n1X=12.5\r\n1Y=13.5\r\n2X=abc\r\n2Y= 7\r\n";

TEST(SheetTypeFile, ReadsTheMainValuesAndPositions) {
    TempFolder folder;
    folder.WriteBytes("t.CAR", Gbk(kDefinition));
    SheetType type = LoadSheetType(folder.path() / "t.CAR");
    EXPECT_EQ(type.水平单元格数, 20);
    EXPECT_EQ(type.垂直单元格数, 40);
    EXPECT_EQ(type.考号位数, 2);
    EXPECT_EQ(type.考号方向, "垂直方向");
    EXPECT_TRUE(type.numberRunsDown());
    EXPECT_FALSE(type.answersRunDown());
    ASSERT_EQ(type.answerPositions.size(), 3u);
    EXPECT_EQ(type.answerPositions[1].column, 12);  // 12.5 rounds to even
    EXPECT_EQ(type.answerPositions[1].row, 14);     // 13.5 too
    EXPECT_EQ(type.answerPositions[2].column, 0);   // no number
    EXPECT_EQ(type.answerPositions[2].row, 7);
    EXPECT_EQ(type.DigitCell(1, 9).row, 12);
    EXPECT_EQ(type.DigitCell(1, 9).column, 2);
    EXPECT_EQ(type.OptionCell(2, 4).column, 3);
    EXPECT_TRUE(CheckSheetType(type).ok());
}

TEST(SheetTypeFile, UnusableDefinitionsAreRefused) {
    TempFolder folder;
    auto check = [&](const std::string& text) {
        folder.WriteBytes("t.CAR", Gbk(text));
        Status status = CheckSheetType(LoadSheetType(folder.path() / "t.CAR"));
        return status.ok() ? std::string() : status.message();
    };
    EXPECT_EQ(check("[MAIN]\r\n水平单元格数=0\r\n垂直单元格数=40\r\n"), "答题卡类型定义错误");
    EXPECT_EQ(check("[MAIN]\r\n水平单元格数=101\r\n垂直单元格数=40\r\n"), "答题卡类型定义错误");
    EXPECT_EQ(check("[MAIN]\r\n水平单元格数=20\r\n垂直单元格数=40\r\n答题卡总题数=70000\r\n"), "答题卡类型定义错误");
    // Digit cells that run past column 100.
    EXPECT_EQ(check("[MAIN]\r\n水平单元格数=20\r\n垂直单元格数=40\r\n考号位数=1\r\n[考号位置]\r\n1X=95\r\n1Y=1\r\n"),
              "答题卡类型定义错误");
    EXPECT_EQ(check("[MAIN]\r\n水平单元格数=20\r\n垂直单元格数=40\r\n考号位数=1\r\n[考号位置]\r\n1X=91\r\n1Y=1\r\n"), "");
    // Nothing at all: no grid.
    EXPECT_EQ(check(""), "答题卡类型定义错误");
}

TEST(SheetTypeFile, NoDigitsMeansNoNumberKeys) {
    TempFolder folder;
    folder.WriteBytes("t.CAR", Gbk("[MAIN]\r\n水平单元格数=5\r\n垂直单元格数=5\r\n考号位数=0\r\n"));
    SheetType type = LoadSheetType(folder.path() / "t.CAR");
    EXPECT_EQ(type.numberPositions.size(), 1u);
}

TEST(GridGeometry, SidewaysSheetsSwapAcrossAndDown) {
    SheetType type;
    type.水平单元格数 = 20;
    type.垂直单元格数 = 40;
    ImageGrid upright = ImageGridOf(type, Upright);
    ImageGrid sideways = ImageGridOf(type, TopAtLeft);
    EXPECT_EQ(upright.across, 20);
    EXPECT_EQ(sideways.across, 40);
    EXPECT_EQ(sideways.down, 20);
    GridPosition cell = SheetCell(sideways, TopAtLeft, 1, 1);
    EXPECT_EQ(cell.column, 20);
    EXPECT_EQ(cell.row, 1);
    cell = SheetCell(sideways, TopAtRight, 1, 1);
    EXPECT_EQ(cell.column, 1);
    EXPECT_EQ(cell.row, 40);
    cell = SheetCell(upright, UpsideDown, 1, 1);
    EXPECT_EQ(cell.column, 20);
    EXPECT_EQ(cell.row, 40);
    cell = SheetCell(upright, Upright, 3, 5);
    EXPECT_EQ(cell.column, 5);
    EXPECT_EQ(cell.row, 3);
}

TEST(GridGeometry, CellCentresFillTheFrameAndFollowShear) {
    FrameGeometry frame;
    frame.corners = {Point{100, 200}, Point{300, 200}, Point{100, 600}, Point{300, 600}};
    ImageGrid grid{10, 20};
    CellSizePx size = CellSize(frame, grid);
    EXPECT_DOUBLE_EQ(size.width, 20);
    EXPECT_DOUBLE_EQ(size.height, 20);
    Point first = CellCentre(frame, grid, 1, 1);
    EXPECT_EQ(first.x, 110);
    EXPECT_EQ(first.y, 210);
    Point last = CellCentre(frame, grid, 20, 10);
    EXPECT_EQ(last.x, 290);
    EXPECT_EQ(last.y, 590);
    // A sheared frame: the bottom edge moved right by 40.
    frame.corners = {Point{100, 200}, Point{300, 200}, Point{140, 600}, Point{340, 600}};
    Point bottomLeft = CellCentre(frame, grid, 20, 1);
    EXPECT_EQ(bottomLeft.x, 149);  // 110 + 40 * 39/40 = 149
}

}  // namespace
}  // namespace quillmark

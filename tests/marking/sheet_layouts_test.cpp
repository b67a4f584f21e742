#include <gtest/gtest.h>

#include <set>

#include "data/file_io.h"
#include "data/text_codec.h"
#include "engine/grid.h"
#include "engine/sheet_type.h"
#include "marking/installed_sheet_types.h"
#include "marking/sheet_layouts.h"

namespace quillmark {
namespace {

std::filesystem::path InstalledTypes() { return std::filesystem::path(QUILLMARK_PROGRAM_FOLDER_SOURCE) / "DaTiKa"; }

TEST(SheetLayouts, InstalledDefinitionsAreWhatTheLayoutsGenerate) {
    for (const SheetTypeEntry& entry : kSheetTypes) {
        std::optional<std::string> installed = ReadFileBytes(InstalledTypes() / (std::string(entry.code) + ".CAR"));
        ASSERT_TRUE(installed) << entry.code;
        GbkEncoding generated = EncodeGbk(SheetDefinitionText(LayoutOf(entry)));
        ASSERT_TRUE(generated.ok());
        EXPECT_EQ(*installed, generated.bytes) << entry.name << ": run write_sheet_types programfolder/DaTiKa";
    }
}

TEST(SheetLayouts, DefinitionsLoadAndMatchTheTypeNames) {
    for (const SheetTypeEntry& entry : kSheetTypes) {
        SheetType type = LoadSheetType(InstalledTypes() / (std::string(entry.code) + ".CAR"));
        SCOPED_TRACE(entry.name);
        EXPECT_TRUE(CheckSheetType(type).ok());
        EXPECT_EQ(type.考号位数, 4);
        std::string name = entry.name;
        int questions = std::atoi(entry.name);
        EXPECT_EQ(type.答题卡总题数, questions > 0 ? questions : 20);
        bool five = name.find('B') != std::string::npos || name.find('D') != std::string::npos || questions == 0;
        EXPECT_EQ(type.每题选项数, five ? 5 : 4);
        bool down = name.find('C') != std::string::npos || name.find('D') != std::string::npos;
        EXPECT_EQ(type.answersRunDown(), down);
        EXPECT_TRUE(type.numberRunsDown());
    }
}

TEST(SheetLayouts, ReadCellsAreDistinctInsideTheGridAndClearOfTheFrame) {
    for (const SheetTypeEntry& entry : kSheetTypes) {
        SheetLayout layout = LayoutOf(entry);
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(layout.across % 4, 1);
        EXPECT_EQ(layout.down % 4, 1);
        std::set<std::pair<int, int>> used;
        auto use = [&](GridPosition cell, bool read) {
            EXPECT_GE(cell.column, 1);
            EXPECT_LE(cell.column, layout.across);
            if (read) {  // clear of the calibration windows that reach over the frame
                EXPECT_GE(cell.row, 5);
                EXPECT_LE(cell.row, layout.down - 4);
                EXPECT_GE(cell.column, 5);
                EXPECT_LE(cell.column, layout.across - 4);
            }
            EXPECT_TRUE(used.insert({cell.column, cell.row}).second) << cell.column << "," << cell.row;
        };
        for (int n = 1; n <= SheetLayout::kDigits; ++n) {
            for (int v = 0; v <= 9; ++v) use(layout.DigitCell(n, v), true);
        }
        for (int q = 1; q <= layout.questions; ++q) {
            use(layout.LabelCell(q), false);
            for (int k = 1; k <= layout.options; ++k) use(layout.OptionCell(q, k), true);
        }
    }
}

TEST(SheetLayouts, TheCodeStripSpansASixthToAHalfAndHoldsTheSamplingLines) {
    double top = page::kGridRight - page::kGridLeft;
    EXPECT_GT(page::kCodeSpan, top / 6);
    EXPECT_LT(page::kCodeSpan, top / 2);
    double height = page::kGridBottom - page::kGridTop;
    double stripTop = page::kGridTop + page::kInnerLine, stripBottom = stripTop + page::kCodeHeight;
    for (double fraction : {1.0 / 150, 1.0 / 100}) {
        double y = page::kGridTop + height * fraction;
        EXPECT_GT(y, stripTop + 0.5);
        EXPECT_LT(y, stripBottom - 0.5);
    }
    EXPECT_GT(page::kTopGap, page::kSideGap * 1.5);
}

}  // namespace
}  // namespace quillmark

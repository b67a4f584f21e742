#include <gtest/gtest.h>

#include <set>

#include "engine/grid.h"
#include "marking/sheet_layouts.h"
#include "support/filled_sheet.h"

namespace quillmark::test {
namespace {

using Cell = std::pair<int, int>;

// Ink a sheet leaves on one cell beyond the blank print: the summed darkening of the
// pixels in the middle `share` of the cell.
long long InkOn(const FilledSheet& sheet, const PixelBuffer& blank, const SheetLayout& layout, GridPosition cell,
                double share, double dpi) {
    RectMm r = layout.Cell(cell);
    double dotsPerMm = dpi / 25.4, margin = (1 - share) / 2;
    long long ink = 0;
    for (int y = static_cast<int>((r.y + r.height * margin) * dotsPerMm); y < (r.y + r.height * (1 - margin)) * dotsPerMm; ++y) {
        for (int x = static_cast<int>((r.x + r.width * margin) * dotsPerMm); x < (r.x + r.width * (1 - margin)) * dotsPerMm; ++x) {
            std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(blank.stride) + static_cast<std::size_t>(x);
            ink += std::max(0, blank.bytes[at] - sheet.image.bytes[at]);
        }
    }
    return ink;
}

FilledSheetRecipe BusyHands(const SheetLayout& layout, std::uint64_t seed) {
    FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.number = "4071";
    for (int q = 1; q <= layout.questions; ++q) recipe.answers.push_back(q % 6 == 0 ? "" : q % 7 == 0 ? "13" : std::to_string(q % layout.options + 1));
    recipe.seed = seed;
    recipe.lightMarkShare = 0.2;
    recipe.erasedMarkShare = 0.05;
    recipe.numberCorrectionShare = 0.5;
    recipe.faintShare = 0.3;
    recipe.tickShare = 0.1;
    recipe.crossShare = 0.1;
    recipe.strayStrokes = 4;
    recipe.nameInBox = recipe.nameInMargin = true;
    recipe.cornerNumbers = recipe.frameStrokes = 3;
    return recipe;
}

// The bench classifies every reading by this ground truth: a cell the generator inked must
// be named, by a mark or a stroke, and a named mark must have ink under it.
TEST(FilledSheet, GroundTruthNamesEveryInkedCellThatIsRead) {
    for (int type : {0, 7, 18}) {
        SheetLayout layout = LayoutOf(kSheetTypes[static_cast<std::size_t>(type)]);
        for (std::uint64_t seed : {3u, 11u}) {
            FilledSheet sheet = MakeFilledSheet(BusyHands(layout, seed));
            PixelBuffer blank = BlankSheet(layout, 200);
            std::set<Cell> marked, stroked;
            for (const PencilMark& m : sheet.marks) marked.insert({m.cell.column, m.cell.row});
            for (const GridPosition& c : sheet.strokeCells) stroked.insert({c.column, c.row});
            std::vector<GridPosition> read;
            for (int n = 1; n <= SheetLayout::kDigits; ++n) {
                for (int v = 0; v <= 9; ++v) read.push_back(layout.DigitCell(n, v));
            }
            for (int q = 1; q <= layout.questions; ++q) {
                for (int k = 1; k <= layout.options; ++k) read.push_back(layout.OptionCell(q, k));
            }
            for (const GridPosition& cell : read) {
                Cell key{cell.column, cell.row};
                SCOPED_TRACE(std::string(kSheetTypes[static_cast<std::size_t>(type)].code) + " seed " + std::to_string(seed) +
                             " cell " + std::to_string(cell.column) + "," + std::to_string(cell.row));
                if (marked.count(key)) {
                    EXPECT_GT(InkOn(sheet, blank, layout, cell, 1.0, 200), 0);
                } else if (!stroked.count(key)) {
                    EXPECT_EQ(InkOn(sheet, blank, layout, cell, 0.4, 200), 0);
                }
            }
        }
    }
}

// Ticks and crosses stand for no answer; fills are the answers, with every option filled
// meaning none.
TEST(FilledSheet, ExpectedAnswersAreTheFilledOptions) {
    SheetLayout layout = LayoutOf(kSheetTypes[4]);
    FilledSheetRecipe recipe = BusyHands(layout, 5);
    recipe.answers[1] = "12345";
    FilledSheet sheet = MakeFilledSheet(recipe);
    std::set<MarkKind> seen;
    for (int q = 1; q <= layout.questions; ++q) {
        std::string filled;
        for (int k = 1; k <= layout.options; ++k) {
            GridPosition cell = layout.OptionCell(q, k);
            for (const PencilMark& m : sheet.marks) {
                if (m.cell.column != cell.column || m.cell.row != cell.row) continue;
                seen.insert(m.kind);
                if (!IsAmbiguous(m.kind)) filled += static_cast<char>('0' + k);
            }
        }
        if (static_cast<int>(filled.size()) == layout.options) filled.clear();
        EXPECT_EQ(sheet.expectedAnswers[static_cast<std::size_t>(q - 1)], filled) << "question " << q;
    }
    EXPECT_EQ(seen.size(), 6u) << "every kind of mark drawn";
}

// The reader's check of an image's tones on copies made as a copier makes them: a harsh
// contrast wipes the printed bubbles and light pencil with them; an ordinary copy, a grey
// scan or a shaded one keeps the tones between.
TEST(FilledSheet, HarshContrastCopiesAreToldByTheirCutTones) {
    SheetLayout layout = LayoutOf(kSheetTypes[9]);
    SheetType type;
    type.水平单元格数 = layout.across;
    type.垂直单元格数 = layout.down;
    auto tonesCut = [&](double contrast, double shade, std::uint64_t seed) {
        FilledSheetRecipe recipe = BusyHands(layout, seed);
        recipe.dpi = 150;
        recipe.noise = 4;
        recipe.blurRadius = 1;
        recipe.harshContrast = contrast;
        recipe.lidShadow = shade;
        FilledSheet sheet = MakeFilledSheet(recipe);
        double dotsPerMm = recipe.dpi / 25.4;
        FrameGeometry frame;
        frame.corners = {Point{page::kGridLeft * dotsPerMm, page::kGridTop * dotsPerMm},
                         Point{page::kGridRight * dotsPerMm, page::kGridTop * dotsPerMm},
                         Point{page::kGridLeft * dotsPerMm, page::kGridBottom * dotsPerMm},
                         Point{page::kGridRight * dotsPerMm, page::kGridBottom * dotsPerMm}};
        CellGrid grid;
        EXPECT_TRUE(MeasureCells(SheetImage(sheet.image), frame, type, grid).ok());
        return grid.tonesCut;
    };
    for (std::uint64_t seed : {2u, 9u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        EXPECT_FALSE(tonesCut(1, 0, seed));
        EXPECT_FALSE(tonesCut(1, 0.6, seed));
        EXPECT_TRUE(tonesCut(4.5, 0, seed));
        EXPECT_TRUE(tonesCut(9, 0.5, seed));
    }
}

}  // namespace
}  // namespace quillmark::test

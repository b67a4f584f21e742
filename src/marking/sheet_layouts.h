#pragma once

#include <string>
#include <vector>

#include "engine/sheet_type.h"
#include "sheet_type_table.h"

namespace quillmark {

// The printed A4 page, in millimetres from its top-left corner. The grid fills the inner
// frame: it starts at the outer edges of the inner lines, where the engine finds them.
namespace page {
inline constexpr double kWidth = 210;
inline constexpr double kHeight = 297;
inline constexpr double kMargin = 20;      // paper edge to the outer line
inline constexpr double kOuterLine = 1.2;
inline constexpr double kInnerLine = 0.4;
inline constexpr double kSideGap = 3.5;
inline constexpr double kTopGap = 6.0;     // wider, so the sheet's top can be told
inline constexpr double kGridLeft = kMargin + kOuterLine + kSideGap;
inline constexpr double kGridTop = kMargin + kOuterLine + kTopGap;
inline constexpr double kGridRight = kWidth - kGridLeft;
inline constexpr double kGridBottom = kHeight - kMargin - kOuterLine - kSideGap;
inline constexpr double kCodeSpan = (kGridRight - kGridLeft) / 3;  // the code strip's length
inline constexpr double kCodeHeight = 4.0;
}  // namespace page

struct RectMm {
    double x = 0, y = 0, width = 0, height = 0;
    double centreX() const { return x + width / 2; }
    double centreY() const { return y + height / 2; }
};

// One printed sheet type: its grid and where the number digits and the questions lie.
// Rows 1-4 hold the title, the name box and the code strip; the number block and the
// instructions take rows 5-15; questions start at row 17. Cells that are read stay out of
// the first and last four rows and columns: the calibration windows there reach over the
// frame lines (along the rows on upright sheets, along the columns on sideways ones) and
// would judge a light pencil mark against too dark a threshold. Both grid sizes are
// 4k + 1, so the engine's calibration cells fall on the same sheet cells in every
// orientation.
struct SheetLayout {
    const SheetTypeEntry* entry = nullptr;
    int across = 0;
    int down = 0;
    int options = 0;
    int questions = 0;
    bool answersDown = false;
    std::vector<GridPosition> digitStarts;     // digit n (from 0): the cell of value 0; values run down
    std::vector<GridPosition> questionStarts;  // question q (from 0): the cell of option 1

    static constexpr int kDigits = 4;
    static constexpr int kFirstReadColumn = 5;
    static constexpr int kFirstDigitRow = 6;
    static constexpr int kFirstAnswerRow = 17;

    GridPosition DigitCell(int digit, int value) const;     // digit from 1
    GridPosition OptionCell(int question, int option) const;  // both from 1
    GridPosition LabelCell(int question) const;             // where the question number is printed
    RectMm Cell(GridPosition cell) const;
    // Cells whose interior corner carries a calibration dot: every fourth cell both ways.
    std::vector<GridPosition> CalibrationCells() const;
};

SheetLayout LayoutOf(const SheetTypeEntry& entry);

// The type definition (".CAR") of a layout, as UTF-8 text with CR LF line ends.
std::string SheetDefinitionText(const SheetLayout& layout);

}  // namespace quillmark

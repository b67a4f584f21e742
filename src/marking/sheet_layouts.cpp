#include "sheet_layouts.h"

#include <cstdlib>

namespace quillmark {
namespace {

struct Shape {
    int options;
    bool down;
};

// A: four options along a row, B: five along a row, C: four down a column, D: five down.
Shape ShapeOf(const SheetTypeEntry& entry) {
    std::string name = entry.name;
    if (name.find('A') != std::string::npos) return {4, false};
    if (name.find('B') != std::string::npos) return {5, false};
    if (name.find('C') != std::string::npos) return {4, true};
    if (name.find('D') != std::string::npos) return {5, true};
    return {5, false};  // the user-defined sheet
}

int QuestionsOf(const SheetTypeEntry& entry) {
    int count = std::atoi(entry.name);
    return count > 0 ? count : 20;
}

// Places the questions on the layout's grid; false when they do not fit. Blocks use
// columns kFirstReadColumn..across-4 and rows kFirstAnswerRow..down-4, centred across.
bool Place(SheetLayout& layout) {
    int rows = layout.down - 4 - SheetLayout::kFirstAnswerRow + 1;
    int first = SheetLayout::kFirstReadColumn;
    int usable = layout.across - 4 - first + 1;
    layout.questionStarts.clear();
    if (!layout.answersDown) {
        // A block is a label column and the option columns; blocks are one column apart.
        // The label may stand in the column before the read columns.
        int blockWidth = layout.options + 1;
        --first;
        ++usable;
        int blocks = (usable + 1) / (blockWidth + 1);
        int perBlock = (layout.questions + blocks - 1) / blocks;
        if (perBlock > rows) return false;
        int width = blocks * (blockWidth + 1) - 1;
        int left = first + (usable - width) / 2;
        for (int q = 0; q < layout.questions; ++q) {
            int column = left + (q / perBlock) * (blockWidth + 1) + 1;
            layout.questionStarts.push_back({column, SheetLayout::kFirstAnswerRow + q % perBlock});
        }
        return true;
    }
    // A band is a label row and the option rows, bands one row apart; within a band the
    // questions stand side by side in groups of five, groups one column apart.
    int groups = (usable + 1) / 6;
    int perBand = groups * 5;
    int bandHeight = layout.options + 1;
    int bands = (layout.questions + perBand - 1) / perBand;
    if (bands * (bandHeight + 1) - 1 > rows) return false;
    int left = first + (usable - (groups * 6 - 1)) / 2;
    for (int q = 0; q < layout.questions; ++q) {
        int band = q / perBand, inBand = q % perBand;
        int column = left + (inBand / 5) * 6 + inBand % 5;
        layout.questionStarts.push_back({column, SheetLayout::kFirstAnswerRow + band * (bandHeight + 1) + 1});
    }
    return true;
}

}  // namespace

GridPosition SheetLayout::DigitCell(int digit, int value) const {
    GridPosition start = digitStarts[static_cast<std::size_t>(digit - 1)];
    return {start.column, start.row + value};
}

GridPosition SheetLayout::OptionCell(int question, int option) const {
    GridPosition start = questionStarts[static_cast<std::size_t>(question - 1)];
    return answersDown ? GridPosition{start.column, start.row + option - 1}
                       : GridPosition{start.column + option - 1, start.row};
}

GridPosition SheetLayout::LabelCell(int question) const {
    GridPosition start = questionStarts[static_cast<std::size_t>(question - 1)];
    return answersDown ? GridPosition{start.column, start.row - 1} : GridPosition{start.column - 1, start.row};
}

RectMm SheetLayout::Cell(GridPosition cell) const {
    double width = (page::kGridRight - page::kGridLeft) / across;
    double height = (page::kGridBottom - page::kGridTop) / down;
    return {page::kGridLeft + (cell.column - 1) * width, page::kGridTop + (cell.row - 1) * height, width, height};
}

std::vector<GridPosition> SheetLayout::CalibrationCells() const {
    std::vector<GridPosition> cells;
    for (int row = 1; row <= down; row += 4) {
        for (int column = 1; column <= across; column += 4) cells.push_back({column, row});
    }
    return cells;
}

SheetLayout LayoutOf(const SheetTypeEntry& entry) {
    Shape shape = ShapeOf(entry);
    SheetLayout layout;
    layout.entry = &entry;
    layout.options = shape.options;
    layout.answersDown = shape.down;
    layout.questions = QuestionsOf(entry);
    for (int n = 0; n < SheetLayout::kDigits; ++n) {
        layout.digitStarts.push_back({SheetLayout::kFirstReadColumn + n, SheetLayout::kFirstDigitRow});
    }

    // Grids in order of falling cell size; the first that holds every question wins.
    static constexpr int kGrids[][2] = {{29, 45}, {29, 49}, {33, 45}, {33, 49}, {29, 53}, {33, 53},
                                        {37, 45}, {37, 49}, {37, 53}, {29, 57}, {33, 57}, {37, 57}};
    for (const auto& grid : kGrids) {
        layout.across = grid[0];
        layout.down = grid[1];
        if (Place(layout)) break;
    }
    return layout;
}

std::string SheetDefinitionText(const SheetLayout& layout) {
    auto line = [](const std::string& key, const std::string& value) { return key + "=" + value + "\r\n"; };
    std::string text = "[MAIN]\r\n";
    text += line("水平单元格数", std::to_string(layout.across));
    text += line("垂直单元格数", std::to_string(layout.down));
    text += line("考号位数", std::to_string(SheetLayout::kDigits));
    text += line("每题选项数", std::to_string(layout.options));
    text += line("考号方向", "垂直");
    text += line("答案方向", layout.answersDown ? "垂直" : "水平");
    text += line("答题卡总题数", std::to_string(layout.questions));
    text += "[考号位置]\r\n";
    for (int n = 1; n <= SheetLayout::kDigits; ++n) {
        GridPosition start = layout.digitStarts[static_cast<std::size_t>(n - 1)];
        text += line(std::to_string(n) + "X", std::to_string(start.column));
        text += line(std::to_string(n) + "Y", std::to_string(start.row));
    }
    text += "[答案位置]\r\n";
    for (int q = 1; q <= layout.questions; ++q) {
        GridPosition start = layout.questionStarts[static_cast<std::size_t>(q - 1)];
        text += line(std::to_string(q) + "X", std::to_string(start.column));
        text += line(std::to_string(q) + "Y", std::to_string(start.row));
    }
    return text;
}

}  // namespace quillmark

#pragma once

#include <string>
#include <vector>

#include "sheet_status.h"

namespace quillmark {

struct GridPosition {
    int column = 0;
    int row = 0;
};

// One answer-sheet layout: the grid and where the number digits and the questions lie.
struct SheetType {
    int 水平单元格数 = 0;  // grid columns across the upright sheet
    int 垂直单元格数 = 0;  // grid rows down the upright sheet
    int 考号位数 = 0;
    int 每题选项数 = 0;
    std::string 考号方向;
    std::string 答案方向;
    int 答题卡总题数 = 0;
    std::vector<GridPosition> numberPositions;  // 1..考号位数 (entry 0 unused): the cell of value 0
    std::vector<GridPosition> answerPositions;  // 1..答题卡总题数: the cell of option 1

    bool numberRunsDown() const;
    bool answersRunDown() const;
    // Cell of value v (0..9) of digit n, and of option k (1..) of question q.
    GridPosition DigitCell(int n, int v) const;
    GridPosition OptionCell(int q, int k) const;
};

inline constexpr int kMaxGridCells = 100;

// A definition's values are 16-bit integers.
bool IsInt16(int value);

// Whether the definition can be used: values that do not fit 16 bits, an empty grid or
// cells outside columns and rows 0..100 make it "答题卡类型定义错误".
Status CheckSheetType(const SheetType& type);

}  // namespace quillmark

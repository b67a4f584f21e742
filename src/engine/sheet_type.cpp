#include "sheet_type.h"

#include <cmath>


namespace quillmark {
namespace {

constexpr double kInt16Min = -32768;
constexpr double kInt16Max = 32767;

}  // namespace

bool IsInt16(int value) { return value >= kInt16Min && value <= kInt16Max; }

bool SheetType::numberRunsDown() const { return 考号方向.find("垂直") != std::string::npos; }
bool SheetType::answersRunDown() const { return 答案方向.find("垂直") != std::string::npos; }

GridPosition SheetType::DigitCell(int n, int v) const {
    GridPosition start = numberPositions[static_cast<std::size_t>(n)];
    return numberRunsDown() ? GridPosition{start.column, start.row + v} : GridPosition{start.column + v, start.row};
}

GridPosition SheetType::OptionCell(int q, int k) const {
    GridPosition start = answerPositions[static_cast<std::size_t>(q)];
    return answersRunDown() ? GridPosition{start.column, start.row + k - 1}
                            : GridPosition{start.column + k - 1, start.row};
}

Status CheckSheetType(const SheetType& type) {
    const Status kBad = Failed(kBadTypeDefinition);
    for (int value : {type.水平单元格数, type.垂直单元格数, type.考号位数, type.每题选项数, type.答题卡总题数}) {
        if (!IsInt16(value)) return kBad;
    }
    if (type.水平单元格数 < 1 || type.垂直单元格数 < 1 || type.水平单元格数 > kMaxGridCells ||
        type.垂直单元格数 > kMaxGridCells) {
        return kBad;
    }
    if (type.考号位数 < 0 || type.答题卡总题数 < 0 || type.每题选项数 < 0) return kBad;

    auto inside = [](GridPosition cell) {
        return cell.column >= 0 && cell.column <= kMaxGridCells && cell.row >= 0 && cell.row <= kMaxGridCells;
    };
    for (int n = 1; n <= type.考号位数; ++n) {
        if (!inside(type.DigitCell(n, 0)) || !inside(type.DigitCell(n, 9))) return kBad;
    }
    for (int q = 1; q <= type.答题卡总题数; ++q) {
        if (type.每题选项数 > 0 && (!inside(type.OptionCell(q, 1)) || !inside(type.OptionCell(q, type.每题选项数)))) {
            return kBad;
        }
    }
    return Status::Ok();
}

}  // namespace quillmark

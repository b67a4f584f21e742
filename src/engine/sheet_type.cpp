#include "sheet_type.h"

#include <cmath>

#include "data/key_file.h"
#include "data/number_text.h"
#include "data/text_fns.h"

namespace quillmark {
namespace {

constexpr double kInt16Min = -32768;
constexpr double kInt16Max = 32767;

// Values that do not fit 16 bits are kept out of range so CheckSheetType refuses them.
int IntegerValue(const std::string& text) {
    double value = RoundHalfEven(LeadingNumber(text));
    if (value < kInt16Min) return -32769;
    if (value > kInt16Max) return 32768;
    return static_cast<int>(value);
}

bool IsInt16(int value) { return value >= kInt16Min && value <= kInt16Max; }

}  // namespace

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

SheetType LoadSheetType(const std::filesystem::path& path) {
    KeyFile file = KeyFile::Load(path);
    auto integer = [&](const char* section, const std::string& key) {
        return IntegerValue(file.Read(section, key, "0"));
    };
    SheetType type;
    type.水平单元格数 = integer("MAIN", "水平单元格数");
    type.垂直单元格数 = integer("MAIN", "垂直单元格数");
    type.考号位数 = integer("MAIN", "考号位数");
    type.每题选项数 = integer("MAIN", "每题选项数");
    type.考号方向 = TrimSpaces(file.Read("MAIN", "考号方向", "0"));
    type.答案方向 = TrimSpaces(file.Read("MAIN", "答案方向", "0"));
    type.答题卡总题数 = integer("MAIN", "答题卡总题数");

    // The key names are written with the number form's leading space, which key lookup
    // ignores.
    auto positions = [&](const char* section, int count) {
        std::vector<GridPosition> list(1);
        for (int n = 1; n <= count; ++n) {
            std::string number = NumberForm(n);
            list.push_back({integer(section, number + "X"), integer(section, number + "Y")});
        }
        return list;
    };
    type.numberPositions = positions("考号位置", IsInt16(type.考号位数) ? type.考号位数 : 0);
    type.answerPositions = positions("答案位置", IsInt16(type.答题卡总题数) ? type.答题卡总题数 : 0);
    return type;
}

std::string CheckSheetType(const SheetType& type) {
    const std::string kBad = "答题卡类型定义错误";
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
    return {};
}

}  // namespace quillmark

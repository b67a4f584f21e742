#include "answers.h"

#include <algorithm>

#include "data/number_text.h"
#include "data/text_fns.h"

namespace quillmark {

std::string ReadAnswerDigits(const SheetType& type, const CellGrid& grid, int q) {
    int hi = -256, lo = 256;
    for (int k = 1; k <= type.每题选项数; ++k) {
        GridPosition cell = type.OptionCell(q, k);
        hi = std::max(hi, grid.at(cell.column, cell.row));
        lo = std::min(lo, grid.at(cell.column, cell.row));
    }
    std::string answer;
    for (int k = 1; k <= type.每题选项数; ++k) {
        GridPosition cell = type.OptionCell(q, k);
        if (lo + 2.0 * (hi - lo) / 5 > grid.at(cell.column, cell.row) && hi - lo > 10) answer += std::to_string(k);
    }
    return answer;
}

std::vector<std::string> ReadAllAnswers(const SheetType& type, const CellGrid& grid) {
    std::vector<std::string> answers;
    for (int q = 1; q <= type.答题卡总题数; ++q) answers.push_back(ReadAnswerDigits(type, grid, q));
    return answers;
}

}  // namespace quillmark

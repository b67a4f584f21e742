#include "examinee_number.h"

#include <algorithm>

#include "data/text_fns.h"

namespace quillmark {

std::string ReadExamineeDigits(const SheetType& type, const CellGrid& grid) {
    std::string number;
    for (int n = 1; n <= type.考号位数; ++n) {
        int hi = 0, lo = 255;
        for (int v = 0; v <= 9; ++v) {
            GridPosition cell = type.DigitCell(n, v);
            hi = std::max(hi, grid.at(cell.column, cell.row));
            lo = std::min(lo, grid.at(cell.column, cell.row));
        }
        for (int v = 0; v <= 9; ++v) {
            GridPosition cell = type.DigitCell(n, v);
            if (lo + (hi - lo) / 7.0 > grid.at(cell.column, cell.row) && hi - lo > 10) {
                number += static_cast<char>('0' + v);
                break;
            }
        }
    }
    return number;
}

}  // namespace quillmark

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

ExamineeLookup FindExamineeInRoster(const std::string& number, Roster& roster, bool checkNumber) {
    ExamineeLookup lookup;
    lookup.number = TrimSpaces(number);
    for (int row = 1; row <= roster.RowCount(); ++row) {
        if (EqualsIgnoringCase(TrimSpaces(roster.Row(row)[Examinee::考号]), number)) {
            lookup.rosterRow = row;
            lookup.status = kStatusNormal;
            return lookup;
        }
    }
    if (checkNumber) {
        lookup.status = kStatusNumberNotInRoster;
        return lookup;
    }
    // A number already in the roster is not added again: a second row holding only the
    // number would stay in the saved roster for nothing.
    int row = roster.AppendRow();
    if (row == 0) {
        lookup.status = kStatusRosterFull;
        return lookup;
    }
    roster.Row(row)[Examinee::考号] = number;
    lookup.rosterRow = row;
    lookup.status = kStatusNormal;
    return lookup;
}

ExamineeLookup ReadExamineeNumber(const SheetType& type, const CellGrid& grid, Roster& roster, bool checkNumber) {
    std::string digits = ReadExamineeDigits(type, grid);
    bool complete = !digits.empty() && static_cast<int>(digits.size()) >= type.考号位数;
    return LookUpReadNumber(digits, complete, roster, checkNumber);
}

ExamineeLookup LookUpReadNumber(const std::string& digits, bool complete, Roster& roster, bool checkNumber) {
    if (!complete || TrimSpaces(digits).empty()) {
        ExamineeLookup lookup;
        lookup.status = kStatusNumberIncomplete;
        lookup.number = TrimSpaces(digits);
        return lookup;
    }
    ExamineeLookup lookup = FindExamineeInRoster(digits, roster, checkNumber);
    lookup.complete = true;
    return lookup;
}

}  // namespace quillmark

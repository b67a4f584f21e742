#pragma once

#include <string>

#include "data/roster.h"
#include "grid.h"
#include "sheet_type.h"

namespace quillmark {

inline constexpr char kStatusNumberNotInRoster[] = "考号不在名册内!";
inline constexpr char kStatusNumberIncomplete[] = "考号填涂不完整";
inline constexpr char kStatusRosterFull[] = "名册已满，无法添加考生";

// The digits filled on the sheet; a digit without a clear mark is left out.
std::string ReadExamineeDigits(const SheetType& type, const CellGrid& grid);

struct ExamineeLookup {
    std::string status;       // "正常", or why the number cannot be used as read
    std::string number;       // the number as the sheet gave it, trimmed
    bool complete = false;    // every digit of the number had a clear mark
    int rosterRow = 0;        // set when a row was found or added
};

// Finds the number in the roster (case ignored, blanks trimmed). With the check on, a
// number that is not there fails; with it off, a number that is not there is added as a
// new examinee.
ExamineeLookup FindExamineeInRoster(const std::string& number, Roster& roster, bool checkNumber);

// Looks up a number read from a sheet; an incomplete one is never looked up.
ExamineeLookup LookUpReadNumber(const std::string& digits, bool complete, Roster& roster, bool checkNumber);

// Reads the digits and looks them up. A number with a digit missing (or a sheet type
// without number digits) is never looked up: it could only match or add the wrong row.
ExamineeLookup ReadExamineeNumber(const SheetType& type, const CellGrid& grid, Roster& roster, bool checkNumber);

}  // namespace quillmark

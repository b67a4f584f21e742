#pragma once

#include <string>
#include <vector>

#include "data/result_set.h"
#include "data/roster.h"
#include "engine/sheet_status.h"

namespace quillmark {

inline constexpr SheetProblem kNumberNotInRoster{"number_not_in_roster", "考号不在名册内!"};
inline constexpr SheetProblem kNumberIncomplete{"number_incomplete", "考号填涂不完整"};
inline constexpr SheetProblem kRosterFull{"roster_full", kStatusRosterFull};

// Scores answers read from a sheet (question q at index q - 1) for the examinee with this
// number and records them in the roster row and the answer table. A number in no roster
// row is added as a new examinee, so the result is never lost. Returns the roster row
// written; 0 when the roster is full and the number in no row.
int RecordAnswers(const std::string& examineeNumber, const std::vector<std::string>& answers, ResultSet& records);

struct ExamineeLookup {
    Status status;            // why the number cannot be used as read, if it cannot
    std::string number;       // the number as the sheet gave it, trimmed
    bool complete = false;    // every digit of the number had a clear mark
    int rosterRow = 0;        // set when a row was found or added
};

// Finds the number in the roster (case ignored, blanks trimmed). With the check on, a
// number that is not there fails; with it off, a number that is not there is added as a
// new examinee.
ExamineeLookup FindExamineeInRoster(const std::string& number, Roster& roster, bool checkNumber);

// Looks up a number read from a sheet. A number with a digit missing (or a sheet type
// without number digits) is never looked up: it could only match or add the wrong row.
ExamineeLookup LookUpReadNumber(const std::string& digits, bool complete, Roster& roster, bool checkNumber);

}  // namespace quillmark

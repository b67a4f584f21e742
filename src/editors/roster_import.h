#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/csv_table.h"
#include "data/roster.h"

namespace quillmark {

// Importing a class list (rows of cells, as csv_table.h and xlsx_reader.h read them) into a
// roster. Every problem is listed by the row the spreadsheet shows, before anything is
// written; nothing here writes.

inline constexpr std::size_t kMaxRosterNameBytes = 10;  // a name's code page 936 bytes

struct ImportColumns {
    int number = 0;     // 1-based column of the examinee numbers; 0 when none is known
    int name = 0;       // 1-based column of the names; 0 for a roster without names
    int headerRow = 0;  // 1-based row of the column headers; 0 when the table has none
};

// Columns from a header row among the first rows (考号/学号/编号/准考证号/number/ID/student
// id, 姓名/名字/name; letter case ignored); without one, the first column of mostly digits and
// the next column of text.
ImportColumns GuessImportColumns(const TableRows& rows);

// A column the user named: its 1-based number ("3") or its header text (letter case and
// surrounding spaces ignored), looked for in `headerRow` or, when that is 0, in the first
// rows, where a header found sets `headerRow`. 0 when there is no such column.
int FindImportColumn(const TableRows& rows, std::string_view choice, int& headerRow);

// The header text of a column, or "" (for messages that name the column).
std::string ImportColumnHeader(const TableRows& rows, const ImportColumns& columns, int column);

struct ImportFixes {
    bool pad = false;    // numbers of fewer than 4 digits get leading zeros
    bool cut = false;    // names longer than kMaxRosterNameBytes are cut
    bool strip = false;  // commas and line breaks are taken out of names
    bool skip = false;   // rows with problems that remain are left out
};

enum class ImportFix { None, Pad, Cut, Strip };

enum class ImportProblemKind {
    NoColumn,         // no number column, or nothing to import (row 0)
    NumberNotFourDigits,
    DuplicateNumber,
    NameTooLong,
    UnencodableName,  // characters code page 936 cannot hold
    CommaInName,      // commas or line breaks, which would split the roster file's fields
    TooManyExaminees,
};

struct ImportProblem {
    int row = 0;  // the spreadsheet's row (1-based); 0 for the table as a whole
    ImportProblemKind kind = ImportProblemKind::NoColumn;
    std::string message;           // in the window's language (Chinese without one), without the row
    ImportFix fix = ImportFix::None;  // the fix that resolves it; None when only skipping does
    bool fixed = false;            // that fix was chosen
    bool skipped = false;          // the row is left out
    bool Remains() const { return !fixed && !skipped; }
};

struct RosterImport {
    Roster roster;
    std::vector<int> sourceRows;          // the spreadsheet row of each roster row, in order
    std::vector<ImportProblem> problems;  // every problem found, by row
    int padded = 0, cut = 0, stripped = 0, skippedRows = 0;

    int Remaining() const;
    bool ok() const { return Remaining() == 0; }
};

// "第 N 行：…" (the message alone for row 0).
std::string ImportProblemLine(const ImportProblem& problem);

RosterImport ImportRoster(const TableRows& rows, const ImportColumns& columns, const ImportFixes& fixes);

}  // namespace quillmark

#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace quillmark {

struct Examinee {
    // Columns of a roster row; 0 and 7 carry no data, 6 is always written empty.
    enum Column : int { 考号 = 1, 姓名 = 2, Score = 3, 名次 = 4, AnswerSummary = 5, Spare = 6 };

    std::array<std::string, 8> columns;

    std::string& operator[](int column) { return columns[static_cast<std::size_t>(column)]; }
    const std::string& operator[](int column) const { return columns[static_cast<std::size_t>(column)]; }
};

inline constexpr char kStatusRosterFull[] = "名册已满，无法添加考生";

// The examinees of one examination, rows numbered 1..RowCount(); row 0 holds no examinee.

class Roster {
public:
    static constexpr int kMaxRows = 32667;

    int RowCount() const { return static_cast<int>(rows_.size()) - 1; }
    Examinee& Row(int row) { return rows_[static_cast<std::size_t>(row)]; }
    const Examinee& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    // Appends an empty examinee and returns its row number; 0 when the roster is full.
    int AppendRow();
    void InsertRow(int before);
    void RemoveRow(int row);
    void Clear() { rows_.assign(1, Examinee()); }

private:
    std::vector<Examinee> rows_ = std::vector<Examinee>(1);
};

// Roster files hold columns 1..6 of each row, comma-separated, one row a line.
// ParseRoster keeps number and name only; ParseResultRoster keeps all six columns. Both
// keep the first kMaxRows lines.
Roster ParseRoster(std::string_view fileBytes);
Roster ParseResultRoster(std::string_view fileBytes);

// A missing or unreadable file gives a roster of 0 examinees. A file of more than kMaxRows
// lines is refused with a message naming it and the limit, and gives 0 examinees too.
Status ReadRoster(const std::filesystem::path& path, Roster& roster);
Status ReadResultRoster(const std::filesystem::path& path, Roster& roster);
// ReadResultRoster on bytes already read from the file at `path`.
Status ParseResultRosterFile(std::string_view fileBytes, const std::filesystem::path& path, Roster& roster);

// Fails (naming the row) when a field holds a comma or a line break, which would shift
// the fields when read back, and when text cannot be stored in code page 936.
Status SerializeRoster(const Roster& roster, std::string& utf8Text);
// Creates the file's folder when it alone is missing.
Status WriteRoster(const std::filesystem::path& path, const Roster& roster);

}  // namespace quillmark

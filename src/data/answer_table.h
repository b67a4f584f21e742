#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace quillmark {

// Every examinee's answer to every question: cell (question 0..201, examinee row 0..);
// row and question 0 hold no data. The table grows to any row it is given, keeping its
// cells, so every roster row has a place for its answers.
class AnswerTable {
public:
    static constexpr int kQuestions = 202;
    static constexpr int kFileFields = 200;

    const std::string& Cell(int question, int row) const;
    void SetCell(int question, int row, std::string text);

    // Empties every cell and sizes the table for rows 0..rows.
    void Reset(int rows);
    int RowCapacity() const { return static_cast<int>(cells_.size() / kQuestions); }

private:
    void EnsureRow(int row);
    std::vector<std::string> cells_;
};

// ".DAN" answer files: one line per examinee row 1..rowCount, 200 fields each.
std::string SerializeAnswerTable(const AnswerTable& table, int rowCount);
Status WriteAnswerTable(const std::filesystem::path& path, const AnswerTable& table, int rowCount);

// Reads fields as one stream, 200 per examinee, whatever the line ends; reading past the
// end of the file leaves the remaining cells as they were. A missing file changes nothing.
void ParseAnswerTable(std::string_view fileBytes, AnswerTable& table, int rowCount);
void ReadAnswerTable(const std::filesystem::path& path, AnswerTable& table, int rowCount);

}  // namespace quillmark

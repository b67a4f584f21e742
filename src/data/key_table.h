#pragma once

#include <array>
#include <string>
#include <vector>

#include "exam_paper.h"
#include "status.h"

namespace quillmark {

// An exam paper's keys and scores as a table: the header "question,answer,score", then one
// row per question 1..总题数 with the key in letters ("AC") and the question's effective score.

using TableRows = std::vector<std::vector<std::string>>;

// The table as CSV text: UTF-8 without a byte-order mark, CR LF line ends.
std::string KeyTableCsv(const ExamPaper& paper);

struct KeyImportOptions {
    int options = 5;  // the sheet's options per question, 1..5 (A..E)
    // 优秀, 良好, 中等, 及格 of the new paper; a new paper in the paper editor starts with 0.
    std::array<double, 4> thresholds{};
};

struct KeyTableProblem {
    int row = 0;  // 1-based, counting the header row as the table holds it
    std::string message;
};

struct KeyImport {
    ExamPaper paper;
    std::vector<KeyTableProblem> problems;  // empty when the paper is good to save
    Status status;                           // every problem, one per line, each naming its row
};

// Reads rows of cells (from a CSV file or a workbook's first sheet) into a new paper.
// A first row whose first cell is no number is a header: its cells "question"/"题号",
// "answer"/"答案" and "score"/"分值" (letter case ignored) place the columns, otherwise they
// are taken in that order. Blank rows are skipped. Questions must run 1, 2, 3... (at most
// 200); each answer is made of the letters A.. up to the sheet's options (lower case, blanks
// and commas between them allowed; empty for a question without a key); each score a
// number greater than 0 ('.' or a lone ',' as the decimal point). The paper's default score is the
// score most questions have (the first of equals); questions with another keep their own.
KeyImport ImportKeyTable(const TableRows& rows, const KeyImportOptions& options = {});

}  // namespace quillmark

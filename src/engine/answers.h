#pragma once

#include <string>
#include <vector>

#include "data/result_set.h"
#include "grid.h"
#include "sheet_type.h"

namespace quillmark {

// The options marked for question q: digits "1".. in order, empty when none is clear.
std::string ReadAnswerDigits(const SheetType& type, const CellGrid& grid, int q);

// Answers of questions 1..count of the sheet type.
std::vector<std::string> ReadAllAnswers(const SheetType& type, const CellGrid& grid);

// True when the answer earns the question's score: a non-empty answer that occurs as a
// contiguous part of the key. No answer is never right.
bool AnswerIsCorrect(const std::string& answer, const std::string& key);

// Reads and scores the answers of the sheet for the examinee with this number and records
// them in the roster row and the answer table. A number in no roster row is added as a new
// examinee, so the result is never lost. Returns the roster row written.
int ReadAnswers(const std::string& examineeNumber, const SheetType& type, const CellGrid& grid,
                ResultSet& records);

// Scores answers already read (question q at index q - 1) and records them as ReadAnswers
// does; 0 when the roster is full and the number in no row.
int RecordAnswers(const std::string& examineeNumber, const std::vector<std::string>& answers, ResultSet& records);

}  // namespace quillmark

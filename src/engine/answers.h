#pragma once

#include <string>
#include <vector>

#include "grid.h"
#include "sheet_type.h"

namespace quillmark {

// The options marked for question q: digits "1".. in order, empty when none is clear.
std::string ReadAnswerDigits(const SheetType& type, const CellGrid& grid, int q);

// Answers of questions 1..count of the sheet type.
std::vector<std::string> ReadAllAnswers(const SheetType& type, const CellGrid& grid);

}  // namespace quillmark

#pragma once

#include <string>

#include "grid.h"
#include "sheet_type.h"

namespace quillmark {

// The digits filled on the sheet; a digit without a clear mark is left out.
std::string ReadExamineeDigits(const SheetType& type, const CellGrid& grid);

}  // namespace quillmark

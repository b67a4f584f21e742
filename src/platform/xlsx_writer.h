#pragma once

#include <filesystem>

#include "data/status.h"
#include "results/results_workbook.h"

namespace quillmark {

// Writes the workbook as an .xlsx file, replacing the target only once it is complete.
// Cells with a number are number cells, the others text as given; the distribution sheet
// gets a chart of its counts. On failure the message names the target file.
Status WriteResultsWorkbook(const ResultsWorkbook& workbook, const std::filesystem::path& path);

}  // namespace quillmark

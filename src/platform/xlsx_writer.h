#pragma once

#include <filesystem>

#include "data/status.h"
#include "results/results_workbook.h"

namespace quillmark {

// Writes the workbook as an .xlsx file, replacing the target only once it is complete.
// Values stay text as given; the distribution's counts are numbers so its chart can plot
// them. On failure the message names the target file.
Status WriteResultsWorkbook(const ResultsWorkbook& workbook, const std::filesystem::path& path);

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "data/prompt.h"
#include "data/result_set.h"
#include "data/status.h"
#include "data/ui_text.h"
#include "results_workbook.h"
#include "score_analysis.h"

namespace quillmark {

inline constexpr char kExportSucceededMessage[] = UI_TEXT_NOOP("SpreadsheetExport", "当前考试成绩已经成功输到EXCEL文档中!");

// The file format and the desktop are reached through these, so the operations run the
// same under the GUI, the command line and the tests.
using WorkbookWriter = std::function<Status(const ResultsWorkbook&, const std::filesystem::path&)>;
// Fails when no program could be launched for the file.
using FileOpener = std::function<Status(const std::filesystem::path&)>;
// Given the default target, the file to write; nothing when the user cancels.
using ExportPathChooser = std::function<std::optional<std::filesystem::path>(const std::filesystem::path&)>;

// The default target: the title's workbook in ChengJi (see ExportFileName).
std::filesystem::path DefaultExportPath(const std::filesystem::path& programFolder, const std::string& title);

// Takes the default target as it is.
std::optional<std::filesystem::path> KeepDefaultExportPath(const std::filesystem::path& suggested);

// Writes the results as a workbook into the chosen file (ChengJi is created first, for the
// default); an existing file is replaced only when the user agrees. Tells the user where it
// went and opens it. Returns the written file, or an empty path.
std::filesystem::path ExportResults(const std::filesystem::path& programFolder, const ResultSet& records,
                                    const ScoreStatistics& statistics, const std::string& title,
                                    Prompt& prompt, const ExportPathChooser& choose, const WorkbookWriter& write,
                                    const FileOpener& open);

}  // namespace quillmark

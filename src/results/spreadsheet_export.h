#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/prompt.h"
#include "data/result_set.h"
#include "data/status.h"
#include "marking/sheet_layouts.h"
#include "results_workbook.h"
#include "score_analysis.h"

namespace quillmark {

inline constexpr char kExportSucceededMessage[] = "当前考试成绩已经成功输到EXCEL文档中!";
inline constexpr char kAnswerSheetsPdfName[] = "答题卡.pdf";

// The file format and the desktop are reached through these, so the operations run the
// same under the GUI, the command line and the tests.
using WorkbookWriter = std::function<Status(const ResultsWorkbook&, const std::filesystem::path&)>;
// Returns an error message naming the file, or empty on success.
using PdfWriter = std::function<std::string(const std::vector<SheetLayout>&, const std::filesystem::path&)>;
// Returns whether a program was launched for the file.
using FileOpener = std::function<bool(const std::filesystem::path&)>;
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

// After the user agrees, writes every blank sheet type (list order, one a page) into
// "答题卡.pdf" in the program folder and opens it. Returns the written file, or an empty
// path when the user declined or it could not be written.
std::filesystem::path PrintAnswerSheets(const std::filesystem::path& programFolder, Prompt& prompt,
                                        const PdfWriter& writePdf, const FileOpener& open);

}  // namespace quillmark

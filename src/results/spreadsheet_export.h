#pragma once

#include <filesystem>
#include <functional>
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

// Writes the results as a workbook into ChengJi, named after the title; an earlier export
// of that name is replaced only when the user agrees. Tells the user and opens it.
// Returns the written file, or an empty path.
std::filesystem::path ExportResults(const std::filesystem::path& programFolder, const ResultSet& records,
                                    const ScoreStatistics& statistics, const std::string& title,
                                    Prompt& prompt, const WorkbookWriter& write, const FileOpener& open);

// After the user agrees, writes every blank sheet type (list order, one a page) into
// "答题卡.pdf" in the program folder and opens it. Returns the written file, or an empty
// path when the user declined or it could not be written.
std::filesystem::path PrintAnswerSheets(const std::filesystem::path& programFolder, Prompt& prompt,
                                        const PdfWriter& writePdf, const FileOpener& open);

}  // namespace quillmark

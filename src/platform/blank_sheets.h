#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "data/prompt.h"
#include "data/status.h"
#include "marking/sheet_layouts.h"
#include "results/spreadsheet_export.h"

namespace quillmark {

inline constexpr char kAnswerSheetsPdfName[] = "答题卡.pdf";

// Writes the layouts into one PDF file, as WriteBlankSheetsPdf does.
using PdfWriter = std::function<Status(const std::vector<SheetLayout>&, const std::filesystem::path&)>;

// After the user agrees, writes every blank sheet type (list order, one a page) into
// "答题卡.pdf" in the program folder and opens it. Returns the written file, or an empty
// path when the user declined or it could not be written.
std::filesystem::path PrintAnswerSheets(const std::filesystem::path& programFolder, Prompt& prompt,
                                        const PdfWriter& writePdf, const FileOpener& open);

}  // namespace quillmark

#include "spreadsheet_export.h"

#include "data/file_io.h"
#include "data/program_paths.h"
#include "data/ui_text.h"

namespace quillmark {

std::filesystem::path DefaultExportPath(const std::filesystem::path& programFolder, const std::string& title) {
    return ResolvePath(programFolder, "\\ChengJi\\" + ExportFileName(title));
}

std::optional<std::filesystem::path> KeepDefaultExportPath(const std::filesystem::path& suggested) { return suggested; }

std::filesystem::path ExportResults(const std::filesystem::path& programFolder, const ResultSet& records,
                                    const ScoreStatistics& statistics, const std::string& title,
                                    Prompt& prompt, const ExportPathChooser& choose, const WorkbookWriter& write,
                                    const FileOpener& open) {
    std::filesystem::path suggested = DefaultExportPath(programFolder, title);
    std::error_code ec;
    std::filesystem::create_directories(suggested.parent_path(), ec);  // a failure shows in the write's message
    std::optional<std::filesystem::path> chosen = choose(suggested);
    if (!chosen || chosen->empty()) return {};
    std::filesystem::path target = *chosen;
    // Two classes marked against one paper export to the same name, and the first may
    // hold edits made in the spreadsheet program.
    if (std::filesystem::exists(target, ec) &&
        !prompt.AskYesNo(FillForm(UiText("SpreadsheetExport", "成绩表“%1”已存在，是否替换？"), {DisplayPath(target)}),
                         UiText("SpreadsheetExport", "警告"))) {
        return {};
    }

    ResultsWorkbook workbook = BuildResultsWorkbook(records, statistics, title);
    Status status = write(workbook, target);
    if (!status.ok()) {
        prompt.ShowMessage(FillForm(UiText("SpreadsheetExport", "成绩未能导出。%1"), {status.message()}), "");
        return {};
    }
    std::filesystem::path shown = std::filesystem::absolute(target, ec);
    prompt.ShowMessage(UiText("SpreadsheetExport", kExportSucceededMessage) + "\n" + DisplayPath(ec ? target : shown), "");
    if (!open(target).ok()) {
        prompt.ShowMessage(FillForm(UiText("SpreadsheetExport",
                                           "成绩表已保存在“%1”，但没有找到能打开 .xlsx 文件的程序，请手动打开该文件。"),
                                    {DisplayPath(target)}),
                           "");
    }
    return target;
}

}  // namespace quillmark

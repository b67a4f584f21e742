#include "spreadsheet_export.h"

#include "data/file_io.h"
#include "data/program_paths.h"

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
        !prompt.AskYesNo("成绩表“" + DisplayPath(target) + "”已存在，是否替换？", "警告")) {
        return {};
    }

    ResultsWorkbook workbook = BuildResultsWorkbook(records, statistics, title);
    Status status = write(workbook, target);
    if (!status.ok()) {
        prompt.ShowMessage("成绩未能导出。" + status.message(), "");
        return {};
    }
    std::filesystem::path shown = std::filesystem::absolute(target, ec);
    prompt.ShowMessage(std::string(kExportSucceededMessage) + "\n" + DisplayPath(ec ? target : shown), "");
    if (!open(target)) {
        prompt.ShowMessage("成绩表已保存在“" + DisplayPath(target) +
                               "”，但没有找到能打开 .xlsx 文件的程序，请手动打开该文件。",
                           "");
    }
    return target;
}

std::filesystem::path PrintAnswerSheets(const std::filesystem::path& programFolder, Prompt& prompt,
                                        const PdfWriter& writePdf, const FileOpener& open) {
    if (!prompt.AskYesNo("将打开一个包含全部空白答题卡的 PDF 文件，每种答题卡占一页。"
                         "请翻到所需答题卡类型的那一页，只打印该页。是否继续？",
                         "提示:"))
        return {};
    std::vector<SheetLayout> layouts;
    layouts.reserve(kSheetTypes.size());
    for (const SheetTypeEntry& entry : kSheetTypes) layouts.push_back(LayoutOf(entry));

    std::filesystem::path target = ResolvePath(programFolder, kAnswerSheetsPdfName);
    std::string error = writePdf(layouts, target);
    if (!error.empty()) {
        prompt.ShowMessage("答题卡文件未能生成。" + error, "");
        return {};
    }
    if (!open(target)) {
        prompt.ShowMessage("答题卡已保存在“" + DisplayPath(target) +
                               "”，但没有找到能打开 PDF 文件的程序，请手动打开该文件并打印所需的页。",
                           "");
    }
    return target;
}

}  // namespace quillmark

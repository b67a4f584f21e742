#include "blank_sheets.h"

#include "data/file_io.h"
#include "data/program_paths.h"
#include "data/ui_text.h"

namespace quillmark {

std::filesystem::path PrintAnswerSheets(const std::filesystem::path& programFolder, Prompt& prompt,
                                        const PdfWriter& writePdf, const FileOpener& open) {
    if (!prompt.AskYesNo(UiText("BlankSheets", "将打开一个包含全部空白答题卡的 PDF 文件，每种答题卡占一页。"
                                               "请翻到所需答题卡类型的那一页，只打印该页。是否继续？"),
                         UiText("BlankSheets", "提示:")))
        return {};
    std::vector<SheetLayout> layouts;
    layouts.reserve(kSheetTypes.size());
    for (const SheetTypeEntry& entry : kSheetTypes) layouts.push_back(LayoutOf(entry));

    std::filesystem::path target = ResolvePath(programFolder, kAnswerSheetsPdfName);
    Status written = writePdf(layouts, target);
    if (!written.ok()) {
        prompt.ShowMessage(FillForm(UiText("BlankSheets", "答题卡文件未能生成。%1"), {written.message()}), "");
        return {};
    }
    if (!open(target).ok()) {
        prompt.ShowMessage(FillForm(UiText("BlankSheets", "答题卡已保存在“%1”，但没有找到能打开 PDF 文件的程序，"
                                                          "请手动打开该文件并打印所需的页。"),
                                    {DisplayPath(target)}),
                           "");
    }
    return target;
}

}  // namespace quillmark

#include "sheet_command.h"

#include <QCoreApplication>
#include <filesystem>
#include <optional>
#include <vector>

#include "data/text_fns.h"
#include "platform/language.h"
#include "platform/sheet_renderer.h"

namespace quillmark::cli {

int RunSheet(const SheetOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<Language> language = LanguageFromCode(options.language);
    if (!language || (*language != Language::Chinese && !InstallLanguage(*QCoreApplication::instance(), *language))) {
        err << "无法使用语言: " << options.language << "\n";
        return 2;
    }
    std::vector<SheetLayout> layouts;
    if (EqualsIgnoringCase(TrimSpaces(options.type), "all")) {
        for (const SheetTypeEntry& entry : kSheetTypes) layouts.push_back(LayoutOf(entry));
    } else if (const SheetTypeEntry* entry = FindSheetType(options.type)) {
        layouts.push_back(LayoutOf(*entry));
    } else {
        err << "未知的答题卡类型: " << options.type << "\n";
        return 2;
    }

    std::filesystem::path path(options.out);
    std::string extension = LowerAscii(path.extension().string());
    if (extension == ".pdf") {
        Status written = WriteBlankSheetsPdf(layouts, path);
        if (!written.ok()) {
            err << written.message() << "\n";
            return 1;
        }
        out << path.string() << "\n";
        return 0;
    }
    if (extension != ".png") {
        err << "输出文件必须是 .pdf 或 .png: " << options.out << "\n";
        return 2;
    }
    if (!(options.dpi >= 30 && options.dpi <= 1200)) {
        err << "分辨率必须在 30 到 1200 dpi 之间\n";
        return 2;
    }
    for (const SheetLayout& layout : layouts) {
        std::filesystem::path target = path;
        if (layouts.size() > 1) {
            target.replace_filename(path.stem().string() + "-" + layout.entry->code + ".png");
        }
        Status written = WriteBlankSheetPng(layout, options.dpi, target);
        if (!written.ok()) {
            err << written.message() << "\n";
            return 1;
        }
        out << target.string() << "\n";
    }
    return 0;
}

}  // namespace quillmark::cli

#include "save_as_name.h"

#include <algorithm>

#include "program_paths.h"
#include "text_fns.h"
#include "ui_text.h"

namespace quillmark {
namespace {

// prompt, title and overwriteQuestion are shown as UiText("SaveAsName", …).
struct KindTexts {
    const char* prompt;
    const char* title;
    const char* folder;
    const char* pattern;
    std::vector<const char*> extensions;
    const char* overwriteQuestion;
};

KindTexts TextsFor(SaveKind kind) {
    switch (kind) {
        case SaveKind::ExamPaper:
            return {UI_TEXT_NOOP("SaveAsName", "请输入新试卷的名称(注意不能带后缀):"), UI_TEXT_NOOP("SaveAsName", "试卷另存为……"),
                    "ShiJuan", "*.CHO", {".CHO"},
                    UI_TEXT_NOOP("SaveAsName", "存在同名的试卷文件,是否要覆盖原有的试卷文件?")};
        case SaveKind::Roster:
            return {UI_TEXT_NOOP("SaveAsName", "请输入新名册的名称(注意不能带后缀):"), UI_TEXT_NOOP("SaveAsName", "名册另存为……"),
                    "MingCe", "*.TXT", {".txt"},
                    UI_TEXT_NOOP("SaveAsName", "存在同名的名册文件,是否要覆盖原有的名册文件?")};
        case SaveKind::Results:
            break;
    }
    return {UI_TEXT_NOOP("SaveAsName", "请输入新的成绩文件的文件名(注意不能带后缀):"), UI_TEXT_NOOP("SaveAsName", "成绩另存为……"),
            "ChengJi", "*.CHO", {".txt", ".CHO", ".DAN"},
            UI_TEXT_NOOP("SaveAsName", "存在同名的成绩文件,是否要覆盖原有的成绩文件?")};
}

std::string WithoutExtension(const std::string& fileName) {
    std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

bool HasControlCharacter(std::string_view name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
    std::string trimmed = TrimSpaces(std::string(name));
    return !trimmed.empty() && trimmed != "." && name.find_first_of("\\/") == std::string_view::npos &&
           name.find("..") == std::string_view::npos && !HasControlCharacter(name);
}

std::optional<SaveTarget> SaveAsName(SaveKind kind, const std::filesystem::path& programFolder,
                                     Prompt& prompt) {
    KindTexts texts = TextsFor(kind);
    std::optional<std::string> answer = prompt.AskLine(UiText("SaveAsName", texts.prompt), UiText("SaveAsName", texts.title));
    std::string name = TrimSpaces(answer.value_or(""));
    if (name.empty()) return std::nullopt;

    std::filesystem::path folder = ResolvePath(programFolder, texts.folder);
    std::vector<std::string> existing = ListFiles(folder, texts.pattern);
    bool exists = std::any_of(existing.begin(), existing.end(), [&](const std::string& file) {
        return EqualsIgnoringCase(WithoutExtension(file), name);
    });
    if (exists && !prompt.AskYesNo(UiText("SaveAsName", texts.overwriteQuestion), UiText("SaveAsName", "警告"))) {
        return std::nullopt;
    }

    // "/" separates folders here as "\" does on Windows.
    if (name.find_first_of("\\:./") != std::string::npos || HasControlCharacter(name)) {
        prompt.ShowMessage(UiText("SaveAsName", kInvalidFileNameMessage), "");
        return std::nullopt;
    }

    SaveTarget target;
    target.replacesExisting = exists;
    target.name = name;
    for (const char* extension : texts.extensions) {
        target.paths.push_back(ResolvePath(programFolder, std::string(texts.folder) + "\\" + name + extension));
    }
    return target;
}

}  // namespace quillmark

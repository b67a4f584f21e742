#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "prompt.h"
#include "ui_text.h"

namespace quillmark {

enum class SaveKind { ExamPaper, Roster, Results };

struct SaveTarget {
    std::string name;                                // the trimmed name, without extension
    std::vector<std::filesystem::path> paths;        // one per extension the kind writes
    bool replacesExisting = false;                   // the user agreed to save over the file
};

// Shown as UiText("SaveAsName", kInvalidFileNameMessage).
inline constexpr char kInvalidFileNameMessage[] =
    UI_TEXT_NOOP("SaveAsName", "您输入的文件名无效，取消保存操作！注意：文件名不能包含路径和后缀。");

// A name given for a file of a data folder names a file there and nothing else: not empty,
// no folder separators, no "..", no control characters (which Windows cannot hold).
bool IsPlainFileName(std::string_view name);

// Asks for a new file name, checks it and returns where to write; nothing when the user
// cancels, declines to overwrite or typed an invalid name (after telling so).
std::optional<SaveTarget> SaveAsName(SaveKind kind, const std::filesystem::path& programFolder,
                                     Prompt& prompt);

}  // namespace quillmark

#include "file_choice.h"

#include <string_view>
#include <system_error>

#include "data/file_lists.h"
#include "data/system_error_text.h"
#include "data/text_fns.h"
#include "data/ui_text.h"

namespace quillmark {
namespace {

// The prompt entries the file lists start with, shown in the window's language.
constexpr const char* kPromptEntries[] = {UI_TEXT_NOOP("FileChoice", "请选择考试试卷!"),
                                          UI_TEXT_NOOP("FileChoice", "请选择考生名册!")};
static_assert(std::string_view(kPromptEntries[0]) == kChoosePaperEntry &&
              std::string_view(kPromptEntries[1]) == kChooseRosterEntry);

}  // namespace

void FileChoice::Fill(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    if (!entries_.empty()) entries_[0] = UiText("FileChoice", entries_[0]);
    chosen_ = 0;
}

std::string FileChoice::ChosenName() const {
    return chosen_ > 0 ? TrimSpaces(entries_[static_cast<std::size_t>(chosen_)]) : std::string();
}

int FileChoice::Find(const std::string& fileName) const {
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        if (EqualsIgnoringCase(TrimSpaces(entries_[i]), TrimSpaces(fileName))) return static_cast<int>(i);
    }
    return 0;
}

int FileChoice::FindOrAppend(const std::string& fileName) {
    if (int entry = Find(fileName)) return entry;
    entries_.push_back(fileName);
    return static_cast<int>(entries_.size()) - 1;
}

void FileChoice::RemoveChosen() {
    if (chosen_ > 0) entries_.erase(entries_.begin() + chosen_);
    chosen_ = 0;
}

Status RemoveChosenFile(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        return Status::Error(FillForm(UiText("FileChoice", "无法删除文件“%1”：%2。"), {path.string(), SystemErrorText(ec.value())}));
    }
    return Status::Ok();
}

}  // namespace quillmark

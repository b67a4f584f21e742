#include "file_choice.h"

#include <system_error>

#include "data/system_error_text.h"
#include "data/text_fns.h"

namespace quillmark {

void FileChoice::Fill(std::vector<std::string> entries) {
    entries_ = std::move(entries);
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
        return Status::Error("无法删除文件“" + path.string() + "”：" + SystemErrorText(ec.value()) + "。");
    }
    return Status::Ok();
}

}  // namespace quillmark

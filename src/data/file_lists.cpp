#include "file_lists.h"

#include "program_paths.h"
#include "text_fns.h"

namespace quillmark {
namespace {

std::vector<std::string> Entries(const std::filesystem::path& programFolder, const char* first,
                                 const char* folder, const char* pattern) {
    std::vector<std::string> entries{first};
    for (std::string& name : ListFiles(ResolvePath(programFolder, folder), pattern)) {
        entries.push_back(std::move(name));
    }
    return entries;
}

std::filesystem::path EntryPath(const std::filesystem::path& programFolder, const char* folder,
                                const std::vector<std::string>& entries, int index) {
    if (index < 1 || index >= static_cast<int>(entries.size())) return {};
    return ResolvePath(programFolder, std::string(folder) + TrimSpaces(entries[static_cast<std::size_t>(index)]));
}

}  // namespace

std::vector<std::string> ExamPaperEntries(const std::filesystem::path& programFolder) {
    return Entries(programFolder, kChoosePaperEntry, "ShiJuan", "*.CHO");
}

std::vector<std::string> RosterEntries(const std::filesystem::path& programFolder) {
    return Entries(programFolder, kChooseRosterEntry, "MingCe", "*.TXT");
}

std::filesystem::path ExamPaperPath(const std::filesystem::path& programFolder,
                                    const std::vector<std::string>& entries, int index) {
    return EntryPath(programFolder, "\\ShiJuan\\", entries, index);
}

std::filesystem::path RosterPath(const std::filesystem::path& programFolder,
                                 const std::vector<std::string>& entries, int index) {
    return EntryPath(programFolder, "\\MingCe\\", entries, index);
}

}  // namespace quillmark

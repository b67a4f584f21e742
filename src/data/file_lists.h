#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

inline constexpr char kChoosePaperEntry[] = "请选择考试试卷!";
inline constexpr char kChooseRosterEntry[] = "请选择考生名册!";

// Entries of the exam-paper and roster drop-downs: the prompt entry, then the file names.
std::vector<std::string> ExamPaperEntries(const std::filesystem::path& programFolder);
std::vector<std::string> RosterEntries(const std::filesystem::path& programFolder);

// Full path of a chosen entry (index 1 and up); empty for index 0 or out of range.
std::filesystem::path ExamPaperPath(const std::filesystem::path& programFolder,
                                    const std::vector<std::string>& entries, int index);
std::filesystem::path RosterPath(const std::filesystem::path& programFolder,
                                 const std::vector<std::string>& entries, int index);

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "answer_table.h"
#include "exam_paper.h"
#include "roster.h"
#include "status.h"

namespace quillmark {

// The records of one examination as the main window holds them: the roster with its
// scores, the exam paper it is marked against and every examinee's answers.
struct ResultSet {
    ExamPaper paper;
    Roster roster;
    AnswerTable answers;
};

inline constexpr char kResultsSavedMessage[] = "当前成绩信息已保存!";

// Reads an exam paper; when it has questions the answer table is emptied and sized for
// the roster held now plus 100 rows.
void LoadExamPaper(const std::filesystem::path& path, ResultSet& records);

// Writes "<N>.txt", "<N>.CHO" and "<N>.DAN" into ChengJi; stops at the first file that
// cannot be written and returns its message.
Status SaveResultSet(const std::filesystem::path& programFolder, std::string_view name,
                     const ResultSet& records);

// The set's name from its list entry: the text before the first ".CHO" (any case), trimmed.
std::string ResultSetNameFromEntry(std::string_view entryText);

// Roster first, then the paper (which sizes the answer table), then the answers.
void OpenResultSet(const std::filesystem::path& programFolder, std::string_view entryText,
                   ResultSet& records);

}  // namespace quillmark

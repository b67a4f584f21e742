#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "answer_table.h"
#include "exam_paper.h"
#include "review_log.h"
#include "roster.h"
#include "status.h"

namespace quillmark {

// The records of one examination as the main window holds them: the roster with its
// scores, the exam paper it is marked against and every examinee's answers.
struct ResultSet {
    ExamPaper paper;
    Roster roster;
    AnswerTable answers;
    ReviewLog review;  // what marking saw, for checking by hand; empty for sets saved without it
    Status reviewProblem;  // why the set's review file was not read, if it was not
};

inline constexpr char kResultsSavedMessage[] = "当前成绩信息已保存!";

// Reads an exam paper; when it has questions the answer table is emptied and sized for
// the roster held now plus 100 rows.
void LoadExamPaper(const std::filesystem::path& path, ResultSet& records);

// Writes "<N>.txt", "<N>.CHO", "<N>.DAN" and the review file "<N>.REV" into ChengJi together (see FolderCommit): after
// a failure, a kill or a power cut the set is wholly old or wholly new when it is next listed,
// opened, saved or deleted. Fails, naming the file, before any of them is replaced when one
// cannot be written.
Status SaveResultSet(const std::filesystem::path& programFolder, std::string_view name,
                     const ResultSet& records);

// The set's name from its list entry: the text before the first ".CHO" (any case), trimmed.
std::string ResultSetNameFromEntry(std::string_view entryText);

// As SaveResultSet, but never over a set that exists by the time the folder is locked (its name
// may have been taken since it was checked): the set is then saved under the first free name
// "NAME-2", "NAME-3", ... instead. `savedAs` tells the name used.
Status SaveNewResultSet(const std::filesystem::path& programFolder, std::string_view name, const ResultSet& records,
                        std::string& savedAs);

// Whether OpenResultSet reads the review file; a set opened without it must not be saved.
enum class ReviewFile { Read, Skip };

// Roster first, then the paper (which sizes the answer table), then the answers. A set with a
// missing or unreadable file, an exam paper file without a question count, an empty answer
// file for a roster with examinees, or more examinees than a roster holds is refused with a
// message naming the file; the records are then left as they were. A set without a review
// file (or with one that cannot be read, or larger than kMaxReviewFileBytes) opens with
// nothing to review; `reviewProblem` then says why, unless the file is missing.
Status OpenResultSet(const std::filesystem::path& programFolder, std::string_view entryText,
                     ResultSet& records, ReviewFile review = ReviewFile::Read);

// Opens the set, lets `change` alter it and saves it, all under the results folder's lock, so
// two changes at once both land. Nothing is saved when `change` fails, nor when the set's
// review file could not be read (saving would lose it). `records` holds the set as changed.
Status UpdateResultSet(const std::filesystem::path& programFolder, std::string_view entryText, ResultSet& records,
                       const std::function<Status(ResultSet&)>& change);

// The ".CHO" file names of ChengJi (the sets' list entries), once interrupted saves are
// finished or undone.
std::vector<std::string> ListResultSets(const std::filesystem::path& programFolder);

// Removes the set's three files; a file already missing is skipped. Fails naming every file
// that could not be removed.
Status DeleteResultSet(const std::filesystem::path& programFolder, std::string_view name);

}  // namespace quillmark

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/result_set.h"
#include "data/status.h"

namespace quillmark {

// One reading a person should check: a doubtful question of a sheet, or its examinee
// number when a digit of it was doubtful.
struct ReviewItem {
    std::string examinee;
    int question = 0;             // 0 for the examinee number
    std::string reading;          // what the reader read (the number: a blank per unclear digit)
    std::string current;          // what the records hold now
    std::vector<int> scores;      // the options' (or the doubtful digit's values') darkness
    std::string why;              // in the window's language
    int closeness = 0;            // the gap between the two darkest cells: smaller is more doubtful
};

// Parallel to records.review.sheets: why each record cannot be used, empty when it can. A number
// that is not four digits or not in the roster, a second record for a number, or doubtful
// questions or digits beyond those of the record's own sheet; such records are left out of
// the review (questions beyond the exam paper's are simply not listed).
std::vector<std::string> ReviewRecordProblems(const ResultSet& records);
// "第N条阅卷记录（考号“…”）已跳过：<why>", the number shown without control characters.
std::string SkippedRecordMessage(const ResultSet& records, std::size_t index, const std::string& why);

// The readings still to be checked, most doubtful first: sheets whose fit needed correcting
// before the rest, then by the gap between the two darkest cells, then in marking order.
std::vector<ReviewItem> PendingReviewItems(const ResultSet& records);
// Every item of the log, decided or not (for a listing of what was changed).
std::vector<ReviewItem> AllReviewItems(const ResultSet& records);

// Keeps `digits` as the answer of question q of that examinee's sheet, rescoring the
// examinee at once; the reading stays in the review record beside the decision. The caller
// runs the analyses again for ranks and statistics.
Status DecideAnswer(ResultSet& records, const std::string& examinee, int question, const std::string& digits);
// The number read is right.
Status AcceptNumber(ResultSet& records, const std::string& examinee);
// The sheet belongs to another examinee: its answers move to that number's row (added when
// the roster lacks it) and the row they were recorded under is emptied.
Status CorrectNumber(ResultSet& records, const std::string& examinee, const std::string& number);

// Four digits, as examinee numbers are.
bool IsExamineeNumber(std::string_view text);

// Answer digits typed by a person: option digits 1..options, each once, kept in order.
bool IsAnswerText(const std::string& digits, int options);

}  // namespace quillmark

#include "review_queue.h"

#include <algorithm>

#include "data/text_fns.h"
#include "engine/answers.h"

namespace quillmark {
namespace {

int RowOf(const Roster& roster, const std::string& examinee) {
    for (int row = 1; row <= roster.RowCount(); ++row) {
        if (TrimSpaces(roster.Row(row)[Examinee::考号]) == examinee) return row;
    }
    return 0;
}

int Closeness(std::vector<int> scores) {
    if (scores.size() < 2) return 0;
    std::sort(scores.rbegin(), scores.rend());
    return scores[0] - scores[1];
}

std::vector<std::string> AnswersOf(const ResultSet& records, int row) {
    std::vector<std::string> answers;
    for (int q = 1; q <= records.paper.总题数; ++q) answers.push_back(records.answers.Cell(q, row));
    return answers;
}

std::vector<ReviewItem> ItemsOf(const ResultSet& records, bool pendingOnly) {
    std::vector<ReviewItem> items;
    std::vector<bool> plainFit;  // parallel to items: sheets whose fit was corrected come first
    for (const SheetReview& sheet : records.review.sheets) {
        int row = RowOf(records.roster, sheet.examinee);
        std::string why = sheet.findings.empty() ? std::string() : sheet.findings.front() + "；";
        if (!sheet.doubtfulDigits.empty() && (!pendingOnly || sheet.NumberPending())) {
            ReviewItem item{sheet.examinee, 0, sheet.numberRead, sheet.examinee, {}, why + "考号填涂存疑", 0};
            std::size_t digit = static_cast<std::size_t>(sheet.doubtfulDigits.front() - 1);
            if (digit < sheet.digitScores.size()) item.scores = sheet.digitScores[digit];
            item.closeness = Closeness(item.scores);
            items.push_back(item);
            plainFit.push_back(sheet.findings.empty());
        }
        for (int q : pendingOnly ? sheet.PendingQuestions() : sheet.doubtfulQuestions) {
            ReviewItem item;
            item.examinee = sheet.examinee;
            item.question = q;
            std::size_t index = static_cast<std::size_t>(q - 1);
            if (index < sheet.answersRead.size()) item.reading = sheet.answersRead[index];
            if (index < sheet.optionScores.size()) item.scores = sheet.optionScores[index];
            item.current = row > 0 ? records.answers.Cell(q, row) : item.reading;
            item.why = why + "填涂接近判定界限";
            item.closeness = Closeness(item.scores);
            items.push_back(item);
            plainFit.push_back(sheet.findings.empty());
        }
    }
    std::vector<std::size_t> ranks(items.size());
    for (std::size_t i = 0; i < ranks.size(); ++i) ranks[i] = i;
    std::stable_sort(ranks.begin(), ranks.end(), [&](std::size_t a, std::size_t b) {
        if (plainFit[a] != plainFit[b]) return !plainFit[a];
        return items[a].closeness < items[b].closeness;
    });
    std::vector<ReviewItem> sorted;
    for (std::size_t i : ranks) sorted.push_back(items[i]);
    return sorted;
}

}  // namespace

std::vector<ReviewItem> PendingReviewItems(const ResultSet& records) { return ItemsOf(records, true); }
std::vector<ReviewItem> AllReviewItems(const ResultSet& records) { return ItemsOf(records, false); }

bool IsAnswerText(const std::string& digits, int options) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (digits[i] < '1' || digits[i] > '0' + options) return false;
        if (i > 0 && digits[i] <= digits[i - 1]) return false;
    }
    return true;
}

Status DecideAnswer(ResultSet& records, const std::string& examinee, int question, const std::string& digits) {
    SheetReview* sheet = records.review.Find(examinee);
    if (!sheet) return Status::Error("没有考号为“" + examinee + "”的阅卷记录");
    if (question < 1 || question > records.paper.总题数) return Status::Error("没有第" + std::to_string(question) + "题");
    if (!IsAnswerText(digits, 5)) return Status::Error("答案“" + digits + "”无效：应为从小到大、不重复的选项数字1–5");
    int row = RowOf(records.roster, examinee);
    if (row == 0) return Status::Error("名册中没有考号“" + examinee + "”");
    std::vector<std::string> answers = AnswersOf(records, row);
    answers[static_cast<std::size_t>(question - 1)] = digits;
    RecordAnswers(examinee, answers, records);
    sheet->decisions[question] = digits;
    return Status::Ok();
}

Status AcceptNumber(ResultSet& records, const std::string& examinee) {
    SheetReview* sheet = records.review.Find(examinee);
    if (!sheet) return Status::Error("没有考号为“" + examinee + "”的阅卷记录");
    sheet->numberAccepted = true;
    return Status::Ok();
}

Status CorrectNumber(ResultSet& records, const std::string& examinee, const std::string& number) {
    SheetReview* sheet = records.review.Find(examinee);
    if (!sheet) return Status::Error("没有考号为“" + examinee + "”的阅卷记录");
    if (number.size() != 4 || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return Status::Error("考生考号要求由4位数字组成,请重新输入!");
    }
    if (number == examinee) return AcceptNumber(records, examinee);
    // Never over another examinee's results: that sheet would be lost.
    int taken = RowOf(records.roster, number);
    if (records.review.Find(number) || (taken > 0 && !TrimSpaces(records.roster.Row(taken)[Examinee::Score]).empty())) {
        return Status::Error("考号“" + number + "”已有成绩，不能把这张答题卡记在该考号下");
    }
    int row = RowOf(records.roster, examinee);
    if (row == 0) return Status::Error("名册中没有考号“" + examinee + "”");
    std::vector<std::string> answers = AnswersOf(records, row);
    if (RecordAnswers(number, answers, records) == 0) return Status::Error("名册已满，无法添加考生");
    Examinee& old = records.roster.Row(row);
    old[Examinee::Score].clear();
    old[Examinee::AnswerSummary].clear();
    for (int q = 1; q <= records.paper.总题数; ++q) records.answers.SetCell(q, row, "");
    if (sheet->numberReadAs.empty()) sheet->numberReadAs = examinee;
    sheet->examinee = number;
    return Status::Ok();
}

}  // namespace quillmark

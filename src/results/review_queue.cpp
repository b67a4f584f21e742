#include "review_queue.h"

#include <algorithm>
#include <map>
#include <set>

#include "data/text_fns.h"
#include "data/ui_text.h"
#include "marking/grading.h"

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

std::map<std::string, int> RowsByNumber(const Roster& roster) {
    std::map<std::string, int> rows;
    for (int row = roster.RowCount(); row >= 1; --row) rows[TrimSpaces(roster.Row(row)[Examinee::考号])] = row;
    return rows;
}

std::string RecordProblem(const SheetReview& sheet, const std::map<std::string, int>& rows,
                          std::set<std::string>& seen) {
    if (!IsExamineeNumber(sheet.examinee)) return "考号不是4位数字";
    if (!rows.count(sheet.examinee)) return "名册中没有该考号";
    if (!seen.insert(sheet.examinee).second) return "该考号已有前面的阅卷记录";
    int questions = static_cast<int>(std::min(sheet.optionScores.size(), sheet.answersRead.size()));
    for (int q : sheet.doubtfulQuestions) {
        if (q < 1 || q > questions) return "存疑的第" + std::to_string(q) + "题超出该答题卡的题数";
    }
    int digits = static_cast<int>(std::min(sheet.digitScores.size(), sheet.numberRead.size()));
    for (int n : sheet.doubtfulDigits) {
        if (n < 1 || n > digits) return "存疑的考号第" + std::to_string(n) + "位超出该答题卡的考号位数";
    }
    return "";
}

Status NoRecordFor(const std::string& examinee) {
    return Status::Error(FillForm(UiText("ReviewQueue", "没有考号为“%1”的阅卷记录"), {examinee}));
}

Status NotInRoster(const std::string& examinee) {
    return Status::Error(FillForm(UiText("ReviewQueue", "名册中没有考号“%1”"), {examinee}));
}

std::vector<ReviewItem> ItemsOf(const ResultSet& records, bool pendingOnly) {
    std::vector<ReviewItem> items;
    std::vector<bool> plainFit;  // parallel to items: sheets whose fit was corrected come first
    const std::map<std::string, int> rows = RowsByNumber(records.roster);
    const std::vector<std::string> problems = ReviewRecordProblems(records);
    for (std::size_t index = 0; index < records.review.sheets.size(); ++index) {
        if (!problems[index].empty()) continue;
        const SheetReview& sheet = records.review.sheets[index];
        int row = rows.at(sheet.examinee);
        // The sheet's first finding (a stored text), then why the reading is doubtful.
        auto why = [&sheet](const std::string& doubt) {
            if (sheet.findings.empty()) return doubt;
            return FillForm(UiText("ReviewQueue", "%1；%2"), {UiText("SheetStatus", sheet.findings.front()), doubt});
        };
        if (!sheet.doubtfulDigits.empty() && (!pendingOnly || sheet.NumberPending())) {
            ReviewItem item{sheet.examinee, 0, sheet.numberRead, sheet.examinee, {}, why(UiText("ReviewQueue", "考号填涂存疑")), 0};
            std::size_t digit = static_cast<std::size_t>(sheet.doubtfulDigits.front() - 1);
            if (digit < sheet.digitScores.size()) item.scores = sheet.digitScores[digit];
            item.closeness = Closeness(item.scores);
            items.push_back(item);
            plainFit.push_back(sheet.findings.empty());
        }
        for (int q : pendingOnly ? sheet.PendingQuestions() : sheet.doubtfulQuestions) {
            if (q > records.paper.总题数) continue;  // the sheet has more questions than the exam
            ReviewItem item;
            item.examinee = sheet.examinee;
            item.question = q;
            std::size_t index = static_cast<std::size_t>(q - 1);
            if (index < sheet.answersRead.size()) item.reading = sheet.answersRead[index];
            if (index < sheet.optionScores.size()) item.scores = sheet.optionScores[index];
            item.current = records.answers.Cell(q, row);
            item.why = why(UiText("ReviewQueue", "填涂接近判定界限"));
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

std::vector<std::string> ReviewRecordProblems(const ResultSet& records) {
    const std::map<std::string, int> rows = RowsByNumber(records.roster);
    std::set<std::string> seen;
    std::vector<std::string> problems;
    for (const SheetReview& sheet : records.review.sheets) problems.push_back(RecordProblem(sheet, rows, seen));
    return problems;
}

std::string SkippedRecordMessage(const ResultSet& records, std::size_t index, const std::string& why) {
    std::string number;
    if (index < records.review.sheets.size()) number = records.review.sheets[index].examinee.substr(0, 16);
    for (char& c : number) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return "第" + std::to_string(index + 1) + "条阅卷记录（考号“" + number + "”）已跳过：" + why;
}

bool IsExamineeNumber(std::string_view text) {
    return text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

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
    if (!sheet) return NoRecordFor(examinee);
    if (question < 1 || question > records.paper.总题数) {
        return Status::Error(FillForm(UiText("ReviewQueue", "没有第%1题"), {std::to_string(question)}));
    }
    if (!IsAnswerText(digits, 5)) {
        return Status::Error(FillForm(UiText("ReviewQueue", "答案“%1”无效：应为从小到大、不重复的选项数字1–5"), {digits}));
    }
    int row = RowOf(records.roster, examinee);
    if (row == 0) return NotInRoster(examinee);
    std::vector<std::string> answers = AnswersOf(records, row);
    answers[static_cast<std::size_t>(question - 1)] = digits;
    RecordAnswers(examinee, answers, records);
    sheet->decisions[question] = digits;
    return Status::Ok();
}

Status AcceptNumber(ResultSet& records, const std::string& examinee) {
    SheetReview* sheet = records.review.Find(examinee);
    if (!sheet) return NoRecordFor(examinee);
    sheet->numberAccepted = true;
    return Status::Ok();
}

Status CorrectNumber(ResultSet& records, const std::string& examinee, const std::string& number) {
    SheetReview* sheet = records.review.Find(examinee);
    if (!sheet) return NoRecordFor(examinee);
    if (!IsExamineeNumber(number)) {
        return Status::Error(UiText("ReviewQueue", "考生考号要求由4位数字组成,请重新输入!"));
    }
    if (number == examinee) return AcceptNumber(records, examinee);
    // Never over another examinee's results: that sheet would be lost.
    int taken = RowOf(records.roster, number);
    if (records.review.Find(number) || (taken > 0 && !TrimSpaces(records.roster.Row(taken)[Examinee::Score]).empty())) {
        return Status::Error(FillForm(UiText("ReviewQueue", "考号“%1”已有成绩，不能把这张答题卡记在该考号下"), {number}));
    }
    int row = RowOf(records.roster, examinee);
    if (row == 0) return NotInRoster(examinee);
    std::vector<std::string> answers = AnswersOf(records, row);
    if (RecordAnswers(number, answers, records) == 0) return Status::Error(UiText("ReviewQueue", "名册已满，无法添加考生"));
    Examinee& old = records.roster.Row(row);
    old[Examinee::Score].clear();
    old[Examinee::AnswerSummary].clear();
    for (int q = 1; q <= records.paper.总题数; ++q) records.answers.SetCell(q, row, "");
    if (sheet->numberReadAs.empty()) sheet->numberReadAs = examinee;
    sheet->examinee = number;
    return Status::Ok();
}

}  // namespace quillmark

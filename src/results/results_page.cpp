#include "results_page.h"

#include "data/number_text.h"
#include "data/text_fns.h"

namespace quillmark {

void ResultsPage::Analyse(ResultSet& records) {
    examineeOrder_ = 分析考生得分情况(records.roster);
    分析试卷得分率情况(records.roster, records.answers, records.paper);
    SortQuestions(records, QuestionSortItem::Question);
    statistics_ = 成绩统计分析(records.roster, records.paper);
    statisticsLines_ = quillmark::StatisticsLines(statistics_);
    listsCleared_ = false;
}

void ResultsPage::SortExaminees(const ResultSet& records, ExamineeSortItem item) {
    examineeOrder_ = quillmark::SortExaminees(records.roster, item, direction_.Flip());
    listsCleared_ = false;
}

void ResultsPage::SortQuestions(const ResultSet& records, QuestionSortItem item) {
    questionOrder_ = quillmark::SortQuestions(records.paper, item, direction_.Flip());
    listsCleared_ = false;
}

void ResultsPage::ClearLists() { listsCleared_ = true; }

namespace {

int QuestionCount(const ExamPaper& paper) {
    return std::min<int>(paper.总题数, static_cast<int>(paper.questions.size()) - 1);
}

// The paper or the roster may have been chosen again (longer or shorter) since the last
// sort: an order that does not name exactly rows 1..count is stale, and their own order stands.
std::vector<int> FittingOrder(const std::vector<int>& order, int count) {
    bool fits = static_cast<int>(order.size()) == count + 1;
    for (std::size_t k = 1; fits && k < order.size(); ++k) fits = order[k] >= 1 && order[k] <= count;
    if (fits) return order;
    std::vector<int> own(static_cast<std::size_t>(std::max(count, 0)) + 1);
    for (std::size_t r = 0; r < own.size(); ++r) own[r] = static_cast<int>(r);
    return own;
}

}  // namespace

std::vector<std::string> ResultsPage::ExamineeRows(const ResultSet& records) const {
    std::vector<std::string> rows;
    if (listsCleared_) return rows;
    std::vector<int> order = FittingOrder(examineeOrder_, records.roster.RowCount());
    for (std::size_t k = 1; k < order.size(); ++k) {
        const Examinee& e = records.roster.Row(order[k]);
        rows.push_back(PadToGbkWidth(TrimSpaces(e[Examinee::考号]), 4) + " | " + PadToGbkWidth(TrimSpaces(e[Examinee::姓名]), 10) +
                       " | " + PadToGbkWidth(TrimSpaces(e[Examinee::Score]), 4) + " | " +
                       PadToGbkWidth(TrimSpaces(e[Examinee::名次]), 4));
    }
    return rows;
}

std::vector<std::string> ResultsPage::QuestionRows(const ResultSet& records) const {
    std::vector<std::string> rows;
    if (listsCleared_) return rows;
    const ExamPaper& paper = records.paper;
    std::vector<int> questions = FittingOrder(questionOrder_, QuestionCount(paper));
    for (std::size_t k = 1; k < questions.size(); ++k) {
        int q = questions[k];
        const ExamQuestion& question = paper.questions[static_cast<std::size_t>(q)];
        std::string score = TrimSpaces(question[ExamQuestion::Z]);
        if (score.empty()) score = TrimSpaces(NumberForm(paper.分值));
        std::string row = PadToGbkWidth(NumberForm(q), 4) + " | " + PadToGbkWidth(TrimSpaces(question[ExamQuestion::DA]), 6) +
                          "| " + PadToGbkWidth(score, 5) + "| " + PadToGbkWidth(TrimSpaces(question[ExamQuestion::DFL]), 6) + "| ";
        for (int option = ExamQuestion::A; option <= ExamQuestion::D; ++option) {
            row += PadToGbkWidth(TrimSpaces(question[option]), 3) + "| ";
        }
        row += PadToGbkWidth(TrimSpaces(question[ExamQuestion::E]), 3);
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> ResultsPage::AnswerRows(const ResultSet& records, int examineeListRow) const {
    std::vector<std::string> rows;
    if (listsCleared_) return rows;
    std::vector<int> order = FittingOrder(examineeOrder_, records.roster.RowCount());
    int k = examineeListRow + 1;
    if (k < 1 || k >= static_cast<int>(order.size())) return rows;
    int examinee = order[static_cast<std::size_t>(k)];
    std::vector<int> questions = FittingOrder(questionOrder_, QuestionCount(records.paper));
    for (std::size_t q = 1; q < questions.size(); ++q) rows.push_back(records.answers.Cell(questions[q], examinee));
    return rows;
}

}  // namespace quillmark

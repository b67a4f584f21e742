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

std::vector<std::string> ResultsPage::ExamineeRows(const ResultSet& records) const {
    std::vector<std::string> rows;
    if (listsCleared_) return rows;
    int n = std::min<int>(records.roster.RowCount(), static_cast<int>(examineeOrder_.size()) - 1);
    for (int k = 1; k <= n; ++k) {
        const Examinee& e = records.roster.Row(examineeOrder_[static_cast<std::size_t>(k)]);
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
    int n = std::min<int>(paper.总题数, static_cast<int>(questionOrder_.size()) - 1);
    for (int k = 1; k <= n; ++k) {
        int q = questionOrder_[static_cast<std::size_t>(k)];
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
    int k = examineeListRow + 1;
    if (k < 1 || k >= static_cast<int>(examineeOrder_.size())) return rows;
    int examinee = examineeOrder_[static_cast<std::size_t>(k)];
    int n = std::min<int>(records.paper.总题数, static_cast<int>(questionOrder_.size()) - 1);
    for (int q = 1; q <= n; ++q) rows.push_back(records.answers.Cell(questionOrder_[static_cast<std::size_t>(q)], examinee));
    return rows;
}

}  // namespace quillmark

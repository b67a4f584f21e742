#pragma once

#include <string>
#include <vector>

#include "data/record_sort.h"
#include "data/result_set.h"
#include "score_analysis.h"

namespace quillmark {

// What the results page shows, apart from its widgets: the analyses, the two sorted lists
// with their shared direction switch, the selected examinee's answers and the statistics.
class ResultsPage {
public:
    // The analyses run on entering the page and on opening a saved set: ranks, the
    // examinee list in rank order, the rates, the question list (by number, which flips
    // the shared direction) and the statistics.
    void Analyse(ResultSet& records);

    // The column commands of the two lists; each flips the shared direction first.
    void SortExaminees(const ResultSet& records, ExamineeSortItem item);
    void SortQuestions(const ResultSet& records, QuestionSortItem item);

    // Row texts of the examinee list, the question list and the answers of the examinee at
    // `examineeListRow` (counted from 0) of the examinee list.
    std::vector<std::string> ExamineeRows(const ResultSet& records) const;
    std::vector<std::string> QuestionRows(const ResultSet& records) const;
    std::vector<std::string> AnswerRows(const ResultSet& records, int examineeListRow) const;

    const std::vector<std::string>& StatisticsLines() const { return statisticsLines_; }
    const ScoreStatistics& Statistics() const { return statistics_; }
    bool Ascending() const { return direction_.Ascending(); }

    // Empties the three lists (not the statistics) until the next analysis or sort.
    void ClearLists();

private:
    SortDirection direction_;
    std::vector<int> examineeOrder_{0};
    std::vector<int> questionOrder_{0};
    ScoreStatistics statistics_;
    std::vector<std::string> statisticsLines_;
    bool listsCleared_ = false;
};

}  // namespace quillmark

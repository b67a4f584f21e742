#pragma once

#include <string>
#include <vector>

#include "exam_paper.h"
#include "roster.h"

namespace quillmark {

// Order tables and key tables use entries 1..n; entry 0 is ignored (and 0 in an order table).
//
// Descending order puts larger keys first and, among equal keys, higher record numbers
// first; ascending order is its exact reverse.
std::vector<int> SortIndex(const std::vector<double>& keys, bool ascending);
// Texts compare by their character codes (UTF-16 code units), no case folding.
std::vector<int> SortIndex(const std::vector<std::string>& keys, bool ascending);

// The one direction switch shared by the examinee and question lists; it starts
// descending and every sort command flips it before sorting.
class SortDirection {
public:
    bool Flip() { return ascending_ = !ascending_; }
    bool Ascending() const { return ascending_; }

private:
    bool ascending_ = false;
};

// Items of the examinee list's sort command: 1 考号, 2 姓名, 3 成绩, 4 名次.
enum class ExamineeSortItem { Number = 1, Name = 2, Score = 3, Rank = 4 };
// Items of the question list's sort command: 0 题号, 1 答案, 2 分值, 3 得分率, 4..8 A..E.
enum class QuestionSortItem { Question = 0, Answer, Score, ScoreRate, A, B, C, D, E };

std::vector<int> SortExaminees(const Roster& roster, ExamineeSortItem item, bool ascending);
std::vector<int> SortQuestions(const ExamPaper& paper, QuestionSortItem item, bool ascending);

// Examinees by total score, descending, whatever the shared switch says.
std::vector<int> RankOrder(const Roster& roster);

}  // namespace quillmark

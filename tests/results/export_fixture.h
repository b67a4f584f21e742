#pragma once

#include "data/result_set.h"
#include "results/score_analysis.h"

namespace quillmark::test {

// Two examinees and three questions: question 1 has no own score, question 2 scores 3,
// question 3 has 0 and so takes the default score too.
inline ResultSet SmallResultSet() {
    ResultSet records;
    ExamPaper& paper = records.paper;
    paper.总题数 = 3;
    paper.分值 = 2;
    paper.优秀 = 90;
    paper.良好 = 80;
    paper.中等 = 70;
    paper.及格 = 60;
    const char* keys[] = {"1", "2", "13"};
    const char* scores[] = {"", "3", "0"};
    for (int q = 1; q <= 3; ++q) {
        paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA] = keys[q - 1];
        paper.questions[static_cast<std::size_t>(q)][ExamQuestion::Z] = scores[q - 1];
    }
    const char* numbers[] = {"1001", "1002"};
    const char* names[] = {"张三", "李四"};
    const char* totals[] = {" 85", " 7"};
    const char* answers[2][3] = {{"1", "2", "13"}, {"3", "", "1"}};
    records.answers.Reset(2);
    for (int i = 0; i < 2; ++i) {
        int row = records.roster.AppendRow();
        records.roster.Row(row)[Examinee::考号] = numbers[i];
        records.roster.Row(row)[Examinee::姓名] = names[i];
        records.roster.Row(row)[Examinee::Score] = totals[i];
        for (int q = 1; q <= 3; ++q) records.answers.SetCell(q, row, answers[i][q - 1]);
    }
    分析考生得分情况(records.roster);
    分析试卷得分率情况(records.roster, records.answers, records.paper);
    return records;
}

}  // namespace quillmark::test

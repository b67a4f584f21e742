#pragma once

#include <string>
#include <vector>

#include "data/result_set.h"

namespace quillmark {

// The score statistics of a results set. Counts and the total are wide and the scores
// exact: a roster of any size, and fractional scores, come out right. The highest and
// lowest scores are scores participants got (0 and 0 without participants).
struct ScoreStatistics {
    double 最高分 = 0;
    double 最低分 = 0;
    long long 参考人数 = 0;
    double 总得分 = 0;
    long long 优秀人数 = 0;
    long long 良好人数 = 0;
    long long 中等人数 = 0;
    long long 及格人数 = 0;
    long long 及格总人数 = 0;
    long long 不及格人数 = 0;
};

// Competition ranks (90, 85, 85, 70 rank 1, 2, 2, 4) into every row's 名次; returns the
// rows in descending score order (entries 1..N).
std::vector<int> 分析考生得分情况(Roster& roster);

// Per question the share of participants whose answer equals the key (an empty answer is
// never right) and the share that marked each option, into DFL and A..E. Returns the
// number of participants; with none, the rates keep their values.
long long 分析试卷得分率情况(const Roster& roster, const AnswerTable& answers, ExamPaper& paper);

ScoreStatistics 成绩统计分析(const Roster& roster, const ExamPaper& paper);

// The lines of the statistics list: each label (in the window's language) followed by its value.
std::vector<std::string> StatisticsLines(const ScoreStatistics& statistics);

// The three rates of the statistics, as the list and the workbook show them.
std::string ExcellentRate(const ScoreStatistics& statistics);
std::string GoodRate(const ScoreStatistics& statistics);
std::string PassRate(const ScoreStatistics& statistics);

// Text forms: with a leading blank when not negative, or without it.
std::string SignedNumberText(double value);
std::string PlainNumberText(double value);

}  // namespace quillmark

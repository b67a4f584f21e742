#include <gtest/gtest.h>

#include "results/results_page.h"
#include "results/score_analysis.h"

namespace quillmark {
namespace {

Roster WithScores(std::initializer_list<const char*> scores) {
    Roster roster;
    int i = 0;
    for (const char* score : scores) {
        int row = roster.AppendRow();
        roster.Row(row)[Examinee::考号] = std::to_string(101 + i++);
        roster.Row(row)[Examinee::Score] = score;
    }
    return roster;
}

ExamPaper Thresholds() {
    ExamPaper paper;
    paper.优秀 = 90;
    paper.良好 = 80;
    paper.中等 = 70;
    paper.及格 = 60;
    return paper;
}

std::vector<std::string> Ranks(const Roster& roster) {
    std::vector<std::string> ranks;
    for (int r = 1; r <= roster.RowCount(); ++r) ranks.push_back(roster.Row(r)[Examinee::名次]);
    return ranks;
}

TEST(Ranking, CompetitionRanksAndUnmarkedRowsShareTheLast) {
    Roster roster = WithScores({" 90", " 85", " 85", " 70"});
    std::vector<int> order = 分析考生得分情况(roster);
    EXPECT_EQ(Ranks(roster), (std::vector<std::string>{"1", "2", "2", "4"}));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 3, 2, 4}));  // equal keys: higher row first

    Roster withBlank = WithScores({"", " 0", " 5"});
    分析考生得分情况(withBlank);
    EXPECT_EQ(Ranks(withBlank), (std::vector<std::string>{"2", "2", "1"}));
}

TEST(Statistics, FiveBandsAndTheirRates) {
    ScoreStatistics s = 成绩统计分析(WithScores({" 95", " 85", " 75", " 65", " 55"}), Thresholds());
    EXPECT_EQ(s.优秀人数, 1);
    EXPECT_EQ(s.良好人数, 1);
    EXPECT_EQ(s.中等人数, 1);
    EXPECT_EQ(s.及格人数, 1);
    EXPECT_EQ(s.不及格人数, 1);
    EXPECT_EQ(s.及格总人数, 4);
    std::vector<std::string> lines = StatisticsLines(s);
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_EQ(lines[22], "优秀率%");
    EXPECT_EQ(lines[23], " 20");
    EXPECT_EQ(lines[25], " 40");
    EXPECT_EQ(lines[27], " 80");
}

TEST(Statistics, ThresholdsAreInclusive) {
    ScoreStatistics s = 成绩统计分析(WithScores({" 90", " 60", " 59"}), Thresholds());
    EXPECT_EQ(s.优秀人数, 1);
    EXPECT_EQ(s.及格人数, 1);
    EXPECT_EQ(s.不及格人数, 1);
}

TEST(Statistics, AverageHasTwoDecimals) {
    std::vector<std::string> lines = StatisticsLines(成绩统计分析(WithScores({" 80", " 80", " 81"}), Thresholds()));
    EXPECT_EQ(lines[0], "平均分");
    EXPECT_EQ(lines[1], " 80.33");
    EXPECT_EQ(lines[9], " 241");
}

TEST(Statistics, FractionalScoresAreSummedExactly) {
    ScoreStatistics s = 成绩统计分析(WithScores({" 60.5", " 60.5"}), Thresholds());
    std::vector<std::string> lines = StatisticsLines(s);
    EXPECT_EQ(lines[1], " 60.5");   // the exact mean
    EXPECT_EQ(lines[3], " 60.5");   // 最高分
    EXPECT_EQ(lines[5], " 60.5");   // 最低分
    EXPECT_EQ(lines[9], " 121");    // 总得分, not 120
}

TEST(Statistics, NoParticipantsAndUnmarkedRows) {
    std::vector<std::string> empty = StatisticsLines(成绩统计分析(Roster(), Thresholds()));
    ASSERT_EQ(empty.size(), 22u);
    EXPECT_EQ(empty[1], "");
    EXPECT_EQ(empty[3], " 0");
    EXPECT_EQ(empty[5], " 0");
    EXPECT_EQ(empty[21], " 0");

    ScoreStatistics s = 成绩统计分析(WithScores({"", " 75"}), Thresholds());
    EXPECT_EQ(s.参考人数, 1);
    EXPECT_EQ(s.最低分, 75);  // an unmarked row has no score
    EXPECT_EQ(s.最高分, 75);
    EXPECT_EQ(s.总得分, 75);
}

TEST(Statistics, ExtremesAndMeanAreScoresParticipantsGot) {
    std::vector<std::string> lines = StatisticsLines(成绩统计分析(WithScores({" 123456", " 20000", " 123456"}), Thresholds()));
    EXPECT_EQ(lines[1], " 88970.67");  // not cut to six characters
    EXPECT_EQ(lines[3], " 123456");
    EXPECT_EQ(lines[5], " 20000");     // not the 10000 nobody got
}

TEST(Statistics, LargeRostersDoNotOverflow) {
    Roster roster;
    for (int i = 0; i < 1000; ++i) roster.Row(roster.AppendRow())[Examinee::Score] = " 99";
    ScoreStatistics s = 成绩统计分析(roster, Thresholds());
    EXPECT_EQ(s.参考人数, 1000);
    EXPECT_EQ(s.总得分, 99000);
    EXPECT_EQ(ExcellentRate(s), " 100");
}

struct RateCase {
    Roster roster;
    AnswerTable answers;
    ExamPaper paper;
};

RateCase ThreeExaminees() {
    RateCase c{WithScores({" 10", " 5", " 0"}), AnswerTable(), ExamPaper()};
    c.paper.总题数 = 2;
    c.paper.questions[1][ExamQuestion::DA] = "13";
    c.paper.questions[2][ExamQuestion::DA] = "";
    c.answers.SetCell(1, 1, "13");
    c.answers.SetCell(1, 2, "31");
    c.answers.SetCell(1, 3, "1");
    return c;
}

TEST(Rates, RightMeansEqualToTheKeyAndOptionsCountEveryDigit) {
    RateCase c = ThreeExaminees();
    EXPECT_EQ(分析试卷得分率情况(c.roster, c.answers, c.paper), 3);
    const ExamQuestion& q1 = c.paper.questions[1];
    EXPECT_EQ(q1[ExamQuestion::DFL], "33.3333333333333");
    EXPECT_EQ(q1[ExamQuestion::A], "100");
    EXPECT_EQ(q1[ExamQuestion::C], "66.6666666666667");
    EXPECT_EQ(q1[ExamQuestion::B], "0");
    // An empty key has no right answers, even for examinees who left the question empty.
    EXPECT_EQ(c.paper.questions[2][ExamQuestion::DFL], "0");
}

TEST(Rates, WithoutParticipantsTheOldRatesStay) {
    RateCase c = ThreeExaminees();
    c.paper.questions[1][ExamQuestion::DFL] = "50";
    Roster unmarked = WithScores({"", ""});
    EXPECT_EQ(分析试卷得分率情况(unmarked, c.answers, c.paper), 0);
    EXPECT_EQ(c.paper.questions[1][ExamQuestion::DFL], "50");
}

ResultSet PageRecords() {
    ResultSet records;
    records.paper.总题数 = 2;
    records.paper.分值 = 2;
    records.paper.questions[1][ExamQuestion::DA] = "2";
    records.paper.questions[2][ExamQuestion::DA] = "13";
    records.paper.questions[2][ExamQuestion::Z] = "3";
    const char* rows[][3] = {{"0101", "张三", " 5"}, {"0102", "李四李四李四", " 2"}};
    for (auto& values : rows) {
        Examinee& e = records.roster.Row(records.roster.AppendRow());
        e[Examinee::考号] = values[0];
        e[Examinee::姓名] = values[1];
        e[Examinee::Score] = values[2];
    }
    records.answers.SetCell(1, 1, "2");
    records.answers.SetCell(2, 1, "13");
    records.answers.SetCell(1, 2, "2");
    records.answers.SetCell(2, 2, "1");
    return records;
}

TEST(ResultsLists, RowTextsOfBothLists) {
    ResultSet records = PageRecords();
    ResultsPage page;
    page.Analyse(records);
    EXPECT_TRUE(page.Ascending());  // the analysis flipped the shared switch once
    EXPECT_EQ(page.ExamineeRows(records),
              (std::vector<std::string>{"0101 | 张三       | 5    | 1   ", "0102 | 李四李四李 | 2    | 2   "}));
    // Scores are trimmed: " 5" shows as "5".
    std::vector<std::string> questions = page.QuestionRows(records);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0], " 1   | 2     | 2    | 100   | 0  | 100| 0  | 0  | 0  ");
    EXPECT_EQ(questions[1], " 2   | 13    | 3    | 50    | 100| 0  | 50 | 0  | 0  ");
    EXPECT_EQ(page.AnswerRows(records, 0), (std::vector<std::string>{"2", "13"}));
}

TEST(ResultsLists, TheSharedSwitchFlipsOnEveryCommand) {
    ResultSet records = PageRecords();
    ResultsPage page;
    page.Analyse(records);
    page.SortQuestions(records, QuestionSortItem::Question);  // descending now
    EXPECT_EQ(page.QuestionRows(records)[0].substr(0, 4), " 2  ");  // q in number form, padded to 4
    page.SortExaminees(records, ExamineeSortItem::Name);  // ascending names
    EXPECT_EQ(page.ExamineeRows(records)[0].substr(0, 4), "0101");  // 张 U+5F20 before 李 U+674E
    EXPECT_EQ(page.AnswerRows(records, 1), (std::vector<std::string>{"1", "2"}));  // questions 2, 1
    page.ClearLists();
    EXPECT_TRUE(page.ExamineeRows(records).empty());
    EXPECT_FALSE(page.StatisticsLines().empty());
}

}  // namespace
}  // namespace quillmark

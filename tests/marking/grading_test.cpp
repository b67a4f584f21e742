#include <gtest/gtest.h>

#include "marking/grading.h"

namespace quillmark {
namespace {

TEST(Answers, KeyContainmentAndEmptyAnswers) {
    EXPECT_TRUE(AnswerIsCorrect("1", "13"));
    EXPECT_TRUE(AnswerIsCorrect("3", " 13 "));
    EXPECT_TRUE(AnswerIsCorrect("13", "13"));
    EXPECT_FALSE(AnswerIsCorrect("12", "13"));
    EXPECT_FALSE(AnswerIsCorrect("123", "13"));
    EXPECT_FALSE(AnswerIsCorrect("23", "2"));
    EXPECT_FALSE(AnswerIsCorrect("", "2"));  // no answer is never right
    EXPECT_FALSE(AnswerIsCorrect("", ""));
}

ResultSet Records() {
    ResultSet records;
    records.paper.总题数 = 2;  // fewer than the sheet's 3 questions
    records.paper.分值 = 2;
    records.paper.questions[1][ExamQuestion::DA] = "13";
    records.paper.questions[2][ExamQuestion::DA] = "2";
    records.paper.questions[2][ExamQuestion::Z] = "2.5";
    for (const char* number : {"0101", " 0201 ", "0201"}) {
        records.roster.Row(records.roster.AppendRow())[Examinee::考号] = number;
    }
    return records;
}

TEST(RecordAnswers, ScoresAndRecordsInTheFirstMatchingRow) {
    // Question 1 right, question 2 right at 2.5, question 3 beyond the paper.
    ResultSet records = Records();
    records.answers.SetCell(3, 2, "old");
    EXPECT_EQ(RecordAnswers("0201", {"1", "2", "3"}, records), 2);
    const Examinee& row = records.roster.Row(2);
    EXPECT_EQ(row[Examinee::Score], " 4.5");
    EXPECT_EQ(row[Examinee::AnswerSummary], "\\ 1|1  2|2 ");
    EXPECT_EQ(records.answers.Cell(1, 2), "1");
    EXPECT_EQ(records.answers.Cell(2, 2), "2");
    EXPECT_EQ(records.answers.Cell(3, 2), "old");
    EXPECT_EQ(records.roster.Row(3)[Examinee::Score], "");
}

TEST(RecordAnswers, UnansweredQuestionsScoreNothing) {
    ResultSet records = Records();
    RecordAnswers("0101", {"", "", ""}, records);
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], " 0");
    EXPECT_EQ(records.roster.Row(1)[Examinee::AnswerSummary], "\\ 1|  2| ");
}

TEST(RecordAnswers, UnknownNumberBecomesANewRowInsteadOfVanishing) {
    ResultSet records = Records();
    int row = RecordAnswers("0999", {"3", "", ""}, records);
    EXPECT_EQ(row, 4);
    EXPECT_EQ(records.roster.RowCount(), 4);
    EXPECT_EQ(records.roster.Row(4)[Examinee::考号], "0999");
    EXPECT_EQ(records.roster.Row(4)[Examinee::Score], " 2");
    EXPECT_EQ(records.answers.Cell(1, 4), "3");
    EXPECT_EQ(records.answers.Cell(1, 0), "");
}

TEST(RosterLookup, CheckOnFindsTrimmedCaselessNumbers) {
    Roster roster = Records().roster;
    ExamineeLookup found = FindExamineeInRoster("0201", roster, true);
    EXPECT_EQ(StatusText(found.status), "正常");
    EXPECT_EQ(found.rosterRow, 2);
    ExamineeLookup missing = FindExamineeInRoster("0301", roster, true);
    EXPECT_EQ(StatusText(missing.status), "考号不在名册内!");
    EXPECT_EQ(missing.number, "0301");
    EXPECT_EQ(missing.rosterRow, 0);
    EXPECT_EQ(roster.RowCount(), 3);
    Roster letters;
    letters.Row(letters.AppendRow())[Examinee::考号] = "a01";
    EXPECT_EQ(FindExamineeInRoster("A01", letters, true).rosterRow, 1);
}

TEST(RosterLookup, CheckOffAddsOnlyNumbersNotYetThere) {
    Roster roster = Records().roster;
    ExamineeLookup known = FindExamineeInRoster("0101", roster, false);
    EXPECT_EQ(known.rosterRow, 1);
    EXPECT_EQ(roster.RowCount(), 3);
    ExamineeLookup added = FindExamineeInRoster("0401", roster, false);
    EXPECT_EQ(StatusText(added.status), "正常");
    EXPECT_EQ(added.rosterRow, 4);
    EXPECT_EQ(roster.Row(4)[Examinee::考号], "0401");
    FindExamineeInRoster("0401", roster, false);
    EXPECT_EQ(roster.RowCount(), 4);
}

}  // namespace
}  // namespace quillmark

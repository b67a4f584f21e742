#include <gtest/gtest.h>

#include "results/results_page.h"
#include "results/review_queue.h"

namespace quillmark {
namespace {

// Two examinees on a two-question paper (2 points each); the reader doubted 0101's second answer.
ResultSet Marked() {
    ResultSet records;
    records.paper.总题数 = 2;
    records.paper.分值 = 2;
    records.paper.questions[1][ExamQuestion::DA] = "1";
    records.paper.questions[2][ExamQuestion::DA] = "3";
    for (const char* number : {"0101", "0102"}) records.roster.Row(records.roster.AppendRow())[Examinee::考号] = number;
    records.answers.SetCell(1, 1, "1");
    records.answers.SetCell(2, 1, "34");
    records.roster.Row(1)[Examinee::Score] = " 2";
    records.answers.SetCell(1, 2, "1");
    records.answers.SetCell(2, 2, "3");
    records.roster.Row(2)[Examinee::Score] = " 4";
    SheetReview sheet;
    sheet.examinee = "0101";
    sheet.answersRead = {"1", "34"};
    sheet.optionScores = {{90, 5, 4, 3, 2}, {3, 2, 80, 30, 1}};
    sheet.doubtfulQuestions = {2};
    sheet.doubtfulDigits = {4};
    sheet.numberRead = "010 ";
    sheet.digitScores = {{}, {}, {}, {10, 40, 0, 0, 0, 0, 0, 0, 0, 0}};
    records.review.Put(sheet);
    return records;
}

TEST(ReviewQueue, ACorrectionRescoresAndReranksAtOnceAndKeepsTheReading) {
    ResultSet records = Marked();
    std::vector<ReviewItem> pending = PendingReviewItems(records);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].question, 0);  // the number's two darkest values are closer (30 against 50)
    EXPECT_EQ(pending[1].current, "34");

    ASSERT_TRUE(DecideAnswer(records, "0101", 2, "3").ok());
    EXPECT_EQ(records.answers.Cell(2, 1), "3");
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], " 4");
    EXPECT_EQ(records.review.Find("0101")->answersRead[1], "34");
    ResultsPage page;
    page.Analyse(records);
    EXPECT_EQ(records.roster.Row(1)[Examinee::名次], records.roster.Row(2)[Examinee::名次]);  // now tied
    EXPECT_EQ(page.Statistics().最低分, 4);
    EXPECT_EQ(PendingReviewItems(records).size(), 1u);

    EXPECT_FALSE(DecideAnswer(records, "0101", 2, "31").ok());  // digits in order only
    EXPECT_FALSE(DecideAnswer(records, "0101", 3, "1").ok());
}

TEST(ReviewQueue, ANumberCorrectionMovesTheAnswersToTheRightRow) {
    ResultSet records = Marked();
    ASSERT_TRUE(CorrectNumber(records, "0101", "0103").ok());
    ASSERT_EQ(records.roster.RowCount(), 3);
    EXPECT_EQ(records.roster.Row(3)[Examinee::考号], "0103");
    EXPECT_EQ(records.answers.Cell(2, 3), "34");
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], "");
    EXPECT_EQ(records.answers.Cell(2, 1), "");
    EXPECT_EQ(records.review.Find("0103")->numberReadAs, "0101");
    EXPECT_FALSE(CorrectNumber(records, "0103", "0102").ok());  // 0102 has a sheet of its own
    EXPECT_TRUE(PendingReviewItems(records).size() == 1);        // the number is settled
}

// A record that cannot be used is left out with its reason; it holds up nobody else's. (The
// command line tests cover numbers that are none, not in the roster or given twice.)
TEST(ReviewQueue, RecordsBeyondTheirSheetAreSkippedAndQuestionsBeyondThePaperUnlisted) {
    ResultSet records = Marked();  // 0101: doubtful question 2 and digit 4 of a 2-question, 4-digit sheet
    records.review.sheets.push_back(records.review.sheets.front());
    records.review.sheets.back().examinee = "0102";
    records.review.sheets[0].doubtfulDigits = {5};
    records.review.sheets[1].doubtfulQuestions = {7};
    std::vector<std::string> problems = ReviewRecordProblems(records);
    EXPECT_NE(problems.at(0).find("考号第5位"), std::string::npos) << problems[0];
    EXPECT_NE(problems.at(1).find("第7题"), std::string::npos) << problems[1];
    EXPECT_TRUE(PendingReviewItems(records).empty());

    records.review.sheets[0].doubtfulDigits = {4};
    records.review.sheets[1].doubtfulQuestions = {2};
    EXPECT_EQ(PendingReviewItems(records).size(), 4u);  // the number and question 2 of each
    records.paper.总题数 = 1;
    EXPECT_EQ(PendingReviewItems(records).size(), 2u);
}

}  // namespace
}  // namespace quillmark

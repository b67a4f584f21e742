#include <gtest/gtest.h>

#include "results/results_page.h"
#include "results/review_dialog_model.h"
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

// Marked() lists 0101's number first (reading "010 ", kept as 0101), then its question 2 ("34").
TEST(ReviewDialogModel, TheCursorStaysAtTheEndsAndMovingDropsWhatWasTyped) {
    ResultSet records = Marked();
    ReviewDialogModel model(records);
    model.TypeDigit('9');
    EXPECT_EQ(model.Previous(), ReviewDialogModel::Change::Item);
    EXPECT_EQ(model.Current(), 0);
    EXPECT_EQ(model.Answer(), "0101");
    model.Next();
    model.TypeDigit('1');
    model.Next();
    EXPECT_EQ(model.Current(), 1);
    EXPECT_EQ(model.Answer(), "34");
    for (int index : {-1, 1, 2}) EXPECT_EQ(model.Select(index), ReviewDialogModel::Change::Nothing) << index;
    EXPECT_EQ(model.Select(0), ReviewDialogModel::Change::Item);
}

TEST(ReviewDialogModel, DigitsToggleOptionsInOrderOrTypeANumber) {
    ResultSet records = Marked();
    ReviewDialogModel model(records);
    for (char d : {'0', '1', '0', '2'}) model.TypeDigit(d);  // the first starts afresh
    EXPECT_EQ(model.AnswerLine(), "考号：0102（）");
    model.TypeDigit('7');
    EXPECT_EQ(model.AnswerLine(), "考号：7（名册中没有此考号）");

    model.Next();
    for (char d : {'1', '4'}) model.TypeDigit(d);
    EXPECT_EQ(model.AnswerLine(), "答案：AC");
    for (char d : {'0', '6', '9', 'x'}) EXPECT_EQ(model.TypeDigit(d), ReviewDialogModel::Change::Nothing) << d;
    for (char d : {'3', '1'}) model.TypeDigit(d);
    EXPECT_EQ(model.AnswerLine(), "答案：（未答）");
}

TEST(ReviewDialogModel, AcceptingMovesOnButStaysOnTheLastAndShowsWhatWasKept) {
    ResultSet records = Marked();
    ReviewDialogModel model(records);
    model.TypeDigit('0');
    EXPECT_FALSE(model.Accept().status.ok());  // not four digits: nothing moves
    EXPECT_EQ(model.Current(), 0);
    EXPECT_EQ(model.Answer(), "0");

    model.Next();
    model.TypeDigit('4');
    EXPECT_EQ(model.Accept().item, 1);
    EXPECT_EQ(model.Current(), 1);
    EXPECT_EQ(model.Answer(), "3");

    model.Previous();
    for (char d : {'0', '1', '0', '3'}) model.TypeDigit(d);
    ReviewDialogModel::Decision moved = model.Accept();
    ASSERT_TRUE(moved.status.ok()) << moved.status.message();
    EXPECT_EQ(moved.examinee, "0103");  // the sheet is kept under the number typed
    EXPECT_EQ(model.Current(), 1);
    EXPECT_EQ(model.Decided(), 2);
    // The sheet's question still pending follows it to its new number.
    EXPECT_EQ(model.CurrentItem().examinee, "0103");
    EXPECT_TRUE(model.Accept().status.ok());
}

TEST(ReviewDialogModel, NothingPendingMeansNothingToDo) {
    ResultSet records = Marked();
    records.review.sheets.clear();
    ReviewDialogModel model(records);
    EXPECT_EQ(model.TypeDigit('1'), ReviewDialogModel::Change::Nothing);
    EXPECT_EQ(model.Next(), ReviewDialogModel::Change::Nothing);
    EXPECT_EQ(model.Accept().item, -1);
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include "data/exam_paper.h"
#include "data/result_set.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::Gbk;
using test::TempFolder;

ExamPaper TwoQuestionPaper() {
    ExamPaper paper;
    paper.总题数 = 2;
    paper.分值 = 2;
    paper.优秀 = 90;
    paper.良好 = 80;
    paper.中等 = 70;
    paper.及格 = 60;
    paper.questions[1][ExamQuestion::DA] = "2";
    paper.questions[2][ExamQuestion::DA] = "13";
    paper.questions[2][ExamQuestion::Z] = "3";
    return paper;
}

const char kTwoQuestionFile[] =
    "[MAIN]\r\n总题数= 2\r\n分值= 2\r\n优秀= 90\r\n良好= 80\r\n中等= 70\r\n及格= 60\r\n"
    "[考题内容]\r\n"
    "1DA=2\r\n1Z=\r\n1DFL=\r\n1A=\r\n1B=\r\n1C=\r\n1D=\r\n1E=\r\n"
    "2DA=13\r\n2Z=3\r\n2DFL=\r\n2A=\r\n2B=\r\n2C=\r\n2D=\r\n2E=\r\n";

TEST(ExamPaperFile, TwoQuestionPaperIsWrittenByteForByte) {
    TempFolder folder;
    ASSERT_TRUE(WriteExamPaper(folder.path() / "p.CHO", TwoQuestionPaper()).ok());
    EXPECT_EQ(folder.ReadBytes("p.CHO"), Gbk(kTwoQuestionFile));
}

TEST(ExamPaperFile, ReadsBackWhatWasWritten) {
    TempFolder folder;
    folder.WriteBytes("p.CHO", Gbk(kTwoQuestionFile));
    ExamPaper paper;
    EXPECT_TRUE(ReadExamPaper(folder.path() / "p.CHO", paper));
    EXPECT_EQ(paper.总题数, 2);
    EXPECT_EQ(paper.分值, 2);
    EXPECT_EQ(paper.及格, 60);
    EXPECT_EQ(paper.questions[2][ExamQuestion::DA], "13");
    EXPECT_EQ(paper.EffectiveScore(1), 2);
    EXPECT_EQ(paper.EffectiveScore(2), 3);
}

TEST(ExamPaperFile, ZeroOrEmptyOwnScoreUsesTheDefault) {
    ExamPaper paper = TwoQuestionPaper();
    paper.questions[2][ExamQuestion::Z] = "0";
    EXPECT_EQ(paper.EffectiveScore(2), 2);
    paper.questions[2][ExamQuestion::Z] = " 2.5";
    EXPECT_EQ(paper.EffectiveScore(2), 2.5);
}

TEST(ExamPaperFile, EmptyPaperWritesOnlyTheMainKeys) {
    TempFolder folder;
    ASSERT_TRUE(WriteExamPaper(folder.path() / "p.CHO", ExamPaper()).ok());
    EXPECT_EQ(folder.ReadBytes("p.CHO"),
              Gbk("[MAIN]\r\n总题数= 0\r\n分值= 0\r\n优秀= 0\r\n良好= 0\r\n中等= 0\r\n及格= 0\r\n"));
}

TEST(ExamPaperFile, ShorterPaperKeepsOldKeysButReadsItsOwnCount) {
    TempFolder folder;
    std::filesystem::path path = folder.path() / "p.CHO";
    ExamPaper paper;
    paper.总题数 = 10;
    for (int q = 1; q <= 10; ++q) paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA] = "1";
    ASSERT_TRUE(WriteExamPaper(path, paper).ok());
    paper.总题数 = 8;
    ASSERT_TRUE(WriteExamPaper(path, paper).ok());

    std::string bytes = folder.ReadBytes("p.CHO");
    EXPECT_NE(bytes.find("9DA=1"), std::string::npos);
    EXPECT_NE(bytes.find("10E="), std::string::npos);
    ExamPaper read;
    ReadExamPaper(path, read);
    EXPECT_EQ(read.总题数, 8);
}

TEST(ExamPaperFile, RowsAboveTheCountKeepTheirOldColumns) {
    TempFolder folder;
    ExamPaper five;
    five.总题数 = 5;
    for (int q = 1; q <= 5; ++q) five.questions[static_cast<std::size_t>(q)][ExamQuestion::DA] = std::to_string(q);
    ASSERT_TRUE(WriteExamPaper(folder.path() / "five.CHO", five).ok());
    folder.WriteBytes("three.CHO", "[MAIN]\r\n总题数=3\r\n[考题内容]\r\n1DA=4\r\n");

    ExamPaper paper;
    ReadExamPaper(folder.path() / "five.CHO", paper);
    ReadExamPaper(folder.path() / "three.CHO", paper);
    EXPECT_EQ(paper.总题数, 3);
    EXPECT_EQ(paper.questions[1][ExamQuestion::DA], "4");
    EXPECT_EQ(paper.questions[2][ExamQuestion::DA], "");  // missing keys read as empty
    EXPECT_EQ(paper.questions[4][ExamQuestion::DA], "4");
    EXPECT_EQ(paper.questions[5][ExamQuestion::DA], "5");
}

TEST(ExamPaperFile, MissingFileAndBadCounts) {
    TempFolder folder;
    ExamPaper paper = TwoQuestionPaper();
    EXPECT_FALSE(ReadExamPaper(folder.path() / "none.CHO", paper));
    EXPECT_EQ(paper.总题数, 0);
    EXPECT_EQ(paper.分值, 0);
    EXPECT_EQ(paper.questions[2][ExamQuestion::DA], "13");  // rows untouched

    folder.WriteBytes("half.CHO", "[MAIN]\r\n总题数=2.5\r\n");
    ReadExamPaper(folder.path() / "half.CHO", paper);
    EXPECT_EQ(paper.总题数, 2);  // halves round to even

    folder.WriteBytes("big.CHO", "[MAIN]\r\n总题数=250\r\n[考题内容]\r\n200DA=5\r\n201DA=4\r\n");
    ReadExamPaper(folder.path() / "big.CHO", paper);
    EXPECT_EQ(paper.总题数, 200);
    EXPECT_EQ(paper.questions[200][ExamQuestion::DA], "5");
    EXPECT_EQ(paper.questions[201][ExamQuestion::DA], "");
}

TEST(ExamPaperFile, ReadingAPaperSizesAndEmptiesTheAnswerTable) {
    TempFolder folder;
    folder.WriteBytes("p.CHO", Gbk(kTwoQuestionFile));
    folder.WriteBytes("empty.CHO", "[MAIN]\r\n总题数=0\r\n");
    ResultSet records;
    for (int i = 0; i < 7; ++i) records.roster.AppendRow();
    records.answers.SetCell(1, 1, "2");

    LoadExamPaper(folder.path() / "empty.CHO", records);
    EXPECT_EQ(records.answers.Cell(1, 1), "2");  // a paper without questions leaves it

    LoadExamPaper(folder.path() / "p.CHO", records);
    EXPECT_EQ(records.answers.Cell(1, 1), "");
    EXPECT_GE(records.answers.RowCapacity(), 7 + 100 + 1);
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include "data/result_set.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::Gbk;
using test::TempFolder;

ResultSet MarkedRecords() {
    ResultSet records;
    records.paper.总题数 = 3;
    records.paper.分值 = 5;
    records.paper.questions[1][ExamQuestion::DA] = "2";
    records.paper.questions[2][ExamQuestion::DA] = "13";
    records.paper.questions[3][ExamQuestion::DA] = "4";
    records.paper.questions[1][ExamQuestion::DFL] = "50";
    for (const char* number : {"0101", "0102"}) {
        int row = records.roster.AppendRow();
        records.roster.Row(row)[Examinee::考号] = number;
        records.roster.Row(row)[Examinee::姓名] = "考生";
    }
    records.answers.Reset(records.roster.RowCount() + 100);
    records.roster.Row(1)[Examinee::Score] = "15";
    records.roster.Row(1)[Examinee::AnswerSummary] = "\\ 1|2  2|13  3|4";
    records.answers.SetCell(1, 1, "2");
    records.answers.SetCell(2, 1, "13");
    records.answers.SetCell(3, 1, "4");
    records.answers.SetCell(1, 2, "3");
    return records;
}

TEST(ResultSetFiles, SaveWritesThreeFilesAndOpenReadsThemBack) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(folder.path(), "期中", MarkedRecords()).ok());
    EXPECT_EQ(folder.ReadBytes("ChengJi/期中.txt"),
              Gbk("0101,考生,15,,\\ 1|2  2|13  3|4,,\r\n0102,考生,,,,,\r\n"));
    std::string dan = folder.ReadBytes("ChengJi/期中.DAN");
    EXPECT_EQ(std::count(dan.begin(), dan.end(), ','), 2 * 199);
    EXPECT_EQ(std::count(dan.begin(), dan.end(), '\n'), 2);

    ResultSet opened;
    OpenResultSet(folder.path(), " 期中.CHO ", opened);
    EXPECT_EQ(opened.roster.RowCount(), 2);
    EXPECT_EQ(opened.roster.Row(1)[Examinee::Score], "15");
    EXPECT_EQ(opened.paper.总题数, 3);
    EXPECT_EQ(opened.paper.questions[1][ExamQuestion::DFL], "50");
    EXPECT_EQ(opened.answers.Cell(2, 1), "13");
    EXPECT_EQ(opened.answers.Cell(1, 2), "3");
}

TEST(ResultSetFiles, EntryNameIsTheTextBeforeTheFirstCho) {
    EXPECT_EQ(ResultSetNameFromEntry("abc.CHO"), "abc");
    EXPECT_EQ(ResultSetNameFromEntry(" abc.cho"), "abc");
    EXPECT_EQ(ResultSetNameFromEntry("a.cho.CHO"), "a");
}

TEST(ResultSetFiles, ZeroQuestionPaperLeavesTheAnswersOfTheOpenedSet) {
    TempFolder folder;
    folder.MakeProgramFolders();
    folder.WriteBytes("ChengJi/x.TXT", "0101,a,,,,,\r\n");
    folder.WriteBytes("ChengJi/x.CHO", "[MAIN]\r\n总题数=0\r\n");
    folder.WriteBytes("ChengJi/x.DAN", "4,5\r\n");
    ResultSet records;
    records.answers.SetCell(3, 1, "kept");
    OpenResultSet(folder.path(), "x.CHO", records);
    EXPECT_EQ(records.answers.Cell(1, 1), "4");
    EXPECT_EQ(records.answers.Cell(3, 1), "kept");
}

TEST(ResultSetFiles, AFailedFileIsReportedNotSaved) {
    TempFolder folder;  // no ChengJi folder
    Status status = SaveResultSet(folder.path(), "x", MarkedRecords());
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("x.txt"), std::string::npos);

    folder.MakeProgramFolders();
    ResultSet records = MarkedRecords();
    records.roster.Row(2)[Examinee::姓名] = "a,b";
    status = SaveResultSet(folder.path(), "y", records);
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "ChengJi" / "y.CHO"));
}

TEST(ResultSetFiles, ResavingUnderAnotherCaseReplacesTheSameFiles) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(folder.path(), "Term", MarkedRecords()).ok());
    ASSERT_TRUE(SaveResultSet(folder.path(), "TERM", MarkedRecords()).ok());
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(folder.path() / "ChengJi")) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 3);
}

}  // namespace
}  // namespace quillmark

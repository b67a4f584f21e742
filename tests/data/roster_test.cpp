#include <gtest/gtest.h>

#include "data/roster.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::Gbk;
using test::TempFolder;

TEST(RosterRead, NumberAndNameOnly) {
    Roster roster = ParseRoster(Gbk("0101,李四\r\n0101,李四,95,1,\\ 1|2,,\r\n张三\r\n\r\n,,\r\n"));
    ASSERT_EQ(roster.RowCount(), 5);
    EXPECT_EQ(roster.Row(1)[Examinee::考号], "0101");
    EXPECT_EQ(roster.Row(1)[Examinee::姓名], "李四");
    EXPECT_EQ(roster.Row(2)[Examinee::姓名], "李四");
    EXPECT_EQ(roster.Row(2)[Examinee::Score], "");
    EXPECT_EQ(roster.Row(2)[Examinee::AnswerSummary], "");
    // A line without a comma is a name without a number.
    EXPECT_EQ(roster.Row(3)[Examinee::考号], "");
    EXPECT_EQ(roster.Row(3)[Examinee::姓名], "张三");
    EXPECT_EQ(roster.Row(4)[Examinee::姓名], "");
    EXPECT_EQ(roster.Row(5)[Examinee::考号], "");
}

TEST(RosterRead, ResultRosterKeepsSixColumns) {
    Roster roster = ParseResultRoster(Gbk("0101,李四,95,1,\\ 1|2,,\r\n0102,王五\r\n"));
    ASSERT_EQ(roster.RowCount(), 2);
    EXPECT_EQ(roster.Row(1)[Examinee::Score], "95");
    EXPECT_EQ(roster.Row(1)[Examinee::名次], "1");
    EXPECT_EQ(roster.Row(1)[Examinee::AnswerSummary], "\\ 1|2");
    EXPECT_EQ(roster.Row(1)[Examinee::Spare], "");
    // Columns whose closing comma is missing stay empty.
    EXPECT_EQ(roster.Row(2)[Examinee::考号], "0102");
    EXPECT_EQ(roster.Row(2)[Examinee::姓名], "");
}

TEST(RosterRead, FieldsKeepTheirSpacesAndLineEndsMayVary) {
    Roster roster = ParseRoster(" 0201 , 张三 ,\n0202,李四\r0203,王五");
    ASSERT_EQ(roster.RowCount(), 3);
    EXPECT_EQ(roster.Row(1)[Examinee::考号], " 0201 ");
    EXPECT_EQ(roster.Row(1)[Examinee::姓名], " 张三 ");
    EXPECT_EQ(roster.Row(3)[Examinee::姓名], "王五");
}

TEST(RosterRead, MissingFileGivesNoExaminees) {
    TempFolder folder;
    Roster roster;
    roster.AppendRow();
    ReadRoster(folder.path() / "none.TXT", roster);
    EXPECT_EQ(roster.RowCount(), 0);
}

TEST(RosterWrite, SixTrimmedColumnsEachWithAComma) {
    Roster roster;
    int row = roster.AppendRow();
    roster.Row(row)[Examinee::考号] = "0201";
    roster.Row(row)[Examinee::姓名] = "  张三  ";
    row = roster.AppendRow();
    roster.Row(row)[Examinee::考号] = "0202";
    roster.Row(row)[Examinee::姓名] = "李四";
    roster.Row(row)[Examinee::Score] = "87";
    roster.Row(row)[Examinee::名次] = "3";
    roster.Row(row)[Examinee::AnswerSummary] = "\\ 1|2  2|13 ";

    TempFolder folder;
    ASSERT_TRUE(WriteRoster(folder.path() / "r.txt", roster).ok());
    EXPECT_EQ(folder.ReadBytes("r.txt"), Gbk("0201,张三,,,,,\r\n0202,李四,87,3,\\ 1|2  2|13,,\r\n"));

    Roster back;
    ReadResultRoster(folder.path() / "r.txt", back);
    ASSERT_EQ(back.RowCount(), 2);
    EXPECT_EQ(back.Row(1)[Examinee::姓名], "张三");
    EXPECT_EQ(back.Row(2)[Examinee::AnswerSummary], "\\ 1|2  2|13");
}

TEST(RosterWrite, ShortRostersOfAnyNamesReadBack) {
    Roster roster;
    int row = roster.AppendRow();
    roster.Row(row)[Examinee::考号] = "0101";
    roster.Row(row)[Examinee::姓名] = "谢叶";
    TempFolder folder;
    ASSERT_TRUE(WriteRoster(folder.path() / "r.txt", roster).ok());
    Roster back;
    ReadRoster(folder.path() / "r.txt", back);
    EXPECT_EQ(back.Row(1)[Examinee::姓名], "谢叶");
}

TEST(RosterWrite, CommaInAFieldFailsAndNamesTheRow) {
    Roster roster;
    roster.Row(roster.AppendRow())[Examinee::考号] = "0101";
    int row = roster.AppendRow();
    roster.Row(row)[Examinee::考号] = "0102";
    roster.Row(row)[Examinee::姓名] = "张,三";

    TempFolder folder;
    folder.WriteBytes("r.txt", "old");
    Status status = WriteRoster(folder.path() / "r.txt", roster);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("第2行"), std::string::npos);
    EXPECT_NE(status.message().find("r.txt"), std::string::npos);
    EXPECT_EQ(folder.ReadBytes("r.txt"), "old");
}

TEST(RosterWrite, UnencodableNameFailsInsteadOfWritingQuestionMarks) {
    Roster roster;
    roster.Row(roster.AppendRow())[Examinee::姓名] = "小明😀";
    TempFolder folder;
    Status status = WriteRoster(folder.path() / "r.txt", roster);
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "r.txt"));
}

TEST(RosterRows, InsertRemoveAndTheRowLimit) {
    Roster roster;
    for (int i = 1; i <= 3; ++i) roster.Row(roster.AppendRow())[Examinee::考号] = std::to_string(i);
    roster.InsertRow(2);
    EXPECT_EQ(roster.RowCount(), 4);
    EXPECT_EQ(roster.Row(2)[Examinee::考号], "");
    EXPECT_EQ(roster.Row(3)[Examinee::考号], "2");
    roster.RemoveRow(2);
    EXPECT_EQ(roster.Row(2)[Examinee::考号], "2");
    roster.RemoveRow(0);
    roster.RemoveRow(99);
    EXPECT_EQ(roster.RowCount(), 3);

    Roster full;
    while (full.AppendRow() != 0) {
    }
    EXPECT_EQ(full.RowCount(), Roster::kMaxRows);
}

TEST(RosterRead, AFileOfMoreRowsThanARosterHoldsIsRefusedByName) {
    TempFolder folder;
    std::string text;
    for (int i = 0; i < Roster::kMaxRows; ++i) text += "0101,a,,,,,\r\n";
    folder.WriteBytes("full.TXT", text);
    folder.WriteBytes("over.TXT", text + "0102,b,,,,,\r\n");
    Roster roster;
    ASSERT_TRUE(ReadRoster(folder.path() / "full.TXT", roster).ok());
    EXPECT_EQ(roster.RowCount(), Roster::kMaxRows);
    for (auto read : {&ReadRoster, &ReadResultRoster}) {
        roster.Clear();
        roster.AppendRow();
        Status status = read(folder.path() / "over.TXT", roster);
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.message().find("over.TXT"), std::string::npos) << status.message();
        EXPECT_NE(status.message().find("32667"), std::string::npos) << status.message();
        EXPECT_EQ(roster.RowCount(), 0);  // nothing half-read that a save could write back
    }
}

}  // namespace
}  // namespace quillmark

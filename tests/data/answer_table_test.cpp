#include <gtest/gtest.h>

#include "data/answer_table.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

std::string Commas(int n) { return std::string(static_cast<std::size_t>(n), ','); }

TEST(AnswerFile, TwoExamineesOfAThreeQuestionPaper) {
    AnswerTable table;
    table.Reset(102);
    table.SetCell(1, 1, "2");
    table.SetCell(2, 1, "13");
    table.SetCell(3, 1, "4");
    table.SetCell(2, 2, " 5 ");
    EXPECT_EQ(SerializeAnswerTable(table, 2), "2,13,4" + Commas(197) + "\r\n," + "5" + Commas(198) + "\r\n");
}

TEST(AnswerFile, ReadsWhatWasWritten) {
    AnswerTable table;
    table.SetCell(1, 1, "12345");
    table.SetCell(200, 1, "3");
    table.SetCell(199, 2, "1");
    TempFolder folder;
    ASSERT_TRUE(WriteAnswerTable(folder.path() / "a.DAN", table, 2).ok());

    AnswerTable back;
    ReadAnswerTable(folder.path() / "a.DAN", back, 2);
    EXPECT_EQ(back.Cell(1, 1), "12345");
    EXPECT_EQ(back.Cell(200, 1), "3");
    EXPECT_EQ(back.Cell(199, 2), "1");
    EXPECT_EQ(back.Cell(200, 2), "");
}

TEST(AnswerFile, FieldsAreOneStreamWhateverTheLineEnds) {
    // A short hand-written line shifts the following answers.
    std::string text = "1,2,3\r\n4" + Commas(199) + "\r\n";
    AnswerTable table;
    ParseAnswerTable(text, table, 2);
    EXPECT_EQ(table.Cell(3, 1), "3");
    EXPECT_EQ(table.Cell(4, 1), "4");
    EXPECT_EQ(table.Cell(200, 1), "");
    EXPECT_EQ(table.Cell(1, 2), "");
}

TEST(AnswerFile, ReadingPastTheEndLeavesCellsUnchanged) {
    AnswerTable table;
    table.SetCell(5, 1, "old");
    table.SetCell(1, 2, "old");
    ParseAnswerTable(" 1 , 2 ,3,4", table, 2);
    EXPECT_EQ(table.Cell(1, 1), "1");
    EXPECT_EQ(table.Cell(2, 1), "2");
    EXPECT_EQ(table.Cell(4, 1), "4");
    EXPECT_EQ(table.Cell(5, 1), "old");
    EXPECT_EQ(table.Cell(1, 2), "old");
}

TEST(AnswerFile, MissingFileChangesNothing) {
    TempFolder folder;
    AnswerTable table;
    table.SetCell(1, 1, "3");
    ReadAnswerTable(folder.path() / "none.DAN", table, 1);
    EXPECT_EQ(table.Cell(1, 1), "3");
}

TEST(AnswerTableCells, GrowsForAnyRowAndKeepsItsCells) {
    AnswerTable table;
    table.Reset(10);
    table.SetCell(7, 3, "2");
    table.SetCell(1, 500, "4");  // beyond the size it was given
    EXPECT_EQ(table.Cell(7, 3), "2");
    EXPECT_EQ(table.Cell(1, 500), "4");
    EXPECT_EQ(table.Cell(1, 100000), "");
    EXPECT_EQ(table.Cell(202, 1), "");
    EXPECT_EQ(table.Cell(-1, 1), "");
    table.Reset(10);
    EXPECT_EQ(table.Cell(7, 3), "");
}

}  // namespace
}  // namespace quillmark

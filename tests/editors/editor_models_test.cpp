#include <gtest/gtest.h>

#include "data/text_fns.h"
#include "editors/paper_editor.h"
#include "editors/roster_editor.h"
#include "engine/examinee_number.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::ScriptedPrompt;
using test::TempFolder;

struct PaperFixture : ::testing::Test {
    PaperFixture() {
        folder.MakeProgramFolders();
        folder.WriteBytes("ShiJuan/Abc.CHO", test::Gbk("[MAIN]\r\n总题数= 2\r\n分值= 2\r\n优秀= 89.5\r\n[考题内容]\r\n1DA=2\r\n2DA=13\r\n2Z=3\r\n"));
        editor.FillEntries();
    }
    TempFolder folder;
    ScriptedPrompt prompt;
    ResultSet records;
    PaperEditor editor{folder.path(), records, prompt};
};

TEST_F(PaperFixture, QuestionsAreCreatedTickedScoredAndShownInTheirRows) {
    editor.NextQuestion();  // an empty paper with nothing selected gets question 1
    EXPECT_EQ(editor.RowCount(), 1);
    EXPECT_EQ(editor.Selected(), 1);
    editor.OptionClicked(1, true);
    editor.OptionClicked(3, true);
    EXPECT_EQ(records.paper.questions[1][ExamQuestion::DA], "13");
    editor.ScoreTyped("3a");
    EXPECT_EQ(records.paper.questions[1][ExamQuestion::Z], "3");
    EXPECT_FALSE(editor.UsesDefaultScore());
    editor.NextQuestion();
    editor.DefaultScoreChanged("5");
    EXPECT_EQ(editor.RowText(1), " 1   | 13    | 3      ");
    EXPECT_EQ(editor.RowText(2), " 2   |       | 5      ");
    editor.Select(1);
    editor.UseDefaultClicked(true);
    EXPECT_EQ(records.paper.questions[1][ExamQuestion::Z], "");
    EXPECT_EQ(editor.ScoreBox(), "5");
}

TEST_F(PaperFixture, InsertDeleteAndMoveKeepTheSelectionWhereTheUserExpectsIt) {
    editor.Choose(1);
    editor.Select(1);
    editor.InsertQuestion();  // after the selected one, empty
    EXPECT_EQ(editor.Selected(), 2);
    EXPECT_EQ(records.paper.questions[3][ExamQuestion::DA], "13");
    EXPECT_EQ(records.paper.questions[2][ExamQuestion::DA], "");
    editor.Select(3);
    editor.MoveUp();
    EXPECT_EQ(editor.Selected(), 2);
    EXPECT_EQ(records.paper.questions[2][ExamQuestion::DA], "13");
    editor.Select(3);
    editor.DeleteQuestion();  // the last one: the new last is selected
    EXPECT_EQ(editor.Selected(), 2);
    EXPECT_EQ(editor.RowCount(), 2);
    editor.DeleteQuestion();
    editor.DeleteQuestion();
    EXPECT_EQ(editor.RowCount(), 0);
    EXPECT_EQ(editor.Selected(), 0);
    editor.DeleteQuestion();
    EXPECT_EQ(prompt.asked.back(), kSelectQuestionToDelete);
}

TEST_F(PaperFixture, TheTwoHundredthQuestionIsTheLast) {
    for (int i = 0; i < 200; ++i) editor.NextQuestion();
    ASSERT_EQ(editor.RowCount(), 200);
    editor.NextQuestion();
    EXPECT_EQ(editor.RowCount(), 200);
    EXPECT_EQ(editor.Selected(), 200);
    editor.InsertQuestion();
    EXPECT_EQ(prompt.asked.back(), kTooManyQuestions);
}

TEST_F(PaperFixture, SavingReportsAFailedWriteAndSaveAsNeverListsANameTwice) {
    editor.Choose(1);
    EXPECT_EQ(editor.ThresholdBox(0), "90");
    editor.Select(1);
    ASSERT_TRUE(editor.Ticked(2));
    prompt.line = "abc";  // Abc.CHO exists: overwrite is asked, then the entry is reused
    editor.SaveAs();
    EXPECT_FALSE(editor.Ticked(2));  // no question chosen now: no key shown
    EXPECT_EQ(editor.Entries().size(), 2u);
    EXPECT_EQ(editor.Chosen(), 1);
    EXPECT_EQ(prompt.asked.back(), kPaperSavedMessage);

    std::filesystem::remove_all(folder.path() / "ShiJuan");
    folder.WriteBytes("ShiJuan", "a file where the folder was");
    editor.Save();
    EXPECT_NE(prompt.asked.back(), kPaperSavedMessage);
    EXPECT_NE(prompt.asked.back().find("ShiJuan"), std::string::npos);
}

TEST_F(PaperFixture, DeletingAFileAlreadyGoneRemovesItsEntry) {
    editor.Choose(1);
    std::filesystem::remove(folder.path() / "ShiJuan" / "Abc.CHO");
    prompt.asked.clear();
    editor.DeleteFile();
    EXPECT_EQ(prompt.asked, std::vector<std::string>{kConfirmDeletePaper});
    EXPECT_EQ(editor.Entries().size(), 1u);
    EXPECT_EQ(editor.Chosen(), 0);
    EXPECT_EQ(editor.RowCount(), 0);
}

struct RosterFixture : ::testing::Test {
    RosterFixture() {
        folder.MakeProgramFolders();
        folder.WriteBytes("MingCe/r.TXT", test::Gbk("0201,张三,,,,,\r\n0202,欧阳娜娜娜娜娜,,,,,\r\n"));
        editor.FillEntries();
        editor.Choose(1);
    }
    TempFolder folder;
    ScriptedPrompt prompt;
    ResultSet records;
    RosterEditor editor{folder.path(), records, prompt};
};

TEST_F(RosterFixture, TheNumberBoxStoresFourDigitsAndRefusesTheRest) {
    EXPECT_TRUE(NumberBoxAcceptsKey(U'7'));
    EXPECT_FALSE(NumberBoxAcceptsKey(U'a'));
    EXPECT_FALSE(NameBoxAcceptsKey(U','));
    EXPECT_TRUE(NameBoxAcceptsKey(U'张'));

    editor.Select(1);
    editor.NumberKeyReleased("030", false);
    EXPECT_EQ(records.roster.Row(1)[Examinee::考号], "0201");
    editor.NumberKeyReleased("0301", false);
    EXPECT_EQ(records.roster.Row(1)[Examinee::考号], "0301");
    EXPECT_EQ(editor.TakeFocusRequest(), RosterEditor::Focus::NameBox);

    editor.NumberBoxLeft("12");
    EXPECT_EQ(prompt.asked.back(), kNumberMustHaveFourDigits);
    EXPECT_EQ(editor.TakeFocusRequest(), RosterEditor::Focus::NumberBoxSelected);
    EXPECT_EQ(records.roster.Row(1)[Examinee::考号], "0301");
    editor.NumberKeyReleased("1a", true);
    EXPECT_EQ(editor.TakeFocusRequest(), RosterEditor::Focus::NumberBoxSelected);
}

TEST_F(RosterFixture, AutomaticNumberingAndEnterInTheNameBox) {
    editor.SetAutoNumbering(true);
    editor.Select(1);
    editor.InsertExaminee();
    EXPECT_EQ(editor.Selected(), 2);
    EXPECT_EQ(records.roster.Row(2)[Examinee::考号], "0202");
    EXPECT_EQ(editor.TakeFocusRequest(), RosterEditor::Focus::NameBox);
    editor.NameKeyReleased("李四", false);
    editor.Select(3);
    editor.NameKeyReleased("", true);  // Enter on the last examinee appends one
    EXPECT_EQ(editor.RowCount(), 4);
    EXPECT_EQ(records.roster.Row(4)[Examinee::考号], "0203");
    EXPECT_EQ(records.roster.Row(2)[Examinee::姓名], "李四");
}

TEST_F(RosterFixture, RowsCutLongNamesAtTenBytesAndTheFileKeepsThemWhole) {
    EXPECT_EQ(editor.RowText(2).rfind(" 2   | 0202 | 欧阳娜娜娜 |    ", 0), 0u) << editor.RowText(2);
    editor.Save();
    EXPECT_EQ(prompt.asked.back(), kRosterSavedMessage);
    EXPECT_NE(folder.ReadBytes("MingCe/r.TXT").find(test::Gbk("欧阳娜娜娜娜娜")), std::string::npos);
}

TEST_F(RosterFixture, AFullRosterTakesNoMoreExaminees) {
    while (records.roster.RowCount() < Roster::kMaxRows) records.roster.AppendRow();
    editor.Select(1);
    editor.InsertExaminee();
    EXPECT_EQ(records.roster.RowCount(), Roster::kMaxRows);
    EXPECT_EQ(prompt.asked.back(), kStatusRosterFull);
}

}  // namespace
}  // namespace quillmark

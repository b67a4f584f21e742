#include <gtest/gtest.h>

#include "marking/marking_dialogs.h"

namespace quillmark {
namespace {

int OptionWithCaption(const std::string& caption) {
    for (int option = 1; option <= SheetTypeDialogModel::kOptionCount; ++option) {
        if (SheetTypeDialogModel::OptionCaption(option) == caption) return option;
    }
    return 0;
}

TEST(SheetTypeDialog, OpensWithNothingChosenAndOkDisabled) {
    SheetTypeDialogModel dialog;
    EXPECT_EQ(SheetTypeDialogModel::kOptionCount, 21);
    EXPECT_STREQ(SheetTypeDialogModel::OptionCaption(1), "40A型");
    EXPECT_STREQ(SheetTypeDialogModel::OptionCaption(21), "用户自定义类型");
    EXPECT_EQ(dialog.SelectedOption(), 0);
    EXPECT_FALSE(dialog.OkEnabled());
    dialog.Ok();
    EXPECT_FALSE(dialog.Closed());
    EXPECT_EQ(dialog.Result(), "");
    dialog.ClickOption(0);
    dialog.ClickOption(22);
    EXPECT_FALSE(dialog.OkEnabled());
    // The last click counts.
    dialog.ClickOption(OptionWithCaption("40B型"));
    dialog.ClickOption(OptionWithCaption("80C型"));
    dialog.Ok();
    EXPECT_EQ(dialog.Result(), "1010101001");
}

TEST(SheetTypeDialog, OkGivesTheCodeOfTheClickedOption) {
    struct Case {
        const char* caption;
        const char* code;
    };
    for (Case c : {Case{"120D型", "1011000101"}, Case{"用户自定义类型", "1001101101"}, Case{"40A型", "1000111001"}}) {
        SheetTypeDialogModel dialog;
        int option = OptionWithCaption(c.caption);
        ASSERT_NE(option, 0) << c.caption;
        dialog.ClickOption(option);
        EXPECT_TRUE(dialog.OkEnabled());
        EXPECT_EQ(dialog.SelectedOption(), option);
        dialog.Ok();
        EXPECT_TRUE(dialog.Closed());
        EXPECT_EQ(dialog.Result(), c.code) << c.caption;
    }
}

TEST(SheetTypeDialog, CancelAndTheFrameGiveNoType) {
    SheetTypeDialogModel cancelled;
    cancelled.ClickOption(3);
    cancelled.Cancel();
    EXPECT_TRUE(cancelled.Closed());
    EXPECT_EQ(cancelled.Result(), "");
    cancelled.Ok();
    EXPECT_EQ(cancelled.Result(), "");

    SheetTypeDialogModel framed;
    framed.ClickOption(3);
    framed.CloseByFrame();
    EXPECT_TRUE(framed.Closed());
    EXPECT_EQ(framed.Result(), "");
}

TEST(FixedTypeControls, ListStartsAtTheFirstTypeAndFollowsTheSelectionAndTheCheckBox) {
    FixedTypeControls controls;
    初始化答题卡类型下拉选项(controls);
    ASSERT_EQ(controls.names.size(), 21u);
    ASSERT_EQ(controls.codes.size(), 21u);
    EXPECT_EQ(controls.names[0], "40A型");
    EXPECT_EQ(controls.names[20], "用户自定义");
    EXPECT_EQ(controls.selectedPosition, 0);
    EXPECT_EQ(controls.FixedTypeCode, "1000111001");
    EXPECT_FALSE(controls.FixedTypeEnabled);

    controls.Select(19);
    EXPECT_EQ(controls.names[19], "120D型");
    EXPECT_EQ(controls.FixedTypeCode, "1011000101");
    controls.Select(21);
    EXPECT_EQ(controls.selectedPosition, 19);
    EXPECT_EQ(controls.FixedTypeCode, "1011000101");
    controls.Select(20);
    EXPECT_EQ(controls.FixedTypeCode, "1001101101");

    EXPECT_FALSE(controls.listVisible);
    controls.ClickCheckBox(true);
    EXPECT_TRUE(controls.FixedTypeEnabled);
    EXPECT_TRUE(controls.listVisible);
    controls.ClickCheckBox(false);
    EXPECT_FALSE(controls.FixedTypeEnabled);
    EXPECT_FALSE(controls.listVisible);
}

class NumberDialog : public ::testing::Test {
protected:
    NumberDialog() {
        Add("0101", "张三");
        Add("0102 ", " 李四 ");
        Add("0103", "  王五 ");
        Add("0103", "赵六");
        Add("A001", "钱七");
    }
    void Add(const std::string& number, const std::string& name) {
        int row = roster_.AppendRow();
        roster_.Row(row)[Examinee::考号] = number;
        roster_.Row(row)[Examinee::姓名] = name;
    }
    Roster roster_;
};

TEST_F(NumberDialog, RowsShowTrimmedNumbersAndNames) {
    ExamineeNumberDialogModel dialog(roster_);
    ASSERT_EQ(dialog.Rows().size(), 5u);
    EXPECT_EQ(dialog.Rows()[0], "  0101   |   张三");
    EXPECT_EQ(dialog.Rows()[1], "  0102   |   李四");
    EXPECT_EQ(dialog.Rows()[2], "  0103   |   王五");
    EXPECT_EQ(dialog.NumberText(), "");
    EXPECT_EQ(dialog.NameText(), "");
    EXPECT_EQ(dialog.SelectedRow(), -1);
}

TEST_F(NumberDialog, TypingANumberSelectsItsFirstRow) {
    ExamineeNumberDialogModel dialog(roster_);
    dialog.SetNumberText("0103");
    EXPECT_EQ(dialog.SelectedRow(), 2);
    EXPECT_EQ(dialog.NameText(), "王五");
    dialog.SetNumberText("0101");
    EXPECT_EQ(dialog.SelectedRow(), 0);
    EXPECT_EQ(dialog.NameText(), "张三");
}

TEST_F(NumberDialog, NumbersMatchExactly) {
    ExamineeNumberDialogModel dialog(roster_);
    dialog.SetNumberText("0103");
    dialog.SetNumberText("0103 ");
    EXPECT_EQ(dialog.NameText(), "");
    dialog.SetNumberText("0102");  // the roster holds "0102 "
    EXPECT_EQ(dialog.NameText(), "");
    dialog.SetNumberText("0102 ");
    EXPECT_EQ(dialog.SelectedRow(), 1);
    EXPECT_EQ(dialog.NameText(), "李四");
    dialog.SetNumberText("a001");
    EXPECT_EQ(dialog.NameText(), "");
    dialog.SetNumberText("A001");
    EXPECT_EQ(dialog.SelectedRow(), 4);
    EXPECT_EQ(dialog.NameText(), "钱七");
}

TEST_F(NumberDialog, ClickingARowFillsBothBoxesTrimmed) {
    ExamineeNumberDialogModel dialog(roster_);
    dialog.ClickRow(1);
    EXPECT_EQ(dialog.SelectedRow(), 1);
    EXPECT_EQ(dialog.NumberText(), "0102");
    EXPECT_EQ(dialog.NameText(), "李四");
    dialog.ClickRow(2);
    EXPECT_EQ(dialog.NumberText(), "0103");
    EXPECT_EQ(dialog.NameText(), "王五");
    dialog.Ok();
    EXPECT_EQ(dialog.Result(), "0103");
}

TEST_F(NumberDialog, EnterAcceptsFourCharactersAfterTrimming) {
    ExamineeNumberDialogModel trailing(roster_);
    trailing.SetNumberText("0103 ");
    EXPECT_EQ(trailing.NameText(), "");
    trailing.PressEnter();
    EXPECT_TRUE(trailing.Closed());
    EXPECT_EQ(trailing.Result(), "0103");

    for (const char* text : {"010", "01034", "", "考1"}) {
        ExamineeNumberDialogModel dialog(roster_);
        dialog.SetNumberText(text);
        dialog.PressEnter();
        EXPECT_FALSE(dialog.Closed()) << text;
        EXPECT_EQ(dialog.Result(), "") << text;
    }

    ExamineeNumberDialogModel wide(roster_);
    wide.SetNumberText(" 考号12 ");  // four characters in eight bytes
    wide.PressEnter();
    EXPECT_TRUE(wide.Closed());
    EXPECT_EQ(wide.Result(), "考号12");
}

TEST_F(NumberDialog, OkAcceptsAnyLength) {
    struct Case {
        const char* typed;
        const char* result;
    };
    for (Case c : {Case{"010", "010"}, Case{" 01034 ", "01034"}}) {
        ExamineeNumberDialogModel dialog(roster_);
        dialog.SetNumberText(c.typed);
        dialog.Ok();
        EXPECT_TRUE(dialog.Closed());
        EXPECT_EQ(dialog.Result(), c.result);
    }
}

TEST_F(NumberDialog, CancelAndTheFrameGiveNoNumber) {
    ExamineeNumberDialogModel cancelled(roster_);
    cancelled.SetNumberText("0101");
    cancelled.Cancel();
    EXPECT_TRUE(cancelled.Closed());
    EXPECT_EQ(cancelled.Result(), "");
    cancelled.PressEnter();
    EXPECT_EQ(cancelled.Result(), "");

    ExamineeNumberDialogModel framed(roster_);
    framed.SetNumberText("0101");
    framed.CloseByFrame();
    EXPECT_TRUE(framed.Closed());
    EXPECT_EQ(framed.Result(), "");
}

TEST(NumberDialogEmptyRoster, NothingMatchesButEnterStillAccepts) {
    Roster roster;
    ExamineeNumberDialogModel dialog(roster);
    EXPECT_TRUE(dialog.Rows().empty());
    dialog.ClickRow(0);
    EXPECT_EQ(dialog.SelectedRow(), -1);
    EXPECT_EQ(dialog.NumberText(), "");
    dialog.SetNumberText("0101");
    EXPECT_EQ(dialog.SelectedRow(), -1);
    EXPECT_EQ(dialog.NameText(), "");
    dialog.PressEnter();
    EXPECT_EQ(dialog.Result(), "0101");
}

}  // namespace
}  // namespace quillmark

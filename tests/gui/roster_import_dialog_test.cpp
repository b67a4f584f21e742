#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "data/roster.h"
#include "editors/roster_import_dialog.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

TEST(RosterImportDialog, ProblemsHoldTheImportBackUntilFixedAndTheRosterIsWrittenAsShown) {
    test::TempFolder folder;
    TableRows rows = {{"学号", "姓名", "班级"}, {"101", "张伟", "一班"}, {"0102", "王芳,芳", "一班"}, {"0103", "Li Lei", "二班"}};
    RosterImportDialog dialog(rows, "CSV 文本", folder.path(), "一班.TXT");
    auto* problems = dialog.findChild<QListWidget*>("importProblems");
    auto* accept = dialog.findChild<QPushButton*>("importAccept");
    // The header named the columns.
    EXPECT_EQ(dialog.findChild<QComboBox*>("importNumberColumn")->currentData().toInt(), 1);
    EXPECT_EQ(dialog.findChild<QComboBox*>("importNameColumn")->currentData().toInt(), 2);
    ASSERT_EQ(problems->count(), 2);
    EXPECT_TRUE(problems->item(0)->text().startsWith("第 2 行")) << problems->item(0)->text().toStdString();
    EXPECT_TRUE(problems->item(1)->text().startsWith("第 3 行")) << problems->item(1)->text().toStdString();
    EXPECT_FALSE(accept->isEnabled());

    dialog.findChild<QCheckBox*>("importPad")->setChecked(true);
    EXPECT_EQ(problems->count(), 1);
    EXPECT_FALSE(accept->isEnabled());
    dialog.findChild<QCheckBox*>("importStrip")->setChecked(true);
    EXPECT_EQ(problems->count(), 0);
    ASSERT_TRUE(accept->isEnabled());

    accept->click();
    EXPECT_EQ(dialog.SavedName(), "一班.TXT");
    Roster roster;
    ASSERT_TRUE(ReadRoster(folder.path() / "一班.TXT", roster).ok());
    ASSERT_EQ(roster.RowCount(), 3);
    EXPECT_EQ(roster.Row(1)[Examinee::考号], "0101");
    EXPECT_EQ(roster.Row(2)[Examinee::姓名], "王芳芳");
    EXPECT_EQ(roster.Row(3)[Examinee::姓名], "Li Lei");
}

}  // namespace
}  // namespace quillmark

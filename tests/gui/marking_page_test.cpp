#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QPushButton>
#include <QTest>

#include "marking/image_sources.h"
#include "shell/main_window.h"
#include "shell/marking_dialogs.h"
#include "shell/marking_page.h"
#include "support/modal_answerer.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using test::ModalAnswerer;

struct MarkingFixture : ::testing::Test {
    MarkingFixture() {
        fs::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, folder.path(), fs::copy_options::recursive);
        window = std::make_unique<MainWindow>(folder.path());
        window->show();
        session().Paper().ChooseByName("示例试卷.CHO");
        session().Roster().ChooseByName("示例名册.TXT");
        window->SelectPage(2);
    }
    Session& session() { return window->session(); }
    int ScoredRows() {
        int scored = 0;
        for (int row = 1; row <= session().Records().roster.RowCount(); ++row) {
            scored += session().Records().roster.Row(row)[Examinee::Score].empty() ? 0 : 1;
        }
        return scored;
    }
    test::TempFolder folder;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MarkingFixture, TheSampleFolderIsMarkedThroughItsButtonAndTheFailuresAreListed) {
    ModalAnswerer answerer;
    window->markingPage()->askFolder = [this] { return folder.path() / "sample"; };
    window->findChild<QPushButton*>("Cmd打开答题卡文件夹成批阅卷")->click();
    QTRY_VERIFY_WITH_TIMEOUT(answerer.texts.contains(kBatchDoneMessage), 60000);
    EXPECT_FALSE(window->markingPage()->Running());
    // Five roster examinees, and 0199, added since numbers are not checked against the roster.
    EXPECT_EQ(ScoredRows(), 6);
    auto* unmarked = window->findChild<QListWidget*>("Lst未阅答题卡");
    ASSERT_EQ(unmarked->count(), 1);
    EXPECT_TRUE(unmarked->item(0)->text().contains("not-a-sheet.jpg"));

    window->SelectPage(3);
    auto* statistics = window->findChild<QListWidget*>("Lst统计");
    EXPECT_GT(statistics->count(), 0);
    EXPECT_TRUE(statistics->findItems("参考人数", Qt::MatchContains).size() == 1);
}

TEST_F(MarkingFixture, ALongBatchKeepsTheWindowLiveAndStopKeepsWhatWasMarked) {
    fs::path batch = folder.path() / "batch";
    fs::create_directory(batch);
    for (int i = 0; i < 200; ++i) {
        std::string source = "sheet-010" + std::to_string(1 + i % 4) + ".jpg";
        fs::copy_file(folder.path() / "sample" / source, batch / ("s" + std::to_string(1000 + i) + ".jpg"));
    }
    ModalAnswerer answerer;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    window->markingPage()->MarkFolder(batch);
    EXPECT_TRUE(window->findChild<QPushButton*>("Cmd停止")->isEnabled());
    EXPECT_FALSE(window->findChild<QPushButton*>("Cmd打开答题卡文件夹成批阅卷")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(ScoredRows() == 4, 60000);
    int ticksWhileRunning = ticks;
    window->findChild<QPushButton*>("Cmd停止")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!window->markingPage()->Running(), 60000);
    EXPECT_GT(ticksWhileRunning, 0);
    EXPECT_EQ(ScoredRows(), 4);
    EXPECT_FALSE(answerer.texts.contains(kBatchDoneMessage));  // stopped, not finished
    EXPECT_TRUE(window->findChild<QPushButton*>("Cmd打开答题卡文件夹成批阅卷")->isEnabled());
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

TEST(MarkingDialogs, TheTypeDialogWaitsForAChoiceAndTheNumberDialogFollowsTheTyping) {
    SheetTypeDialog types;
    auto* ok = types.findChild<QPushButton*>("CmdOK");
    EXPECT_FALSE(ok->isEnabled());
    types.findChild<QRadioButton*>("Opt类型_20")->click();
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_EQ(types.Result(), "1011000101");  // 120D型

    Roster roster;
    for (const char* number : {"0101", "0102", "0103"}) roster.Row(roster.AppendRow())[Examinee::考号] = number;
    roster.Row(3)[Examinee::姓名] = "王五";
    ExamineeNumberDialog numbers(roster);
    auto* list = numbers.findChild<QListWidget*>("LstKH");
    auto* number = numbers.findChild<QLineEdit*>("TxtKH");
    QTest::keyClicks(number, "0103");
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(numbers.findChild<QLineEdit*>("TxtXM")->text(), "王五");
    QTest::keyClick(number, Qt::Key_Backspace);
    EXPECT_EQ(numbers.findChild<QLineEdit*>("TxtXM")->text(), "");
    list->setCurrentRow(0);
    EXPECT_EQ(number->text(), "0101");
    numbers.findChild<QPushButton*>("CmdYES")->click();
    EXPECT_EQ(numbers.Result(), "0101");
}

TEST_F(MarkingFixture, TheZoomBoxCorrectsItsTextWhenLeft) {
    auto* zoom = window->findChild<QLineEdit*>("Txt预览大小比例");
    auto* other = window->findChild<QCheckBox*>("Chk考号合法性");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (auto [typed, corrected] : {std::pair<const char*, const char*>{"15", "10"}, {"abc", "0.1"}, {"3", "3"}}) {
        zoom->setFocus();
        zoom->selectAll();
        QTest::keyClicks(zoom, typed);
        other->setFocus();
        EXPECT_EQ(zoom->text().toStdString(), corrected) << typed;
    }
}

}  // namespace
}  // namespace quillmark

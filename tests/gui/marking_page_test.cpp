#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "marking/marking_run.h"
#include "phone/phone_service.h"
#include "shell/phone_panel.h"
#include "shell/main_window.h"
#include "shell/marking_dialogs.h"
#include "shell/marking_page.h"
#include "editors/roster_editor.h"
#include "support/gui_wait.h"
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
    // Marks the sample folder and waits for the run to end, the boxes answered meanwhile.
    void MarkSample() {
        window->markingPage()->MarkFolder(folder.path() / "sample");
        ASSERT_SOON(!window->markingPage()->Running(), 60000);
    }
    void WriteRoster(const std::string& name, int rows) {
        std::string text;
        for (int r = 1; r <= rows; ++r) text += "01" + std::string(r < 10 ? "0" : "") + std::to_string(r) + ",考生" + std::to_string(r) + ",,,,,\r\n";
        folder.WriteBytes("MingCe/" + name, text);
    }
    int ExamineeRows() { return window->findChild<QAbstractItemView*>("Lst名册")->model()->rowCount(); }
    test::TempFolder folder;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MarkingFixture, TheSampleFolderIsMarkedThroughItsButtonAndTheFailuresAreListed) {
    ModalAnswerer answerer;
    folder.WriteBytes("sample/zz-damaged.jpg", "\xFF\xD8 cut short");
    window->markingPage()->askFolder = [this] { return folder.path() / "sample"; };
    window->findChild<QPushButton*>("Cmd打开答题卡文件夹成批阅卷")->click();
    ASSERT_SOON(!answerer.texts.filter(kBatchDoneMessage).isEmpty(), 60000);
    // The sheet without a frame is told of (with the sheet in view); the file that cannot be
    // read only in the list and in the one closing message.
    ASSERT_EQ(answerer.texts.size(), 2) << answerer.texts.join("|").toStdString();
    EXPECT_TRUE(answerer.texts[1].contains("2 张答题卡未能阅卷"));
    EXPECT_FALSE(window->markingPage()->Running());
    // Five roster examinees, and 0199, added since numbers are not checked against the roster.
    EXPECT_EQ(ScoredRows(), 6);
    auto* unmarked = window->findChild<QListWidget*>("Lst未阅答题卡");
    ASSERT_EQ(unmarked->count(), 2);
    EXPECT_TRUE(unmarked->item(0)->text().contains("not-a-sheet.jpg"));
    EXPECT_TRUE(unmarked->item(1)->text().contains("zz-damaged.jpg"));

    window->SelectPage(3);
    auto* statistics = window->findChild<QListWidget*>("Lst统计");
    EXPECT_GT(statistics->count(), 0);
    EXPECT_TRUE(statistics->findItems("参考人数", Qt::MatchContains).size() == 1);
}

// The results page used to apply the last sort's examinee order to a roster chosen since.
TEST_F(MarkingFixture, ChoosingAnotherOrTheSameRosterAfterMarkingKeepsTheResultsPageWhole) {
    WriteRoster("four.TXT", 4);
    WriteRoster("ten.TXT", 10);
    WriteRoster("two.TXT", 2);
    session().FillFileLists();
    ModalAnswerer answerer(QMessageBox::Discard);
    ASSERT_TRUE(session().Roster().ChooseByName("four.TXT"));
    MarkSample();
    window->SelectPage(3);
    EXPECT_EQ(ExamineeRows(), 6);  // 0105 and 0199 added
    window->SelectPage(1);
    session().Roster().Choose(0);
    EXPECT_TRUE(answerer.texts.contains(kUnsavedMarkingQuestion));
    ASSERT_TRUE(session().Roster().ChooseByName("four.TXT"));
    window->SelectPage(3);
    EXPECT_EQ(ExamineeRows(), 4);

    ASSERT_TRUE(session().Roster().ChooseByName("ten.TXT"));
    EXPECT_EQ(ExamineeRows(), 10);
    MarkSample();
    window->SelectPage(3);
    EXPECT_EQ(ExamineeRows(), 11);
    ASSERT_TRUE(session().Roster().ChooseByName("two.TXT"));
    EXPECT_EQ(ExamineeRows(), 2);
    window->SelectPage(3);
    EXPECT_EQ(ExamineeRows(), 2);
}

TEST_F(MarkingFixture, MarkingAFolderAgainAsksOnceAndKeepsTheEarlierResults) {
    {
        ModalAnswerer answerer;
        MarkSample();
    }
    const std::string before = session().Records().answers.Cell(1, 1);
    int asked = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<DuplicateSheetDialog*>(modal)) {
            ++asked;
            EXPECT_TRUE(dialog->findChild<QLabel*>("Lab重复说明")->text().contains("同一图像"));
            dialog->findChild<QCheckBox*>("Chk其余同样处理")->click();
            dialog->findChild<QPushButton*>("Cmd保留先前成绩")->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start(5);
    MarkSample();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(session().Records().answers.Cell(1, 1), before);
    auto* unmarked = window->findChild<QListWidget*>("Lst未阅答题卡");
    EXPECT_EQ(unmarked->findItems("已有成绩", Qt::MatchContains).size(), 6);
}

TEST_F(MarkingFixture, ClosingNeverThrowsUnsavedMarkingAway) {
    ModalAnswerer answerer(QMessageBox::Cancel);
    MarkSample();
    std::filesystem::path journal = MarkingJournal::FileIn(folder.path());
    EXPECT_TRUE(fs::exists(journal));
    window->close();
    EXPECT_TRUE(answerer.texts.contains(kUnsavedMarkingQuestion));
    EXPECT_TRUE(window->isVisible());

    answerer.SetButton(QMessageBox::Save);
    answerer.SetLine("第一次");
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(answerer.texts.contains(kResultsSavedMessage));
    EXPECT_TRUE(fs::exists(folder.path() / "ChengJi" / "第一次.txt"));
    EXPECT_FALSE(fs::exists(journal));
}

TEST_F(MarkingFixture, AnUnsavedRunLeftByAKillIsOfferedAtTheNextStart) {
    SheetReview sheet;
    sheet.examinee = "0103";
    sheet.answersRead.assign(20, "1");
    auto leaveJournal = [&] {
        MarkingJournal journal(MarkingJournal::FileIn(folder.path()));
        ASSERT_TRUE(journal.Append("示例试卷.CHO", "示例名册.TXT", sheet).ok());
    };
    leaveJournal();
    ModalAnswerer answerer(QMessageBox::No);
    window->OfferRecovery();
    ASSERT_FALSE(answerer.texts.filter("尚未保存").isEmpty());
    EXPECT_FALSE(fs::exists(MarkingJournal::FileIn(folder.path())));  // declined: never offered again
    EXPECT_TRUE(session().Records().roster.Row(3)[Examinee::Score].empty());

    leaveJournal();
    answerer.SetButton(QMessageBox::Yes);
    window->OfferRecovery();
    EXPECT_FALSE(session().Records().roster.Row(3)[Examinee::Score].empty());
    EXPECT_NE(session().Records().review.Find("0103"), nullptr);
    EXPECT_EQ(session().UnsavedSheets(), 1);
}

// A wrong number corrected after the message must land in the number box, not the name.
TEST_F(MarkingFixture, ANumberCorrectedAfterItsMessageIsTypedIntoTheNumberBox) {
    window->SelectPage(1);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* rows = window->findChild<QListView*>("Lst选择名册");
    rows->setCurrentIndex(rows->model()->index(0, 0));
    auto* number = window->findChild<QLineEdit*>("Txt考生考号");
    auto* name = window->findChild<QLineEdit*>("Txt考生姓名");
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, "12");
    ModalAnswerer answerer;
    QTest::mouseClick(name, Qt::LeftButton);
    ASSERT_SOON(answerer.texts.contains(kNumberMustHaveFourDigits), 5000);
    ASSERT_SOON((QApplication::focusWidget()) == (number), 5000);
    EXPECT_EQ(number->selectedText(), "12");
    QTest::keyClicks(QApplication::focusWidget(), "0103");
    EXPECT_EQ(session().Records().roster.Row(1)[Examinee::考号], "0103");
    EXPECT_EQ(session().Records().roster.Row(1)[Examinee::姓名], "张伟");
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
    // The paper, roster and results a run marks into cannot be changed under it.
    auto* tabs = window->findChild<QTabWidget*>("SSTab");
    EXPECT_FALSE(tabs->isTabEnabled(0) || tabs->isTabEnabled(1) || tabs->isTabEnabled(3));
    EXPECT_FALSE(window->findChild<QPushButton*>("Cmd打开答题卡文件夹成批阅卷")->isEnabled());
    ASSERT_SOON(ScoredRows() == 4, 60000);
    int ticksWhileRunning = ticks;
    window->findChild<QPushButton*>("Cmd停止")->click();
    ASSERT_SOON(!window->markingPage()->Running(), 60000);
    EXPECT_GT(ticksWhileRunning, 0);
    EXPECT_EQ(ScoredRows(), 4);
    EXPECT_TRUE(answerer.texts.filter(kBatchDoneMessage).isEmpty());  // stopped, not finished
    EXPECT_FALSE(window->findChild<QListWidget*>("Lst未阅答题卡")->findItems(kStoppedReason, Qt::MatchContains).isEmpty());
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

    // A new dialog offers no examinee: nothing selected, the number box to type in, and the
    // list taking the focus fills nothing in.
    ExamineeNumberDialog fresh(roster);
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fresh));
    auto* freshList = fresh.findChild<QListWidget*>("LstKH");
    EXPECT_EQ(QApplication::focusWidget(), fresh.findChild<QLineEdit*>("TxtKH"));
    EXPECT_TRUE(freshList->selectedItems().isEmpty());
    freshList->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(fresh.findChild<QLineEdit*>("TxtKH")->text().isEmpty());
    EXPECT_TRUE(fresh.findChild<QLineEdit*>("TxtXM")->text().isEmpty());
    fresh.findChild<QPushButton*>("CmdYES")->click();
    EXPECT_EQ(fresh.Result(), "");
}

// Sends bytes to the phone page as the phone does and returns the status and body.
std::pair<int, QByteArray> Send(QNetworkAccessManager& network, const QString& url, const QByteArray& body) {
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, "image/jpeg");
    QNetworkReply* reply = body.isNull() ? network.get(request) : network.post(request, body);
    EXPECT_SOON(reply->isFinished(), 20000);
    std::pair<int, QByteArray> result{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
    reply->deleteLater();
    return result;
}

TEST_F(MarkingFixture, PhotosFromAPhoneAreMarkedLikeScannedPagesAndClosingThePanelKillsTheAddress) {
    ModalAnswerer answerer;
    MarkingPage* page = window->markingPage();
    page->phoneAddress = [] { return std::optional<QHostAddress>(QHostAddress::LocalHost); };
    window->findChild<QPushButton*>("phoneButton")->click();
    ASSERT_TRUE(page->Running());
    ASSERT_NE(page->Panel(), nullptr);
    QString address = page->Panel()->findChild<QLabel*>("phoneAddress")->text();
    ASSERT_TRUE(address.startsWith("http://127.0.0.1:")) << address.toStdString();
    EXPECT_FALSE(page->Panel()->findChild<QLabel*>("phoneQr")->pixmap().isNull());

    QNetworkAccessManager network;
    QByteArray photo = QByteArray::fromStdString(folder.ReadBytes("sample/sheet-0101.jpg"));
    auto [status, body] = Send(network, address + "photos/phone-0001", photo);
    ASSERT_EQ(status, 200) << body.toStdString();
    // Marked on the window's run, recorded like any sheet, and told to the phone.
    ASSERT_SOON(ScoredRows() == 1, 30000);
    ASSERT_SOON(Send(network, address + "photos/phone-0001", {}).second.contains("\"marked\""), 10000);
    EXPECT_TRUE(Send(network, address + "photos/phone-0001", {}).second.contains("\"number\":\"0101\""));
    // The same photo sent again, under a new id, is not a second sheet.
    EXPECT_TRUE(Send(network, address + "photos/phone-0002", photo).second.contains("\"same_as\":\"phone-0001\""));

    page->Panel()->findChild<QPushButton*>("phoneClose")->click();
    ASSERT_SOON(!page->Running(), 10000);
    EXPECT_EQ(ScoredRows(), 1);
    // The token died with the panel.
    EXPECT_NE(Send(network, address, {}).first, 200);
    EXPECT_EQ(session().UnsavedSheets(), 1);
}

TEST_F(MarkingFixture, PhotosAKilledSessionAcknowledgedAreMarkedWhenPhonesAreServedAgain) {
    ModalAnswerer answerer;
    {
        PhoneInbox inbox;
        fs::create_directories(PhoneInboxFolder(folder.path(), ""));
        ASSERT_TRUE(inbox.Open(PhoneInboxFolder(folder.path(), "20261201-080000"), "示例试卷.CHO\t示例名册.TXT").ok());
        std::string photo = folder.ReadBytes("sample/sheet-0102.jpg");
        ASSERT_TRUE(inbox.Accept("left-behind", photo, SniffPhoto(photo)).status.ok());
    }
    MarkingPage* page = window->markingPage();
    page->phoneAddress = [] { return std::optional<QHostAddress>(QHostAddress::LocalHost); };
    window->findChild<QPushButton*>("phoneButton")->click();
    ASSERT_SOON(ScoredRows() == 1, 30000);
    page->Panel()->close();
    ASSERT_SOON(!page->Running(), 10000);
    PhoneInbox reopened;
    ASSERT_TRUE(reopened.Open(PhoneInboxFolder(folder.path(), "20261201-080000")).ok());
    EXPECT_EQ(reopened.Unmarked(), 0u);
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

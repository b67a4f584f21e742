#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/blank_sheets.h"
#include "shell/busy_work.h"
#include "shell/login_dialogs.h"
#include "shell/main_window.h"
#include "shell/review_dialog.h"
#include "shell/translations.h"
#include "support/gui_wait.h"
#include "support/modal_answerer.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::ModalAnswerer;

QString Row(QWidget& window, const char* list, int row) {
    auto* view = window.findChild<QAbstractItemView*>(list);
    return view->model()->index(row, 0).data().toString();
}

// Clicks a column's header section, as the user sorts a results table.
void ClickHeader(QWidget& window, const char* header, int section) {
    auto* view = window.findChild<QHeaderView*>(header);
    ASSERT_NE(view, nullptr) << header;
    QPoint middle(view->sectionViewportPosition(section) + view->sectionSize(section) / 2, view->height() / 2);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, middle);
}

void Choose(QWidget& window, const char* combo, int entry) {
    auto* box = window.findChild<QComboBox*>(combo);
    box->setCurrentIndex(entry);
    emit box->activated(entry);
}

template <typename W>
W* Find(QWidget& window, const char* name) {
    W* widget = window.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

struct WindowFixture : ::testing::Test {
    WindowFixture() {
        folder.MakeProgramFolders();
        folder.WriteBytes("ShiJuan/p.CHO", test::Gbk("[MAIN]\r\n总题数= 1\r\n分值= 2\r\n[考题内容]\r\n1DA=1\r\n1Z=4\r\n"));
        folder.WriteBytes("MingCe/r.TXT", "0101,A,,,,,\r\n0102,B,,,,,\r\n");
        window = std::make_unique<MainWindow>(folder.path());
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    test::TempFolder folder;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowFixture, ThePaperPageCreatesTicksAndRescoresQuestions) {
    Find<QPushButton>(*window, "Cmd下一题")->click();  // an empty paper gets question 1
    EXPECT_EQ(Find<QListView>(*window, "Lst选择试卷")->model()->rowCount(), 1);
    EXPECT_EQ(Find<QListView>(*window, "Lst选择试卷")->currentIndex().row(), 0);
    QTest::mouseClick(Find<QCheckBox>(*window, "Chk答案_1"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>(*window, "Chk答案_3"), Qt::LeftButton);
    EXPECT_TRUE(Row(*window, "Lst选择试卷", 0).contains("| 13    |")) << Row(*window, "Lst选择试卷", 0).toStdString();

    Choose(*window, "Comb试卷", 1);
    auto* defaultScore = Find<QLineEdit>(*window, "Txt默认分值");
    defaultScore->selectAll();
    QTest::keyClicks(defaultScore, "7");
    Find<QPushButton>(*window, "Cmd下一题")->click();  // selects question 1
    Find<QPushButton>(*window, "Cmd下一题")->click();  // appends question 2, which uses the default
    EXPECT_TRUE(Row(*window, "Lst选择试卷", 1).contains("| 7  ")) << Row(*window, "Lst选择试卷", 1).toStdString();
    EXPECT_TRUE(Row(*window, "Lst选择试卷", 0).contains("| 4  "));
}

TEST_F(WindowFixture, TheNumberBoxTakesFourDigitsThenMovesOnAndRefusesTooFew) {
    ModalAnswerer answerer;
    window->SelectPage(1);
    Choose(*window, "Comb名册", 1);
    Find<QListView>(*window, "Lst选择名册")->setCurrentIndex(Find<QListView>(*window, "Lst选择名册")->model()->index(1, 0));
    auto* number = Find<QLineEdit>(*window, "Txt考生考号");
    auto* name = Find<QLineEdit>(*window, "Txt考生姓名");
    number->setFocus();
    number->clear();
    QTest::keyClicks(number, "0a2b01");  // the letters are refused as typed
    EXPECT_EQ(number->text(), "0201");
    EXPECT_TRUE(Row(*window, "Lst选择名册", 1).contains("0201"));
    EXPECT_EQ(QApplication::focusWidget(), name);
    EXPECT_TRUE(answerer.texts.isEmpty());

    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, "12");
    name->setFocus();  // leaving the box checks it
    ASSERT_SOON((answerer.texts.size()) == (1), 5000);
    EXPECT_EQ(answerer.texts[0], "考生考号要求由4位数字组成,请重新输入!");
    ASSERT_SOON((QApplication::focusWidget()) == (number), 5000);
    EXPECT_EQ(number->selectedText(), "12");
    EXPECT_TRUE(Row(*window, "Lst选择名册", 1).contains("0201"));

    name->selectAll();
    QTest::keyClicks(name, "C,D");
    EXPECT_EQ(name->text(), "CD");
}

TEST_F(WindowFixture, TheMarkingPageWaitsForARoster) {
    auto* tabs = Find<QTabWidget>(*window, "SSTab");
    auto* menuItem = Find<QAction>(*window, "Mnu_Scan_阅卷");
    Choose(*window, "Comb试卷", 1);
    EXPECT_FALSE(tabs->isTabEnabled(2));
    EXPECT_FALSE(menuItem->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(*window, "Cmd下一步_2")->isEnabled());
    Find<QPushButton>(*window, "Cmd下一步_1")->click();
    EXPECT_EQ(tabs->currentIndex(), 1);
    Choose(*window, "Comb名册", 1);
    EXPECT_TRUE(tabs->isTabEnabled(2));
    Find<QPushButton>(*window, "Cmd下一步_2")->click();
    EXPECT_EQ(tabs->currentIndex(), 2);
    Choose(*window, "Comb名册", 0);
    EXPECT_FALSE(menuItem->isEnabled());
}

TEST_F(WindowFixture, LeavingABrowsedSetWarnsAndClosesItOnlyWhenTold) {
    Choose(*window, "Comb试卷", 1);
    Choose(*window, "Comb名册", 1);
    window->session().Records().roster.Row(1)[Examinee::Score] = " 4";
    ASSERT_TRUE(SaveResultSet(folder.path(), "s", window->session().Records()).ok());
    Find<QAction>(*window, "Mnu_Scan_成绩处理")->trigger();
    auto* open = Find<QPushButton>(*window, "Cmd打开成绩");
    open->click();
    Choose(*window, "Cmb选择打开成绩", 1);
    EXPECT_EQ(open->text(), "关闭成绩");

    ModalAnswerer answerer(QMessageBox::No);
    Find<QAction>(*window, "Mnu_Scan_选择试卷")->trigger();
    EXPECT_EQ(answerer.texts, QStringList{"必须先“关闭成绩”，方可进行其他操作！是否要当前关闭当前成绩？"});
    EXPECT_EQ(Find<QTabWidget>(*window, "SSTab")->currentIndex(), 3);
    answerer.SetButton(QMessageBox::Yes);
    Find<QTabWidget>(*window, "SSTab")->setCurrentIndex(0);
    EXPECT_EQ(Find<QTabWidget>(*window, "SSTab")->currentIndex(), 0);
    EXPECT_EQ(open->text(), "打开成绩");
}

TEST_F(WindowFixture, ResultListsSortBothWaysAndSetsAreExportedAndDeleted) {
    Choose(*window, "Comb试卷", 1);
    Choose(*window, "Comb名册", 1);
    window->session().Records().roster.Row(1)[Examinee::Score] = " 4";
    window->session().Records().roster.Row(2)[Examinee::Score] = " 2";
    window->SelectPage(3);
    ClickHeader(*window, "CMD名册排序", 0);  // 考号
    QString first = Row(*window, "Lst名册", 0);
    ClickHeader(*window, "CMD名册排序", 0);  // the shared switch flips: the other end comes first
    EXPECT_NE(Row(*window, "Lst名册", 0), first);
    EXPECT_EQ(Row(*window, "Lst名册", 1), first);
    // The question header sorts the questions and flips the same switch.
    auto* questions = Find<QTableView>(*window, "Lst试卷");
    ASSERT_EQ(questions->model()->rowCount(), 1);
    ClickHeader(*window, "Cmd试卷排序", 3);  // 得分率
    ClickHeader(*window, "CMD名册排序", 0);  // flipped twice since: as after the second click
    EXPECT_NE(Row(*window, "Lst名册", 0), first);
    // No answers are recorded for the one question: too hard, flagged and shaded.
    auto* items = Find<QTableWidget>(*window, "Lst项目分析");
    ASSERT_EQ(items->rowCount(), 1);
    EXPECT_NE(items->item(0, 0)->background(), QBrush());

    // The file dialog offers the default; cancelled, nothing is written.
    std::filesystem::path offered = folder.path() / "ChengJi" / "p.xlsx";
    ModalAnswerer answerer;
    Find<QPushButton>(*window, "Cmd输出到EXCEL文件")->click();
    EXPECT_EQ(answerer.texts, QStringList{QString::fromStdString(offered.string())});
    EXPECT_FALSE(std::filesystem::exists(offered));
    std::filesystem::path chosen = folder.path() / "ChengJi" / "一班.xlsx";
    answerer.SetFile(QString::fromStdString(chosen.string()));
    Find<QPushButton>(*window, "Cmd输出到EXCEL文件")->click();
    QString told = QString("当前考试成绩已经成功输到EXCEL文档中!\n") + QString::fromStdString(chosen.string());
    EXPECT_TRUE(answerer.texts.contains(told)) << answerer.texts.join("|").toStdString();
    EXPECT_TRUE(std::filesystem::exists(chosen));
    EXPECT_FALSE(std::filesystem::exists(offered));

    answerer.SetLine("s");
    Find<QPushButton>(*window, "Cmd保存为成绩文件")->click();
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "ChengJi" / "s.DAN"));
    Find<QPushButton>(*window, "Cmd打开成绩")->click();
    Choose(*window, "Cmb选择打开成绩", 1);
    EXPECT_TRUE(Row(*window, "Lst名册", 0).contains("0101"));
    Find<QPushButton>(*window, "Cmd删除成绩")->click();  // answered Yes
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "ChengJi" / "s.DAN"));
    EXPECT_EQ(Find<QPushButton>(*window, "Cmd打开成绩")->text(), "打开成绩");
}

// On a 1366×768 screen every caption and value of the two results tables fits its column,
// and the columns fit the table.
TEST_F(WindowFixture, TheResultTablesShowWholeValuesAt1366By768) {
    Choose(*window, "Comb试卷", 1);
    Choose(*window, "Comb名册", 1);
    Roster& roster = window->session().Records().roster;
    roster.Row(1)[Examinee::姓名] = "欧阳司马长名字";
    roster.Row(1)[Examinee::Score] = " 100.5";
    roster.Row(2)[Examinee::Score] = " 2";
    window->resize(1366, 768);
    window->SelectPage(3);
    QApplication::processEvents();
    ASSERT_EQ(window->width(), 1366);
    EXPECT_EQ(Row(*window, "Lst名册", 0), "0101");
    for (const char* name : {"Lst试卷", "Lst名册"}) {
        auto* table = Find<QTableView>(*window, name);
        QHeaderView* header = table->horizontalHeader();
        ASSERT_GT(table->model()->rowCount(), 0) << name;
        EXPECT_LE(header->length(), table->viewport()->width()) << name;
        QFontMetrics cells(table->font()), captions(header->font());
        for (int c = 0; c < table->model()->columnCount(); ++c) {
            QString caption = table->model()->headerData(c, Qt::Horizontal).toString();
            EXPECT_GE(header->sectionSize(c), captions.horizontalAdvance(caption) + 8) << name << " " << c;
            for (int r = 0; r < table->model()->rowCount(); ++r) {
                QString text = table->model()->index(r, c).data().toString();
                EXPECT_GE(table->columnWidth(c), cells.horizontalAdvance(text) + 8) << name << " " << text.toStdString();
            }
        }
    }
    EXPECT_EQ(Find<QTableView>(*window, "Lst名册")->model()->index(0, 1).data().toString(), "欧阳司马长名字");
}

TEST_F(WindowFixture, ASetSavedWhileBrowsingIsListedAtOnce) {
    Choose(*window, "Comb试卷", 1);
    Choose(*window, "Comb名册", 1);
    window->session().Records().roster.Row(1)[Examinee::Score] = " 4";
    ASSERT_TRUE(SaveResultSet(folder.path(), "s", window->session().Records()).ok());
    window->SelectPage(3);
    Find<QPushButton>(*window, "Cmd打开成绩")->click();
    Choose(*window, "Cmb选择打开成绩", 1);
    ModalAnswerer answerer;
    answerer.SetLine("t");
    Find<QPushButton>(*window, "Cmd保存为成绩文件")->click();
    auto* sets = Find<QComboBox>(*window, "Cmb选择打开成绩");
    ASSERT_EQ(sets->count(), 3);
    EXPECT_EQ(sets->itemText(2), "t.CHO");
    EXPECT_EQ(sets->currentIndex(), 1);  // the browsed set stays chosen
}

// Writing a workbook or the blank sheets runs beside the event loop: a timer set before the
// work fires while the work waits for it (the wait gives up after 5 s, so a frozen loop fails).
TEST(BusyWork, TheEventLoopRunsWhileTheWorkDoes) {
    std::atomic<bool> ticked{false};
    QTimer::singleShot(0, [&] { ticked = true; });
    bool sawTick = RunOffTheGuiThread(nullptr, "…", [&] {
        for (int i = 0; i < 500 && !ticked; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ticked.load();
    });
    EXPECT_TRUE(sawTick);
}

TEST_F(WindowFixture, TheBlankSheetsArePrintedToTheProgramFolder) {
    ModalAnswerer answerer;  // Yes to the question first
    window->findChild<QAction*>("Mnu_File_打印答题卡")->trigger();
    EXPECT_TRUE(std::filesystem::exists(folder.path() / kAnswerSheetsPdfName)) << answerer.texts.join("|").toStdString();
}

TEST_F(WindowFixture, TheReviewViewIsDrivenByKeysAndRescoresAtOnce) {
    Choose(*window, "Comb试卷", 1);  // one question, key A, 4 points
    Choose(*window, "Comb名册", 1);
    ResultSet& records = window->session().Records();
    records.answers.SetCell(1, 1, "12");
    records.roster.Row(1)[Examinee::Score] = " 0";
    SheetReview sheet;
    sheet.examinee = "0101";
    sheet.file = (folder.path() / "gone.jpg").string();
    sheet.answersRead = {"12"};
    sheet.optionScores = {{70, 40, 2, 1, 0}};
    sheet.doubtfulQuestions = {1};
    records.review.Put(sheet);

    ModalAnswerer answerer;
    ReviewDialog review(window->session());
    review.show();
    EXPECT_EQ(Find<QListWidget>(review, "Lst存疑")->count(), 1);
    QTest::keyClick(&review, Qt::Key_2);  // takes B off: A remains
    QTest::keyClick(&review, Qt::Key_Return);
    EXPECT_EQ(review.Decided(), 1);
    EXPECT_EQ(records.answers.Cell(1, 1), "1");
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], " 4");
    EXPECT_EQ(records.review.Find("0101")->decisions.at(1), "1");
    EXPECT_TRUE(answerer.texts.isEmpty());
}

TEST(Login, RefusesAWrongPasswordAndMindsLetterCase) {
    test::TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(StorePassword(folder.path(), "Abc").ok());
    LoginDialog login(folder.path());
    EXPECT_FALSE(login.SkipsLogin());
    login.show();
    ModalAnswerer answerer;
    auto* password = Find<QLineEdit>(login, "Text1");
    QTest::keyClicks(password, "abc");
    Find<QPushButton>(login, "Command1")->click();
    EXPECT_EQ(answerer.texts, QStringList{"您输入的密码有误,请重新输入！"});
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_NE(login.result(), QDialog::Accepted);
    QTest::keyClicks(password, " Abc ");
    Find<QPushButton>(login, "Command1")->click();
    EXPECT_EQ(login.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace quillmark

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quillmark::InstallChineseTranslations(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

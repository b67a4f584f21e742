// Around the pages: Qt's own texts, the login's keyboard, the window on a small screen, help.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <fstream>
#include <set>

#include "shell/login_dialogs.h"
#include "shell/main_window.h"
#include "shell/marking_dialogs.h"
#include "shell/splash_window.h"
#include "shell/window_placement.h"
#include "support/modal_answerer.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

TEST(QtTexts, StandardButtonsAreChinese) {
    QMessageBox box(QMessageBox::Question, "t", "?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "是(&Y)");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "否(&N)");
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), "确定");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "取消");
}

// Typed keys and Enter go to the first password box without a click.
TEST(Login, TheKeyboardGoesToThePasswordBoxAtOnce) {
    test::TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(StorePassword(folder.path(), "Abc").ok());
    LoginDialog login(folder.path());
    login.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&login));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    test::ModalAnswerer answerer;  // answers a wrong-password box, should one come
    QTest::keyClicks(QApplication::focusWidget(), "Abc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(login.result(), QDialog::Accepted);

    SetPasswordDialog setPassword(folder.path());
    ASSERT_NE(setPassword.focusWidget(), nullptr);  // where keys go once it is active
    EXPECT_EQ(setPassword.focusWidget()->objectName(), "Text1");
}

// On 1366 x 768 less a taskbar the window fits with its frame and a page scrolls at most up
// and down; on a large screen no page scrolls, though the window asked for less.
TEST(About, TheBoxSaysWhichProgramFolderIsInUse) {
    AboutDialog about(nullptr, "/home/teacher/.local/share/Quillmark");
    auto* folder = about.findChild<QLabel*>("Lab程序文件夹");
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->text().endsWith("/home/teacher/.local/share/Quillmark"));
}

TEST(Placement, TheMainWindowFitsASmallScreenAndScrollsOnlyWhenShort) {
    SplashWindow splash;
    EXPECT_EQ(splash.geometry().center(), splash.screen()->availableGeometry().center());
    test::TempFolder folder;
    std::filesystem::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, folder.path(), std::filesystem::copy_options::recursive);
    MainWindow window(folder.path());
    window.session().Paper().ChooseByName("示例试卷.CHO");
    window.session().Roster().ChooseByName("示例名册.TXT");
    auto* tabs = window.findChild<QTabWidget*>("SSTab");
    for (QRect available : {QRect(0, 0, 1366, 728), QRect(1366, 40, 1920, 1040)}) {
        window.hide();  // placed before it is shown, as the program does
        PlaceWithin(window, {800, 500}, available);
        window.show();
        QApplication::processEvents();
        EXPECT_TRUE(available.contains(window.geometry().marginsAdded(kAssumedWindowFrame)));
        for (int page = 0; page < tabs->count(); ++page) {
            window.SelectPage(page);
            ASSERT_EQ(tabs->currentIndex(), page);
            QApplication::processEvents();
            auto* scroller = qobject_cast<QScrollArea*>(tabs->widget(page));
            ASSERT_NE(scroller, nullptr);
            EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible()) << page;
            if (available.height() > 1000) {
                EXPECT_FALSE(scroller->verticalScrollBar()->isVisible()) << page;
            }
        }
    }
}

// The desktop's opener is replaced by one that notes the pages it is given.
struct HelpFixture : ::testing::Test {
    HelpFixture() {
        std::filesystem::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, folder.path(), std::filesystem::copy_options::recursive);
        std::filesystem::create_directory(folder.path() / "bin");
        std::ofstream(folder.path() / "bin" / "xdg-open") << "#!/bin/sh\necho \"${1##*/}\" >> " << folder.path() / "opened" << "\n";
        std::filesystem::permissions(folder.path() / "bin" / "xdg-open", std::filesystem::perms::owner_all);
        savedPath = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString((folder.path() / "bin").string()));
        window = std::make_unique<MainWindow>(folder.path());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    ~HelpFixture() override { qputenv("PATH", savedPath); }
    QStringList Opened(int count) {
        QStringList pages;
        for (int tries = 0; tries < 1000 && pages.size() < count; ++tries) {
            QTest::qWait(10);
            QFile file(QString::fromStdString((folder.path() / "opened").string()));
            if (file.open(QIODevice::ReadOnly)) pages = QString(file.readAll()).split('\n', Qt::SkipEmptyParts);
        }
        return pages;
    }
    test::TempFolder folder;
    QByteArray savedPath;
    std::unique_ptr<MainWindow> window;
};

TEST_F(HelpFixture, F1AndTheHelpButtonsOpenTheShownPagesTopic) {
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(Opened(1), QStringList{"papers.html"});
    window->SelectPage(1);
    QTest::keyClick(window.get(), Qt::Key_F1);
    window->findChild<QPushButton*>("Cmd帮助_4")->click();
    window->findChild<QAction*>("Mnu_Help_内容")->trigger();
    EXPECT_EQ(Opened(4), (QStringList{"papers.html", "rosters.html", "results.html", "index.html"}));
}

// Every control a help page names (<span class="ui">) is captioned so in the window.
TEST_F(HelpFixture, HelpPagesNameControlsAsTheWindowCaptionsThem) {
    LoginDialog login(folder.path());
    SetPasswordDialog setPassword(folder.path());
    PixelBuffer sheet = PixelBuffer::Blank(40, 60, PixelFormat::Gray8);
    DuplicateSheetDialog duplicate(DuplicateSheet{}, sheet, window->session().Records(), folder.path());
    std::set<QString> captions{"关闭成绩"};  // 打开成绩 while a set is browsed
    for (QWidget* top : std::initializer_list<QWidget*>{window.get(), &login, &setPassword, &duplicate}) {
        for (auto* button : top->findChildren<QAbstractButton*>()) captions.insert(button->text().remove('&'));
        for (auto* group : top->findChildren<QGroupBox*>()) captions.insert(group->title());
        for (auto* action : top->findChildren<QAction*>()) captions.insert(action->text().remove('&'));
        for (auto* tabs : top->findChildren<QTabWidget*>())
            for (int i = 0; i < tabs->count(); ++i) captions.insert(tabs->tabText(i));
    }
    QDir help(QString::fromStdString((folder.path() / "help").string()));
    int named = 0;
    for (const QString& page : help.entryList({"*.html"})) {
        QFile file(help.filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const auto& match : QRegularExpression(R"(<span class="ui">([^<]*)</span>)").globalMatch(file.readAll())) {
            ++named;
            EXPECT_TRUE(captions.count(match.captured(1))) << page.toStdString() << ": " << match.captured(1).toStdString();
        }
    }
    EXPECT_GT(named, 30);
}

}  // namespace
}  // namespace quillmark

#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTabWidget>

#include "busy_work.h"
#include "data/ui_text.h"
#include "editors/page_widgets.h"
#include "editors/paper_page.h"
#include "editors/roster_page.h"
#include "help.h"
#include "language_menu.h"
#include "login_dialogs.h"
#include "page_texts.h"
#include "platform/blank_sheets.h"
#include "platform/desktop.h"
#include "platform/sheet_renderer.h"
#include "marking_page.h"
#include "results_view.h"
#include "window_placement.h"

namespace quillmark {

MainWindow::MainWindow(std::filesystem::path programFolder, QWidget* parent)
    : QMainWindow(parent),
      programFolder_(std::move(programFolder)),
      prompt_(this),
      session_(programFolder_, prompt_),
      navigator_(session_) {
    setObjectName("main");
    setWindowTitle("Quillmark 2.0");

    tabs_ = Named(new QTabWidget, "SSTab");
    paperPage_ = new PaperPage(session_.Paper(), PaperPageHelpText());
    rosterPage_ = new RosterPage(session_.Roster(), RosterPageHelpText());
    markingPage_ = new MarkingPage(session_);
    resultsPage_ = new ResultsView(session_);
    tabs_->addTab(new PageScroller(paperPage_), ToQt(UiText("MainWindow", "1、选择试卷")));
    tabs_->addTab(new PageScroller(rosterPage_), ToQt(UiText("MainWindow", "2、选择名册")));
    tabs_->addTab(new PageScroller(markingPage_), ToQt(UiText("MainWindow", "3、阅卷")));
    tabs_->addTab(new PageScroller(resultsPage_), ToQt(UiText("MainWindow", "4、成绩处理")));
    setCentralWidget(tabs_);
    BuildMenus();

    for (QPushButton* next : {paperPage_->NextButton(), rosterPage_->NextButton(), markingPage_->NextButton()}) {
        connect(next, &QPushButton::clicked, this, [this] { SelectPage(navigator_.Current() + 1); });
    }
    QPushButton* helpButtons[] = {paperPage_->HelpButton(), rosterPage_->HelpButton(), markingPage_->HelpButton(),
                                  resultsPage_->HelpButton()};
    for (int page = 0; page < 4; ++page) {
        connect(helpButtons[page], &QPushButton::clicked, this, [this, page] { OpenHelpPage(HelpTopicOfPage(page)); });
    }
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { OpenHelpPage(HelpTopicOfPage(navigator_.Current())); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int page) {
        if (!changingPage_) SelectPage(page);
    });

    connect(markingPage_, &MarkingPage::runStarted, this, [this] { RefreshShell(); });
    connect(markingPage_, &MarkingPage::runFinished, this, [this] { RefreshShell(); });
    // A choice on the first two pages changes what the others may do.
    session_.Paper().onChosenChanged = [this] { RefreshShell(); };
    session_.Roster().onChosenChanged = [this] { RefreshShell(); };
    session_.FillFileLists();
    paperPage_->Refresh();
    rosterPage_->Refresh();
    SelectPage(PageNavigator::PaperPage);
    PlaceOnScreen(*this, QSize(1280, 720));
}

MainWindow::~MainWindow() {
    session_.Paper().onChosenChanged = nullptr;
    session_.Roster().onChosenChanged = nullptr;
}

QAction* MainWindow::AddAction(QMenu* menu, const char* name, const std::string& caption) {
    QAction* action = menu->addAction(ToQt(caption));
    action->setObjectName(name);
    return action;
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(ToQt(UiText("MainWindow", "&File")));
    file->setObjectName("Mnu_File");
    connect(AddAction(file, "Mnu_File_选择图像输入设备", UiText("MainWindow", "Select &Device")), &QAction::triggered, this,
            [this] { markingPage_->ChooseScanner(); });
    file->addSeparator()->setObjectName("Mnu_File_1");
    connect(AddAction(file, "Mnu_File_打印答题卡", UiText("MainWindow", "&Print TEST card")), &QAction::triggered, this, [this] {
        auto write = [this](const std::vector<SheetLayout>& layouts, const std::filesystem::path& target) {
            return RunOffTheGuiThread(this, ToQt(UiText("MainWindow", "正在生成答题卡……")),
                                      [&] { return WriteBlankSheetsPdf(layouts, target); });
        };
        PrintAnswerSheets(programFolder_, prompt_, write, OpenWithDefaultApplication);
    });
    connect(AddAction(file, "Mnu_File_打印机设置", UiText("MainWindow", "&Setting printer")), &QAction::triggered, this, [this] {
        QPageSetupDialog setup(&printer_, this);
        setup.exec();
    });
    file->addSeparator()->setObjectName("Mnu_File_2");
    connect(AddAction(file, "Mnu_File_设置管理员密码", UiText("MainWindow", "Set &passwowd")), &QAction::triggered, this, [this] {
        SetPasswordDialog dialog(programFolder_, this);
        dialog.exec();
    });
    file->addSeparator()->setObjectName("Mnu_File_4");
    connect(AddAction(file, "Mnu_File_退出", UiText("MainWindow", "Exit(&X)")), &QAction::triggered, this, &QWidget::close);

    QMenu* scan = menuBar()->addMenu(ToQt(UiText("MainWindow", "&OMR")));
    scan->setObjectName("Mnu_Scan");
    const char* items[][2] = {{"Mnu_Scan_选择试卷", UI_TEXT_NOOP("MainWindow", "1、Select &Paper")},
                              {"Mnu_Scan_选择名册", UI_TEXT_NOOP("MainWindow", "2、Select &List")},
                              {"Mnu_Scan_阅卷", UI_TEXT_NOOP("MainWindow", "3、&OMR")},
                              {"Mnu_Scan_成绩处理", UI_TEXT_NOOP("MainWindow", "4、View &achievement")}};
    for (int page = 0; page < 4; ++page) {
        QAction* action = AddAction(scan, items[page][0], UiText("MainWindow", items[page][1]));
        connect(action, &QAction::triggered, this, [this, page] { SelectPage(page); });
        pageActions_[static_cast<std::size_t>(page)] = action;
    }

    AddLanguageMenu(menuBar(), prompt_);

    QMenu* help = menuBar()->addMenu(ToQt(UiText("MainWindow", "&Help")));
    help->setObjectName("Mnu_Help");
    connect(AddAction(help, "Mnu_Help_内容", UiText("MainWindow", "&Help")), &QAction::triggered, this, [this] { OpenHelpPage(); });
    help->addSeparator()->setObjectName("Mnu_Help_1");
    connect(AddAction(help, "Mnu_Help_产品网站", UiText("MainWindow", "Home&Page")), &QAction::triggered, this,
            [] { OpenProductWebSite(); });
    help->addSeparator()->setObjectName("Mnu_Help_3");
    connect(AddAction(help, "Mnu_Help_关于", UiText("MainWindow", "&About...")), &QAction::triggered, this, [this] {
        AboutDialog about(this, programFolder_);
        about.exec();
    });
}

void MainWindow::SelectPage(int page) {
    // A run marks into the paper, roster and results it started with: they stay put meanwhile.
    if (!markingPage_->Running()) navigator_.Select(page);
    RefreshShell();
}

void MainWindow::RefreshShell() {
    StartMarkingState state = session_.RefreshMarkingStart();
    markingPage_->MarkingStartChanged(state);
    QScopedValueRollback<bool> changing(changingPage_, true);
    bool running = markingPage_->Running();
    for (int page = 0; page < 4; ++page) {
        bool enabled = page == PageNavigator::MarkingPage ? state.markingPageAvailable : !running;
        bool menuEnabled = page == PageNavigator::MarkingPage ? state.Mnu_Scan_阅卷 : !running;
        tabs_->setTabEnabled(page, enabled);
        if (QAction* action = pageActions_[static_cast<std::size_t>(page)]) action->setEnabled(menuEnabled);
    }
    paperPage_->NextButton()->setEnabled(state.paperNextEnabled);
    rosterPage_->NextButton()->setEnabled(state.rosterNextEnabled);
    tabs_->setCurrentIndex(navigator_.Current());
    resultsPage_->Refresh();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (markingPage_->Running()) {
        if (!prompt_.AskYesNo(UiText("MainWindow", "正在阅卷。要停止阅卷并关闭程序吗？"), "")) {
            event->ignore();
            return;
        }
        markingPage_->Stop();
    }
    if (markingPage_->Running() || !session_.MayDiscardMarking()) {
        event->ignore();  // a sheet's dialog is still open, or the user stays
        return;
    }
    event->accept();
}

void MainWindow::OfferRecovery() {
    std::optional<JournalContents> journal = session_.PendingRecovery();
    if (!journal) return;
    std::string text = FillForm(
        UiText("MainWindow", "上次阅卷的 %1 张答题卡（试卷“%2”，名册“%3”）尚未保存，程序就已退出。是否恢复这些阅卷结果？"),
        {std::to_string(journal->sheets.size()), journal->paper, journal->roster});
    if (!prompt_.AskYesNo(text, UiText("MainWindow", "恢复阅卷结果"))) {
        session_.DropRecovery();
        return;
    }
    Status status = session_.Recover(*journal);
    paperPage_->Refresh();
    rosterPage_->Refresh();
    if (!status.ok()) {
        prompt_.ShowMessage(FillForm(UiText("MainWindow", "无法恢复阅卷结果：%1"), {status.message()}), "");
        return;
    }
    session_.Results().Analyse(session_.Records());
    SelectPage(PageNavigator::ResultsPage);
    prompt_.ShowMessage(
        FillForm(UiText("MainWindow", "已恢复 %1 张答题卡的阅卷结果，请保存成绩。"), {std::to_string(journal->sheets.size())}),
        "");
}

void MainWindow::OpenHelpPage(int topic) { OpenHelp(programFolder_, topic); }

}  // namespace quillmark

#pragma once

#include <QMainWindow>
#include <QPrinter>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "editors/widget_prompt.h"
// moc cannot parse the core's headers and needs none of them.
#ifndef Q_MOC_RUN
#include "navigation.h"
#include "app/session.h"
#endif

class QAction;
class QTabWidget;

namespace quillmark {

class PaperPage;
class RosterPage;
class MarkingPage;
class ResultsView;

// "main": the four pages, the menus and the next-step buttons. Pages change only through
// the navigator, whichever control asked.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(std::filesystem::path programFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return session_; }
    MarkingPage* markingPage() { return markingPage_; }
    // Selects a page as the tabs, the menu and the next buttons do.
    void SelectPage(int page);
    // Offers to restore what an earlier run marked and did not save (it was killed, or the
    // power failed); shown once the window is up.
    void OfferRecovery();

protected:
    // Closing (the frame, Exit) stops a run and never throws unsaved marking away unasked.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    QAction* AddAction(QMenu* menu, const char* name, const std::string& caption);
    // Mirrors the navigator and the chosen files into the tabs, menus and buttons.
    void RefreshShell();
    void OpenHelpPage(int topic = 0);

    std::filesystem::path programFolder_;
    WidgetPrompt prompt_;
    Session session_;
    PageNavigator navigator_;
    QTabWidget* tabs_;
    PaperPage* paperPage_;
    RosterPage* rosterPage_;
    MarkingPage* markingPage_;
    ResultsView* resultsPage_;
    std::array<QAction*, 4> pageActions_{};
    bool changingPage_ = false;
    QPrinter printer_;
};

}  // namespace quillmark

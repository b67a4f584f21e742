#pragma once

#include "app/session.h"
#include "data/ui_text.h"

namespace quillmark {

// Asked with UiText("Navigation", kCloseResultsFirst).
inline constexpr char kCloseResultsFirst[] =
    UI_TEXT_NOOP("Navigation", "必须先“关闭成绩”，方可进行其他操作！是否要当前关闭当前成绩？");

// The four pages of the main window and the rules for moving between them.
class PageNavigator {
public:
    enum Page { PaperPage = 0, RosterPage = 1, MarkingPage = 2, ResultsPage = 3 };

    explicit PageNavigator(Session& session) : session_(session) {}

    int Current() const { return current_; }
    // Page 3 and its menu item: only with a paper and a roster chosen.
    bool MarkingAvailable() const { return session_.CanMark(); }
    // Selects a page from the tabs, the menu or a next button. An unavailable page is not
    // selected. Leaving the results page while a set is browsed asks to close it first; every
    // entry to the results page runs the analyses again. Returns the page now shown.
    int Select(int page);
    // The page after the current one.
    int Next() { return Select(current_ + 1); }

private:
    void Entered(int left);

    Session& session_;
    int current_ = PaperPage;
};

}  // namespace quillmark

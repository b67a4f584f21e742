#include "navigation.h"

namespace quillmark {

int PageNavigator::Select(int page) {
    if (page < PaperPage || page > ResultsPage) return current_;
    if (page == MarkingPage && !MarkingAvailable()) return current_;
    int left = current_;
    current_ = page;
    Entered(left);
    return current_;
}

void PageNavigator::Entered(int left) {
    if (session_.Sets().BrowseMode() && left == ResultsPage && current_ != ResultsPage) {
        if (!session_.prompt().AskYesNo(UiText("Navigation", kCloseResultsFirst), UiText("Navigation", "警告!")) ||
            !session_.MayDiscardMarking()) {
            current_ = ResultsPage;
            Entered(ResultsPage);
            return;
        }
        session_.Sets().Close(session_.Results(), [this] { session_.ReloadChosen(); });
        // Closing rereads the chosen files, which may leave the marking page unavailable.
        if (current_ == MarkingPage && !MarkingAvailable()) current_ = PaperPage;
    }
    if (current_ == ResultsPage) session_.Results().Analyse(session_.Records());
}

}  // namespace quillmark

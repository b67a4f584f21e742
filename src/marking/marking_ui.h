#pragma once

#include <string>

#include "data/roster.h"
#include "engine/sheet_image.h"

namespace quillmark {

// How marking reaches the user. The window answers with real dialogs; the command line
// and the tests with their own.
// The examinee number as the sheet gave it.
struct NumberReading {
    std::string digits;     // the digits with a clear mark
    bool complete = false;  // every digit of the number had one
};

class MarkingUi {
public:
    virtual ~MarkingUi() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // The sheet-type dialog: the chosen type's code, or empty to re-enter the image.
    virtual std::string ChooseSheetType() = 0;
    // The examinee-number dialog: the number (trimmed), or empty to re-enter the image.
    // `read` is what the sheet gave, for a user interface that wants to offer it; an
    // incomplete number must never be taken without the user.
    virtual std::string ChooseExamineeNumber(const Roster& roster, const NumberReading& read) = 0;
    // One pass of the window's event loop.
    virtual void LetEventsRun() {}
    virtual void ProgressStarted() {}
    virtual void ProgressStopped() {}
    // While a dialog is open the progress strip stands still.
    virtual void ProgressPaused() {}
    virtual void ProgressResumed() {}
    // The sheet now held by the working surface, to repaint the preview from.
    virtual void SheetShown(const SheetImage& /*image*/) {}
};

}  // namespace quillmark

#pragma once

#include <string>

#include "data/review_log.h"
#include "data/roster.h"
#include "engine/sheet_image.h"
#include "sheet_source.h"

namespace quillmark {

// How marking reaches the user. The window answers with real dialogs; the command line
// and the tests with their own.
// The examinee number as the sheet gave it.
struct NumberReading {
    std::string digits;     // the digits with a clear mark
    bool complete = false;  // every digit of the number had one
};

// A sheet whose examinee already has results in the records.
struct DuplicateSheet {
    std::string number;
    std::string name;
    std::string sheetName;               // this sheet's source, as a person reads it
    const SheetReview* earlier = nullptr;  // the earlier sheet's record, when one is kept
    bool sameImage = false;              // the earlier sheet is this very image
};

// What to do with it: keep the earlier result (this sheet is not recorded), record this
// sheet over it, or file this sheet under another number.
struct DuplicateDecision {
    enum Action { Keep, Replace, OtherNumber };
    Action action = Keep;
    bool forAllRemaining = false;  // the same for every further duplicate of this run
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
    // The number's examinee already has results: never recorded over them without the user.
    virtual DuplicateDecision ResolveDuplicate(const DuplicateSheet& /*sheet*/, const PixelBuffer& /*image*/) {
        return {};
    }
    virtual void ProgressStarted() {}
    virtual void ProgressStopped() {}
    // While a dialog is open the progress strip stands still.
    virtual void ProgressPaused() {}
    virtual void ProgressResumed() {}
    // A run begins finishing this sheet: its dialogs, if any, follow.
    virtual void FinishingSheet(const SheetSource& /*sheet*/) {}
    // The sheet the next message or dialog is about, shown before it.
    virtual void ShowSheet(const PixelBuffer& /*image*/) {}
};

}  // namespace quillmark

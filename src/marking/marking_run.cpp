#include "marking_run.h"

#include "status_texts.h"

namespace quillmark {

std::string OutcomeText(const SheetOutcome& outcome, bool inWindowLanguage) {
    auto shown = [&](const std::string& stored) { return inWindowLanguage ? ShownStatus(stored) : stored; };
    switch (outcome.kind) {
        case SheetOutcome::Marked: return shown(kStatusNormal);
        case SheetOutcome::TypeAbandoned:
            return FillForm(inWindowLanguage ? UiText("SheetStatus", "%1（未指定类型）") : "%1（未指定类型）",
                            {shown(outcome.status.message())});
        case SheetOutcome::NumberAbandoned: return shown(outcome.status.ok() ? kNumberUnreadable : outcome.status.message());
        default: return shown(outcome.status.message());
    }
}

SheetRun::SheetRun(std::unique_ptr<SheetFeed> feed, MarkingContext context, std::function<void()> wake)
    : context_(std::move(context)), feed_(std::move(feed)) {
    preparer_ = std::make_unique<BatchPreparer>(*feed_, context_.settings, context_.threads, context_.memoryBudget,
                                                std::move(wake));
}

SheetRun::~SheetRun() {
    preparer_.reset();  // joins the workers while the feed they take from is still there
}

bool SheetRun::Step() {
    // A dialog of the sheet being finished runs the event loop, which may ask again.
    if (stepping_ || cancelled_) return false;
    std::optional<PreparedFile> prepared = preparer_->TryNext();
    if (!prepared) return false;
    Finish(std::move(*prepared));
    return true;
}

void SheetRun::RunToEnd() {
    while (!cancelled_) {
        std::optional<PreparedFile> prepared = preparer_->Next();
        if (!prepared) return;
        Finish(std::move(*prepared));
    }
}

void SheetRun::Finish(PreparedFile prepared) {
    stepping_ = true;
    const SheetSource& source = prepared.source;
    SheetOutcome outcome;
    if (!prepared.problem.ok()) {
        // An unreadable file is listed, not told in a box of its own: a batch may hold many.
        outcome.kind = SheetOutcome::Unreadable;
        outcome.status = prepared.problem;
    } else {
        context_.ui->FinishingSheet(source);
        outcome = FinishSheet(prepared.sheet, context_.settings, context_.programFolder, *context_.records, *context_.ui,
                              &source);
        if (outcome.duplicatesFromNowOn) context_.settings.onDuplicate = *outcome.duplicatesFromNowOn;
    }
    if (outcome.kind == SheetOutcome::Marked) ++marked_;
    else unmarked_.push_back({source, OutcomeText(outcome)});
    if (prepared.problem.ok()) {
        PixelBuffer done = std::exchange(last_, std::move(prepared.sheet.image));
        if (!done.bytes.empty()) preparer_->Recycle(std::move(done));
    }
    ++handled_;
    if (context_.onSheet) context_.onSheet(source, outcome);
    stepping_ = false;
}

void SheetRun::Cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    // Stopped from a dialog, the sheet in hand is still finished and reported by itself.
    for (SheetSource& sheet : preparer_->Stop()) unmarked_.push_back({std::move(sheet), ShownStatus(kStoppedReason)});
}

bool SheetRun::Done() const { return cancelled_ || (!stepping_ && preparer_->Exhausted()); }

std::unique_ptr<SheetFeed> FeedOfFiles(const std::vector<std::filesystem::path>& files, const MarkingContext& context) {
    return std::make_unique<FileFeed>(SheetsOf(files, context.countPages), context.load);
}

}  // namespace quillmark

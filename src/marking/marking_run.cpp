#include "marking_run.h"

#include "batch_preparer.h"
#include "engine/sheet_reader.h"

namespace quillmark {

std::string OutcomeText(const SheetOutcome& outcome) {
    switch (outcome.kind) {
        case SheetOutcome::Marked: return kStatusNormal;
        case SheetOutcome::TypeAbandoned: return outcome.status + "（未指定类型）";
        case SheetOutcome::NumberAbandoned: return outcome.status.empty() ? "考号无法识别" : outcome.status;
        default: return outcome.status;
    }
}

bool SheetRun::Step() {
    // A dialog of the sheet being finished runs the event loop, which may ask again.
    if (stepping_ || cancelled_) return false;
    std::optional<std::pair<SheetSource, PreparedFile>> ready = TakeReady();
    if (!ready) return false;
    stepping_ = true;
    auto& [source, prepared] = *ready;
    if (!prepared.error.empty()) {
        // An unreadable file is listed, not told in a box of its own: a batch may hold many.
        unmarked_.push_back({source, prepared.error});
        if (context_.onSheet) context_.onSheet(source, nullptr, prepared.error);
    } else {
        SheetOutcome outcome =
            FinishSheet(prepared.sheet, context_.settings, context_.programFolder, *context_.records, *context_.ui, &source);
        if (outcome.kind == SheetOutcome::Marked) ++marked_;
        else unmarked_.push_back({source, OutcomeText(outcome)});
        if (outcome.duplicatesFromNowOn) context_.settings.onDuplicate = *outcome.duplicatesFromNowOn;
        if (context_.onSheet) context_.onSheet(source, &outcome, "");
        Recycle(std::exchange(last_, std::move(prepared.sheet.image)));
    }
    ++handled_;
    stepping_ = false;
    return true;
}

BatchRun::BatchRun(std::vector<SheetSource> sheets, MarkingContext context, std::function<void()> wake)
    : SheetRun(std::move(context)), sheets_(std::move(sheets)) {
    preparer_ = std::make_unique<BatchPreparer>(sheets_, context_.load, context_.settings, context_.programFolder,
                                                context_.threads, context_.memoryBudget, std::move(wake));
}

BatchRun::~BatchRun() = default;

void BatchRun::Cancel() {
    if (cancelled_) return;
    SheetRun::Cancel();
    preparer_->Stop();
    // Stopped from a dialog, the sheet in hand is still finished and reported by itself.
    for (std::size_t i = Handled() + (Stepping() ? 1 : 0); i < sheets_.size(); ++i) NoteUnmarked({sheets_[i], kStoppedReason});
}

std::optional<std::pair<SheetSource, PreparedFile>> BatchRun::TakeReady() {
    if (Done()) return std::nullopt;
    std::optional<PreparedFile> prepared = preparer_->TryNext();
    if (!prepared) return std::nullopt;
    return std::make_pair(sheets_[Handled()], std::move(*prepared));
}

void BatchRun::Recycle(PixelBuffer image) {
    if (!image.bytes.empty()) preparer_->Recycle(std::move(image));
}

DeviceRun::DeviceRun(ImageDevice& device, MarkingContext context, std::function<void()> wake)
    : SheetRun(std::move(context)), device_(device) {
    worker_ = std::thread([this, &device, wake = std::move(wake)] { Work(device, wake); });
}

DeviceRun::~DeviceRun() {
    Cancel();
    worker_.join();
}

void DeviceRun::Cancel() {
    SheetRun::Cancel();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        taken_.notify_all();
    }
    // A page being scanned would otherwise hold the stop (and the window) until it is done.
    device_.CancelAcquire();
}

bool DeviceRun::Done() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_ || (exhausted_ && !ready_);
}

bool DeviceRun::Acquired() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pages_ > 0;
}

std::optional<std::pair<SheetSource, PreparedFile>> DeviceRun::TakeReady() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ready_) return std::nullopt;
    PreparedFile prepared = std::move(*ready_);
    ready_.reset();
    taken_.notify_all();
    // A scanned page is kept nowhere: its name says which page of the stack it was.
    return std::make_pair(SheetSource{"扫描第" + std::to_string(pages_) + "页", 1, 1, ""}, std::move(prepared));
}

void DeviceRun::Work(ImageDevice& device, std::function<void()> wake) {
    for (;;) {
        PixelBuffer image;
        int got = device.Acquire(image);
        PreparedFile prepared;
        if (got == 1) {
            // Nothing may escape the worker: a page that cannot be recognised fails alone.
            try {
                prepared.sheet = PrepareSheet(std::move(image), context_.settings, context_.programFolder);
            } catch (const std::bad_alloc&) {
                prepared = PreparedFile();
                prepared.error = "无法处理扫描的图像：内存不足";
            } catch (const std::exception&) {
                prepared = PreparedFile();
                prepared.error = "无法处理扫描的图像：内部错误";
            }
        }
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (got != 1 || stopping_) {
                exhausted_ = true;
            } else {
                ++pages_;
                ready_ = std::move(prepared);
            }
        }
        wake();
        std::unique_lock<std::mutex> lock(mutex_);
        if (exhausted_) return;
        // The next page is asked for once the window has taken this one.
        taken_.wait(lock, [this] { return !ready_ || stopping_; });
        if (stopping_) {
            exhausted_ = true;
            return;
        }
    }
}

}  // namespace quillmark

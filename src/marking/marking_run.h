#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "batch_preparer.h"
#include "image_sources.h"

namespace quillmark {


inline constexpr char kStoppedReason[] = "阅卷已停止，未阅";

// What a person reads about a sheet: "正常" for one marked, otherwise why it was not.
std::string OutcomeText(const SheetOutcome& outcome);

// A sheet of a run that was not marked, and why.
struct UnmarkedSheet {
    SheetSource sheet;
    std::string reason;
};

// Sheets marked as a window marks them: decoded and recognised on worker threads, and
// finished (dialogs, answers, score) one at a time, in order, on the thread that calls
// Step, which never waits for a worker. `wake` is called from a worker whenever a sheet
// becomes ready; the window answers it by calling Step again from its event loop.
class SheetRun {
public:
    explicit SheetRun(MarkingContext context) : context_(std::move(context)) {}
    virtual ~SheetRun() = default;
    SheetRun(const SheetRun&) = delete;
    SheetRun& operator=(const SheetRun&) = delete;

    // Finishes the next sheet if it is ready. False when none was ready, or all are done.
    bool Step();
    // No further sheet is finished; what was marked stays marked.
    virtual void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }
    virtual bool Done() const = 0;
    // A sheet is being finished: its dialog may be open, so the run must not end yet.
    bool Stepping() const { return stepping_; }
    // Sheets expected in all; 0 when not known (a scanner's stack).
    virtual std::size_t Total() const = 0;

    std::size_t Handled() const { return handled_; }
    std::size_t Marked() const { return marked_; }
    const std::vector<UnmarkedSheet>& Unmarked() const { return unmarked_; }
    // The pixels of the last sheet finished, for the preview.
    const PixelBuffer& LastImage() const { return last_; }

protected:
    // The next sheet and its source when it is ready.
    virtual std::optional<std::pair<SheetSource, PreparedFile>> TakeReady() = 0;
    virtual void Recycle(PixelBuffer image) { (void)image; }
    void NoteUnmarked(UnmarkedSheet sheet) { unmarked_.push_back(std::move(sheet)); }

    MarkingContext context_;
    bool cancelled_ = false;

private:
    std::size_t handled_ = 0;
    std::size_t marked_ = 0;
    std::vector<UnmarkedSheet> unmarked_;
    PixelBuffer last_;
    bool stepping_ = false;
};

// The sheets of files, prepared ahead on `context.threads` workers.
class BatchRun : public SheetRun {
public:
    BatchRun(std::vector<SheetSource> sheets, MarkingContext context, std::function<void()> wake);
    ~BatchRun() override;
    // The sheets not yet finished are listed as not marked; the workers start no more.
    void Cancel() override;
    bool Done() const override { return cancelled_ || Handled() == sheets_.size(); }
    std::size_t Total() const override { return sheets_.size(); }

private:
    std::optional<std::pair<SheetSource, PreparedFile>> TakeReady() override;
    void Recycle(PixelBuffer image) override;
    std::vector<SheetSource> sheets_;
    std::unique_ptr<BatchPreparer> preparer_;
};

// A scanner's stack: one page acquired and recognised at a time on a worker, the next
// asked for once the window has finished the last, until the device delivers nothing.
class DeviceRun : public SheetRun {
public:
    DeviceRun(ImageDevice& device, MarkingContext context, std::function<void()> wake);
    ~DeviceRun() override;
    void Cancel() override;
    bool Done() const override;
    std::size_t Total() const override { return 0; }
    // Whether the device delivered any page.
    bool Acquired() const;

private:
    std::optional<std::pair<SheetSource, PreparedFile>> TakeReady() override;
    void Work(ImageDevice& device, std::function<void()> wake);

    ImageDevice& device_;
    mutable std::mutex mutex_;
    std::condition_variable taken_;
    std::optional<PreparedFile> ready_;
    bool exhausted_ = false;
    bool stopping_ = false;
    int pages_ = 0;
    std::thread worker_;
};

}  // namespace quillmark

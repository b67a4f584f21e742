#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch_preparer.h"
#include "data/ui_text.h"
#include "marking_pipeline.h"
#include "sheet_feed.h"

namespace quillmark {

// Why a sheet was not marked, as stored (see ShownStatus in status_texts.h).
inline constexpr char kStoppedReason[] = "阅卷已停止，未阅";
inline constexpr char kNumberUnreadable[] = "考号无法识别";
// Shown as UiText("MarkingRun", ...).
inline constexpr char kSingleDoneMessage[] = UI_TEXT_NOOP("MarkingRun", "阅卷完成!请单击“下一步”查看成绩。");
inline constexpr char kBatchDoneMessage[] = UI_TEXT_NOOP("MarkingRun", "全部阅卷完成!请单击“下一步”查看成绩。");
inline constexpr char kNoDeviceMessage[] = UI_TEXT_NOOP("MarkingRun",
    "    该功能需要调用图像输入设备（如：扫描仪、带联机拍摄功能的数码相机或视频摄像头）。您的计算机可能没有安装相应设备或无法正常使用,请检查后重试！");
inline constexpr char kDeviceSelectionMessage[] = UI_TEXT_NOOP("MarkingRun",
    "    该功能需要调用图像输入设备（如：数码相机、扫描仪）。您的计算机可能没有安装相应设备或无法正常使用,请检查后重试！");

// Where marking happens: the records, the settings (with the sheet types, loaded once for
// the run) and the user.
struct MarkingContext {
    std::filesystem::path programFolder;
    MarkingSettings settings;
    ResultSet* records = nullptr;
    MarkingUi* ui = nullptr;
    ImageLoader load;         // decodes a page of a file (the platform's decoder)
    PageCounter countPages;   // counts a file's pages; without one every file is one sheet
    int threads = 1;          // sheets prepared ahead on worker threads
    std::size_t memoryBudget = kDefaultBatchMemoryBudget;
    // Told about every sheet in order, whatever became of it.
    std::function<void(const SheetSource&, const SheetOutcome&)> onSheet;
};

// What a person reads about a sheet, in the window's language (or in Chinese, for the phone
// page, which speaks only Chinese): "正常" for one marked, otherwise why it was not.
std::string OutcomeText(const SheetOutcome& outcome, bool inWindowLanguage = true);

// A sheet of a run that was not marked, and why.
struct UnmarkedSheet {
    SheetSource sheet;
    std::string reason;  // in the window's language, as OutcomeText
};

// The one way sheets are marked, whatever feeds them (files, a folder, a scanner): taken
// from the feed, decoded and recognised on worker threads, and finished (dialogs, answers,
// score) one at a time, in the order taken, on the thread that steps the run. A window
// steps it from its event loop when `wake` (called from a worker whenever a sheet is ready
// or the feed has ended) tells it to, and never waits; the command line runs it to the end.
class SheetRun {
public:
    SheetRun(std::unique_ptr<SheetFeed> feed, MarkingContext context, std::function<void()> wake = {});
    ~SheetRun();
    SheetRun(const SheetRun&) = delete;
    SheetRun& operator=(const SheetRun&) = delete;

    // Finishes the next sheet if it is ready. False when none was ready, or all are done.
    bool Step();
    // Finishes every sheet, waiting for each.
    void RunToEnd();
    // No further sheet is finished; what was marked stays marked. The sheets not yet
    // finished are listed as not marked.
    void Cancel();
    bool Cancelled() const { return cancelled_; }
    bool Done() const;
    // A sheet is being finished: its dialog may be open, so the run must not end yet.
    bool Stepping() const { return stepping_; }
    // Sheets expected in all; 0 when not known (a scanner's stack).
    std::size_t Total() const { return feed_->Total(); }
    const SheetFeed& Feed() const { return *feed_; }

    std::size_t Handled() const { return handled_; }
    std::size_t Marked() const { return marked_; }
    const std::vector<UnmarkedSheet>& Unmarked() const { return unmarked_; }
    // The pixels of the last sheet finished, for the preview.
    const PixelBuffer& LastImage() const { return last_; }

private:
    void Finish(PreparedFile prepared);

    MarkingContext context_;
    std::unique_ptr<SheetFeed> feed_;
    std::unique_ptr<BatchPreparer> preparer_;
    bool cancelled_ = false;
    bool stepping_ = false;
    std::size_t handled_ = 0;
    std::size_t marked_ = 0;
    std::vector<UnmarkedSheet> unmarked_;
    PixelBuffer last_;
};

// The sheets of image files, decoded by the context's loader, for a run.
std::unique_ptr<SheetFeed> FeedOfFiles(const std::vector<std::filesystem::path>& files, const MarkingContext& context);

}  // namespace quillmark

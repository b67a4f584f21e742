#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "marking_pipeline.h"
#include "sheet_feed.h"

namespace quillmark {

// Decoded sheets a batch may hold ahead of the one being finished, whatever its threads.
inline constexpr std::size_t kDefaultBatchMemoryBudget = std::size_t{512} << 20;

// A sheet taken from the feed, decoded and recognised, or why it could not be.
struct PreparedFile {
    SheetSource source;
    PreparedSheet sheet;
    Status problem;
};

// Takes the sheets of a feed, decodes and prepares them on worker threads, a bounded number
// ahead of the consumer, and hands them out strictly in the order taken; each worker holds
// one decoded page at a time, so a file of many pages is spread over the workers. What is
// held ahead is bounded both in sheets (the feed's MaxAhead) and in bytes: a worker starts
// another sheet only while the decoded sheets held, plus one more of the largest size seen,
// stay within the budget. The sheet the consumer waits for is always started, so a single
// sheet larger than the budget is still marked.
class BatchPreparer {
public:
    // With `onReady`, every sheet is prepared on a worker (at least one, even for one thread)
    // and `onReady` is called on that worker each time a sheet is ready or the feed ends, so
    // a caller that must not wait (a window) can take it with TryNext. Without it and with
    // one thread, sheets are prepared by Next on the caller's thread.
    BatchPreparer(SheetFeed& feed, MarkingSettings settings, int threads,
                  std::size_t memoryBudget = kDefaultBatchMemoryBudget, std::function<void()> onReady = {});
    ~BatchPreparer();
    BatchPreparer(const BatchPreparer&) = delete;
    BatchPreparer& operator=(const BatchPreparer&) = delete;

    // The next sheet, in order, waiting for it; nothing once the feed has no more.
    std::optional<PreparedFile> Next();
    // The next sheet when it is ready, without waiting.
    std::optional<PreparedFile> TryNext();
    // Every sheet the feed gave has been handed out, and it will give no more.
    bool Exhausted() const;
    // No further sheet is taken or started; a worker finishes the sheet in hand and ends.
    // The sources of the sheets taken but not handed out, in order.
    std::vector<SheetSource> Stop();

    // Takes back the pixels of a sheet the consumer has finished with: a later sheet is
    // decoded into them (SparePixelBytes) instead of into memory fresh from the system.
    void Recycle(PixelBuffer image);

    // The most bytes of decoded sheets held at once so far.
    std::size_t PeakBytesHeld() const;

private:
    PreparedFile Prepare(FedSheet fed, std::vector<std::uint8_t> spare) const;
    std::vector<std::uint8_t> TakeSpare();  // under the lock
    bool MayStart(std::size_t index) const;
    // Takes the next sheet from the feed; its index, or nothing when the feed has ended.
    std::optional<std::pair<std::size_t, FedSheet>> TakeFromFeed(std::unique_lock<std::mutex>& lock);
    void Work();

    SheetFeed& feed_;
    MarkingSettings settings_;
    std::size_t window_;
    std::size_t budget_;

    std::mutex takeMutex_;  // one Take at a time, so sheets are numbered as the feed gives them
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t taken_ = 0;           // sheets taken from the feed
    std::size_t nextToConsume_ = 0;   // the next sheet the consumer wants
    bool feedEnded_ = false;
    std::vector<SheetSource> sources_;  // of the sheets taken, by index
    std::map<std::size_t, PreparedFile> ready_;
    std::size_t bytesHeld_ = 0;       // decoded sheets in ready_ and in work, with estimates for those not yet decoded
    std::size_t largestSheet_ = 0;    // bytes of the largest decoded sheet so far
    std::size_t peakBytes_ = 0;
    std::vector<std::vector<std::uint8_t>> spares_;  // at most one a thread
    std::function<void()> onReady_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace quillmark

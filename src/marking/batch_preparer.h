#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "image_sources.h"

namespace quillmark {

struct PreparedFile {
    PreparedSheet sheet;
    std::string error;  // the sheet could not be decoded or prepared
};

// Decodes and prepares the sheets of a batch (pages of its files) on worker threads, a
// bounded number ahead of the consumer, and hands them out strictly in order; each worker
// holds one decoded page at a time, so a file of many pages is spread over the workers. What is held ahead is bounded
// both in sheets (two per thread) and in bytes: a worker starts another sheet only while
// the decoded sheets held, plus one more of the largest size seen, stay within the
// budget. The sheet the consumer waits for is always started, so a single sheet larger
// than the budget is still marked.
class BatchPreparer {
public:
    // With `onReady`, every sheet is prepared on a worker (at least one, even for one thread)
    // and `onReady` is called on that worker each time a sheet is ready, so a caller that
    // must not wait (a window) can take it with TryNext.
    BatchPreparer(std::vector<SheetSource> sheets, ImageLoader load, MarkingSettings settings,
                  std::filesystem::path programFolder, int threads, std::size_t memoryBudget = kDefaultBatchMemoryBudget,
                  std::function<void()> onReady = {});
    ~BatchPreparer();
    BatchPreparer(const BatchPreparer&) = delete;
    BatchPreparer& operator=(const BatchPreparer&) = delete;

    // The next sheet's result, in order; call once per sheet.
    PreparedFile Next();
    // The next sheet's result when it is ready, without waiting.
    std::optional<PreparedFile> TryNext();
    // No further sheet is started; a worker finishes the sheet in hand and ends.
    void Stop();

    // Takes back the pixels of a sheet the consumer has finished with: a later sheet is
    // decoded into them (SparePixelBytes) instead of into memory fresh from the system.
    void Recycle(PixelBuffer image);

    // The most bytes of decoded sheets held at once so far.
    std::size_t PeakBytesHeld() const;

private:
    PreparedFile Prepare(std::size_t index, std::vector<std::uint8_t> spare) const;
    std::vector<std::uint8_t> TakeSpare();  // under the lock
    bool MayStart(std::size_t index) const;
    void Work();

    std::vector<SheetSource> sheets_;
    ImageLoader load_;
    MarkingSettings settings_;
    std::filesystem::path programFolder_;
    std::size_t window_;
    std::size_t budget_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t nextToTake_ = 0;      // the next sheet a worker starts
    std::size_t nextToConsume_ = 0;   // the next sheet the consumer wants
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

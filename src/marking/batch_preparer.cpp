#include "batch_preparer.h"

#include <algorithm>
#include <exception>
#include <new>

namespace quillmark {
namespace {

std::size_t BytesOf(const PreparedFile& prepared) { return prepared.sheet.image.bytes.capacity(); }

// The file's name with the page of a file of several pages.
std::string Named(const SheetSource& source) {
    SheetSource named = source;
    named.file = source.file.filename();
    return named.Name();
}

}  // namespace

BatchPreparer::BatchPreparer(std::vector<SheetSource> sheets, ImageLoader load, MarkingSettings settings,
                             std::filesystem::path programFolder, int threads, std::size_t memoryBudget,
                             std::function<void()> onReady)
    : sheets_(std::move(sheets)),
      load_(std::move(load)),
      settings_(std::move(settings)),
      programFolder_(std::move(programFolder)),
      window_(static_cast<std::size_t>(std::max(threads, 1)) * 2),
      budget_(memoryBudget),
      onReady_(std::move(onReady)) {
    if (threads > 1 || onReady_) {
        for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    }
}

BatchPreparer::~BatchPreparer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    std::vector<std::uint8_t>().swap(SparePixelBytes());  // what this thread was left with
}

// One bad sheet (say, an allocation that fails on a huge image) fails that sheet, not the
// program: nothing may escape a worker thread.
PreparedFile BatchPreparer::Prepare(std::size_t index, std::vector<std::uint8_t> spare) const {
    PreparedFile prepared;
    const SheetSource& source = sheets_[index];
    if (!source.error.empty()) {
        prepared.error = source.error;
        return prepared;
    }
    try {
        SparePixelBytes() = std::move(spare);
        DecodedImage decoded = load_(source);
        std::vector<std::uint8_t>().swap(SparePixelBytes());  // left over when the decoding failed
        if (!decoded.ok()) {
            prepared.error = decoded.error;
            return prepared;
        }
        prepared.sheet = PrepareSheet(std::move(decoded.pixels), settings_, programFolder_);
    } catch (const std::bad_alloc&) {
        prepared = PreparedFile();
        prepared.error = "内存不足，无法处理图像文件“" + Named(source) + "”";
    } catch (const std::exception&) {
        prepared = PreparedFile();
        prepared.error = "无法处理图像文件“" + Named(source) + "”：内部错误";
    }
    return prepared;
}

bool BatchPreparer::MayStart(std::size_t index) const {
    if (index == nextToConsume_) return true;  // the consumer waits for it
    if (index >= nextToConsume_ + window_) return false;
    // Until one sheet's size is known, nothing is started ahead of the consumer.
    return largestSheet_ > 0 && bytesHeld_ + largestSheet_ <= budget_;
}

void BatchPreparer::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || nextToTake_ >= sheets_.size() || MayStart(nextToTake_); });
        if (stopping_ || nextToTake_ >= sheets_.size()) return;
        std::size_t index = nextToTake_++;
        std::size_t estimate = largestSheet_;
        bytesHeld_ += estimate;
        std::vector<std::uint8_t> spare = TakeSpare();
        lock.unlock();
        PreparedFile prepared = Prepare(index, std::move(spare));
        lock.lock();
        std::size_t bytes = BytesOf(prepared);
        bytesHeld_ = bytesHeld_ - estimate + bytes;
        largestSheet_ = std::max(largestSheet_, bytes);
        peakBytes_ = std::max(peakBytes_, bytesHeld_);
        ready_.emplace(index, std::move(prepared));
        changed_.notify_all();
        if (onReady_) {
            lock.unlock();
            onReady_();
            lock.lock();
        }
    }
}

PreparedFile BatchPreparer::Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    std::size_t index = nextToConsume_;
    if (workers_.empty()) {
        ++nextToConsume_;
        std::vector<std::uint8_t> spare = TakeSpare();
        lock.unlock();
        PreparedFile prepared = Prepare(index, std::move(spare));
        lock.lock();
        peakBytes_ = std::max(peakBytes_, BytesOf(prepared));
        return prepared;
    }
    changed_.wait(lock, [&] { return ready_.count(index) > 0; });
    PreparedFile prepared = std::move(ready_[index]);
    ready_.erase(index);
    bytesHeld_ -= BytesOf(prepared);
    ++nextToConsume_;
    changed_.notify_all();
    return prepared;
}

std::optional<PreparedFile> BatchPreparer::TryNext() {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = ready_.find(nextToConsume_);
    if (workers_.empty() || found == ready_.end()) return std::nullopt;
    PreparedFile prepared = std::move(found->second);
    ready_.erase(found);
    bytesHeld_ -= BytesOf(prepared);
    ++nextToConsume_;
    changed_.notify_all();
    return prepared;
}

void BatchPreparer::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
}

std::vector<std::uint8_t> BatchPreparer::TakeSpare() {
    if (spares_.empty()) return {};
    std::vector<std::uint8_t> spare = std::move(spares_.back());
    spares_.pop_back();
    bytesHeld_ -= spare.capacity();
    return spare;
}

// Spares count as held: the budget covers them.
void BatchPreparer::Recycle(PixelBuffer image) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spares_.size() >= std::max<std::size_t>(workers_.size(), 1) || image.bytes.capacity() == 0) return;
    bytesHeld_ += image.bytes.capacity();
    peakBytes_ = std::max(peakBytes_, bytesHeld_);
    spares_.push_back(std::move(image.bytes));
}

std::size_t BatchPreparer::PeakBytesHeld() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return peakBytes_;
}

}  // namespace quillmark

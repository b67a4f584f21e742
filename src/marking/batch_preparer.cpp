#include "batch_preparer.h"

#include <algorithm>
#include <exception>
#include <new>

#include "data/ui_text.h"

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

BatchPreparer::BatchPreparer(SheetFeed& feed, MarkingSettings settings, int threads, std::size_t memoryBudget,
                             std::function<void()> onReady)
    : feed_(feed),
      settings_(std::move(settings)),
      window_(feed.MaxAhead(std::max(threads, 1))),
      budget_(memoryBudget),
      onReady_(std::move(onReady)) {
    int workers = std::max(1, std::min(threads, feed.MaxWorkers(threads)));
    if (threads > 1 || onReady_) {
        for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
    }
}

BatchPreparer::~BatchPreparer() {
    Stop();
    for (std::thread& worker : workers_) worker.join();
    std::vector<std::uint8_t>().swap(SparePixelBytes());  // what this thread was left with
}

// One bad sheet (say, an allocation that fails on a huge image) fails that sheet, not the
// program: nothing may escape a worker thread.
PreparedFile BatchPreparer::Prepare(FedSheet fed, std::vector<std::uint8_t> spare) const {
    PreparedFile prepared;
    prepared.source = fed.source;
    // A scanned page is kept nowhere, so its message names no file.
    const bool scanned = fed.image && fed.image->ok();
    try {
        DecodedImage decoded;
        if (fed.image) {
            decoded = std::move(*fed.image);
        } else {
            SparePixelBytes() = std::move(spare);
            decoded = feed_.Decode(fed.source);
            std::vector<std::uint8_t>().swap(SparePixelBytes());  // left over when the decoding failed
        }
        if (!decoded.ok()) {
            prepared.problem = decoded.status;
            return prepared;
        }
        prepared.sheet = PrepareSheet(std::move(decoded.pixels), settings_);
    } catch (const std::bad_alloc&) {
        prepared.sheet = PreparedSheet();
        prepared.problem = Status::Error(scanned ? UiText("ImageFiles", "无法处理扫描的图像：内存不足")
                                                 : FillForm(UiText("ImageFiles", "内存不足，无法处理图像文件“%1”"), {Named(fed.source)}));
    } catch (const std::exception&) {
        prepared.sheet = PreparedSheet();
        prepared.problem = Status::Error(scanned ? UiText("ImageFiles", "无法处理扫描的图像：内部错误")
                                                 : FillForm(UiText("ImageFiles", "无法处理图像文件“%1”：内部错误"), {Named(fed.source)}));
    }
    return prepared;
}

bool BatchPreparer::MayStart(std::size_t index) const {
    if (index == nextToConsume_) return true;  // the consumer waits for it
    if (index >= nextToConsume_ + window_) return false;
    // Until one sheet's size is known, nothing is started ahead of the consumer.
    return largestSheet_ > 0 && bytesHeld_ + largestSheet_ <= budget_;
}

std::optional<std::pair<std::size_t, FedSheet>> BatchPreparer::TakeFromFeed(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    std::optional<FedSheet> fed = feed_.Take();
    lock.lock();
    if (!fed) {
        feedEnded_ = true;
        changed_.notify_all();
        return std::nullopt;
    }
    std::size_t index = taken_++;
    sources_.push_back(fed->source);
    if (stopping_) return std::nullopt;  // taken while stopping: listed by Stop, not prepared
    return std::make_pair(index, std::move(*fed));
}

void BatchPreparer::Work() {
    for (;;) {
        std::unique_lock<std::mutex> take(takeMutex_);
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || feedEnded_ || MayStart(taken_); });
        if (stopping_ || feedEnded_) return;
        std::optional<std::pair<std::size_t, FedSheet>> got = TakeFromFeed(lock);
        take.unlock();
        if (!got) {
            lock.unlock();
            if (onReady_) onReady_();  // the end of the feed is news too
            return;
        }
        auto& [index, fed] = *got;
        std::size_t estimate = largestSheet_;
        bytesHeld_ += estimate;
        std::vector<std::uint8_t> spare = TakeSpare();
        lock.unlock();
        PreparedFile prepared = Prepare(std::move(fed), std::move(spare));
        lock.lock();
        std::size_t bytes = BytesOf(prepared);
        bytesHeld_ = bytesHeld_ - estimate + bytes;
        largestSheet_ = std::max(largestSheet_, bytes);
        peakBytes_ = std::max(peakBytes_, bytesHeld_);
        ready_.emplace(index, std::move(prepared));
        changed_.notify_all();
        lock.unlock();
        if (onReady_) onReady_();
    }
}

std::optional<PreparedFile> BatchPreparer::Next() {
    if (workers_.empty()) {
        std::unique_lock<std::mutex> take(takeMutex_);
        std::unique_lock<std::mutex> lock(mutex_);
        if (stopping_ || feedEnded_) return std::nullopt;
        std::optional<std::pair<std::size_t, FedSheet>> got = TakeFromFeed(lock);
        if (!got) return std::nullopt;
        ++nextToConsume_;
        std::vector<std::uint8_t> spare = TakeSpare();
        lock.unlock();
        take.unlock();
        PreparedFile prepared = Prepare(std::move(got->second), std::move(spare));
        lock.lock();
        peakBytes_ = std::max(peakBytes_, BytesOf(prepared));
        return prepared;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    std::size_t index = nextToConsume_;
    changed_.wait(lock, [&] { return ready_.count(index) > 0 || stopping_ || (feedEnded_ && index >= taken_); });
    auto found = ready_.find(index);
    if (found == ready_.end()) return std::nullopt;
    PreparedFile prepared = std::move(found->second);
    ready_.erase(found);
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

bool BatchPreparer::Exhausted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return feedEnded_ && nextToConsume_ >= taken_;
}

std::vector<SheetSource> BatchPreparer::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    feed_.Close();
    // A Take in progress ends (Close sees to it) before the sheets left are counted.
    std::lock_guard<std::mutex> take(takeMutex_);
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SheetSource> left(sources_.begin() + static_cast<std::ptrdiff_t>(std::min(nextToConsume_, sources_.size())),
                                  sources_.end());
    for (SheetSource& source : feed_.Untaken()) left.push_back(std::move(source));
    return left;
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

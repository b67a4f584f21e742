#include "batch_preparer.h"

namespace quillmark {

BatchPreparer::BatchPreparer(std::vector<std::filesystem::path> files, ImageLoader load, MarkingSettings settings,
                             std::filesystem::path programFolder, int threads)
    : files_(std::move(files)),
      load_(std::move(load)),
      settings_(std::move(settings)),
      programFolder_(std::move(programFolder)),
      window_(static_cast<std::size_t>(std::max(threads, 1)) * 2) {
    if (threads > 1) {
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
}

PreparedFile BatchPreparer::Prepare(std::size_t index) const {
    PreparedFile prepared;
    DecodedImage decoded = load_(files_[index]);
    if (!decoded.ok()) {
        prepared.error = decoded.error;
        return prepared;
    }
    prepared.sheet = PrepareSheet(std::move(decoded.pixels), settings_, programFolder_);
    return prepared;
}

void BatchPreparer::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Memory stays bounded: no worker runs more than a window ahead of the consumer.
        changed_.wait(lock, [this] {
            return stopping_ || nextToTake_ >= files_.size() || nextToTake_ < nextToConsume_ + window_;
        });
        if (stopping_ || nextToTake_ >= files_.size()) return;
        std::size_t index = nextToTake_++;
        lock.unlock();
        PreparedFile prepared = Prepare(index);
        lock.lock();
        ready_.emplace(index, std::move(prepared));
        changed_.notify_all();
    }
}

PreparedFile BatchPreparer::Next() {
    std::size_t index;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        index = nextToConsume_;
    }
    if (workers_.empty()) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++nextToConsume_;
        return Prepare(index);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_.count(index) > 0; });
    PreparedFile prepared = std::move(ready_[index]);
    ready_.erase(index);
    ++nextToConsume_;
    changed_.notify_all();
    return prepared;
}

}  // namespace quillmark

#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "image_sources.h"

namespace quillmark {

struct PreparedFile {
    PreparedSheet sheet;
    std::string error;  // the file could not be decoded
};

// Decodes and prepares the files of a batch on worker threads, a bounded number ahead of
// the consumer, and hands them out strictly in file order.
class BatchPreparer {
public:
    BatchPreparer(std::vector<std::filesystem::path> files, ImageLoader load, MarkingSettings settings,
                  std::filesystem::path programFolder, int threads);
    ~BatchPreparer();
    BatchPreparer(const BatchPreparer&) = delete;
    BatchPreparer& operator=(const BatchPreparer&) = delete;

    // The next file's result, in order; call once per file.
    PreparedFile Next();

private:
    PreparedFile Prepare(std::size_t index) const;
    void Work();

    std::vector<std::filesystem::path> files_;
    ImageLoader load_;
    MarkingSettings settings_;
    std::filesystem::path programFolder_;
    std::size_t window_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t nextToTake_ = 0;      // the next file a worker starts
    std::size_t nextToConsume_ = 0;   // the next file the consumer wants
    std::map<std::size_t, PreparedFile> ready_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <memory>
#include <utility>

namespace quillmark {

// Held by the running program for its program folder. An advisory file lock: the system
// releases it when the holder ends in any way, so a crashed copy never blocks the next.
class SingleInstanceLock {
public:
    // The lock, or nothing when another running copy holds it (or it cannot be taken).
    static std::unique_ptr<SingleInstanceLock> Acquire(const std::filesystem::path& programFolder);
    // The lock file, in the user's runtime folder; it exists while a copy holds it.
    static std::filesystem::path PathFor(const std::filesystem::path& programFolder);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

private:
    SingleInstanceLock(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::filesystem::path path_;
};

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <memory>

namespace quillmark {

// Held by the running program for its program folder. An advisory file lock: the system
// releases it when the holder ends in any way, so a crashed copy never blocks the next.
class SingleInstanceLock {
public:
    // The lock, or nothing when another running copy holds it (or it cannot be taken).
    static std::unique_ptr<SingleInstanceLock> Acquire(const std::filesystem::path& programFolder);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

private:
    explicit SingleInstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace quillmark

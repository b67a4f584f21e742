#include "single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace quillmark {
namespace {

// One lock file per user and program folder, in the user's runtime folder when there is one.
std::filesystem::path LockPath(const std::filesystem::path& programFolder) {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::weakly_canonical(programFolder, ec);
    if (ec) folder = programFolder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path base = runtime && *runtime ? runtime : std::filesystem::temp_directory_path(ec);
    std::size_t key = std::hash<std::string>{}(folder.string());
    return base / ("quillmark-" + std::to_string(getuid()) + "-" + std::to_string(key) + ".lock");
}

}  // namespace

std::unique_ptr<SingleInstanceLock> SingleInstanceLock::Acquire(const std::filesystem::path& programFolder) {
    int fd = open(LockPath(programFolder).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<SingleInstanceLock>(new SingleInstanceLock(fd));
}

SingleInstanceLock::~SingleInstanceLock() { close(fd_); }

}  // namespace quillmark

#include "single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace quillmark {

// One lock file per user and program folder, in the user's runtime folder when there is one.
std::filesystem::path SingleInstanceLock::PathFor(const std::filesystem::path& programFolder) {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::weakly_canonical(programFolder, ec);
    if (ec) folder = programFolder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path base = runtime && *runtime ? runtime : std::filesystem::temp_directory_path(ec);
    std::size_t key = std::hash<std::string>{}(folder.string());
    return base / ("quillmark-" + std::to_string(getuid()) + "-" + std::to_string(key) + ".lock");
}

std::unique_ptr<SingleInstanceLock> SingleInstanceLock::Acquire(const std::filesystem::path& programFolder) {
    std::filesystem::path path = PathFor(programFolder);
    // The holder removes the file as it ends; a copy that opened it just before then holds a
    // lock on a file no longer there, so it looks again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return nullptr;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return nullptr;
        }
        struct stat held {}, named {};
        if (fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            return std::unique_ptr<SingleInstanceLock>(new SingleInstanceLock(fd, path));
        }
        close(fd);
    }
    return nullptr;
}

SingleInstanceLock::~SingleInstanceLock() {
    unlink(path_.c_str());
    close(fd_);
}

}  // namespace quillmark

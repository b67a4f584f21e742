#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "data/file_io.h"

namespace quillmark::cli {
namespace {

std::string ExistsMessage(const std::filesystem::path& target) {
    return "“" + DisplayPath(target) + "”已存在，未写入（使用 --overwrite 替换）";
}

int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    // File systems without it: a hard link to an existing name fails just the same.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

Status OutputRefusal(const std::filesystem::path& target, bool overwrite) {
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::status(target, ec);
    if (!std::filesystem::exists(status)) return Status::Ok();
    if (!std::filesystem::is_regular_file(status)) return Status::Error("“" + DisplayPath(target) + "”不是普通文件，未写入");
    return overwrite ? Status::Ok() : Status::Error(ExistsMessage(target));
}

Status WriteOutputFile(const std::filesystem::path& target, std::string_view bytes, bool overwrite) {
    if (Status refusal = OutputRefusal(target, overwrite); !refusal.ok()) return refusal;
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string temp = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return SaveFailure(target, errno);
    ::close(fd);
    int error = WriteSyncedFile(temp, bytes, target);
    if (error == 0) {
        error = overwrite ? (::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno) : RenameNoReplace(temp, target);
    }
    if (error != 0) {
        ::unlink(temp.c_str());
        return error == EEXIST ? Status::Error(ExistsMessage(target)) : SaveFailure(target, error);
    }
    // Without this a power cut can lose the rename.
    if (int synced = SyncFolder(folder)) return SaveFailure(target, synced);
    return Status::Ok();
}

}  // namespace quillmark::cli

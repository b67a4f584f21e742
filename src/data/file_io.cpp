#include "file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "system_error_text.h"
#include "text_codec.h"
#include "ui_text.h"

namespace quillmark {

std::string DisplayPath(const std::filesystem::path& path) { return path.string(); }

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        in.seekg(0, std::ios::beg);
        in.read(bytes.data(), size);
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

Status SaveFailure(const std::filesystem::path& path, int error) {
    return Status::Error(FillForm(UiText("FileIo", "无法保存文件“%1”：%2。"), {DisplayPath(path), SystemErrorText(error)}));
}

int MakeFolder(const std::filesystem::path& folder) {
    if (folder.empty()) return 0;  // the current folder
    if (::mkdir(folder.c_str(), 0755) == 0) return SyncFolder(folder.parent_path());
    if (errno != EEXIST) return errno;
    struct stat existing {};
    return ::stat(folder.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode) ? 0 : ENOTDIR;
}

namespace {

// Writes all the bytes, gives the file the permissions of `like` (0644 when that is
// missing), flushes it to the disk and closes it. 0 or the errno of the failure.
int FillAndClose(int fd, std::string_view bytes, const std::filesystem::path& like) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            return error;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    struct stat existing {};
    ::fchmod(fd, ::stat(like.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

}  // namespace

int WriteSyncedFile(const std::filesystem::path& path, std::string_view bytes,
                    const std::filesystem::path& like) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    return FillAndClose(fd, bytes, like);
}

int SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error == EINVAL ? 0 : error;  // file systems that cannot sync a folder
}

Status WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) return SaveFailure(path, errno);
    if (int error = FillAndClose(fd, bytes, path)) {
        ::unlink(pattern.c_str());
        return SaveFailure(path, error);
    }
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(pattern.c_str());
        return SaveFailure(path, error);
    }
    // Without this a power cut can lose the rename and bring the old file back.
    if (int error = SyncFolder(folder)) return SaveFailure(path, error);
    return Status::Ok();
}

Status EncodeGbkFile(const std::filesystem::path& path, std::string_view utf8Text, std::string& bytes) {
    GbkEncoding encoded = EncodeGbk(utf8Text);
    if (!encoded.ok()) {
        return Status::Error(FillForm(UiText("FileIo", "无法保存文件“%1”：其中的字符“%2”不能以GBK编码保存。"),
                                      {DisplayPath(path), encoded.unencodable}));
    }
    bytes = std::move(encoded.bytes);
    return Status::Ok();
}

Status WriteGbkFile(const std::filesystem::path& path, std::string_view utf8Text) {
    std::string bytes;
    Status status = EncodeGbkFile(path, utf8Text, bytes);
    return status.ok() ? WriteFileAtomically(path, bytes) : status;
}

}  // namespace quillmark

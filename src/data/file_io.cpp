#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "text_codec.h"

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

namespace {
Status WriteFailure(const std::filesystem::path& path, int error) {
    return Status::Error("无法保存文件“" + DisplayPath(path) + "”：" + std::strerror(error));
}
}  // namespace

Status WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) return WriteFailure(path, errno);

    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            ::unlink(pattern.c_str());
            return WriteFailure(path, error);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    struct stat existing {};
    ::fchmod(fd, ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    bool flushed = ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && flushed) {
        flushed = false;
        error = errno;
    }
    if (!flushed) {
        ::unlink(pattern.c_str());
        return WriteFailure(path, error);
    }
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(pattern.c_str());
        return WriteFailure(path, error);
    }
    return Status::Ok();
}

Status WriteGbkFile(const std::filesystem::path& path, std::string_view utf8Text) {
    GbkEncoding encoded = EncodeGbk(utf8Text);
    if (!encoded.ok()) {
        return Status::Error("无法保存文件“" + DisplayPath(path) + "”：其中的字符“" +
                             encoded.unencodable + "”不能以GBK编码保存。");
    }
    return WriteFileAtomically(path, encoded.bytes);
}

}  // namespace quillmark

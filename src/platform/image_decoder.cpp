#include "platform/image_decoder.h"

#include <new>
#include <optional>
#include <system_error>

#include "data/file_io.h"
#include "platform/raw_decode.h"

namespace quillmark {

namespace detail {

std::string TooLargeProblem(long long width, long long height) {
    return "图像太大（" + std::to_string(width) + "×" + std::to_string(height) + "像素，最多" +
           std::to_string(kMaxImagePixels) + "像素）";
}

}  // namespace detail

namespace {

// An uncompressed 32-bit bitmap at the pixel limit, with room for headers and palette.
constexpr std::uintmax_t kMaxFileBytes = static_cast<std::uintmax_t>(kMaxImagePixels) * 4 + (16u << 20);

DecodedImage Failure(const std::string& name, const std::string& problem) {
    DecodedImage result;
    result.error = "无法读取图像文件“" + name + "”：" + problem + "。";
    return result;
}

bool LooksLikeJpeg(std::string_view b) {
    return b.size() >= 3 && b[0] == '\xFF' && b[1] == '\xD8' && b[2] == '\xFF';
}

bool LooksLikeBmp(std::string_view b) { return b.size() >= 2 && b[0] == 'B' && b[1] == 'M'; }

}  // namespace

DecodedImage DecodeImageBytes(std::string_view bytes, const std::string& fileNameForMessages) {
    try {
        detail::RawDecode raw;
        if (LooksLikeJpeg(bytes)) {
            raw = detail::DecodeJpeg(bytes);
        } else if (LooksLikeBmp(bytes)) {
            raw = detail::DecodeBmp(bytes);
        } else {
            raw.problem = detail::kCorruptImage;
        }
        if (!raw.problem.empty()) return Failure(fileNameForMessages, raw.problem);
        DecodedImage result;
        result.pixels = std::move(raw.pixels);
        return result;
    } catch (const std::bad_alloc&) {
        return Failure(fileNameForMessages, "内存不足");
    }
}

DecodedImage DecodeImageFile(const std::filesystem::path& path) {
    const std::string name = DisplayPath(path);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return Failure(name, "文件不存在");
    if (status.type() == std::filesystem::file_type::directory) return Failure(name, "这是一个文件夹");
    if (ec || status.type() != std::filesystem::file_type::regular) return Failure(name, "文件无法打开");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxFileBytes) return Failure(name, "文件太大");

    try {
        std::optional<std::string> bytes = ReadFileBytes(path);
        if (!bytes) return Failure(name, "文件无法打开");
        return DecodeImageBytes(*bytes, name);
    } catch (const std::bad_alloc&) {
        return Failure(name, "内存不足");
    }
}

}  // namespace quillmark

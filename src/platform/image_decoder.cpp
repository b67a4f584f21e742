#include "platform/image_decoder.h"

#include <cmath>
#include <fstream>
#include <new>
#include <optional>
#include <system_error>

#include "data/file_io.h"
#include "data/ui_text.h"
#include "platform/raw_decode.h"

namespace quillmark {

namespace detail {

Status TooLargeProblem(long long width, long long height, long long limit) {
    return Status::Error(FillForm(UiText("ImageFiles", "图像太大（%1×%2像素，最多%3像素）"),
                                  {std::to_string(width), std::to_string(height), std::to_string(limit)}));
}

Status TooManyPagesProblem() {
    return Status::Error(FillForm(UiText("ImageFiles", "文件超过%1页，其后的页未读取"), {std::to_string(kMaxPages)}));
}

Status NoPageProblem(int page) { return Status::Error(FillForm(UiText("ImageFiles", "没有第%1页"), {std::to_string(page)})); }

Status TimeoutProblem(const PageLimits& limits) {
    return Status::Error(FillForm(UiText("ImageFiles", "处理超时（超过%1秒），已放弃此页"),
                                  {std::to_string(static_cast<long long>(std::ceil(limits.seconds)))}));
}

}  // namespace detail

namespace {

// An uncompressed 32-bit bitmap at the pixel limit, with room for headers and palette.
// Files of several pages are not read whole and have no such limit.
constexpr std::uintmax_t kMaxFileBytes = static_cast<std::uintmax_t>(kMaxImagePixels) * 4 + (16u << 20);

constexpr char kCannotOpen[] = UI_TEXT_NOOP("ImageFiles", "文件无法打开");

// A PDF file may start with up to this many bytes of something else before "%PDF-".
constexpr std::size_t kSniffBytes = 1024;

// The decoders' fixed problems are marked UI_TEXT_NOOP("ImageFiles", ...) and translated here;
// those with numbers in them are translated where they are made.
std::string Message(const std::string& name, int page, int pageCount, const std::string& problem) {
    const std::string shown = UiText("ImageFiles", problem);
    if (pageCount > 1) return FillForm(UiText("ImageFiles", "无法读取图像文件“%1”第%2页：%3。"), {name, std::to_string(page), shown});
    return FillForm(UiText("ImageFiles", "无法读取图像文件“%1”：%2。"), {name, shown});
}

DecodedImage Failure(const std::string& name, const std::string& problem, int page = 1, int pageCount = 1) {
    DecodedImage result;
    result.status = Status::Error(Message(name, page, pageCount, problem));
    return result;
}

enum class Format { Unknown, Jpeg, Bmp, Png, Tiff, Pdf };

Format FormatOf(std::string_view b) {
    if (b.size() >= 3 && b[0] == '\xFF' && b[1] == '\xD8' && b[2] == '\xFF') return Format::Jpeg;
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return Format::Bmp;
    if (b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return Format::Png;
    // Classic and big TIFF, in either byte order.
    for (std::string_view sign : {std::string_view("II*\0", 4), std::string_view("MM\0*", 4),
                                  std::string_view("II+\0", 4), std::string_view("MM\0+", 4)}) {
        if (b.substr(0, 4) == sign) return Format::Tiff;
    }
    if (b.substr(0, kSniffBytes).find("%PDF-") != std::string_view::npos) return Format::Pdf;
    return Format::Unknown;
}

bool Paged(Format format) { return format == Format::Tiff || format == Format::Pdf; }

detail::RawPageCount CountPaged(Format format, const detail::PagedInput& input) {
    return format == Format::Tiff ? detail::CountTiffPages(input) : detail::CountPdfPages(input);
}

DecodedImage DecodePaged(Format format, const detail::PagedInput& input, const std::string& name, int page) {
    detail::RawDecode raw = format == Format::Tiff ? detail::DecodeTiffPage(input, page) : detail::DecodePdfPage(input, page);
    if (!raw.status.ok()) return Failure(name, raw.status.message(), page, raw.severalPages ? 2 : 1);
    const int factor = ReductionFactor(raw.pixels.width, raw.pixels.height);
    DecodedImage result;
    result.pixels = detail::Reduce(std::move(raw.pixels), factor);
    return result;
}

// What is wrong with the path before its content is looked at.
std::optional<std::string> PathProblem(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return UI_TEXT_NOOP("ImageFiles", "文件不存在");
    if (status.type() == std::filesystem::file_type::directory) return UI_TEXT_NOOP("ImageFiles", "这是一个文件夹");
    if (ec || status.type() != std::filesystem::file_type::regular) return kCannotOpen;
    return std::nullopt;
}

std::optional<std::string> ReadStart(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string start(kSniffBytes, '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    if (in.bad()) return std::nullopt;
    start.resize(static_cast<std::size_t>(in.gcount()));
    return start;
}

}  // namespace

DecodedImage DecodeImageBytes(std::string_view bytes, const std::string& fileNameForMessages, int page) {
    try {
        const Format format = FormatOf(bytes);
        if (Paged(format)) {
            detail::PagedInput input;
            input.bytes = bytes;
            return DecodePaged(format, input, fileNameForMessages, page);
        }
        if (page != 1) return Failure(fileNameForMessages, detail::NoPageProblem(page).message());
        detail::RawDecode raw;
        switch (format) {
            case Format::Jpeg: raw = detail::DecodeJpeg(bytes); break;
            case Format::Bmp: raw = detail::DecodeBmp(bytes); break;
            case Format::Png: raw = detail::DecodePng(bytes); break;
            default: raw.status = Status::Error(detail::kCorruptImage); break;
        }
        if (!raw.status.ok()) return Failure(fileNameForMessages, raw.status.message());
        const int factor = ReductionFactor(raw.pixels.width, raw.pixels.height);
        DecodedImage result;
        result.pixels = detail::Reduce(std::move(raw.pixels), factor);
        return result;
    } catch (const std::bad_alloc&) {
        return Failure(fileNameForMessages, detail::kOutOfMemory);
    }
}

DecodedImage DecodeImageFile(const std::filesystem::path& path, int page) {
    const std::string name = DisplayPath(path);
    if (std::optional<std::string> problem = PathProblem(path)) return Failure(name, *problem);
    try {
        std::optional<std::string> start = ReadStart(path);
        if (!start) return Failure(name, kCannotOpen);
        const Format format = FormatOf(*start);
        if (Paged(format)) {
            detail::PagedInput input;
            input.path = &path;
            return DecodePaged(format, input, name, page);
        }
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (!ec && size > kMaxFileBytes) return Failure(name, UI_TEXT_NOOP("ImageFiles", "文件太大"));
        std::optional<std::string> bytes = ReadFileBytes(path);
        if (!bytes) return Failure(name, kCannotOpen);
        return DecodeImageBytes(*bytes, name, page);
    } catch (const std::bad_alloc&) {
        return Failure(name, detail::kOutOfMemory);
    }
}

PageCount CountImagePages(const std::filesystem::path& path) {
    PageCount result;
    const std::string name = DisplayPath(path);
    if (std::optional<std::string> problem = PathProblem(path)) {
        result.status = Status::Error(Message(name, 1, 1, *problem));
        return result;
    }
    try {
        std::optional<std::string> start = ReadStart(path);
        if (!start) {
            result.status = Status::Error(Message(name, 1, 1, kCannotOpen));
            return result;
        }
        const Format format = FormatOf(*start);
        if (!Paged(format)) {
            result.pages = 1;
            return result;
        }
        detail::PagedInput input;
        input.path = &path;
        const detail::RawPageCount count = CountPaged(format, input);
        if (!count.status.ok()) result.status = Status::Error(Message(name, 1, 1, count.status.message()));
        else result.pages = count.pages;
    } catch (const std::bad_alloc&) {
        result.status = Status::Error(Message(name, 1, 1, detail::kOutOfMemory));
    }
    return result;
}

}  // namespace quillmark

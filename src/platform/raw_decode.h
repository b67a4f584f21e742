#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/status.h"
#include "data/ui_text.h"
#include "engine/sheet_image.h"

namespace quillmark::detail {

// What one format's decoder hands back: pixels, or a failed status whose message is the
// reason they could not be had, worded to follow "无法读取图像文件“name”：".
struct RawDecode {
    PixelBuffer pixels;
    Status status;
    bool severalPages = false;  // the file has more pages than this one: messages name the page
};

// The decoders' fixed problems are marked UI_TEXT_NOOP("ImageFiles", ...): the message that names
// the file translates them. Those with numbers in them are translated where they are made.
inline constexpr const char* kCorruptImage = UI_TEXT_NOOP("ImageFiles", "文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像");
inline constexpr const char* kOutOfMemory = UI_TEXT_NOOP("ImageFiles", "内存不足");

Status TooLargeProblem(long long width, long long height, long long limit = kMaxImagePixels);

// The engine's luminance of a colour (see Luminance), in integers: halves to even.
inline std::uint8_t GreyOf(unsigned r, unsigned g, unsigned b) {
    const unsigned sum = 9798 * r + 19235 * g + 3735 * b;
    unsigned quotient = sum >> 15;
    const unsigned remainder = sum & 32767;
    if (remainder > 16384 || (remainder == 16384 && (quotient & 1))) ++quotient;
    return static_cast<std::uint8_t>(quotient);
}

// What one page of a TIFF or PDF file may cost before it is refused. Tests lower them.
struct PageLimits {
    double seconds = 20;
    // Memory a PDF page's drawing may take besides its own pixels.
    std::size_t drawingBytes = std::size_t{256} << 20;
    // Content streams (the page's, its forms', patterns' and glyphs'), decoded.
    std::size_t contentBytes = std::size_t{16} << 20;
};

// A file of more pages than this is read up to it; the next page reports the rest.
inline constexpr int kMaxPages = 100'000;

Status TooManyPagesProblem();
// "没有第N页", in the window's language.
Status NoPageProblem(int page);
Status TimeoutProblem(const PageLimits& limits);

class Deadline {
public:
    explicit Deadline(double seconds)
        : end_(std::chrono::steady_clock::now() +
               std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds))) {}
    bool Passed() const { return std::chrono::steady_clock::now() > end_; }

private:
    std::chrono::steady_clock::time_point end_;
};

// Pixels of the given size, in the calling thread's spare bytes when it has some.
PixelBuffer PixelsFor(int width, int height, PixelFormat format);

// Averages square blocks of `factor` by `factor` pixels (fewer at the right and bottom
// edges) of an image fed to it row by row, top to bottom, in any pixel format.
class RowReducer {
public:
    RowReducer(int width, int height, PixelFormat format, int factor);
    void Add(const std::uint8_t* row);  // `width` pixels of the next row
    PixelBuffer Take() { return std::move(out_); }

private:
    void Flush(int rows);

    int width_, height_, channels_, factor_;
    int rowsIn_ = 0;
    int outRow_ = 0;
    std::vector<std::uint32_t> sums_;
    PixelBuffer out_;
};

// The image reduced by an integer factor (itself for a factor of 1).
PixelBuffer Reduce(PixelBuffer source, int factor);

// Where the grey rows of an image go, top to bottom: into the image, or through a reducer
// when it is a fine scan, so that only the reduced image is ever held.
class GreyRows {
public:
    GreyRows(int width, int height);
    std::uint8_t* Row(int y);  // `width` bytes to fill with row y
    void Done();               // row y is filled
    PixelBuffer Take();

private:
    std::optional<RowReducer> reducer_;
    std::vector<std::uint8_t> line_;
    PixelBuffer image_;
};

RawDecode DecodeJpeg(std::string_view bytes);
RawDecode DecodeBmp(std::string_view bytes);
RawDecode DecodePng(std::string_view bytes);

// A file of several pages, read where it lies (a page at a time, never the whole file into
// memory) or from bytes already in memory.
struct PagedInput {
    const std::filesystem::path* path = nullptr;  // read from this file when set
    std::string_view bytes;                      // otherwise from these
};

struct RawPageCount {
    int pages = 0;
    Status status;  // worded as RawDecode's
};

// A page that cannot be reached (a broken link of a TIFF file's page chain) is counted, so
// that decoding it reports it.
RawPageCount CountTiffPages(const PagedInput& input);
RawDecode DecodeTiffPage(const PagedInput& input, int page, const PageLimits& limits = {});  // page from 1

RawPageCount CountPdfPages(const PagedInput& input);
RawDecode DecodePdfPage(const PagedInput& input, int page, const PageLimits& limits = {});

}  // namespace quillmark::detail

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/sheet_image.h"

namespace quillmark::detail {

// What one format's decoder hands back: pixels, or the reason they could not be had,
// worded to follow "无法读取图像文件“name”：".
struct RawDecode {
    PixelBuffer pixels;
    std::string problem;
    bool severalPages = false;  // the file has more pages than this one: messages name the page
};

inline constexpr const char* kCorruptImage = "文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像";
inline constexpr const char* kOutOfMemory = "内存不足";

std::string TooLargeProblem(long long width, long long height, long long limit = kMaxImagePixels);

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
    std::string problem;
};

RawPageCount CountTiffPages(const PagedInput& input);
RawDecode DecodeTiffPage(const PagedInput& input, int page);  // page from 1

RawPageCount CountPdfPages(const PagedInput& input);
RawDecode DecodePdfPage(const PagedInput& input, int page);

}  // namespace quillmark::detail

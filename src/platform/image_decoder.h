#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sheet_image.h"

namespace quillmark {

// The engine reads lines of up to about 19 pixels (an A4 sheet's outer line at 400 dpi). An
// image whose longer side exceeds this is reduced while or right after it is decoded, by
// the smallest power of two that brings the longer side within it: 600 and 1200 dpi sheets
// are read at 300, 1000 dpi at 250.
inline constexpr int kMaxLongerSide = 4700;

// 1 when the image is read as it is, else the factor it is reduced by.
int ReductionFactor(long long width, long long height);

// Larger images (and larger rendered PDF pages) are refused instead of exhausting memory:
// the limit is on the pixels held at once. JPEG files and grey or bilevel TIFF strips are
// reduced while they are decoded, so they may hold up to kMaxStoredPixels (A3 at 1200 dpi);
// other images are decoded whole before they are reduced.
inline constexpr long long kMaxImagePixels = 100'000'000;
inline constexpr long long kMaxStoredPixels = 4 * kMaxImagePixels;

// Bytes a decoder on this thread fills instead of allocating fresh memory (which the
// system hands out zeroed, a page at a time): a batch gives each worker the pixels of a
// sheet that has been marked. Decoding takes them, leaving this empty.
inline std::vector<std::uint8_t>& SparePixelBytes() {
    thread_local std::vector<std::uint8_t> spare;
    return spare;
}

struct DecodedImage {
    PixelBuffer pixels;
    std::string error;  // empty on success; otherwise a message that names the file (and the page)
    bool ok() const { return error.empty(); }
};

// One sheet of an image file: a page of a TIFF or PDF file, or a file's only image.
struct SheetSource {
    std::filesystem::path file;
    int page = 1;       // from 1
    int pageCount = 1;  // pages of the file
    std::string error;  // why the file's pages could not be counted; such a sheet is not decoded

    // The path, followed by "#N" for a page of a file of several pages.
    std::string Name() const { return pageCount > 1 ? file.string() + "#" + std::to_string(page) : file.string(); }
};

struct PageCount {
    int pages = 0;
    std::string error;  // empty on success; otherwise a message that names the file
    bool ok() const { return error.empty(); }
};

// Pages of a sheet image file, counted without decoding one: those of a TIFF or PDF file,
// one for any other file (decoding tells whether it is an image).
PageCount CountImagePages(const std::filesystem::path& path);

// Decodes a JPEG, BMP, PNG, TIFF or PDF sheet image (recognised by its content, not its
// extension); `page` (from 1) chooses the page of a TIFF or PDF file. A file of several
// pages is read where it lies, one page at a time.
DecodedImage DecodeImageFile(const std::filesystem::path& path, int page = 1);
DecodedImage DecodeImageBytes(std::string_view bytes, const std::string& fileNameForMessages, int page = 1);

}  // namespace quillmark

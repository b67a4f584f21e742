#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/sheet_image.h"

namespace quillmark {

// Larger images (and larger rendered PDF pages) are refused instead of exhausting memory.
inline constexpr long long kMaxImagePixels = 100'000'000;

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

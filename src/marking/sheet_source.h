#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/status.h"
#include "engine/sheet_image.h"

namespace quillmark {

// One sheet of an image file: a page of a TIFF or PDF file, or a file's only image.
struct SheetSource {
    std::filesystem::path file;
    int page = 1;       // from 1
    int pageCount = 1;  // pages of the file
    Status problem;     // why the file's pages could not be counted; such a sheet is not decoded

    // The path, followed by "#N" for a page of a file of several pages.
    std::string Name() const { return pageCount > 1 ? file.string() + "#" + std::to_string(page) : file.string(); }
};

// A decoded sheet, or why it could not be decoded (a message that names the file and page).
struct DecodedImage {
    PixelBuffer pixels;
    Status status;
    bool ok() const { return status.ok(); }
};

// Pages of an image file, or why they could not be counted (a message that names the file).
struct PageCount {
    int pages = 0;
    Status status;
    bool ok() const { return status.ok(); }
};

// Decodes one sheet (a page) of an image file: the platform's decoder in the program, a
// fake in tests.
using ImageLoader = std::function<DecodedImage(const SheetSource&)>;

// Counts the pages of an image file without decoding them; without a counter every file
// is one sheet.
using PageCounter = std::function<PageCount(const std::filesystem::path&)>;

// Bytes a decoder on this thread fills instead of allocating fresh memory (which the
// system hands out zeroed, a page at a time): a batch gives each worker the pixels of a
// sheet that has been marked. Decoding takes them, leaving this empty.
inline std::vector<std::uint8_t>& SparePixelBytes() {
    thread_local std::vector<std::uint8_t> spare;
    return spare;
}

}  // namespace quillmark

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sheet_image.h"
#include "marking/sheet_source.h"

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

// Pages of a sheet image file, counted without decoding one: those of a TIFF or PDF file,
// one for any other file (decoding tells whether it is an image).
PageCount CountImagePages(const std::filesystem::path& path);

// Decodes a JPEG, BMP, PNG, TIFF or PDF sheet image (recognised by its content, not its
// extension); `page` (from 1) chooses the page of a TIFF or PDF file. A file of several
// pages is read where it lies, one page at a time.
DecodedImage DecodeImageFile(const std::filesystem::path& path, int page = 1);
DecodedImage DecodeImageBytes(std::string_view bytes, const std::string& fileNameForMessages, int page = 1);

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/sheet_image.h"

namespace quillmark {

// Larger images are refused instead of exhausting memory.
inline constexpr long long kMaxImagePixels = 100'000'000;

struct DecodedImage {
    PixelBuffer pixels;
    std::string error;  // empty on success; otherwise a message that names the file
    bool ok() const { return error.empty(); }
};

// Decodes a JPEG or BMP sheet image (recognised by its content, not its extension).
DecodedImage DecodeImageFile(const std::filesystem::path& path);
DecodedImage DecodeImageBytes(std::string_view bytes, const std::string& fileNameForMessages);

}  // namespace quillmark

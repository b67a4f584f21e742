#pragma once

#include <cstdint>
#include <string_view>

namespace quillmark {

// What an upload holds, told from its first bytes: only JPEG and PNG photos are taken.
struct PhotoKind {
    enum Format { None, Jpeg, Png };
    Format format = None;
    std::uint32_t width = 0;   // from the header; 0 when the header does not say
    std::uint32_t height = 0;
    const char* extension() const { return format == Png ? ".png" : ".jpg"; }
};

// Reads the signature and the frame header only; never decodes.
PhotoKind SniffPhoto(std::string_view bytes);

}  // namespace quillmark

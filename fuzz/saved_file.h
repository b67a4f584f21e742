#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/text_codec.h"

// The bytes a save writes for text (code page 936), when it can be saved and reads back as
// code page 936: bytes that also make UTF-8 text with a three-byte character, or that start
// with a byte-order mark, are read as UTF-8.
inline std::optional<std::string> SavedGbkFile(std::string_view utf8Text) {
    quillmark::GbkEncoding encoded = quillmark::EncodeGbk(utf8Text);
    if (!encoded.ok() || quillmark::IsUtf8FileText(encoded.bytes) || encoded.bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        return std::nullopt;
    }
    return encoded.bytes;
}

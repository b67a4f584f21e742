#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

// Text in memory is UTF-8. Files are code page 936 (GBK), as Windows with a Chinese locale writes them;
// files that Linux tools wrote in UTF-8 are recognised and read as such.

// Decodes code page 936 bytes; a byte sequence the code page lacks becomes U+FFFD.
std::string DecodeGbk(std::string_view bytes);

// Decodes a file's bytes: UTF-8 with a byte-order mark, or valid UTF-8 holding Chinese (or
// other characters of three bytes and more) or that is no valid code page 936; code page 936
// otherwise.
std::string DecodeFileText(std::string_view bytes);

// The rule DecodeFileText uses for bytes without a byte-order mark.
bool IsUtf8FileText(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// True when the bytes are valid UTF-8 that holds at least one non-ASCII character.
bool LooksLikeUtf8Text(std::string_view bytes);

struct GbkEncoding {
    std::string bytes;            // the encoded text when `unencodable` is empty
    std::string unencodable;      // the first character code page 936 lacks, as UTF-8
    bool ok() const { return unencodable.empty(); }
};

// Encodes UTF-8 text into code page 936.
GbkEncoding EncodeGbk(std::string_view utf8);

// Length of the text in code page 936 bytes; characters it lacks count as one byte ("?").
std::size_t GbkByteLength(std::string_view utf8);

// The longest prefix of the text whose code page 936 form has at most `maxBytes` bytes,
// never splitting a character.
std::string GbkPrefix(std::string_view utf8, std::size_t maxBytes);

// Splits UTF-8 text into its characters (code points as UTF-8 substrings); invalid bytes
// come out one at a time.
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);

}  // namespace quillmark

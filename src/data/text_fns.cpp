#include "text_fns.h"

#include "text_codec.h"

#include <algorithm>
#include <cstdint>

namespace quillmark {

std::string TrimSpaces(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

namespace {
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return true;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerChar(c);
    return out;
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(UpperChar(a[i]));
        unsigned char cb = static_cast<unsigned char>(UpperChar(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

namespace {
// Code point at pos (U+FFFD for an invalid byte) and its length.
char32_t DecodeAt(std::string_view s, std::size_t pos, std::size_t& length) {
    length = Utf8CharLength(s, pos);
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
    if (length == 1) return byte(0) < 0x80 ? byte(0) : 0xFFFD;
    char32_t cp = byte(0) & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (byte(i) & 0x3F);
    return cp;
}

// Rank in UTF-16 code-unit order: supplementary characters (surrogate pairs) sort after
// U+D7FF and before U+E000.
std::uint32_t Utf16Rank(char32_t cp) {
    if (cp >= 0x10000) return 0xD800 + (cp - 0x10000);
    if (cp >= 0xE000) return cp + 0x100000;
    return cp;
}
}  // namespace

int CompareUtf16Order(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t la = 0, lb = 0;
        char32_t ca = DecodeAt(a, i, la);
        char32_t cb = DecodeAt(b, j, lb);
        if (ca != cb) return Utf16Rank(ca) < Utf16Rank(cb) ? -1 : 1;
        i += la;
        j += lb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::string PadToGbkWidth(std::string_view text, std::size_t width) {
    std::string out = GbkPrefix(text, width);
    std::size_t used = GbkByteLength(out);
    out.append(width - used, ' ');
    return out;
}

}  // namespace quillmark

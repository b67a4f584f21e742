#include "text_codec.h"

#include <cerrno>
#include <iconv.h>

namespace quillmark {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// One conversion descriptor per thread and direction; iconv keeps state per descriptor.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns the number of input bytes consumed.
    std::size_t convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
        }
        return in.size() - inLeft;
    }

private:
    iconv_t cd_;
};

Converter& GbkDecoder() {
    thread_local Converter converter("UTF-8", "CP936");
    return converter;
}

Converter& GbkEncoder() {
    thread_local Converter converter("CP936", "UTF-8");
    return converter;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at pos, or 0 when the bytes there are not one.
std::size_t ValidSequenceLength(std::string_view s, std::size_t pos) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = at(pos);
    std::size_t left = s.size() - pos;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return left >= 2 && IsContinuation(at(pos + 1)) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3 || !IsContinuation(at(pos + 1)) || !IsContinuation(at(pos + 2))) return 0;
        if (c == 0xE0 && at(pos + 1) < 0xA0) return 0;   // overlong
        if (c == 0xED && at(pos + 1) >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4 || !IsContinuation(at(pos + 1)) || !IsContinuation(at(pos + 2)) ||
            !IsContinuation(at(pos + 3)))
            return 0;
        if (c == 0xF0 && at(pos + 1) < 0x90) return 0;   // overlong
        if (c == 0xF4 && at(pos + 1) >= 0x90) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

// The user-defined areas of Windows code page 936, which Windows maps row by row, trail byte
// by trail byte, onto the private-use area from U+E000; iconv's CP936 knows none of them.
struct UserArea {
    unsigned char firstLead, lastLead, firstTrail, lastTrail;
    char32_t first;
};
constexpr UserArea kUserAreas[] = {
    {0xAA, 0xAF, 0xA1, 0xFE, 0xE000},
    {0xF8, 0xFE, 0xA1, 0xFE, 0xE234},
    {0xA1, 0xA7, 0x40, 0xA0, 0xE4C6},  // trail byte 0x7F is no trail byte
};

int TrailsPerRow(const UserArea& area) {
    int trails = area.lastTrail - area.firstTrail + 1;
    return area.firstTrail <= 0x7F && 0x7F <= area.lastTrail ? trails - 1 : trails;
}

// The private-use character of the two bytes at the start, or 0 when they are none.
char32_t UserAreaCharacter(std::string_view bytes) {
    if (bytes.size() < 2) return 0;
    auto lead = static_cast<unsigned char>(bytes[0]);
    auto trail = static_cast<unsigned char>(bytes[1]);
    for (const UserArea& area : kUserAreas) {
        if (lead < area.firstLead || lead > area.lastLead || trail < area.firstTrail || trail > area.lastTrail ||
            trail == 0x7F)
            continue;
        int column = trail - area.firstTrail - (trail > 0x7F && area.firstTrail < 0x7F ? 1 : 0);
        return area.first + static_cast<char32_t>((lead - area.firstLead) * TrailsPerRow(area) + column);
    }
    return 0;
}

// The two bytes of a private-use character, or "" when it lies in no user-defined area.
std::string UserAreaBytes(char32_t c) {
    for (const UserArea& area : kUserAreas) {
        int rows = area.lastLead - area.firstLead + 1;
        if (c < area.first || c >= area.first + static_cast<char32_t>(rows * TrailsPerRow(area))) continue;
        int index = static_cast<int>(c - area.first);
        int trail = area.firstTrail + index % TrailsPerRow(area);
        if (area.firstTrail < 0x7F && trail >= 0x7F) ++trail;
        return {static_cast<char>(area.firstLead + index / TrailsPerRow(area)), static_cast<char>(trail)};
    }
    return {};
}

void AppendUtf8(std::string& out, char32_t c) {  // c is a BMP character here
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

char32_t ThreeByteCharacter(std::string_view utf8) {
    return (static_cast<char32_t>(utf8[0] & 0x0F) << 12) | (static_cast<char32_t>(utf8[1] & 0x3F) << 6) |
           static_cast<char32_t>(utf8[2] & 0x3F);
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t n = ValidSequenceLength(bytes, pos);
        if (n == 0) return false;
        pos += n;
    }
    return true;
}

std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
    std::size_t n = ValidSequenceLength(text, pos);
    return n == 0 ? 1 : n;
}

bool LooksLikeUtf8Text(std::string_view bytes) {
    bool nonAscii = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t n = ValidSequenceLength(bytes, pos);
        if (n == 0) return false;
        if (n > 1) nonAscii = true;
        pos += n;
    }
    return nonAscii;
}

std::string DecodeGbk(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    Converter& decoder = GbkDecoder();
    while (!bytes.empty()) {
        std::size_t used = decoder.valid() ? decoder.convert(bytes, out) : 0;
        bytes.remove_prefix(used);
        if (bytes.empty()) break;
        if (char32_t c = UserAreaCharacter(bytes)) {
            AppendUtf8(out, c);
            bytes.remove_prefix(2);
        } else {
            out += kReplacement;
            bytes.remove_prefix(1);
        }
    }
    return out;
}

namespace {

// Whether valid UTF-8 holds a character of three or more bytes (U+0800 and up: Chinese,
// Japanese, Korean, symbols). Text of two-byte characters only is also valid GBK far too
// often (谢 is D0 BB, 叶 is D2 B6), so it alone does not tell UTF-8.
bool HasWideCharacter(std::string_view utf8) {
    for (unsigned char c : utf8) {
        if (c >= 0xE0) return true;
    }
    return false;
}

bool IsCleanGbk(std::string_view bytes) {
    return DecodeGbk(bytes).find("\xEF\xBF\xBD") == std::string::npos;
}

}  // namespace

bool IsUtf8FileText(std::string_view bytes) {
    return LooksLikeUtf8Text(bytes) && (HasWideCharacter(bytes) || !IsCleanGbk(bytes));
}

std::string DecodeFileText(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, 3) == kBom && IsValidUtf8(bytes.substr(3))) {
        return std::string(bytes.substr(3));
    }
    if (IsUtf8FileText(bytes)) return std::string(bytes);
    return DecodeGbk(bytes);
}

GbkEncoding EncodeGbk(std::string_view utf8) {
    GbkEncoding result;
    result.bytes.reserve(utf8.size());
    // The converter drops the tag characters U+E0000..U+E007F without a word; stop before
    // the first of them so it counts as unencodable.
    std::size_t end = utf8.size();
    for (std::size_t pos = 0; pos + 3 < utf8.size(); ++pos) {
        if (utf8.compare(pos, 3, "\xF3\xA0\x80") == 0 || utf8.compare(pos, 3, "\xF3\xA0\x81") == 0) {
            end = pos;
            break;
        }
    }
    Converter& encoder = GbkEncoder();
    // Private-use characters of the user-defined areas are encoded here, the runs between
    // them by the converter.
    std::size_t run = 0;
    std::size_t pos = 0;
    while (true) {
        std::size_t n = pos < end ? Utf8CharLength(utf8, pos) : 0;
        std::string userBytes = n == 3 ? UserAreaBytes(ThreeByteCharacter(utf8.substr(pos, 3))) : "";
        if (pos < end && userBytes.empty()) {
            pos += n;
            continue;
        }
        std::size_t used = encoder.valid() ? encoder.convert(utf8.substr(run, pos - run), result.bytes) : 0;
        if (run + used < pos || pos >= end) {
            if (run + used < utf8.size()) {
                result.unencodable = std::string(utf8.substr(run + used, Utf8CharLength(utf8, run + used)));
            }
            break;
        }
        result.bytes += userBytes;
        pos += n;
        run = pos;
    }
    return result;
}

namespace {
std::size_t GbkCharBytes(std::string_view ch) {
    if (ch.size() == 1) return 1;
    if (ch == "\xE2\x82\xAC") return 1;  // the euro sign is the single byte 0x80
    return 2;
}
}  // namespace

std::size_t GbkByteLength(std::string_view utf8) {
    std::size_t total = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t n = Utf8CharLength(utf8, pos);
        total += GbkCharBytes(utf8.substr(pos, n));
        pos += n;
    }
    return total;
}

std::string GbkPrefix(std::string_view utf8, std::size_t maxBytes) {
    std::size_t total = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t n = Utf8CharLength(utf8, pos);
        std::size_t width = GbkCharBytes(utf8.substr(pos, n));
        if (total + width > maxBytes) break;
        total += width;
        pos += n;
    }
    return std::string(utf8.substr(0, pos));
}

}  // namespace quillmark

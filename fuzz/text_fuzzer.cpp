// Text decoding, code page 936 round trips, and the number text forms.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "data/number_text.h"
#include "data/text_codec.h"
#include "fuzz_check.h"

namespace qm = quillmark;

namespace {

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

void CheckDecoding(std::string_view bytes) {
    std::string gbk = qm::DecodeGbk(bytes);
    FUZZ_CHECK(qm::IsValidUtf8(gbk));
    std::string text = qm::DecodeFileText(bytes);
    FUZZ_CHECK(qm::IsValidUtf8(text));
    // UTF-8 with a byte-order mark; without one, valid UTF-8 that holds a character of three
    // bytes or more (lead byte 0xE0 and up) or that code page 936 cannot read whole; code
    // page 936 otherwise.
    const bool valid = qm::IsValidUtf8(bytes);
    const bool wide = std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
    const bool cleanGbk = gbk.find("\xEF\xBF\xBD") == std::string::npos;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF" && valid) {
        FUZZ_CHECK(text == bytes.substr(3));
    } else {
        const bool utf8 = valid && (wide || !cleanGbk);
        FUZZ_CHECK(qm::IsUtf8FileText(bytes) == utf8);
        FUZZ_CHECK(text == (utf8 ? std::string(bytes) : gbk));
    }
    // ASCII is the same in both encodings.
    if (std::all_of(bytes.begin(), bytes.end(), IsAscii)) FUZZ_CHECK(text == bytes);

    // Text that code page 936 can hold decodes back to itself.
    qm::GbkEncoding encoded = qm::EncodeGbk(text);
    if (encoded.ok()) {
        FUZZ_CHECK(qm::DecodeGbk(encoded.bytes) == text);
        FUZZ_CHECK(qm::GbkByteLength(text) == encoded.bytes.size());
    } else {
        FUZZ_CHECK(!encoded.unencodable.empty());
        FUZZ_CHECK(text.find(encoded.unencodable) != std::string::npos);
    }

    for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{255}}) {
        std::string prefix = qm::GbkPrefix(text, limit);
        FUZZ_CHECK(text.compare(0, prefix.size(), prefix) == 0);
        FUZZ_CHECK(qm::GbkByteLength(prefix) <= limit);
        FUZZ_CHECK(qm::IsValidUtf8(prefix));
        if (prefix.size() < text.size()) {
            std::size_t next = qm::Utf8CharLength(text, prefix.size());
            FUZZ_CHECK(qm::GbkByteLength(text.substr(0, prefix.size() + next)) > limit);
        }
    }
}

void CheckNumbers(std::string_view bytes) {
    double value = qm::NumericValue(bytes);
    FUZZ_CHECK(std::isfinite(value));
    FUZZ_CHECK(qm::NumericValue(" \t" + std::string(bytes)) == value);
    std::int16_t whole = qm::ToInt16(value);
    if (value > -32768 && value < 32767) FUZZ_CHECK(std::fabs(whole - value) <= 0.5);
    if (value >= 32767) FUZZ_CHECK(whole == 32767);
    if (value <= -32768) FUZZ_CHECK(whole == -32768);

    if (bytes.size() < sizeof(double)) return;
    double x;
    std::memcpy(&x, bytes.data(), sizeof x);
    std::string form = qm::NumberForm(x);
    FUZZ_CHECK(form.size() >= 2 && (form[0] == ' ' || form[0] == '-'));
    // The written form is stable: reading it and writing again gives the same text.
    FUZZ_CHECK(qm::NumberForm(qm::NumericValue(form)) == form);
    if (!std::isfinite(x)) return;

    // A value of at most 15 significant digits reads back exactly.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", x);
    double shortValue = std::strtod(buffer, nullptr);
    if (!std::isfinite(shortValue)) return;
    FUZZ_CHECK(qm::NumericValue(qm::NumberForm(shortValue)) == shortValue);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckDecoding(bytes);
    CheckNumbers(bytes);
    return 0;
}

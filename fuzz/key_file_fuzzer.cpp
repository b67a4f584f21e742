// Key file parsing: reads, writes and serialization on arbitrary bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "data/key_file.h"
#include "data/text_codec.h"
#include "data/text_fns.h"
#include "fuzz_check.h"

using quillmark::KeyFile;

namespace {

// The same test KeyFile::Parse makes to choose between UTF-8 and code page 936.
bool ReadAsUtf8(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF" && quillmark::IsValidUtf8(bytes.substr(3))) return true;
    return quillmark::LooksLikeUtf8Text(bytes);
}

void CheckValue(const std::string& value) {
    FUZZ_CHECK(quillmark::GbkByteLength(value) <= KeyFile::kMaxValueBytes);
    FUZZ_CHECK(value.empty() || value[0] != ' ');
    FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    KeyFile file = KeyFile::Parse(bytes);

    for (std::string_view section : {"MAIN", "main", "考题内容", "", "x"}) {
        for (std::string_view key : {"总题数", "分值", "1DA", "200E", "a", ""}) {
            std::string value = file.Read(section, key, "\x01");
            if (value != "\x01") CheckValue(value);
        }
    }
    // No line holds a line break, so no key can have one in its name.
    FUZZ_CHECK(file.Read("MAIN", "a\nb", "default") == "default");
    FUZZ_CHECK(file.Read("a\nb", "x", "default") == "default");

    // A file read as code page 936 keeps every line's bytes when nothing was written.
    if (!ReadAsUtf8(bytes)) {
        std::string expected;
        for (std::string_view line : quillmark::SplitLines(bytes)) {
            expected += line;
            expected += "\r\n";
        }
        std::string serialized;
        FUZZ_CHECK(file.Serialize(serialized).ok());
        FUZZ_CHECK(serialized == expected);
    }

    // What is written reads back, in memory and through the serialized bytes.
    file.Write("MAIN", "fzKey", "value-1");
    file.Write("考题内容", "1DA", "AB");
    file.Write("Fuzz Added", "k", "v");
    FUZZ_CHECK(file.Read("main", "FZKEY", "") == "value-1");
    FUZZ_CHECK(file.Read("考题内容", "1da", "") == "AB");
    FUZZ_CHECK(file.Read("fuzz added", "K", "") == "v");

    std::string serialized;
    if (file.Serialize(serialized).ok()) {
        KeyFile reread = KeyFile::Parse(serialized);
        FUZZ_CHECK(reread.Read("MAIN", "fzKey", "") == "value-1");
        FUZZ_CHECK(reread.Read("考题内容", "1DA", "") == "AB");
        FUZZ_CHECK(reread.Read("Fuzz Added", "k", "") == "v");
    }
    return 0;
}

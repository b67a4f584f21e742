// Roster parsing (number and name, and all six columns of a result roster) and writing.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/roster.h"
#include "data/text_codec.h"
#include "data/text_fns.h"
#include "fuzz_check.h"
#include "saved_file.h"

using quillmark::Examinee;
using quillmark::Roster;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string text = quillmark::DecodeFileText(bytes);
    int lines = static_cast<int>(quillmark::SplitLines(text).size());
    int expectedRows = std::min(lines, Roster::kMaxRows);

    Roster names = quillmark::ParseRoster(bytes);
    FUZZ_CHECK(names.RowCount() == expectedRows);
    for (int i = 1; i <= names.RowCount(); ++i) {
        const Examinee& row = names.Row(i);
        FUZZ_CHECK(row[Examinee::考号].find(',') == std::string::npos);
        FUZZ_CHECK(row[Examinee::姓名].find(',') == std::string::npos);
        FUZZ_CHECK(row[Examinee::姓名].find_first_of("\r\n") == std::string::npos);
        for (int k = Examinee::Score; k < static_cast<int>(row.columns.size()); ++k) {
            FUZZ_CHECK(row[k].empty());
        }
    }

    Roster results = quillmark::ParseResultRoster(bytes);
    FUZZ_CHECK(results.RowCount() == expectedRows);
    for (int i = 1; i <= results.RowCount(); ++i) {
        const Examinee& row = results.Row(i);
        FUZZ_CHECK(row[0].empty() && row[7].empty());
        for (int k = Examinee::考号; k <= Examinee::Spare; ++k) {
            FUZZ_CHECK(quillmark::IsValidUtf8(row[k]));
            FUZZ_CHECK(row[k].find_first_of(",\r\n") == std::string::npos);
        }
        // Both readers take the number from before the first comma.
        if (!row[Examinee::考号].empty()) FUZZ_CHECK(names.Row(i)[Examinee::考号] == row[Examinee::考号]);
    }

    // Fields read from a file hold no comma or line break, so only text code page 936 lacks
    // can stop the save; what is saved reads back with every field trimmed of spaces.
    bool encodable = true;
    for (int i = 1; i <= results.RowCount(); ++i) {
        for (int k = Examinee::考号; k <= Examinee::Spare; ++k) {
            encodable = encodable && quillmark::EncodeGbk(results.Row(i)[k]).ok();
        }
    }
    std::string serialized;
    const bool saved = quillmark::SerializeRoster(results, serialized).ok();
    FUZZ_CHECK(saved || !encodable);
    if (!saved) return 0;
    std::optional<std::string> file = SavedGbkFile(serialized);
    if (!file) return 0;
    Roster reread = quillmark::ParseResultRoster(*file);
    FUZZ_CHECK(reread.RowCount() == results.RowCount());
    for (int i = 1; i <= results.RowCount(); ++i) {
        for (int k = Examinee::考号; k <= Examinee::Spare; ++k) {
            FUZZ_CHECK(reread.Row(i)[k] == quillmark::TrimSpaces(results.Row(i)[k]));
        }
    }
    return 0;
}

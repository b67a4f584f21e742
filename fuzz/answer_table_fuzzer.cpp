// Answer table (".DAN") parsing for a few row counts, and writing the table back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/answer_table.h"
#include "data/text_codec.h"
#include "fuzz_check.h"
#include "saved_file.h"

using quillmark::AnswerTable;

namespace {

// No field read from a file can hold a comma.
constexpr char kUntouched[] = "\x01,untouched";

void CheckParsed(std::string_view bytes, int rowCount) {
    const int rows = rowCount + 2;
    AnswerTable table;
    table.Reset(rows);
    for (int row = 0; row <= rows; ++row) {
        for (int q = 0; q < AnswerTable::kQuestions; ++q) table.SetCell(q, row, kUntouched);
    }
    quillmark::ParseAnswerTable(bytes, table, rowCount);
    FUZZ_CHECK(table.RowCapacity() == rows + 1);

    // Fields fill rows 1..rowCount, questions 1..200, in reading order, until the file ends.
    bool ended = false;
    for (int row = 0; row <= rows; ++row) {
        for (int q = 0; q < AnswerTable::kQuestions; ++q) {
            const std::string& cell = table.Cell(q, row);
            bool inFile = row >= 1 && row <= rowCount && q >= 1 && q <= AnswerTable::kFileFields;
            if (!inFile) {
                FUZZ_CHECK(cell == kUntouched);
                continue;
            }
            if (cell == kUntouched) {
                ended = true;
                continue;
            }
            FUZZ_CHECK(!ended);
            FUZZ_CHECK(cell.find_first_of(",\r\n") == std::string::npos);
            FUZZ_CHECK(cell.empty() || (cell.front() != ' ' && cell.back() != ' '));
        }
    }
}

void CheckRoundTrip(std::string_view bytes, int rowCount) {
    AnswerTable table;
    quillmark::ParseAnswerTable(bytes, table, rowCount);
    std::optional<std::string> file = SavedGbkFile(quillmark::SerializeAnswerTable(table, rowCount));
    if (!file) return;
    AnswerTable reread;
    quillmark::ParseAnswerTable(*file, reread, rowCount);
    for (int row = 1; row <= rowCount; ++row) {
        for (int q = 1; q <= AnswerTable::kFileFields; ++q) {
            FUZZ_CHECK(reread.Cell(q, row) == table.Cell(q, row));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (int rowCount : {0, 1, 2, 5}) {
        CheckParsed(bytes, rowCount);
        CheckRoundTrip(bytes, rowCount);
    }
    // A large count on a small file grows the table only for the fields there are; every
    // field takes at least one byte of the decoded text.
    AnswerTable table;
    quillmark::ParseAnswerTable(bytes, table, 32667);
    std::size_t textBytes = quillmark::DecodeFileText(bytes).size();
    std::size_t maxRows = (textBytes + AnswerTable::kFileFields - 1) / AnswerTable::kFileFields;
    FUZZ_CHECK(static_cast<std::size_t>(table.RowCapacity()) <= (maxRows == 0 ? 0 : maxRows + 1));
    return 0;
}

// Class lists: the first worksheet of an .xlsx workbook, and the same bytes read as CSV text.
#include <cstdint>
#include <string>
#include <string_view>

#include "data/csv_table.h"
#include "data/text_codec.h"
#include "fuzz_check.h"
#include "platform/xlsx_reader.h"

namespace qm = quillmark;

namespace {

// Within the bounds, every cell valid UTF-8, no trailing empty cell or row.
void CheckRows(const qm::TableRows& rows) {
    FUZZ_CHECK(rows.size() <= qm::kMaxTableRows);
    FUZZ_CHECK(rows.empty() || !rows.back().empty());
    std::size_t cells = 0;
    for (const auto& row : rows) {
        FUZZ_CHECK(row.size() <= qm::kMaxTableColumns);
        FUZZ_CHECK(row.empty() || !row.back().empty());
        cells += row.size();
        for (const std::string& cell : row) FUZZ_CHECK(qm::IsValidUtf8(cell));
    }
    FUZZ_CHECK(cells <= qm::kMaxTableCells);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qm::XlsxSheet sheet;
    qm::Status status = qm::ParseXlsx(bytes, sheet);
    if (status.ok()) {
        CheckRows(sheet.rows);
    } else {
        FUZZ_CHECK(!status.message().empty());
        FUZZ_CHECK(sheet.rows.empty());
    }

    qm::CsvTable table;
    status = qm::ParseCsvTable(bytes, table);
    if (status.ok()) {
        CheckRows(table.rows);
        FUZZ_CHECK(table.delimiter == ',' || table.delimiter == ';' || table.delimiter == '\t');
    } else {
        FUZZ_CHECK(table.rows.empty());
    }
    return 0;
}

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "data/csv_table.h"
#include "data/status.h"

namespace quillmark {

inline constexpr std::uintmax_t kMaxXlsxFileBytes = std::uintmax_t{32} << 20;
// Any part of the workbook once decompressed.
inline constexpr std::uint64_t kMaxXlsxEntryBytes = std::uint64_t{64} << 20;

struct XlsxSheet {
    TableRows rows;    // as csv_table.h lays them out
    std::string name;  // the sheet's tab name
};

// The first worksheet (the first tab) of an .xlsx workbook as Excel and LibreOffice write
// it. Text cells keep their text (rich text joined), numbers are written as the general
// format shows them (101 and 101.0 give "101"), booleans as TRUE and FALSE, formulas as
// their last value. A sheet beyond the table bounds, a part too large or damaged, or XML
// that does not parse gives a message (without the file's name).
Status ParseXlsx(std::string_view bytes, XlsxSheet& sheet);

// A class list file of either kind, told apart by its content: an .xlsx workbook (at most
// kMaxXlsxFileBytes), or text as ParseCsvTable reads it (at most kMaxCsvFileBytes).
struct TableFile {
    TableRows rows;
    std::string format;  // what was read, for the user: "Excel 工作簿，工作表“Sheet1”", "CSV 文本，GBK，逗号分隔"
};

// Messages name the file.
Status ReadTableFile(const std::filesystem::path& path, TableFile& table);

}  // namespace quillmark

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace quillmark {

// A sheet of a class list as rows of UTF-8 cells: row i of the vector is the spreadsheet's
// row i + 1. Trailing empty cells of a row are left out, and so are trailing empty rows.
using TableRows = std::vector<std::vector<std::string>>;

// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// A cell for a comma-separated file: quoted, quotes doubled, when it holds a comma, a quote
// or a line break.
std::string CsvField(std::string_view text);

// Bounds of every table read, whatever its format; a larger one is refused with a message.
inline constexpr std::size_t kMaxTableRows = 100000;
inline constexpr std::size_t kMaxTableColumns = 1000;
inline constexpr std::size_t kMaxTableCells = 2000000;  // cells up to each row's last non-empty one
inline constexpr std::uintmax_t kMaxCsvFileBytes = std::uintmax_t{16} << 20;

enum class TextEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Gbk };

// "UTF-8", "UTF-8（带BOM）", "UTF-16LE", "UTF-16BE", "GBK", in the window's language.
std::string TextEncodingName(TextEncoding encoding);
// "逗号", "分号", "制表符", in the window's language.
std::string DelimiterName(char delimiter);

struct CsvTable {
    TableRows rows;
    TextEncoding encoding = TextEncoding::Utf8;
    char delimiter = ',';
};

// Text of a .csv or .txt file: UTF-8 with or without a byte-order mark, UTF-16 (either byte
// order) with one, otherwise code page 936 when the bytes are not valid UTF-8. Fields are
// separated by the comma, semicolon or tab (whichever splits the first lines most
// consistently), quoted as RFC 4180 allows (doubled quotes; delimiters and line breaks inside
// quotes), records ended by CR LF, LF or CR.
Status ParseCsvTable(std::string_view bytes, CsvTable& table);

// The text decoded as ParseCsvTable decodes it.
std::string DecodeTableText(std::string_view bytes, TextEncoding& encoding);

// UTF-8 with every byte that is not part of a valid sequence replaced by U+FFFD.
std::string ValidUtf8Text(std::string_view bytes);

// Reads a file of at most kMaxCsvFileBytes bytes (never a pipe or a device). On failure the
// message names the file.
Status ReadCsvFile(const std::filesystem::path& path, CsvTable& table);

// The whole regular file of at most `limit` bytes into `bytes`; a message naming the file and
// the reason (too large, not a file, a system error) otherwise.
Status ReadBoundedFile(const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes);

}  // namespace quillmark

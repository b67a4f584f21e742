#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quillmark {

// One of the answer-sheet types the program knows, in list order.
struct SheetTypeEntry {
    const char* name;     // in the type list
    const char* caption;  // in the type dialog
    const char* code;     // the 10-bit code printed on the sheet; its definition's file name
};

inline constexpr std::array<SheetTypeEntry, 21> kSheetTypes{{
    {"40A型", "40A型", "1000111001"},     {"40B型", "40B型", "1000110101"},
    {"40C型", "40C型", "1000101001"},     {"40D型", "40D型", "1000100101"},
    {"60A型", "60A型", "1001011001"},     {"60B型", "60B型", "1001010101"},
    {"60C型", "60C型", "1001001001"},     {"60D型", "60D型", "1001000101"},
    {"80A型", "80A型", "1010111001"},     {"80B型", "80B型", "1010110101"},
    {"80C型", "80C型", "1010101001"},     {"80D型", "80D型", "1010100101"},
    {"100A型", "100A型", "1010011001"},   {"100B型", "100B型", "1010010101"},
    {"100C型", "100C型", "1010001001"},   {"100D型", "100D型", "1010000101"},
    {"120A型", "120A型", "1011011001"},   {"120B型", "120B型", "1011010101"},
    {"120C型", "120C型", "1011001001"},   {"120D型", "120D型", "1011000101"},
    {"用户自定义", "用户自定义类型", "1001101101"},
}};

// The entry whose code or name (with or without the trailing "型") matches; null when none.
const SheetTypeEntry* FindSheetType(std::string_view codeOrName);

}  // namespace quillmark

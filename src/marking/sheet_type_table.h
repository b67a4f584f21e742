#pragma once

#include <array>
#include <string>
#include <string_view>

#include "data/ui_text.h"

namespace quillmark {

// One of the answer-sheet types the program knows, in list order. The name and the caption
// are shown as UiText("SheetTypes", ...); as written they are what FindSheetType knows.
struct SheetTypeEntry {
    const char* name;     // in the type list and on the printed sheet
    const char* caption;  // in the type dialog
    const char* code;     // the 10-bit code printed on the sheet; its definition's file name
};

inline constexpr std::array<SheetTypeEntry, 21> kSheetTypes{{
    {UI_TEXT_NOOP("SheetTypes", "40A型"), UI_TEXT_NOOP("SheetTypes", "40A型"), "1000111001"},
    {UI_TEXT_NOOP("SheetTypes", "40B型"), UI_TEXT_NOOP("SheetTypes", "40B型"), "1000110101"},
    {UI_TEXT_NOOP("SheetTypes", "40C型"), UI_TEXT_NOOP("SheetTypes", "40C型"), "1000101001"},
    {UI_TEXT_NOOP("SheetTypes", "40D型"), UI_TEXT_NOOP("SheetTypes", "40D型"), "1000100101"},
    {UI_TEXT_NOOP("SheetTypes", "60A型"), UI_TEXT_NOOP("SheetTypes", "60A型"), "1001011001"},
    {UI_TEXT_NOOP("SheetTypes", "60B型"), UI_TEXT_NOOP("SheetTypes", "60B型"), "1001010101"},
    {UI_TEXT_NOOP("SheetTypes", "60C型"), UI_TEXT_NOOP("SheetTypes", "60C型"), "1001001001"},
    {UI_TEXT_NOOP("SheetTypes", "60D型"), UI_TEXT_NOOP("SheetTypes", "60D型"), "1001000101"},
    {UI_TEXT_NOOP("SheetTypes", "80A型"), UI_TEXT_NOOP("SheetTypes", "80A型"), "1010111001"},
    {UI_TEXT_NOOP("SheetTypes", "80B型"), UI_TEXT_NOOP("SheetTypes", "80B型"), "1010110101"},
    {UI_TEXT_NOOP("SheetTypes", "80C型"), UI_TEXT_NOOP("SheetTypes", "80C型"), "1010101001"},
    {UI_TEXT_NOOP("SheetTypes", "80D型"), UI_TEXT_NOOP("SheetTypes", "80D型"), "1010100101"},
    {UI_TEXT_NOOP("SheetTypes", "100A型"), UI_TEXT_NOOP("SheetTypes", "100A型"), "1010011001"},
    {UI_TEXT_NOOP("SheetTypes", "100B型"), UI_TEXT_NOOP("SheetTypes", "100B型"), "1010010101"},
    {UI_TEXT_NOOP("SheetTypes", "100C型"), UI_TEXT_NOOP("SheetTypes", "100C型"), "1010001001"},
    {UI_TEXT_NOOP("SheetTypes", "100D型"), UI_TEXT_NOOP("SheetTypes", "100D型"), "1010000101"},
    {UI_TEXT_NOOP("SheetTypes", "120A型"), UI_TEXT_NOOP("SheetTypes", "120A型"), "1011011001"},
    {UI_TEXT_NOOP("SheetTypes", "120B型"), UI_TEXT_NOOP("SheetTypes", "120B型"), "1011010101"},
    {UI_TEXT_NOOP("SheetTypes", "120C型"), UI_TEXT_NOOP("SheetTypes", "120C型"), "1011001001"},
    {UI_TEXT_NOOP("SheetTypes", "120D型"), UI_TEXT_NOOP("SheetTypes", "120D型"), "1011000101"},
    {UI_TEXT_NOOP("SheetTypes", "用户自定义"), UI_TEXT_NOOP("SheetTypes", "用户自定义类型"), "1001101101"},
}};

// The entry whose code or name (with or without the trailing "型") matches; null when none.
const SheetTypeEntry* FindSheetType(std::string_view codeOrName);

}  // namespace quillmark

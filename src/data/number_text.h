#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillmark {

// Number form for writing: plain decimal with at most 15 significant digits, one leading
// space when not negative, no 0 before the decimal point of a fraction (" .5", "-.5").
std::string NumberForm(double value);

// The shortest decimal text that reads back as exactly `value`, without exponent, sign
// for positive values or trailing zeros: 2 → "2", 2.5 → "2.5", 0.5 → "0.5".
std::string ShortestDecimalText(double value);

// Numeric value of a text: its longest leading decimal number (sign, digits, one decimal
// point, exponent after E or D), blanks (spaces, tabs, line breaks) skipped anywhere inside; 0 when the text
// does not start with a number.
double NumericValue(std::string_view text);

// The number at the start of a text after leading blanks, read up to the first character
// that cannot continue it (no blanks inside); 0 when there is none.
double LeadingNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Rounded (halves to even) and held to the 16-bit range.
std::int16_t ToInt16(double value);

}  // namespace quillmark

#include "number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quillmark {

std::string NumberForm(double value) {
    if (std::isnan(value)) value = 0;
    if (std::isinf(value)) value = value > 0 ? DBL_MAX : -DBL_MAX;
    if (value == 0) value = 0;  // no "-0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text = buffer;
    bool negative = text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') digits.erase(0, 1);
    return (negative ? "-" : " ") + digits;
}

std::string ShortestDecimalText(double value) {
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc()) return "0";
    return std::string(buffer, end);
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

double NumericValue(std::string_view text) {
    // Gather the leading number without blanks, then let strtod convert it.
    std::string number;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    auto takeDigits = [&] {
        std::size_t count = 0;
        for (skipBlanks(); i < text.size() && IsDigit(text[i]); skipBlanks()) {
            number += text[i++];
            ++count;
        }
        return count;
    };

    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    std::size_t mantissaDigits = takeDigits();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0) return 0;

    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::string mantissa = number;
        std::size_t saved = i;
        number += 'E';
        ++i;
        skipBlanks();
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
        if (takeDigits() == 0) {
            number = mantissa;
            i = saved;
        }
    }

    double value = std::strtod(number.c_str(), nullptr);
    if (std::isinf(value)) value = value > 0 ? DBL_MAX : -DBL_MAX;
    return value;
}

double LeadingNumber(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    std::size_t end = start;
    auto digits = [&] {
        while (end < text.size() && IsDigit(text[end])) ++end;
    };
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    digits();
    if (end < text.size() && text[end] == '.') ++end;
    digits();
    if (end < text.size() && (text[end] == 'E' || text[end] == 'e' || text[end] == 'D' || text[end] == 'd')) {
        ++end;
        if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
        digits();
    }
    // Without blanks inside, the general reading takes exactly this stretch.
    return NumericValue(text.substr(start, end - start));
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::int16_t ToInt16(double value) {
    if (std::isnan(value)) return 0;
    double rounded = RoundHalfEven(value);
    if (rounded > 32767) return 32767;
    if (rounded < -32768) return -32768;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace quillmark

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// Removes leading and trailing spaces (only the space character; tabs stay).
std::string TrimSpaces(std::string_view text);

// Letter case ignored for ASCII letters; other characters compare exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view text);
// Orders as the Windows file system listed names: letters compared in upper case.
bool LessIgnoringCase(std::string_view a, std::string_view b);

// Splits text into lines at LF, CR LF or a lone CR; a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Compares by UTF-16 code units, as text comparisons on Windows do.
int CompareUtf16Order(std::string_view a, std::string_view b);

// Appends spaces and cuts the result to `width` bytes of its code page 936 form.
std::string PadToGbkWidth(std::string_view text, std::size_t width);

}  // namespace quillmark

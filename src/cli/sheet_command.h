#pragma once

#include <ostream>
#include <string>

namespace quillmark::cli {

struct SheetOptions {
    std::string type;  // a code, a name such as 100A or 100A型, or "all"
    std::string out;   // FILE.pdf or FILE.png
    double dpi = 200;
    std::string language = "zh_CN";  // the printed words: "zh_CN" or "en"
};

// Writes printable blank sheets: one PDF page per type, or one PNG per type.
int RunSheet(const SheetOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quillmark::cli

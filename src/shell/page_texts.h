#pragma once

#include <string>

namespace quillmark {

// The explanations beside the paper and roster editors. Line breaks are carriage returns
// (code 13), as the texts were written.
std::string PaperPageHelpText();
std::string RosterPageHelpText();

}  // namespace quillmark

#pragma once

#include <string>

namespace quillmark {

// The reason a system call failed, for messages the user sees, in the window's language
// (Chinese when none is installed): the C library's own texts follow the system's locale.
std::string SystemErrorText(int error);

}  // namespace quillmark

#pragma once

#include <string>

namespace quillmark {

// The reason a system call failed, in Chinese, for messages the user sees: the C library's
// own texts are English.
std::string SystemErrorText(int error);

}  // namespace quillmark

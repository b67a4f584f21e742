#pragma once

#include <filesystem>

namespace quillmark {

// Hands the file to the desktop's program for its type. Returns whether a program was
// launched; whether it then managed to show the file is not known here.
bool OpenWithDefaultApplication(const std::filesystem::path& path);

}  // namespace quillmark

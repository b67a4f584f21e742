#pragma once

#include <filesystem>
#include <string>

namespace quillmark {

// Hands the file to the desktop's program for its type. Returns whether a program was
// launched; whether it then managed to show the file is not known here.
bool OpenWithDefaultApplication(const std::filesystem::path& path);

// Opens a web address in the desktop's browser; false when nothing could be launched.
bool OpenWebAddress(const std::string& address);

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <string>

#include "data/status.h"

namespace quillmark {

// Hands the file to the desktop's program for its type. Fails when no program could be
// launched; whether a launched one managed to show the file is not known here.
Status OpenWithDefaultApplication(const std::filesystem::path& path);

// Opens a web address in the desktop's browser; false when nothing could be launched.
bool OpenWebAddress(const std::string& address);

}  // namespace quillmark

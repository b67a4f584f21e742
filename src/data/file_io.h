#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "status.h"

namespace quillmark {

// The whole file, or nothing when it is missing or unreadable.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Writes the bytes to a temporary file in the target's folder and renames it over the
// target, so an interrupted save never leaves a half-written file. The folder must exist.
Status WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Encodes UTF-8 text into code page 936 and writes it atomically; text the code page
// cannot hold fails the write with a message naming the file and the character.
Status WriteGbkFile(const std::filesystem::path& path, std::string_view utf8Text);

std::string DisplayPath(const std::filesystem::path& path);

}  // namespace quillmark

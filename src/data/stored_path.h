#pragma once

#include <filesystem>
#include <string>

namespace quillmark {

// Where a marked sheet's image was, as the review file keeps it: relative to the program
// folder when inside it (the folder may be moved whole), absolute otherwise; never relative
// to the folder a command happened to run in.
std::string StoredImagePath(const std::filesystem::path& image, const std::filesystem::path& programFolder);

// The image a stored path names: a relative one lies in the program folder.
std::filesystem::path ResolveStoredImagePath(const std::string& stored, const std::filesystem::path& programFolder);

}  // namespace quillmark

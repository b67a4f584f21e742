#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// The folder that holds the running executable.
std::filesystem::path ProgramFolderOfExecutable();

// Forms program folder + relative path, where the relative path uses "\" (or "/") between
// components as the stored names do ("\ShiJuan\a.CHO"). Each component is matched without
// regard to letter case against what exists on disk; a component that matches nothing
// keeps the spelling given, so a new file is created under that name.
std::filesystem::path ResolvePath(const std::filesystem::path& programFolder,
                                  std::string_view relative);

// Names (with extension, no folder) of the regular files in a folder whose names match a
// pattern such as "*.CHO" without regard to case, sorted by name without regard to case.
// A missing folder gives none.
std::vector<std::string> ListFiles(const std::filesystem::path& folder, std::string_view pattern);

// Glob match with "*" and "?", letter case ignored.
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <ostream>

namespace quillmark::cli {

// Lists what the program folder holds: exam papers with their keys, rosters with their
// examinees, and results sets.
int RunInfo(const std::filesystem::path& programFolder, std::ostream& out);

}  // namespace quillmark::cli

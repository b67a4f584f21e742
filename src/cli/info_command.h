#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace quillmark::cli {

// Lists what the program folder holds: exam papers with their keys, rosters with their
// examinees, and results sets; the last line tells why that folder is the one in use.
int RunInfo(const std::filesystem::path& programFolder, const std::string& folderOrigin, std::ostream& out);

}  // namespace quillmark::cli

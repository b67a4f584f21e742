#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace quillmark::cli {

// Prints the statistics, then the ranked examinee list and the question list of a saved
// results set, as the results page shows them.
int RunStats(const std::filesystem::path& programFolder, const std::string& name, std::ostream& out, std::ostream& err);

// True when the results set exists in ChengJi (its ".CHO" file is there).
bool ResultSetExists(const std::filesystem::path& programFolder, const std::string& name);

}  // namespace quillmark::cli

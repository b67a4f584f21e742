#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "data/result_set.h"
#include "results/results_page.h"

namespace quillmark::cli {

// Prints the statistics, then the ranked examinee list and the question list of a saved
// results set, as the results page shows them.
int RunStats(const std::filesystem::path& programFolder, const std::string& name, std::ostream& out, std::ostream& err);

// Prints the item analysis of a saved results set instead: the test's figures and one row
// per question, or with `json` the same as one JSON document.
int RunItemStats(const std::filesystem::path& programFolder, const std::string& name, bool json, std::ostream& out,
                 std::ostream& err);

// Opens a saved results set and runs the analyses on it, as the results page does on
// opening; false (with a message) when the set does not exist. The review file is read only
// when asked for.
bool OpenAnalysed(const std::filesystem::path& programFolder, const std::string& name, ResultSet& records,
                  ResultsPage& page, std::ostream& err, ReviewFile review = ReviewFile::Read);

// True when the results set exists in ChengJi (its ".CHO" file is there).
bool ResultSetExists(const std::filesystem::path& programFolder, const std::string& name);

}  // namespace quillmark::cli

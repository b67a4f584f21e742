#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillmark::cli {

struct ReviewOptions {
    std::filesystem::path programFolder;
    std::string results;
    std::optional<std::string> examinee;
    bool accept = false;                // keep every pending reading as it is
    std::vector<std::string> settings;  // "Q=DIGITS" for the examinee
    std::optional<std::string> number;  // the examinee's sheet belongs to this number
};

// Prints the readings still to be checked as JSON lines, after recording the decisions
// given (and saving the set when there were any).
int RunReview(const ReviewOptions& options, std::ostream& out, std::ostream& err);

// Writes the sheets as marked: a PNG per examinee into a folder, or one PDF.
int RunAnnotate(const std::filesystem::path& programFolder, const std::string& results,
                const std::optional<std::string>& examinee, const std::filesystem::path& out, std::ostream& err);

}  // namespace quillmark::cli

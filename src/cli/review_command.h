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

struct AnnotateOptions {
    std::filesystem::path programFolder;
    std::string results;
    std::optional<std::string> examinee;
    std::filesystem::path out;  // a folder, or a ".pdf" file
    bool overwrite = false;     // replace existing output
};

// Writes the sheets as marked: a PNG per examinee ("NNNN.png") into a folder, or one PDF.
// Records whose number is not a usable examinee number are told and skipped.
int RunAnnotate(const AnnotateOptions& options, std::ostream& err);

}  // namespace quillmark::cli

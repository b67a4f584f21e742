#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace quillmark::cli {

struct GradeExportCommand {
    std::filesystem::path programFolder;
    std::string results;               // the results set's name in ChengJi
    std::string format;                // csv, moodle or canvas
    std::optional<std::string> out;    // default: ChengJi/NAME.csv, NAME-moodle.csv, NAME-canvas.csv
    std::optional<std::string> map;    // a table (.csv or .xlsx) of examinee numbers and platform identities
    bool overwrite = false;
};

// Writes the grades of a saved results set as a CSV file and prints its path. Exit status 1
// when the set cannot be opened or the file not written, 2 for a bad flag or identity table.
int RunGradeExport(const GradeExportCommand& command, std::ostream& output, std::ostream& err);

}  // namespace quillmark::cli

#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillmark::cli {

struct RosterImportOptions {
    std::filesystem::path programFolder;
    std::string file;                          // the class list: .xlsx, .csv or .txt
    std::optional<std::string> numberColumn;   // a 1-based column number or a header text
    std::optional<std::string> nameColumn;
    std::string save;                          // the roster's file name in MingCe
    std::vector<std::string> fixes;            // pad, cut, strip, skip
    bool overwrite = false;
};

// Imports a class list into a new roster. Problems that remain after the fixes are printed
// one a line ("第 N 行：…") and nothing is written (exit status 1); a bad name, column or
// file gives exit status 2.
int RunRosterImport(const RosterImportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quillmark::cli

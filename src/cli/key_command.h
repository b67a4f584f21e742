#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace quillmark::cli {

// Writes an exam paper's keys and scores as CSV ("question,answer,score"): to `out`, or to
// standard output without it.
int RunKeyExport(const std::filesystem::path& programFolder, const std::string& paper,
                 const std::optional<std::string>& out, bool overwrite, std::ostream& output, std::ostream& err);

struct KeyImportCommand {
    std::filesystem::path programFolder;
    std::string file;  // .csv or .xlsx (told apart by content)
    std::string save;  // the paper's name in ShiJuan (.CHO added without it)
    int options = 5;   // the sheet's options per question
    bool overwrite = false;
};

// Reads a table of keys and scores into a new exam paper and saves it. Problems are printed
// one a line ("第 N 行：…") and nothing is written (exit status 1); a bad name or an unreadable
// file gives exit status 2.
int RunKeyImport(const KeyImportCommand& command, std::ostream& output, std::ostream& err);

}  // namespace quillmark::cli

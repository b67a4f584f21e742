#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "data/status.h"

namespace quillmark {

// The entries of a file drop-down (entry 0 is its prompt, kept in the window's language) and
// the chosen one.
class FileChoice {
public:
    void Fill(std::vector<std::string> entries);
    const std::vector<std::string>& Entries() const { return entries_; }
    int Chosen() const { return chosen_; }
    void SetChosen(int entry) { chosen_ = entry >= 1 && entry < static_cast<int>(entries_.size()) ? entry : 0; }
    // The entry's text trimmed; empty for entry 0.
    std::string ChosenName() const;
    // The entry of a file name, letter case ignored; 0 when it is not listed.
    int Find(const std::string& fileName) const;
    // The entry of a file name, appended when it is not listed yet.
    int FindOrAppend(const std::string& fileName);
    void RemoveChosen();

private:
    std::vector<std::string> entries_;
    int chosen_ = 0;
};

// Removes a data file the user chose to delete; one already gone is not an error.
Status RemoveChosenFile(const std::filesystem::path& path);

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <string>

namespace quillmark {

inline constexpr char kProductWebSite[] = "https://quillmark.org/";
// The help topic of printing answer sheets; 0 is the contents.
inline constexpr int kPrintingHelpTopic = 40000;

// The help page of a topic in the program folder's "help" folder; the contents page for a
// topic without a page of its own.
std::filesystem::path HelpPagePath(const std::filesystem::path& programFolder, int topic = 0);

// Opens help or the web site in the desktop's browser; a failure is ignored.
void OpenHelp(const std::filesystem::path& programFolder, int topic = 0);
void OpenProductWebSite();

}  // namespace quillmark

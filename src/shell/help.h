#pragma once

#include <filesystem>
#include <string>

namespace quillmark {

inline constexpr char kProductWebSite[] = "https://quillmark.org/";
// Help topics with pages of their own; any other topic opens the contents.
inline constexpr int kContentsHelpTopic = 0;
inline constexpr int kLoginHelpTopic = 10000;
inline constexpr int kPaperHelpTopic = 20000;
inline constexpr int kRosterHelpTopic = 21000;
inline constexpr int kMarkingHelpTopic = 30000;
inline constexpr int kPrintingHelpTopic = 40000;
inline constexpr int kResultsHelpTopic = 50000;

// The topic of a main-window page (0 to 3, as the tabs count them); the contents otherwise.
int HelpTopicOfPage(int page);

// The help page of a topic in the program folder's "help" folder; for a language other than
// Chinese ("en"), its translation in the subfolder of that name when there is one.
std::filesystem::path HelpPagePath(const std::filesystem::path& programFolder, int topic = 0,
                                   const std::string& language = "zh_CN");

// Opens help, in the window's language, or the web site in the desktop's browser; a failure
// is ignored.
void OpenHelp(const std::filesystem::path& programFolder, int topic = 0);
void OpenProductWebSite();

}  // namespace quillmark

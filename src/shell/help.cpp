#include "help.h"

#include "platform/desktop.h"
#include "platform/language.h"

namespace quillmark {

int HelpTopicOfPage(int page) {
    constexpr int topics[] = {kPaperHelpTopic, kRosterHelpTopic, kMarkingHelpTopic, kResultsHelpTopic};
    return page >= 0 && page < 4 ? topics[page] : kContentsHelpTopic;
}

std::filesystem::path HelpPagePath(const std::filesystem::path& programFolder, int topic, const std::string& language) {
    const char* page = "index.html";
    switch (topic) {
        case kLoginHelpTopic: page = "login.html"; break;
        case kPaperHelpTopic: page = "papers.html"; break;
        case kRosterHelpTopic: page = "rosters.html"; break;
        case kMarkingHelpTopic: page = "marking.html"; break;
        case kPrintingHelpTopic: page = "printing.html"; break;
        case kResultsHelpTopic: page = "results.html"; break;
    }
    const std::filesystem::path translated = programFolder / "help" / language / page;
    std::error_code error;
    if (language != "zh_CN" && !language.empty() && std::filesystem::is_regular_file(translated, error))
        return translated;
    return programFolder / "help" / page;
}

void OpenHelp(const std::filesystem::path& programFolder, int topic) {
    OpenWithDefaultApplication(HelpPagePath(programFolder, topic, LanguageCode(InstalledLanguage())));
}

void OpenProductWebSite() { OpenWebAddress(kProductWebSite); }

}  // namespace quillmark

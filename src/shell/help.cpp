#include "help.h"

#include "platform/desktop.h"

namespace quillmark {

int HelpTopicOfPage(int page) {
    constexpr int topics[] = {kPaperHelpTopic, kRosterHelpTopic, kMarkingHelpTopic, kResultsHelpTopic};
    return page >= 0 && page < 4 ? topics[page] : kContentsHelpTopic;
}

std::filesystem::path HelpPagePath(const std::filesystem::path& programFolder, int topic) {
    const char* page = "index.html";
    switch (topic) {
        case kLoginHelpTopic: page = "login.html"; break;
        case kPaperHelpTopic: page = "papers.html"; break;
        case kRosterHelpTopic: page = "rosters.html"; break;
        case kMarkingHelpTopic: page = "marking.html"; break;
        case kPrintingHelpTopic: page = "printing.html"; break;
        case kResultsHelpTopic: page = "results.html"; break;
    }
    return programFolder / "help" / page;
}

void OpenHelp(const std::filesystem::path& programFolder, int topic) {
    OpenWithDefaultApplication(HelpPagePath(programFolder, topic));
}

void OpenProductWebSite() { OpenWebAddress(kProductWebSite); }

}  // namespace quillmark

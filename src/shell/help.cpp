#include "help.h"

#include "platform/desktop.h"

namespace quillmark {

std::filesystem::path HelpPagePath(const std::filesystem::path& programFolder, int topic) {
    const char* page = topic == kLoginHelpTopic ? "login.html" : topic == kPrintingHelpTopic ? "printing.html" : "index.html";
    return programFolder / "help" / page;
}

void OpenHelp(const std::filesystem::path& programFolder, int topic) {
    OpenWithDefaultApplication(HelpPagePath(programFolder, topic));
}

void OpenProductWebSite() { OpenWebAddress(kProductWebSite); }

}  // namespace quillmark

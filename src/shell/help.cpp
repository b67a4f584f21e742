#include "help.h"

#include "platform/desktop.h"

namespace quillmark {

std::filesystem::path HelpPagePath(const std::filesystem::path& programFolder, int topic) {
    std::filesystem::path folder = programFolder / "help";
    std::error_code ec;
    std::filesystem::path page = folder / (std::to_string(topic) + ".html");
    if (topic != 0 && std::filesystem::is_regular_file(page, ec)) return page;
    return folder / "index.html";
}

void OpenHelp(const std::filesystem::path& programFolder, int topic) {
    OpenWithDefaultApplication(HelpPagePath(programFolder, topic));
}

void OpenProductWebSite() { OpenWebAddress(kProductWebSite); }

}  // namespace quillmark

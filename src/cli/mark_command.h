#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "data/prompt.h"
#include "data/save_as_name.h"
#include "data/status.h"

namespace quillmark {
class Session;
}  // namespace quillmark

namespace quillmark::cli {

struct MarkOptions {
    std::filesystem::path programFolder;
    std::string paper;   // a file of ShiJuan
    std::string roster;  // a file of MingCe
    bool checkNumber = false;
    std::optional<std::string> fixedType;
    int threads = 0;                              // 0: one per core
    std::optional<std::string> onUnknownType;     // "skip" or a type code
    std::optional<std::string> onUnknownNumber;   // "skip" or "add"
    std::optional<std::string> onDuplicate;       // "replace" or "keep"; refused when not given
    std::optional<std::string> save;
    bool overwrite = false;
    std::vector<std::string> paths;               // image files and folders
    bool interactive = false;                     // ask on the terminal when no policy is given
    bool progress = false;                        // draw a progress bar on the error stream
};

// The save-as checks with the name given on the command line.
class FixedNamePrompt : public Prompt {
public:
    FixedNamePrompt(std::string name, bool overwrite, std::ostream& err)
        : name_(std::move(name)), overwrite_(overwrite), err_(err) {}
    std::optional<std::string> AskLine(const std::string&, const std::string&) override { return name_; }
    bool AskYesNo(const std::string& text, const std::string&) override {
        if (!overwrite_) err_ << text << "（使用 --overwrite 覆盖）\n";
        return overwrite_;
    }
    void ShowMessage(const std::string& text, const std::string&) override { err_ << text << "\n"; }

private:
    std::string name_;
    bool overwrite_;
    std::ostream& err_;
};

// Chooses the paper and roster as the window's first two pages do and checks what can be
// checked before the first sheet: a refusal names the flag or file.
Status CheckBeforeMarking(const MarkOptions& options, Session& session);

// The name to save the results under (`options.save`), checked before marking: nothing,
// after a message, with the exit status in `refused`, when it is no name (2) or is taken (1).
std::optional<SaveTarget> CheckSaveTarget(const MarkOptions& options, std::ostream& err, int& refused);

// Marks the images through the marking pipeline; one line per sheet, then a summary.
int RunMark(const MarkOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace quillmark::cli

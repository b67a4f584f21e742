#pragma once

#include <optional>
#include <string>

namespace quillmark {

// How an operation reaches the user: the GUI answers with dialogs, the command line and
// the tests with their own answers. An empty title means the application's title.
class Prompt {
public:
    virtual ~Prompt() = default;
    // A one-line answer, or nothing when the user cancels.
    virtual std::optional<std::string> AskLine(const std::string& text, const std::string& title) = 0;
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;

    // Work that is not saved would be lost: save it first, give it up, or stay.
    enum class UnsavedAnswer { Save, Discard, Cancel };
    virtual UnsavedAnswer AskSaveDiscardCancel(const std::string& text, const std::string& title) {
        return AskYesNo(text, title) ? UnsavedAnswer::Save : UnsavedAnswer::Cancel;
    }
};

}  // namespace quillmark

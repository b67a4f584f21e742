#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/prompt.h"

namespace quillmark::test {

// Answers prompts from a script and records what was asked.
class ScriptedPrompt : public Prompt {
public:
    std::optional<std::string> line;
    bool yes = true;
    std::vector<std::string> asked;
    std::vector<std::string> titles;

    std::optional<std::string> AskLine(const std::string& text, const std::string& title) override {
        asked.push_back(text);
        titles.push_back(title);
        return line;
    }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        asked.push_back(text);
        titles.push_back(title);
        return yes;
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        asked.push_back(text);
        titles.push_back(title);
    }
};

}  // namespace quillmark::test

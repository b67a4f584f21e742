#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/prompt.h"
#include "data/result_set.h"
#include "data/ui_text.h"
#include "results_page.h"

namespace quillmark {

inline constexpr char kChooseResultsEntry[] = UI_TEXT_NOOP("ResultsSets", "请选择要打开的成绩文件");

// Saving, browsing, opening, closing and deleting results sets, as the results page's
// buttons do them. The page's widgets only mirror the state kept here.
class ResultsSets {
public:
    // Reloads the exam paper and roster chosen on the first two pages.
    using ReloadChosen = std::function<void()>;

    explicit ResultsSets(std::filesystem::path programFolder) : programFolder_(std::move(programFolder)) {}

    bool BrowseMode() const { return browseMode_; }
    std::string OpenButtonCaption() const {
        return browseMode_ ? UiText("ResultsSets", "关闭成绩") : UiText("ResultsSets", "打开成绩");
    }
    // Entry 0 is the prompt, in the window's language.
    const std::vector<std::string>& Entries() const { return entries_; }
    int Chosen() const { return chosen_; }
    bool DeleteEnabled() const { return browseMode_ && chosen_ > 0; }
    // The name of the chosen set; empty when none is chosen.
    std::string ChosenName() const;

    // Asks for a name and writes the three files; tells the user whether it worked. False
    // when nothing was saved (the name was not given, or the save failed).
    bool Save(const ResultSet& records, Prompt& prompt);
    // The name the results were last saved under.
    const std::string& LastSavedName() const { return lastSaved_; }
    void EnterBrowseMode(ResultSet& records, ResultsPage& page);
    // A set that cannot be opened is not chosen; the message says why, for the caller to show.
    Status Open(int entry, ResultSet& records, ResultsPage& page);
    void Close(ResultsPage& page, const ReloadChosen& reload);
    // Tells the user which files could not be removed.
    void Delete(Prompt& prompt, ResultsPage& page, const ReloadChosen& reload);

private:
    std::filesystem::path programFolder_;
    bool browseMode_ = false;
    std::vector<std::string> entries_;
    int chosen_ = 0;
    std::string lastSaved_;
};

}  // namespace quillmark

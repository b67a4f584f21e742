#pragma once

#include <filesystem>

#include "data/prompt.h"
#include "data/result_set.h"
#include "editors/paper_editor.h"
#include "editors/roster_editor.h"
#include "marking/image_sources.h"
#include "marking/marking_parameters.h"
#include "results/results_page.h"
#include "results/results_sets.h"

namespace quillmark {

// Everything one run of the program works on: the program folder, the records of the
// examination, the chosen paper and roster (through their editors), the marking settings
// and the results. The window and the command line both hold one.
class Session {
public:
    Session(std::filesystem::path programFolder, Prompt& prompt);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const std::filesystem::path& ProgramFolder() const { return programFolder_; }
    Prompt& prompt() { return prompt_; }
    ResultSet& Records() { return records_; }
    PaperEditor& Paper() { return paper_; }
    RosterEditor& Roster() { return roster_; }
    ResultsPage& Results() { return results_; }
    ResultsSets& Sets() { return sets_; }
    MarkingSettings& Marking() { return marking_; }

    // Fills the two file drop-downs, each with its prompt entry chosen.
    void FillFileLists();
    // Page 3 and its menu item need both a paper and a roster; the recognition settings
    // are read from the system settings file whenever both are chosen.
    bool CanMark() const { return paper_.Chosen() > 0 && roster_.Chosen() > 0; }
    StartMarkingState RefreshMarkingStart();
    // Rereads the chosen paper and roster, as closing a browsed results set does.
    void ReloadChosen();

    // A marking run over the records with the session's settings.
    MarkingContext NewMarkingContext(MarkingUi& ui);

private:
    std::filesystem::path programFolder_;
    Prompt& prompt_;
    ResultSet records_;
    PaperEditor paper_;
    RosterEditor roster_;
    ResultsPage results_;
    ResultsSets sets_;
    MarkingSettings marking_;
};

}  // namespace quillmark

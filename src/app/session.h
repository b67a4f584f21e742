#pragma once

#include <filesystem>

#include "data/marking_journal.h"
#include "data/prompt.h"
#include "data/result_set.h"
#include "data/ui_text.h"
#include "editors/paper_editor.h"
#include "editors/roster_editor.h"
#include "marking/marking_run.h"
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
    // The file names of the paper and roster chosen; empty when none is.
    std::string PaperName() const;
    std::string RosterName() const;
    bool CanMark() const { return paper_.Chosen() > 0 && roster_.Chosen() > 0; }
    StartMarkingState RefreshMarkingStart();
    // Rereads the chosen paper and roster, as closing a browsed results set does.
    void ReloadChosen();

    // A marking run over the records with the session's settings and the sheet types
    // installed now. Every sheet it marks is kept in the recovery journal before the next
    // one is finished.
    MarkingContext NewMarkingContext(MarkingUi& ui);

    // A decision by hand on the sheet now recorded under `examinee` (answers kept, number
    // corrected): unsaved like a marked sheet, and journaled likewise.
    void DecidedByHand(const std::string& examinee);

    // Sheets marked since the results were last saved, opened or given up.
    int UnsavedSheets() const { return unsavedSheets_; }
    // The results were given up (the user agreed), or saved under `savedAs`: what is marked
    // from now on builds on that set, and a recovery starts from it.
    void MarkingSettled();
    void MarkingSaved(const std::string& savedAs);
    // A saved set now holds the results (opened to browse); empty for the roster itself.
    void ResultsBasedOn(const std::string& set) { baseSet_ = set; }
    // Before the records are replaced or the program ends: true when nothing marked would be
    // lost, or the user saved it or chose to give it up; false to stay.
    bool MayDiscardMarking();

    // What an earlier run left unsaved (it ended without saving: a crash, a kill).
    std::optional<JournalContents> PendingRecovery() const;
    // Chooses that run's paper and roster and records its sheets again, in order. The
    // journal stays until the results are saved.
    Status Recover(const JournalContents& journal);
    // The user declined the recovery.
    void DropRecovery();

private:
    void Journal(const SheetOutcome& outcome);
    void Journal(const std::string& examinee);
    // The paper and roster chosen again by the session itself, not by the user.
    struct ChoosingQuietly {
        explicit ChoosingQuietly(Session& session) : session_(session) { session_.choosingQuietly_ = true; }
        ~ChoosingQuietly() { session_.choosingQuietly_ = false; }
        Session& session_;
    };

    std::filesystem::path programFolder_;
    Prompt& prompt_;
    ResultSet records_;
    PaperEditor paper_;
    RosterEditor roster_;
    ResultsPage results_;
    ResultsSets sets_;
    MarkingSettings marking_;
    MarkingJournal journal_;
    int unsavedSheets_ = 0;
    bool journalFailureTold_ = false;
    bool choosingQuietly_ = false;
    std::string baseSet_;
};

inline constexpr char kUnsavedMarkingQuestion[] = UI_TEXT_NOOP("Session", "本次阅卷的成绩尚未保存，是否先保存？");

}  // namespace quillmark

#include "session.h"

#include "data/text_fns.h"
#include "data/ui_text.h"
#include "engine/recognition_settings.h"
#include "marking/grading.h"
#include "marking/installed_sheet_types.h"
#include "platform/image_decoder.h"

namespace quillmark {

Session::Session(std::filesystem::path programFolder, Prompt& prompt)
    : programFolder_(std::move(programFolder)),
      prompt_(prompt),
      paper_(programFolder_, records_, prompt),
      roster_(programFolder_, records_, prompt),
      sets_(programFolder_),
      journal_(MarkingJournal::FileIn(programFolder_)) {
    marking_.recognition = ReadRecognitionSettings(programFolder_);
    // Choosing another paper or roster empties the results held: never without the user.
    auto mayDiscard = [this] {
        if (choosingQuietly_) return true;
        if (!MayDiscardMarking()) return false;
        baseSet_.clear();  // the records become the newly chosen files
        return true;
    };
    paper_.mayDiscardResults = mayDiscard;
    roster_.mayDiscardResults = mayDiscard;
}

void Session::FillFileLists() {
    paper_.FillEntries();
    roster_.FillEntries();
}

StartMarkingState Session::RefreshMarkingStart() {
    StartMarkingState state = 刷新开始阅卷按钮(paper_.Chosen() > 0, roster_.Chosen() > 0, programFolder_);
    if (state.start) marking_.recognition = state.start->recognition;
    return state;
}

void Session::ReloadChosen() {
    ChoosingQuietly quiet(*this);
    baseSet_.clear();
    paper_.Choose(paper_.Chosen());
    roster_.Choose(roster_.Chosen());
}

MarkingContext Session::NewMarkingContext(MarkingUi& ui) {
    MarkingContext context;
    context.programFolder = programFolder_;
    context.settings = marking_;
    context.settings.sheetTypes = LoadInstalledSheetTypes(programFolder_);
    context.records = &records_;
    context.ui = &ui;
    context.load = [](const SheetSource& sheet) { return DecodeImageFile(sheet.file, sheet.page); };
    context.countPages = CountImagePages;
    context.onSheet = [this](const SheetSource&, const SheetOutcome& outcome) {
        if (outcome.kind == SheetOutcome::Marked) Journal(outcome);
    };
    return context;
}

namespace {

// A sheet whose number was corrected by hand was journaled under the old number first:
// that earlier record of the same sheet (same picture) gives up its row.
void ForgetMovedSheet(const SheetReview& sheet, ResultSet& records) {
    if (sheet.numberReadAs.empty() || sheet.numberReadAs == sheet.examinee) return;
    const SheetReview* earlier = records.review.Find(sheet.numberReadAs);
    if (!earlier || earlier->fingerprint != sheet.fingerprint) return;
    for (int row = 1; row <= records.roster.RowCount(); ++row) {
        Examinee& old = records.roster.Row(row);
        if (TrimSpaces(old[Examinee::考号]) != sheet.numberReadAs) continue;
        old[Examinee::Score].clear();
        old[Examinee::AnswerSummary].clear();
        for (int q = 1; q <= records.paper.总题数; ++q) records.answers.SetCell(q, row, "");
    }
    std::erase_if(records.review.sheets, [&](const SheetReview& s) { return s.examinee == sheet.numberReadAs; });
}

std::string ChosenName(const std::vector<std::string>& entries, int chosen) {
    return chosen > 0 && chosen < static_cast<int>(entries.size()) ? entries[static_cast<std::size_t>(chosen)] : "";
}

}  // namespace

std::string Session::PaperName() const { return ChosenName(paper_.Entries(), paper_.Chosen()); }
std::string Session::RosterName() const { return ChosenName(roster_.Entries(), roster_.Chosen()); }

void Session::Journal(const SheetOutcome& outcome) { Journal(outcome.examineeNumber); }

void Session::DecidedByHand(const std::string& examinee) { Journal(examinee); }

void Session::Journal(const std::string& examinee) {
    ++unsavedSheets_;
    const SheetReview* sheet = records_.review.Find(examinee);
    if (!sheet) return;
    Status status = journal_.Append(ChosenName(paper_.Entries(), paper_.Chosen()), ChosenName(roster_.Entries(), roster_.Chosen()),
                                    *sheet, baseSet_);
    // Marking goes on; the user learns once that it is not being kept safe.
    if (!status.ok() && !journalFailureTold_) {
        journalFailureTold_ = true;
        prompt_.ShowMessage(
            FillForm(UiText("Session", "无法记录阅卷进度，程序意外退出时本次阅卷的结果可能丢失：%1"), {status.message()}), "");
    }
}

void Session::MarkingSettled() {
    if (unsavedSheets_ == 0) return;  // the journal may be another run's, not yet recovered
    unsavedSheets_ = 0;
    journal_.Clear();
}

void Session::MarkingSaved(const std::string& savedAs) {
    MarkingSettled();
    baseSet_ = savedAs;
}

bool Session::MayDiscardMarking() {
    if (unsavedSheets_ == 0) return true;
    switch (prompt_.AskSaveDiscardCancel(UiText("Session", kUnsavedMarkingQuestion), "")) {
        case Prompt::UnsavedAnswer::Save:
            results_.Analyse(records_);  // ranks and rates, as the results page saves them
            if (!sets_.Save(records_, prompt_)) return false;
            MarkingSaved(sets_.LastSavedName());
            return true;
        case Prompt::UnsavedAnswer::Discard:
            MarkingSettled();
            return true;
        case Prompt::UnsavedAnswer::Cancel: break;
    }
    return false;
}

std::optional<JournalContents> Session::PendingRecovery() const { return MarkingJournal::Read(MarkingJournal::FileIn(programFolder_)); }

Status Session::Recover(const JournalContents& journal) {
    FillFileLists();
    ChoosingQuietly quiet(*this);
    std::string problem;
    if (!paper_.ChooseByName(journal.paper)) {
        problem = FillForm(UiText("Session", "找不到阅卷时的试卷文件“%1”"), {journal.paper});
    } else if (!roster_.ChooseByName(journal.roster)) {
        problem = FillForm(UiText("Session", "找不到阅卷时的名册文件“%1”"), {journal.roster});
    }
    // Sheets marked after a save build on that set: it is opened first.
    if (problem.empty() && !journal.base.empty()) {
        Status opened = OpenResultSet(programFolder_, journal.base + ".CHO", records_);
        if (!opened.ok()) problem = FillForm(UiText("Session", "阅卷时的成绩“%1”无法打开：%2"), {journal.base, opened.message()});
    }
    baseSet_ = problem.empty() ? journal.base : "";
    JournalContents restored{journal.paper, journal.roster, journal.base, {}};
    for (std::size_t i = 0; problem.empty() && i < journal.sheets.size(); ++i) {
        const SheetReview& sheet = journal.sheets[i];
        ForgetMovedSheet(sheet, records_);
        std::vector<std::string> answers = sheet.answersRead;
        for (const auto& [question, answer] : sheet.decisions) {
            if (question >= 1 && question <= static_cast<int>(answers.size())) answers[static_cast<std::size_t>(question - 1)] = answer;
        }
        if (RecordAnswers(sheet.examinee, answers, records_) == 0) {
            problem = UiText("RosterEditor", kRosterFullMessage);
            break;
        }
        records_.review.Put(sheet);
        restored.sheets.push_back(sheet);
        ++unsavedSheets_;
    }
    if (problem.empty()) return journal_.Restart(restored);
    // What could not be restored is kept aside whole, never overwritten by the next sheet.
    std::filesystem::path file = MarkingJournal::FileIn(programFolder_);
    std::filesystem::path aside = file;
    aside += ".unrecovered";
    std::error_code ec;
    std::filesystem::rename(file, aside, ec);
    if (!restored.sheets.empty()) journal_.Restart(restored);
    return Status::Error(FillForm(UiText("Session", "%1；未恢复的记录保存在“%2”"), {problem, aside.string()}));
}

void Session::DropRecovery() {
    // Declined (perhaps by a stray Esc): kept once more aside, until the next decline.
    std::filesystem::path file = MarkingJournal::FileIn(programFolder_);
    std::filesystem::path aside = file;
    aside += ".declined";
    std::error_code ec;
    std::filesystem::rename(file, aside, ec);
}

}  // namespace quillmark

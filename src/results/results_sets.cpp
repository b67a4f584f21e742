#include "results_sets.h"

#include <string_view>

#include "data/program_paths.h"
#include "data/save_as_name.h"

namespace quillmark {
namespace {

// kResultsSavedMessage (data/result_set.h) for the window's language.
constexpr char kSavedMessage[] = UI_TEXT_NOOP("ResultsSets", "当前成绩信息已保存!");
static_assert(std::string_view(kSavedMessage) == kResultsSavedMessage);

}  // namespace

std::string ResultsSets::ChosenName() const {
    if (!browseMode_ || chosen_ < 1 || chosen_ >= static_cast<int>(entries_.size())) return {};
    return ResultSetNameFromEntry(entries_[static_cast<std::size_t>(chosen_)]);
}

bool ResultsSets::Save(const ResultSet& records, Prompt& prompt) {
    std::optional<SaveTarget> target = SaveAsName(SaveKind::Results, programFolder_, prompt);
    if (!target) return false;
    // A set that existed when asked was replaced with the user's consent; a new name may
    // have been taken since (another copy, the command line), and is then never replaced.
    std::string savedAs = target->name;
    Status status = target->replacesExisting ? SaveResultSet(programFolder_, target->name, records)
                              : SaveNewResultSet(programFolder_, target->name, records, savedAs);
    std::string saved = UiText("ResultsSets", kSavedMessage);
    if (savedAs != target->name) {
        saved = FillForm(UiText("ResultsSets", "%1\n“%2”已被占用，已另存为“%3”。"), {saved, target->name, savedAs});
    }
    prompt.ShowMessage(status.ok() ? saved : status.message(), "");
    if (status.ok()) lastSaved_ = savedAs;
    // A set saved while browsing is listed at once.
    if (status.ok() && browseMode_) {
        std::string chosen = chosen_ > 0 ? entries_[static_cast<std::size_t>(chosen_)] : "";
        entries_ = {UiText("ResultsSets", kChooseResultsEntry)};
        for (std::string& name : ListResultSets(programFolder_)) entries_.push_back(std::move(name));
        chosen_ = 0;
        for (std::size_t e = 1; e < entries_.size(); ++e) {
            if (!chosen.empty() && entries_[e] == chosen) chosen_ = static_cast<int>(e);
        }
    }
    return status.ok();
}

void ResultsSets::EnterBrowseMode(ResultSet& records, ResultsPage& page) {
    browseMode_ = true;
    entries_ = {UiText("ResultsSets", kChooseResultsEntry)};
    for (std::string& name : ListResultSets(programFolder_)) entries_.push_back(std::move(name));
    Open(0, records, page);
}

Status ResultsSets::Open(int entry, ResultSet& records, ResultsPage& page) {
    Status status = Status::Ok();
    if (entry >= 1 && entry < static_cast<int>(entries_.size())) {
        status = OpenResultSet(programFolder_, entries_[static_cast<std::size_t>(entry)], records);
        if (status.ok()) {
            chosen_ = entry;
            page.Analyse(records);
            return status;
        }
    }
    chosen_ = 0;
    page.ClearLists();
    return status;
}

void ResultsSets::Close(ResultsPage& page, const ReloadChosen& reload) {
    browseMode_ = false;
    chosen_ = 0;
    page.ClearLists();
    if (reload) reload();
}

void ResultsSets::Delete(Prompt& prompt, ResultsPage& page, const ReloadChosen& reload) {
    std::string name = ChosenName();
    if (name.empty()) return;
    if (prompt.AskYesNo(FillForm(UiText("ResultsSets", "您是否真的要删除成绩文件: %1"), {name}), UiText("ResultsSets", "警告!"))) {
        Status status = DeleteResultSet(programFolder_, name);
        if (!status.ok()) prompt.ShowMessage(status.message(), "");
    }
    Close(page, reload);
}

}  // namespace quillmark

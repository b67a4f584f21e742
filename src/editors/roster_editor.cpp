#include "roster_editor.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "data/file_lists.h"
#include "data/number_text.h"
#include "data/program_paths.h"
#include "data/save_as_name.h"
#include "data/text_fns.h"
#include "engine/examinee_number.h"

namespace quillmark {

bool NumberBoxAcceptsKey(char32_t key) { return (key >= U'0' && key <= U'9') || key == U'\r' || key == U'\n' || key == U'\b'; }

bool NameBoxAcceptsKey(char32_t key) { return key != U','; }

namespace {

std::size_t CharacterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string FourDigits(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%04.0f", RoundHalfEven(value));
    return text;
}

}  // namespace

RosterEditor::RosterEditor(std::filesystem::path programFolder, ResultSet& records, Prompt& prompt)
    : programFolder_(std::move(programFolder)), records_(records), prompt_(prompt) {}

std::filesystem::path RosterEditor::RosterFolder() const { return ResolvePath(programFolder_, "\\MingCe"); }

void RosterEditor::FillEntries() {
    files_.Fill(RosterEntries(programFolder_));
    Choose(0);
}

void RosterEditor::Choose(int entry) {
    if (mayDiscardResults && !mayDiscardResults()) return;
    files_.SetChosen(entry);
    selected_ = 0;
    path_.clear();
    records_.review = ReviewLog();  // it described the sheets marked into the roster held before
    if (files_.Chosen() == 0) {
        roster().Clear();
    } else {
        std::filesystem::path path = ResolvePath(programFolder_, "\\MingCe\\" + files_.ChosenName());
        Status status = ReadRoster(path, roster());
        if (status.ok()) {
            path_ = path;
        } else {
            prompt_.ShowMessage(status.message(), "");
            files_.SetChosen(0);
            roster().Clear();
        }
    }
    if (onChosenChanged) onChosenChanged();
}

bool RosterEditor::ChooseByName(const std::string& fileName) {
    int entry = files_.Find(fileName);
    if (entry > 0) Choose(entry);
    return entry > 0 && files_.Chosen() == entry;
}

std::string RosterEditor::RowText(int row) const {
    const Examinee& e = roster().Row(row);
    return PadToGbkWidth(NumberForm(row), 4) + " | " + PadToGbkWidth(TrimSpaces(e[Examinee::考号]), 4) + " | " +
           PadToGbkWidth(e[Examinee::姓名], 10) + " | " + PadToGbkWidth(TrimSpaces(e[Examinee::Score]), 4) + " | " +
           PadToGbkWidth(TrimSpaces(e[Examinee::名次]), 4) + " | " + PadToGbkWidth(TrimSpaces(e[Examinee::Spare]), 22) + "  ";
}

void RosterEditor::Select(int row) {
    selected_ = row >= 1 && row <= RowCount() ? row : 0;
    if (selected_ == 0) return;
    numberBox_ = roster().Row(selected_)[Examinee::考号];
    nameBox_ = roster().Row(selected_)[Examinee::姓名];
}

RosterEditor::Focus RosterEditor::TakeFocusRequest() { return std::exchange(focus_, Focus::Unchanged); }

void RosterEditor::NumberKeyReleased(const std::string& text, bool enter) {
    if (selected_ == 0) {
        prompt_.ShowMessage(UiText("RosterEditor", kSelectExamineeFirst), "");
        numberBox_.clear();
        return;
    }
    numberBox_ = text;
    if (CharacterCount(text) != 4 && !enter) return;
    focus_ = Focus::NameBox;
    CheckAndStoreNumber(text);
}

void RosterEditor::NumberBoxLeft(const std::string& text) {
    if (selected_ == 0) return;
    numberBox_ = text;
    CheckAndStoreNumber(text);
}

void RosterEditor::CheckAndStoreNumber(const std::string& text) {
    bool valid = text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!valid) {
        prompt_.ShowMessage(UiText("RosterEditor", kNumberMustHaveFourDigits), "");
        focus_ = Focus::NumberBoxSelected;
        return;
    }
    roster().Row(selected_)[Examinee::考号] = text;
}

void RosterEditor::NameKeyReleased(const std::string& text, bool enter) {
    if (selected_ == 0) {
        prompt_.ShowMessage(UiText("RosterEditor", kSelectExamineeFirst), "");
        return;
    }
    if (enter) {
        NextExaminee();
        return;
    }
    nameBox_ = text;
    roster().Row(selected_)[Examinee::姓名] = text;
}

void RosterEditor::NextExaminee() {
    if (selected_ == RowCount()) {
        InsertExaminee();
        return;
    }
    Select(selected_ + 1);
}

void RosterEditor::InsertExaminee() {
    if (RowCount() >= Roster::kMaxRows) {
        prompt_.ShowMessage(UiText("RosterEditor", kRosterFullMessage), "");
        return;
    }
    int p = selected_;
    roster().InsertRow(p + 1);
    if (autoNumbering_) {
        double previous = p > 0 ? NumericValue(roster().Row(p)[Examinee::考号]) : 0;
        roster().Row(p + 1)[Examinee::考号] = FourDigits(previous + 1);
    }
    Select(p + 1);
    focus_ = autoNumbering_ ? Focus::NameBox : Focus::NumberBox;
}

void RosterEditor::DeleteExaminee() {
    if (selected_ == 0) {
        prompt_.ShowMessage(UiText("RosterEditor", kSelectExamineeToDelete), "");
        return;
    }
    int p = selected_;
    roster().RemoveRow(p);
    Select(std::min(p, RowCount()));
}

void RosterEditor::MoveUp() {
    if (selected_ < 2) return;
    std::swap(roster().Row(selected_), roster().Row(selected_ - 1));
    Select(selected_ - 1);
}

void RosterEditor::MoveDown() {
    if (selected_ < 1 || selected_ >= RowCount()) return;
    std::swap(roster().Row(selected_), roster().Row(selected_ + 1));
    Select(selected_ + 1);
}

bool RosterEditor::WriteTo(const std::filesystem::path& path) {
    Status status = WriteRoster(path, roster());
    prompt_.ShowMessage(status.ok() ? UiText("RosterEditor", kRosterSavedMessage)
                                  : FillForm(UiText("RosterEditor", "名册没有保存！%1"), {status.message()}),
                        "");
    return status.ok();
}

void RosterEditor::Save() {
    if (files_.Chosen() == 0) {
        SaveAs();
        return;
    }
    WriteTo(ResolvePath(programFolder_, "\\MingCe\\" + files_.ChosenName()));
}

void RosterEditor::SaveAs() {
    // Choosing the new file afterwards empties the results held: asked before anything is written.
    if (mayDiscardResults && !mayDiscardResults()) return;
    std::optional<SaveTarget> target = SaveAsName(SaveKind::Roster, programFolder_, prompt_);
    if (!target || !WriteTo(target->paths.front())) return;
    Choose(files_.FindOrAppend(target->name + ".txt"));
}

void RosterEditor::DeleteFile() {
    if (files_.Chosen() == 0) {
        prompt_.ShowMessage(UiText("RosterEditor", kChooseRosterToDelete), "");
        return;
    }
    if (mayDiscardResults && !mayDiscardResults()) return;
    if (!prompt_.AskYesNo(UiText("RosterEditor", kConfirmDeleteRoster), "")) return;
    Status status = RemoveChosenFile(ResolvePath(programFolder_, "\\mingce\\" + files_.ChosenName()));
    if (!status.ok()) {
        prompt_.ShowMessage(status.message(), "");
        return;
    }
    files_.RemoveChosen();
    Choose(0);
}

}  // namespace quillmark

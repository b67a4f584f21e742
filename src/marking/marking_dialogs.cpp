#include "marking_dialogs.h"

#include "data/text_codec.h"
#include "data/text_fns.h"

namespace quillmark {

void SheetTypeDialogModel::ClickOption(int option) {
    if (closed_ || option < 1 || option > kOptionCount) return;
    selected_ = option;
    okEnabled_ = true;
    result_ = kSheetTypes[static_cast<std::size_t>(option - 1)].code;
}

void SheetTypeDialogModel::Ok() {
    if (closed_ || !okEnabled_) return;
    closed_ = true;
}

void SheetTypeDialogModel::Cancel() {
    if (closed_) return;
    result_.clear();  // a chosen option is dropped
    closed_ = true;
}

void FixedTypeControls::ClickCheckBox(bool checked) {
    FixedTypeEnabled = checked;
    listVisible = checked;
}

void FixedTypeControls::Select(int position) {
    if (position < 0 || position >= static_cast<int>(codes.size())) return;
    selectedPosition = position;
    FixedTypeCode = codes[static_cast<std::size_t>(position)];
}

void 初始化答题卡类型下拉选项(FixedTypeControls& controls) {
    controls.names.clear();
    controls.codes.clear();
    for (const SheetTypeEntry& entry : kSheetTypes) {
        controls.names.emplace_back(entry.name);
        controls.codes.emplace_back(entry.code);
    }
    controls.Select(0);
}

ExamineeNumberDialogModel::ExamineeNumberDialogModel(const Roster& roster) {
    for (int row = 1; row <= roster.RowCount(); ++row) {
        const Examinee& examinee = roster.Row(row);
        numbers_.push_back(examinee[Examinee::考号]);
        names_.push_back(TrimSpaces(examinee[Examinee::姓名]));
        rows_.push_back("  " + TrimSpaces(numbers_.back()) + "   |   " + names_.back());
    }
}

void ExamineeNumberDialogModel::ClickRow(int row) {
    if (closed_ || row < 0 || row >= static_cast<int>(rows_.size())) return;
    selectedRow_ = row;
    SetNumberText(TrimSpaces(numbers_[static_cast<std::size_t>(row)]));
    nameText_ = names_[static_cast<std::size_t>(row)];
}

void ExamineeNumberDialogModel::SetNumberText(std::string text) {
    if (closed_ || text == numberText_) return;
    numberText_ = std::move(text);
    nameText_.clear();
    for (std::size_t i = 0; i < numbers_.size(); ++i) {
        if (numbers_[i] == numberText_) {
            selectedRow_ = static_cast<int>(i);
            nameText_ = names_[i];
            break;
        }
    }
}

void ExamineeNumberDialogModel::PressEnter() {
    std::string trimmed = TrimSpaces(numberText_);
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < trimmed.size(); pos += Utf8CharLength(trimmed, pos)) ++characters;
    if (characters == 4) Ok();
}

void ExamineeNumberDialogModel::Ok() {
    if (closed_) return;
    result_ = TrimSpaces(numberText_);
    closed_ = true;
}

void ExamineeNumberDialogModel::Cancel() {
    if (closed_) return;
    result_.clear();
    closed_ = true;
}

}  // namespace quillmark

#include "review_dialog_model.h"

#include <algorithm>

#include "data/ui_text.h"

namespace quillmark {
namespace {

std::string Letters(const std::string& digits) {
    std::string letters;
    for (char d : digits) letters += static_cast<char>('A' + (d - '1'));
    return letters.empty() ? UiText("ReviewDialogModel", "（未答）") : letters;
}

// The number as typed, with the roster's name for it.
std::string NumberLine(const Roster& roster, const std::string& number) {
    for (int row = 1; row <= roster.RowCount(); ++row) {
        if (roster.Row(row)[Examinee::考号] == number) {
            return FillForm(UiText("ReviewDialogModel", "考号：%1（%2）"), {number, roster.Row(row)[Examinee::姓名]});
        }
    }
    return FillForm(UiText("ReviewDialogModel", "考号：%1（名册中没有此考号）"), {number});
}

}  // namespace

ReviewDialogModel::ReviewDialogModel(ResultSet& records) : records_(records), items_(PendingReviewItems(records)) {
    LoadAnswer();
}

void ReviewDialogModel::LoadAnswer() {
    if (items_.empty()) return;
    const ReviewItem& item = CurrentItem();
    answer_ = item.question == 0 ? item.examinee : item.current;
    // Coming back to a question decided meanwhile shows the answer now kept, not the old one.
    const SheetReview* sheet = records_.review.Find(item.examinee);
    if (sheet && item.question > 0) {
        auto decided = sheet->decisions.find(item.question);
        if (decided != sheet->decisions.end()) answer_ = decided->second;
    }
}

std::string ReviewDialogModel::ItemLine(int index) const {
    const ReviewItem& item = items_.at(static_cast<std::size_t>(index));
    return item.question == 0 ? FillForm(UiText("ReviewDialogModel", "%1  考号（读为“%2”）"), {item.examinee, item.reading})
                              : FillForm(UiText("ReviewDialogModel", "%1  第%2题  读为 %3"),
                                         {item.examinee, std::to_string(item.question), Letters(item.reading)});
}

std::string ReviewDialogModel::AnswerLine() const {
    if (items_.empty()) return "";
    return CurrentItem().question == 0 ? NumberLine(records_.roster, answer_)
                                       : FillForm(UiText("ReviewDialogModel", "答案：%1"), {Letters(answer_)});
}

ReviewDialogModel::Change ReviewDialogModel::TypeDigit(char digit) {
    if (items_.empty() || digit < '0' || digit > '9') return Change::Nothing;
    if (CurrentItem().question == 0) {
        answer_ = answer_.size() >= 4 ? std::string(1, digit) : answer_ + digit;
        return Change::Answer;
    }
    if (digit < '1' || digit > '0' + kOptions) return Change::Nothing;
    std::size_t at = answer_.find(digit);
    if (at == std::string::npos) answer_ += digit;
    else answer_.erase(at, 1);
    std::sort(answer_.begin(), answer_.end());
    return Change::Answer;
}

ReviewDialogModel::Decision ReviewDialogModel::Accept() {
    Decision decision;
    if (items_.empty()) return decision;
    const ReviewItem& item = CurrentItem();
    decision.status = item.question == 0 ? (answer_ == item.examinee ? AcceptNumber(records_, item.examinee)
                                                                     : CorrectNumber(records_, item.examinee, answer_))
                                         : DecideAnswer(records_, item.examinee, item.question, answer_);
    if (!decision.status.ok()) return decision;
    decision.item = current_;
    decision.examinee = item.question == 0 ? answer_ : item.examinee;
    // The sheet's other questions are now filed under the number typed.
    if (decision.examinee != item.examinee) {
        std::string moved = item.examinee;
        for (ReviewItem& other : items_) {
            if (other.examinee == moved) other.examinee = decision.examinee;
        }
    }
    ++decided_;
    if (current_ + 1 < static_cast<int>(items_.size())) ++current_;
    LoadAnswer();
    return decision;
}

ReviewDialogModel::Change ReviewDialogModel::Next() {
    if (items_.empty()) return Change::Nothing;
    if (current_ + 1 < static_cast<int>(items_.size())) ++current_;
    LoadAnswer();
    return Change::Item;
}

ReviewDialogModel::Change ReviewDialogModel::Previous() {
    if (items_.empty()) return Change::Nothing;
    if (current_ > 0) --current_;
    LoadAnswer();
    return Change::Item;
}

ReviewDialogModel::Change ReviewDialogModel::Select(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size()) || index == current_) return Change::Nothing;
    current_ = index;
    LoadAnswer();
    return Change::Item;
}

}  // namespace quillmark

#pragma once

#include <string>
#include <vector>

#include "data/result_set.h"
#include "data/status.h"
#include "review_queue.h"

namespace quillmark {

// The review view 核对存疑 without its widgets: the readings pending when it opened, which
// one is shown, and the answer (or examinee number) that Enter keeps for it.
class ReviewDialogModel {
public:
    // What the view must draw again after an operation.
    enum class Change { Nothing, Answer, Item };

    // What Accept did.
    struct Decision {
        Status status = Status::Ok();  // on an error nothing changed
        int item = -1;                 // the item decided; -1 when there was none
        std::string examinee;          // the number the sheet is kept under now
    };

    // Option digits a question takes, as DecideAnswer checks them.
    static constexpr int kOptions = 5;

    // Items decided meanwhile stay listed, so the list rows keep their places.
    explicit ReviewDialogModel(ResultSet& records);

    const std::vector<ReviewItem>& Items() const { return items_; }
    bool Empty() const { return items_.empty(); }
    int Current() const { return current_; }
    const ReviewItem& CurrentItem() const { return items_.at(static_cast<std::size_t>(current_)); }
    const std::string& Answer() const { return answer_; }
    int Decided() const { return decided_; }

    // The list's line for an item, and the line under the crop for the answer shown.
    std::string ItemLine(int index) const;
    std::string AnswerLine() const;

    // A number takes any digit, a fifth one starting it afresh; a question toggles its option
    // digits, kept in order. Other digits are ignored.
    Change TypeDigit(char digit);
    // Keeps the answer shown and moves to the next item (the last one stays shown).
    Decision Accept();
    // Stay at the ends; the item is shown afresh either way, dropping what was typed.
    Change Next();
    Change Previous();
    // An item picked in the list.
    Change Select(int index);

private:
    void LoadAnswer();

    ResultSet& records_;
    std::vector<ReviewItem> items_;
    int current_ = 0;
    std::string answer_;
    int decided_ = 0;
};

}  // namespace quillmark

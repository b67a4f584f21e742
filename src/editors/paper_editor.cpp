#include "paper_editor.h"

#include <algorithm>

#include "data/file_lists.h"
#include "data/number_text.h"
#include "data/program_paths.h"
#include "data/save_as_name.h"
#include "data/text_fns.h"

namespace quillmark {

PaperEditor::PaperEditor(std::filesystem::path programFolder, ResultSet& records, Prompt& prompt)
    : programFolder_(std::move(programFolder)), records_(records), prompt_(prompt) {}

void PaperEditor::FillEntries() {
    files_.Fill(ExamPaperEntries(programFolder_));
    Choose(0);
}

void PaperEditor::Choose(int entry) {
    if (mayDiscardResults && !mayDiscardResults()) return;
    files_.SetChosen(entry);
    Select(0);
    records_.review = ReviewLog();  // the answers it described are emptied with the new paper
    if (files_.Chosen() == 0) {
        path_.clear();
        paper().总题数 = 0;
    } else {
        path_ = ResolvePath(programFolder_, "\\ShiJuan\\" + files_.ChosenName());
        LoadExamPaper(path_, records_);
        ShowHeaderBoxes();
    }
    if (onChosenChanged) onChosenChanged();
}

bool PaperEditor::ChooseByName(const std::string& fileName) {
    int entry = files_.Find(fileName);
    if (entry > 0) Choose(entry);
    return entry > 0;
}

void PaperEditor::ShowHeaderBoxes() {
    defaultScoreBox_ = ShortestDecimalText(paper().分值);
    const double thresholds[] = {paper().优秀, paper().良好, paper().中等, paper().及格};
    for (std::size_t i = 0; i < thresholdBoxes_.size(); ++i) thresholdBoxes_[i] = ShortestDecimalText(RoundHalfEven(thresholds[i]));
}

std::string PaperEditor::RowText(int question) const {
    const ExamQuestion& row = paper().questions[static_cast<std::size_t>(question)];
    std::string score = TrimSpaces(row[ExamQuestion::Z]);
    if (score.empty()) score = TrimSpaces(NumberForm(paper().分值));
    return PadToGbkWidth(NumberForm(question), 4) + " | " + PadToGbkWidth(TrimSpaces(row[ExamQuestion::DA]), 6) + "| " +
           PadToGbkWidth(score, 4) + "   ";
}

std::string PaperEditor::FrameCaption() const {
    return FillForm(UiText("PaperEditor", "当前试题:第 %1 题"), {selected_ > 0 ? std::to_string(selected_) : std::string()});
}

void PaperEditor::Select(int question) {
    selected_ = question >= 1 && question <= RowCount() ? question : 0;
    ticks_ = {};  // no question chosen shows no key (a save-as used to leave the last one ticked)
    if (selected_ == 0) return;
    const ExamQuestion& row = paper().questions[static_cast<std::size_t>(selected_)];
    for (int k = 1; k <= 5; ++k) ticks_[static_cast<std::size_t>(k - 1)] = row[ExamQuestion::DA].find(char('0' + k)) != std::string::npos;
    std::string own = TrimSpaces(row[ExamQuestion::Z]);
    useDefault_ = own.empty();
    scoreBox_ = useDefault_ ? ShortestDecimalText(paper().分值) : own;
}

void PaperEditor::OptionClicked(int option, bool ticked) {
    if (option < 1 || option > 5) return;
    if (selected_ == 0) {
        prompt_.ShowMessage(UiText("PaperEditor", kSelectQuestionFirst), "");
        ticks_[static_cast<std::size_t>(option - 1)] = false;
        return;
    }
    ticks_[static_cast<std::size_t>(option - 1)] = ticked;
    std::string answer;
    for (int k = 1; k <= 5; ++k) {
        if (ticks_[static_cast<std::size_t>(k - 1)]) answer += char('0' + k);
    }
    paper().questions[static_cast<std::size_t>(selected_)][ExamQuestion::DA] = answer;
}

void PaperEditor::UseDefaultClicked(bool ticked) {
    if (selected_ == 0) {
        prompt_.ShowMessage(UiText("PaperEditor", kSelectQuestionToSet), "");
        return;
    }
    useDefault_ = ticked;
    std::string& own = paper().questions[static_cast<std::size_t>(selected_)][ExamQuestion::Z];
    if (ticked) {
        own.clear();
        scoreBox_ = ShortestDecimalText(paper().分值);
    } else {
        own = scoreBox_;
    }
}

void PaperEditor::ScoreTyped(const std::string& text) {
    if (selected_ == 0) {
        prompt_.ShowMessage(UiText("PaperEditor", kSelectQuestionFirst), "");
        scoreBox_.clear();
        return;
    }
    scoreBox_ = text;
    paper().questions[static_cast<std::size_t>(selected_)][ExamQuestion::Z] = ShortestDecimalText(NumericValue(text));
    useDefault_ = false;
}

void PaperEditor::NextQuestion() {
    int count = RowCount();
    if (selected_ == count) {
        if (count < ExamPaper::kMaxQuestions) InsertQuestion();
        return;
    }
    Select(selected_ + 1);
}

void PaperEditor::InsertQuestion() {
    if (paper().总题数 >= ExamPaper::kMaxQuestions) {
        prompt_.ShowMessage(UiText("PaperEditor", kTooManyQuestions), "");
        return;
    }
    int p = selected_;
    int count = ++paper().总题数;
    auto& rows = paper().questions;
    for (int r = count; r >= p + 2; --r) rows[static_cast<std::size_t>(r)] = rows[static_cast<std::size_t>(r - 1)];
    rows[static_cast<std::size_t>(p + 1)] = ExamQuestion();
    Select(p + 1);
}

void PaperEditor::DeleteQuestion() {
    if (selected_ == 0) {
        prompt_.ShowMessage(UiText("PaperEditor", kSelectQuestionToDelete), "");
        return;
    }
    int p = selected_;
    int count = --paper().总题数;
    auto& rows = paper().questions;
    for (int r = p; r <= count; ++r) rows[static_cast<std::size_t>(r)] = rows[static_cast<std::size_t>(r + 1)];
    rows[static_cast<std::size_t>(count + 1)] = ExamQuestion();
    Select(std::min(p, count));
}

void PaperEditor::MoveUp() {
    if (selected_ < 2) return;
    std::swap(paper().questions[static_cast<std::size_t>(selected_)], paper().questions[static_cast<std::size_t>(selected_ - 1)]);
    Select(selected_ - 1);
}

void PaperEditor::MoveDown() {
    if (selected_ < 1 || selected_ >= RowCount()) return;
    std::swap(paper().questions[static_cast<std::size_t>(selected_)], paper().questions[static_cast<std::size_t>(selected_ + 1)]);
    Select(selected_ + 1);
}

bool PaperEditor::WriteTo(const std::filesystem::path& path) {
    Status status = WriteExamPaper(path, paper());
    prompt_.ShowMessage(status.ok() ? UiText("PaperEditor", kPaperSavedMessage)
                                  : FillForm(UiText("PaperEditor", "试卷没有保存！%1"), {status.message()}),
                        "");
    return status.ok();
}

void PaperEditor::Save() {
    if (files_.Chosen() == 0) {
        SaveAs();
        return;
    }
    WriteTo(ResolvePath(programFolder_, "\\ShiJuan\\" + files_.ChosenName()));
}

void PaperEditor::SaveAs() {
    // Choosing the new file afterwards empties the results held: asked before anything is written.
    if (mayDiscardResults && !mayDiscardResults()) return;
    std::optional<SaveTarget> target = SaveAsName(SaveKind::ExamPaper, programFolder_, prompt_);
    if (!target || !WriteTo(target->paths.front())) return;
    Choose(files_.FindOrAppend(target->name + ".CHO"));
}

void PaperEditor::DeleteFile() {
    if (files_.Chosen() == 0) {
        prompt_.ShowMessage(UiText("PaperEditor", kChoosePaperToDelete), "");
        return;
    }
    if (mayDiscardResults && !mayDiscardResults()) return;
    if (!prompt_.AskYesNo(UiText("PaperEditor", kConfirmDeletePaper), "")) return;
    Status status = RemoveChosenFile(ResolvePath(programFolder_, "\\ShiJuan\\" + files_.ChosenName()));
    if (!status.ok()) {
        prompt_.ShowMessage(status.message(), "");
        return;
    }
    files_.RemoveChosen();
    Choose(0);
}

void PaperEditor::DefaultScoreChanged(const std::string& text) {
    defaultScoreBox_ = text;
    paper().分值 = NumericValue(text);
}

void PaperEditor::ThresholdChanged(int grade, const std::string& text) {
    if (grade < 0 || grade > 3) return;
    thresholdBoxes_[static_cast<std::size_t>(grade)] = text;
    double value = RoundHalfEven(NumericValue(text));
    double* thresholds[] = {&paper().优秀, &paper().良好, &paper().中等, &paper().及格};
    *thresholds[grade] = value;
}

}  // namespace quillmark

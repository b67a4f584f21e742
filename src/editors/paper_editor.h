#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/prompt.h"
#include "data/result_set.h"
#include "data/ui_text.h"
#include "file_choice.h"

namespace quillmark {

inline constexpr char kPaperListHeader[] = UI_TEXT_NOOP("PaperEditor", "  题号   答案    分值    ");
inline constexpr char kSelectQuestionFirst[] = UI_TEXT_NOOP("PaperEditor", "请先选择要修改的试题!");
inline constexpr char kSelectQuestionToSet[] = UI_TEXT_NOOP("PaperEditor", "请先选定要设定的试题!");
inline constexpr char kSelectQuestionToDelete[] = UI_TEXT_NOOP("PaperEditor", "请先选定要删除的试题!");
inline constexpr char kTooManyQuestions[] = UI_TEXT_NOOP("PaperEditor", "对不起!本阅卷系统限制试题不能超过200题。");
inline constexpr char kPaperSavedMessage[] = UI_TEXT_NOOP("PaperEditor", "当前试卷信息已保存!");
inline constexpr char kChoosePaperToDelete[] = UI_TEXT_NOOP("PaperEditor", "请先选择要删除的试卷文件!");
inline constexpr char kConfirmDeletePaper[] = UI_TEXT_NOOP("PaperEditor", "是否确定要删除当前试卷(删除后无法恢复)?");

// The exam paper page: the chosen file, the question list and the boxes of the selected
// question, as the page's controls show them. Works on the paper of the records; messages
// and questions go through the prompt.
class PaperEditor {
public:
    PaperEditor(std::filesystem::path programFolder, ResultSet& records, Prompt& prompt);

    // Called after the chosen file changed (or was chosen again), for the pages that depend on it.
    std::function<void()> onChosenChanged;

    // The drop-down: entry 0 is the prompt entry.
    // Asked before a choice replaces the results held; false keeps the current choice.
    std::function<bool()> mayDiscardResults;
    void FillEntries();
    const std::vector<std::string>& Entries() const { return files_.Entries(); }
    int Chosen() const { return files_.Chosen(); }
    const std::filesystem::path& PaperPath() const { return path_; }
    bool NextEnabled() const { return files_.Chosen() > 0; }
    // Reads the entry's file as the current paper; entry 0 means no paper.
    void Choose(int entry);
    // Chooses the entry of that file name (letter case ignored); false when none is listed.
    bool ChooseByName(const std::string& fileName);

    // The question list: one row per question, row k-1 for question k.
    int RowCount() const { return paper().总题数 > 0 ? paper().总题数 : 0; }
    std::string RowText(int question) const;
    int Selected() const { return selected_; }
    void Select(int question);

    // The boxes of the selected question as shown.
    std::string FrameCaption() const;
    bool Ticked(int option) const { return ticks_[static_cast<std::size_t>(option - 1)]; }
    bool UsesDefaultScore() const { return useDefault_; }
    const std::string& ScoreBox() const { return scoreBox_; }
    const std::string& DefaultScoreBox() const { return defaultScoreBox_; }
    const std::string& ThresholdBox(int grade) const { return thresholdBoxes_[static_cast<std::size_t>(grade)]; }

    void OptionClicked(int option, bool ticked);
    void UseDefaultClicked(bool ticked);
    void ScoreTyped(const std::string& text);
    void NextQuestion();
    void InsertQuestion();
    void DeleteQuestion();
    void MoveUp();
    void MoveDown();
    void Save();
    void SaveAs();
    void DeleteFile();
    void DefaultScoreChanged(const std::string& text);
    // Grades 0..3: 优秀, 良好, 中等, 及格.
    void ThresholdChanged(int grade, const std::string& text);

private:
    ExamPaper& paper() { return records_.paper; }
    const ExamPaper& paper() const { return records_.paper; }
    bool WriteTo(const std::filesystem::path& path);
    void ShowHeaderBoxes();

    std::filesystem::path programFolder_;
    ResultSet& records_;
    Prompt& prompt_;
    FileChoice files_;
    std::filesystem::path path_;
    int selected_ = 0;
    std::array<bool, 5> ticks_{};
    bool useDefault_ = false;
    std::string scoreBox_;
    std::string defaultScoreBox_;
    std::array<std::string, 4> thresholdBoxes_;
};

}  // namespace quillmark

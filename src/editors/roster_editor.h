#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/prompt.h"
#include "data/result_set.h"
#include "data/roster.h"
#include "data/ui_text.h"
#include "file_choice.h"

namespace quillmark {

inline constexpr char kRosterListHeader[] = UI_TEXT_NOOP("RosterEditor", "序号  考号    姓名");
inline constexpr char kSelectExamineeFirst[] = UI_TEXT_NOOP("RosterEditor", "请先选择要修改的考生记录!");
inline constexpr char kSelectExamineeToDelete[] = UI_TEXT_NOOP("RosterEditor", "请先选定要删除的考生记录!");
inline constexpr char kNumberMustHaveFourDigits[] = UI_TEXT_NOOP("RosterEditor", "考生考号要求由4位数字组成,请重新输入!");
inline constexpr char kRosterSavedMessage[] = UI_TEXT_NOOP("RosterEditor", "当前名册信息已保存!");
inline constexpr char kChooseRosterToDelete[] = UI_TEXT_NOOP("RosterEditor", "请先选择要删除的名册文件!");
inline constexpr char kConfirmDeleteRoster[] = UI_TEXT_NOOP("RosterEditor", "是否确定要删除当前名册(删除后无法恢复)?");
// kStatusRosterFull (data/roster.h) as a message, for UiText("RosterEditor", ...).
inline constexpr char kRosterFullMessage[] = UI_TEXT_NOOP("RosterEditor", "名册已满，无法添加考生");
static_assert(std::string_view(kRosterFullMessage) == kStatusRosterFull);

// Keys the number box takes while typing: digits, Enter and Backspace; the name box takes
// everything but a comma, which would split the name's field in the roster file.
bool NumberBoxAcceptsKey(char32_t key);
bool NameBoxAcceptsKey(char32_t key);

// The roster page: the chosen file, the examinee list and the two boxes of the selected
// examinee. Works on the roster of the records; messages go through the prompt.
class RosterEditor {
public:
    enum class Focus { Unchanged, NumberBox, NumberBoxSelected, NameBox };

    RosterEditor(std::filesystem::path programFolder, ResultSet& records, Prompt& prompt);

    std::function<void()> onChosenChanged;

    // Asked before a choice replaces the results held; false keeps the current choice.
    std::function<bool()> mayDiscardResults;
    void FillEntries();
    // MingCe, where rosters are kept.
    std::filesystem::path RosterFolder() const;
    const std::vector<std::string>& Entries() const { return files_.Entries(); }
    int Chosen() const { return files_.Chosen(); }
    const std::filesystem::path& RosterPath() const { return path_; }
    bool NextEnabled() const { return files_.Chosen() > 0; }
    // Reads the entry's file as the current roster; entry 0 (or a file refused, after its
    // message) means no roster.
    void Choose(int entry);
    bool ChooseByName(const std::string& fileName);

    int RowCount() const { return roster().RowCount(); }
    std::string RowText(int row) const;
    int Selected() const { return selected_; }
    void Select(int row);

    const std::string& NumberBox() const { return numberBox_; }
    const std::string& NameBox() const { return nameBox_; }
    bool AutoNumbering() const { return autoNumbering_; }
    void SetAutoNumbering(bool on) { autoNumbering_ = on; }
    // Where the input focus must go after the last operation; reading it clears it.
    Focus TakeFocusRequest();

    // A key was released in the number box, which now holds `text`.
    void NumberKeyReleased(const std::string& text, bool enter);
    // The number box lost the focus.
    void NumberBoxLeft(const std::string& text);
    void NameKeyReleased(const std::string& text, bool enter);
    void NextExaminee();
    void InsertExaminee();
    void DeleteExaminee();
    void MoveUp();
    void MoveDown();
    void Save();
    void SaveAs();
    void DeleteFile();

private:
    Roster& roster() { return records_.roster; }
    const Roster& roster() const { return records_.roster; }
    void CheckAndStoreNumber(const std::string& text);
    bool WriteTo(const std::filesystem::path& path);

    std::filesystem::path programFolder_;
    ResultSet& records_;
    Prompt& prompt_;
    FileChoice files_;
    std::filesystem::path path_;
    int selected_ = 0;
    std::string numberBox_;
    std::string nameBox_;
    bool autoNumbering_ = false;
    Focus focus_ = Focus::Unchanged;
};

}  // namespace quillmark

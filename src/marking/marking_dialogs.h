#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/roster.h"
#include "data/ui_text.h"
#include "sheet_type_table.h"

namespace quillmark {

// The texts of these dialogs and controls are shown as UiText("MarkingDialogs", ...); the
// type names and captions as UiText("SheetTypes", ...).

// The dialog 选择答题卡类型, shown when a sheet's type cannot be read.
class SheetTypeDialogModel {
public:
    static constexpr char kCaption[] = UI_TEXT_NOOP("MarkingDialogs", "选择当前答题卡的类型");
    static constexpr char kLabel[] = UI_TEXT_NOOP("MarkingDialogs", "    系统无法正确识别当前答题卡的类型。请手工选择当前答题卡对应的类型：");
    static constexpr char kOkCaption[] = UI_TEXT_NOOP("MarkingDialogs", "确定");
    static constexpr char kCancelCaption[] = UI_TEXT_NOOP("MarkingDialogs", "重新输入答题卡图像");
    static constexpr int kOptionCount = static_cast<int>(kSheetTypes.size());

    // The caption of option 1..kOptionCount.
    static const char* OptionCaption(int option) { return kSheetTypes[static_cast<std::size_t>(option - 1)].caption; }

    int SelectedOption() const { return selected_; }  // 0 while none is chosen
    bool OkEnabled() const { return okEnabled_; }
    bool Closed() const { return closed_; }
    // The code of the clicked option; empty until a click and after Cancel or the frame
    // closed the dialog (re-enter the image).
    const std::string& Result() const { return result_; }

    void ClickOption(int option);
    void Ok();
    void Cancel();
    void CloseByFrame() { Cancel(); }

private:
    int selected_ = 0;
    bool okEnabled_ = false;
    bool closed_ = false;
    std::string result_;
};

// The fixed-type controls of the marking page: the check box and the type list.
struct FixedTypeControls {
    static constexpr char kCheckBoxCaption[] = UI_TEXT_NOOP("MarkingDialogs", "是否指定答题卡类型");

    std::vector<std::string> names;
    std::vector<std::string> codes;  // parallel to names
    int selectedPosition = -1;
    bool FixedTypeEnabled = false;
    bool listVisible = false;
    std::string FixedTypeCode;

    void ClickCheckBox(bool checked);
    void Select(int position);
};

// Fills the type list and selects its first entry.
void 初始化答题卡类型下拉选项(FixedTypeControls& controls);

// The dialog 选择答题卡考号, shown when a sheet's examinee number is not in the roster.
class ExamineeNumberDialogModel {
public:
    static constexpr char kCaption[] = UI_TEXT_NOOP("MarkingDialogs", "选择当前答题卡的考号");
    static constexpr char kLabel[] = UI_TEXT_NOOP("MarkingDialogs", "  系统无法正确识别当前答题卡的考号。请手工选择或输入当前答题卡的正确考号：");
    static constexpr char kListLabel[] = UI_TEXT_NOOP("MarkingDialogs", "请选择正确的考号：");
    static constexpr char kNumberLabel[] = UI_TEXT_NOOP("MarkingDialogs", "输入考号：");
    static constexpr char kNameLabel[] = UI_TEXT_NOOP("MarkingDialogs", "考生姓名：");
    static constexpr char kOkCaption[] = UI_TEXT_NOOP("MarkingDialogs", "确定");
    static constexpr char kCancelCaption[] = UI_TEXT_NOOP("MarkingDialogs", "重新输入答题卡图像");
    static constexpr char kHelpCaption[] = UI_TEXT_NOOP("MarkingDialogs", "帮助");  // the button does nothing

    explicit ExamineeNumberDialogModel(const Roster& roster);

    // Row r shows roster row r + 1.
    const std::vector<std::string>& Rows() const { return rows_; }
    int SelectedRow() const { return selectedRow_; }  // -1 while none
    const std::string& NumberText() const { return numberText_; }
    const std::string& NameText() const { return nameText_; }
    bool Closed() const { return closed_; }
    // The trimmed number once closed with 确定; empty otherwise (re-enter the image).
    const std::string& Result() const { return result_; }

    void ClickRow(int row);
    void SetNumberText(std::string text);
    void PressEnter();
    void Ok();
    void Cancel();
    void CloseByFrame() { Cancel(); }

private:
    std::vector<std::string> numbers_;  // as in the roster, untrimmed
    std::vector<std::string> names_;    // trimmed
    std::vector<std::string> rows_;
    int selectedRow_ = -1;
    std::string numberText_;
    std::string nameText_;
    bool closed_ = false;
    std::string result_;
};

}  // namespace quillmark

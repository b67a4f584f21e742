#include "page_texts.h"

#include <initializer_list>
#include <utility>

#include "data/ui_text.h"

namespace quillmark {
namespace {

// Each piece, in the window's language, with the number of line breaks that follow it.
std::string Join(std::initializer_list<std::pair<const char*, int>> pieces) {
    std::string text;
    for (const auto& [piece, breaks] : pieces) text.append(UiText("PageTexts", piece)).append(static_cast<std::size_t>(breaks), '\r');
    return text;
}

}  // namespace

std::string PaperPageHelpText() {
    return Join({
        {UI_TEXT_NOOP("PageTexts", "选择试卷："), 1},
        {UI_TEXT_NOOP("PageTexts", "    请单击“选择试卷”框中的下拉列表，在列表中选择本次考试使用的试卷文件。如果您尚未建立相应的试卷文件，请利用本页面中的“编辑试卷”框建立新的试卷文件。 "), 2},
        {UI_TEXT_NOOP("PageTexts", "建立新的试卷文件："), 1},
        {UI_TEXT_NOOP("PageTexts", "    建立新的试题：用鼠标单击“下一题”按钮即可选择下一题为当前考题，如当前考题为最后一题，则自动新建试题。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    试题信息请在当前试题框内进行设置。 "), 1},
        {UI_TEXT_NOOP("PageTexts", "    分值设置：为了快速输入，试题分值一般使用默认分值。通过在试卷参数框中修改默认分值可以同时改变本试卷内的所有使用默认分值的试题的分值。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    答案设置：用鼠标在“当前试题”框中单击对应的答案选项即可设置当前试题的答案。"), 2},
        {UI_TEXT_NOOP("PageTexts", "    试卷参数设置：在“试卷参数”框中可更改默认分值，设置成绩等级的分数标准。该参数将用于阅卷后的成绩统计中。"), 2},
        {UI_TEXT_NOOP("PageTexts", "试卷文件管理：  "), 1},
        {UI_TEXT_NOOP("PageTexts", "    1、保存试卷：在修改了原有的试卷信息后，单击“保存试卷”按钮即可保存为修改后的信息。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    2、试卷另存为…… ：在新建试卷完成或修改了原有的试卷信息后，单击“试卷另存为…… ”按钮即可将当前试卷信息保存到新的文件中。"), 1},
        {UI_TEXT_NOOP("PageTexts", "       注意：在系统弹出的“输入文件名”对话框中，文件名不能带路径和文件名后缀，否则将引起文件保存错误。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    3、删除试卷：用于删除当前选中的试卷。"), 0},
        {UI_TEXT_NOOP("PageTexts", "       注意：该操作不可恢复，请确认当前试卷已经不需要。"), 0},
    });
}

std::string RosterPageHelpText() {
    return Join({
        {UI_TEXT_NOOP("PageTexts", "选择名册："), 1},
        {UI_TEXT_NOOP("PageTexts", "    请单击“选择名册”框中的下拉列表，在列表中选择本次考试使用的名册文件。如果您尚未建立相应的名册文件，请利用本页面中的“编辑名册”框建立新的名册文件。 "), 2},
        {UI_TEXT_NOOP("PageTexts", "建立新的名册文件："), 1},
        {UI_TEXT_NOOP("PageTexts", "    建立新的名册：用鼠标单击“下一考生”按钮即可选择下一考生为当前考生，如当前考生为最后一考生，则自动新建考生记录。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    考生信息请在当前考生框内进行设置。 "), 1},
        {UI_TEXT_NOOP("PageTexts", "    考号设置：为了快速输入，考号一般使用“默认自动添加考号”。考号要求由四位数字组成，如：0201 。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    考生姓名设置：考生姓名允许使用10个字符或5个以下的汉字，但不能包含标点符号。"), 2},
        {UI_TEXT_NOOP("PageTexts", "名册文件管理：  "), 1},
        {UI_TEXT_NOOP("PageTexts", "    1、保存名册：在修改了原有的名册信息后，单击“保存名册”按钮即可保存为修改后的信息。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    2、名册另存为…… ：在新建名册完成或修改了原有的名册信息后，单击“名册另存为…… ”按钮即可将当前名册信息保存到新的文件中。"), 1},
        {UI_TEXT_NOOP("PageTexts", "       注意：在系统弹出的“输入文件名”对话框中，文件名不能带路径和文件名后缀，否则将引起文件保存错误。"), 1},
        {UI_TEXT_NOOP("PageTexts", "    3、删除名册：用于删除当前选中的名册。"), 0},
        {UI_TEXT_NOOP("PageTexts", "       注意：该操作不可恢复，请确认当前名册已经不需要。"), 0},
    });
}

}  // namespace quillmark

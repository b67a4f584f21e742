#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/result_set.h"
#include "data/ui_text.h"

namespace quillmark {

// The results page's question and examinee lists as table cells: one vector of columns a
// row, in the order of ResultsPage's row texts. Those texts cut values to fixed widths; the
// cells carry them whole from the records, the rates to one decimal.
using CellRows = std::vector<std::vector<std::string>>;

// The captions stay Chinese here (a caption is compared to tell the columns apart); the
// window shows each as UiText("ResultsLists", caption).
inline const std::vector<std::string> kQuestionColumnCaptions = {
    UI_TEXT_NOOP("ResultsLists", "题号"), UI_TEXT_NOOP("ResultsLists", "答案"), UI_TEXT_NOOP("ResultsLists", "分值"),
    UI_TEXT_NOOP("ResultsLists", "得分率%"), "A%", "B%", "C%", "D%", "E%"};
inline const std::vector<std::string> kExamineeColumnCaptions = {
    UI_TEXT_NOOP("ResultsLists", "考号"), UI_TEXT_NOOP("ResultsLists", "姓名"), UI_TEXT_NOOP("ResultsLists", "成绩"),
    UI_TEXT_NOOP("ResultsLists", "名次")};

CellRows QuestionCells(const ResultSet& records, const std::vector<std::string>& rows);
CellRows ExamineeCells(const ResultSet& records, const std::vector<std::string>& rows);

// A rate as the lists show it: one decimal; a text that is no number stays as it is.
std::string RateText(std::string_view rate);

}  // namespace quillmark

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/result_set.h"

namespace quillmark {

// The results page's question and examinee lists as table cells: one vector of columns a
// row, in the order of ResultsPage's row texts. Those texts cut values to fixed widths; the
// cells carry them whole from the records, the rates to one decimal.
using CellRows = std::vector<std::vector<std::string>>;

inline const std::vector<std::string> kQuestionColumnCaptions = {"题号", "答案", "分值", "得分率%", "A%",
                                                                 "B%",   "C%",   "D%",   "E%"};
inline const std::vector<std::string> kExamineeColumnCaptions = {"考号", "姓名", "成绩", "名次"};

CellRows QuestionCells(const ResultSet& records, const std::vector<std::string>& rows);
CellRows ExamineeCells(const ResultSet& records, const std::vector<std::string>& rows);

// A rate as the lists show it: one decimal; a text that is no number stays as it is.
std::string RateText(std::string_view rate);

}  // namespace quillmark

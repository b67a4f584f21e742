#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/result_set.h"
#include "score_analysis.h"

namespace quillmark {

// Where a text goes: the window shows it in its language; the workbook keeps it in Chinese
// whatever the window's language, for the scripts and gradebooks that read it.
enum class TextFor { Window, File };

// The export workbook as values in cells, independent of the file format that carries it.
// Rows and columns count from 1; every value keeps its text as the results hold it.
struct WorkbookCell {
    int row = 0;
    int column = 0;
    std::string text;
    bool heading = false;  // our own captions, styled apart from the values
    // Scores, ranks, counts, rates and figures: the spreadsheet sorts and sums them only as
    // number cells. Missing when the text is no number.
    std::optional<double> number;
};

struct Worksheet {
    std::string name;
    std::vector<WorkbookCell> cells;
    std::vector<double> columnWidths;  // characters, from column 1; missing ones stay default
};

// Examinees per 10-point band of the total score: 0-9, 10-19, ..., 90-99, 100 and more.
struct ScoreDistribution {
    std::vector<std::string> bands;
    std::vector<long long> counts;
};

struct ResultsWorkbook {
    std::vector<Worksheet> sheets;  // 考生成绩, 统计分析, 试题分析, 考生答案, 成绩分布, 项目分析
    ScoreDistribution distribution;
};

ResultsWorkbook BuildResultsWorkbook(const ResultSet& records, const ScoreStatistics& statistics,
                                     const std::string& title);

ScoreDistribution DistributionOf(const Roster& roster, TextFor use = TextFor::Window);

// The number a whole text is (blanks around it allowed), as the results write numbers.
std::optional<double> NumberCellValue(std::string_view text);
ScoreDistribution DistributionOfScores(const std::vector<double>& scores, TextFor use = TextFor::Window);

// The export title: the chosen results set in browse mode, otherwise the chosen exam
// paper's entry up to ".CHO"; empty when nothing is chosen.
std::string ExportTitle(bool browseMode, const std::string& chosenSetName, const std::string& chosenPaperEntry);

// The workbook's file name in ChengJi: the title with ".xlsx", or "成绩导出.xlsx".
std::string ExportFileName(const std::string& title);

}  // namespace quillmark

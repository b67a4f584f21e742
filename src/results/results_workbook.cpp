#include "results_workbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "data/number_text.h"
#include "data/result_set.h"
#include "data/text_fns.h"
#include "data/ui_text.h"
#include "item_analysis.h"

namespace quillmark {
namespace {

void Put(Worksheet& sheet, int row, int column, std::string text, bool heading = false) {
    sheet.cells.push_back({row, column, std::move(text), heading, std::nullopt});
}

// A value that is a number goes in as one; anything else (a hand-typed "缺考") stays text.
void PutValue(Worksheet& sheet, int row, int column, std::string text) {
    std::optional<double> number = NumberCellValue(text);
    sheet.cells.push_back({row, column, std::move(text), false, number});
}

// Row 1 names the sheet, B2 holds the title, row 5 the column captions; data from row 6.
Worksheet Sheet(const char* name, const char* heading, const std::string& title) {
    Worksheet sheet;
    sheet.name = name;
    Put(sheet, 1, 1, heading, true);
    Put(sheet, 2, 1, "考试", true);
    Put(sheet, 2, 2, TrimSpaces(title));
    return sheet;
}

Worksheet Examinees(const Roster& roster, const std::string& title) {
    Worksheet sheet = Sheet("考生成绩", "考生成绩", title);
    const char* captions[] = {"考号", "姓名", "成绩", "名次", "备注"};
    for (int c = 0; c < 5; ++c) Put(sheet, 5, c + 1, captions[c], true);
    for (int i = 1; i <= roster.RowCount(); ++i) {
        const Examinee& e = roster.Row(i);
        Put(sheet, i + 5, 1, e[Examinee::考号]);
        Put(sheet, i + 5, 2, e[Examinee::姓名]);
        PutValue(sheet, i + 5, 3, e[Examinee::Score]);
        PutValue(sheet, i + 5, 4, e[Examinee::名次]);
        Put(sheet, i + 5, 5, e[Examinee::Spare]);
    }
    sheet.columnWidths = {8, 14, 8, 8, 12};
    return sheet;
}

Worksheet Statistics(const ScoreStatistics& s, const std::string& title) {
    Worksheet sheet = Sheet("统计分析", "统计分析", title);
    Put(sheet, 5, 1, "项目", true);
    Put(sheet, 5, 2, "数值", true);
    auto count = [](long long value) { return SignedNumberText(static_cast<double>(value)); };
    std::vector<std::pair<const char*, std::string>> rows = {
        {"最高分", SignedNumberText(s.最高分)}, {"最低分", SignedNumberText(s.最低分)},
        {"参考人数", count(s.参考人数)},         {"总得分", SignedNumberText(s.总得分)},
        {"优秀人数", count(s.优秀人数)},         {"良好人数", count(s.良好人数)},
        {"中等人数", count(s.中等人数)},         {"及格人数", count(s.及格人数)},
        {"及格总人数", count(s.及格总人数)},     {"不及格人数", count(s.不及格人数)},
    };
    if (s.参考人数 > 0) {
        rows.push_back({"优秀率%", ExcellentRate(s)});
        rows.push_back({"优良率%", GoodRate(s)});
        rows.push_back({"及格率%", PassRate(s)});
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        int row = static_cast<int>(k) + 6;
        Put(sheet, row, 1, rows[k].first, true);
        PutValue(sheet, row, 2, rows[k].second);
    }
    sheet.columnWidths = {14, 20};
    return sheet;
}

Worksheet Questions(const ExamPaper& paper, const std::string& title) {
    Worksheet sheet = Sheet("试题分析", "试题分析", title);
    const char* captions[] = {"题号", "答案", "分值", "得分率%", "A%", "B%", "C%", "D%", "E%"};
    for (int c = 0; c < 9; ++c) Put(sheet, 5, c + 1, captions[c], true);
    for (int q = 1; q <= paper.总题数; ++q) {
        const ExamQuestion& question = paper.questions[static_cast<std::size_t>(q)];
        int row = q + 5;
        PutValue(sheet, row, 1, SignedNumberText(q));
        Put(sheet, row, 2, question[ExamQuestion::DA]);
        bool ownScore = NumericValue(question[ExamQuestion::Z]) != 0;
        PutValue(sheet, row, 3, ownScore ? question[ExamQuestion::Z] : PlainNumberText(paper.分值));
        PutValue(sheet, row, 4, question[ExamQuestion::DFL]);
        for (int option = 0; option < 5; ++option) PutValue(sheet, row, 5 + option, question[ExamQuestion::A + option]);
    }
    sheet.columnWidths = {6, 8, 6, 18, 18, 18, 18, 18, 18};
    return sheet;
}

Worksheet Answers(const ResultSet& records, const std::string& title) {
    Worksheet sheet = Sheet("考生答案", "考生答案", title);
    Put(sheet, 5, 1, "考号", true);
    Put(sheet, 5, 2, "姓名", true);
    for (int q = 1; q <= records.paper.总题数; ++q) Put(sheet, 5, q + 2, "第" + std::to_string(q) + "题");
    for (int i = 1; i <= records.roster.RowCount(); ++i) {
        const Examinee& e = records.roster.Row(i);
        Put(sheet, i + 5, 1, e[Examinee::考号]);
        Put(sheet, i + 5, 2, e[Examinee::姓名]);
        for (int q = 1; q <= records.paper.总题数; ++q) Put(sheet, i + 5, q + 2, records.answers.Cell(q, i));
    }
    sheet.columnWidths = {8, 14};
    return sheet;
}

Worksheet Distribution(const ScoreDistribution& distribution, const std::string& title) {
    Worksheet sheet = Sheet("成绩分布", "成绩分布", title);
    Put(sheet, 5, 1, "分数段", true);
    Put(sheet, 5, 2, "人数", true);
    for (std::size_t k = 0; k < distribution.bands.size(); ++k) {
        int row = static_cast<int>(k) + 6;
        Put(sheet, row, 1, distribution.bands[k]);
        PutValue(sheet, row, 2, std::to_string(distribution.counts[k]));
    }
    sheet.columnWidths = {12, 8};
    return sheet;
}

// The questions, one row each from row 6, then the test's figures below them.
Worksheet Items(const ItemAnalysis& analysis, const std::string& title) {
    Worksheet sheet = Sheet("项目分析", "项目分析", title);
    std::vector<std::string> captions = ItemColumnCaptions(TextFor::File);
    for (std::size_t c = 0; c < captions.size(); ++c) Put(sheet, 5, static_cast<int>(c) + 1, captions[c], true);
    int row = 6;
    for (const ItemStatistics& item : analysis.items) {
        std::vector<std::string> columns = ItemColumns(item, TextFor::File);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            // Question, score, p, D and rpb; the option columns hold "count/mean".
            if (c == 0 || (c >= 2 && c <= 5)) PutValue(sheet, row, static_cast<int>(c) + 1, columns[c]);
            else Put(sheet, row, static_cast<int>(c) + 1, columns[c]);
        }
        ++row;
    }
    ++row;
    for (const auto& [label, value] : TestFigureRows(analysis.test, TextFor::File)) {
        Put(sheet, row, 1, label, true);
        PutValue(sheet, row, 2, value);
        ++row;
    }
    sheet.columnWidths = {10, 8, 6, 8, 8, 8, 10, 10, 10, 10, 10, 10, 40};
    return sheet;
}

}  // namespace

ScoreDistribution DistributionOfScores(const std::vector<double>& scores, TextFor use) {
    ScoreDistribution d;
    for (int band = 0; band < 10; ++band) d.bands.push_back(std::to_string(band * 10) + "-" + std::to_string(band * 10 + 9));
    constexpr char kTopBand[] = UI_TEXT_NOOP("ScoreChart", "100及以上");
    d.bands.push_back(use == TextFor::Window ? UiText("ScoreChart", kTopBand) : kTopBand);
    d.counts.assign(d.bands.size(), 0);
    for (double score : scores) {
        long long band = static_cast<long long>(std::floor(score / 10));
        band = std::clamp<long long>(band, 0, 10);
        ++d.counts[static_cast<std::size_t>(band)];
    }
    return d;
}

std::optional<double> NumberCellValue(std::string_view text) {
    std::string trimmed = TrimSpaces(text);
    double value = 0;
    const char* end = trimmed.data() + trimmed.size();
    auto [stop, error] = std::from_chars(trimmed.data(), end, value);
    if (trimmed.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

ScoreDistribution DistributionOf(const Roster& roster, TextFor use) {
    std::vector<double> scores;
    for (int r = 1; r <= roster.RowCount(); ++r) {
        const Examinee& row = roster.Row(r);
        if (!TrimSpaces(row[Examinee::Score]).empty()) scores.push_back(NumericValue(row[Examinee::Score]));
    }
    return DistributionOfScores(scores, use);
}

ResultsWorkbook BuildResultsWorkbook(const ResultSet& records, const ScoreStatistics& statistics,
                                     const std::string& title) {
    ResultsWorkbook workbook;
    workbook.distribution = DistributionOf(records.roster, TextFor::File);
    workbook.sheets.push_back(Examinees(records.roster, title));
    workbook.sheets.push_back(Statistics(statistics, title));
    workbook.sheets.push_back(Questions(records.paper, title));
    workbook.sheets.push_back(Answers(records, title));
    workbook.sheets.push_back(Distribution(workbook.distribution, title));
    workbook.sheets.push_back(Items(AnalyseItems(records), title));
    return workbook;
}

std::string ExportTitle(bool browseMode, const std::string& chosenSetName, const std::string& chosenPaperEntry) {
    if (browseMode) return TrimSpaces(chosenSetName);
    if (chosenPaperEntry.empty()) return {};
    return ResultSetNameFromEntry(chosenPaperEntry);
}

std::string ExportFileName(const std::string& title) {
    std::string name = TrimSpaces(title);
    return (name.empty() ? std::string("成绩导出") : name) + ".xlsx";
}

}  // namespace quillmark

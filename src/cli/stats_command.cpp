#include "stats_command.h"

#include <nlohmann/json.hpp>

#include "data/program_paths.h"
#include "data/result_set.h"
#include "data/text_fns.h"
#include "results/item_analysis.h"
#include "results/results_page.h"

namespace quillmark::cli {
namespace {

// The two figures count "right" differently; both rules are said where the figures appear.
constexpr char kQuestionRateRule[] =
    "（得分率只计与标准答案完全相同的答案；A–E 为选该项者的比例。均以参考人数为分母）";
constexpr char kDifficultyRule[] =
    "（难度p按评分规则计：答案是标准答案中连续的一段即算答对，如标准答案为AC时只答A；"
    "与试题列表的得分率不同，后者只计完全相同的答案）";

}  // namespace

bool ResultSetExists(const std::filesystem::path& programFolder, const std::string& name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(
        ResolvePath(programFolder, "\\ChengJi\\" + ResultSetNameFromEntry(name) + ".CHO"), ec);
}

bool OpenAnalysed(const std::filesystem::path& programFolder, const std::string& name, ResultSet& records,
                  ResultsPage& page, std::ostream& err, ReviewFile review) {
    if (!ResultSetExists(programFolder, name)) {
        err << "找不到成绩文件: " << name << "\n";
        return false;
    }
    if (Status status = OpenResultSet(programFolder, name, records, review); !status.ok()) {
        err << status.message() << "\n";
        return false;
    }
    page.Analyse(records);
    return true;
}

int RunStats(const std::filesystem::path& programFolder, const std::string& name, std::ostream& out, std::ostream& err) {
    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(programFolder, name, records, page, err, ReviewFile::Skip)) return 1;
    out << "统计：\n";
    for (const std::string& line : page.StatisticsLines()) out << line << "\n";
    out << "\n考生：\n";
    for (const std::string& row : page.ExamineeRows(records)) out << row << "\n";
    out << "\n试题：\n" << kQuestionRateRule << "\n";
    for (const std::string& row : page.QuestionRows(records)) out << row << "\n";
    return 0;
}

namespace {

nlohmann::ordered_json ItemJson(const ItemAnalysis& analysis) {
    using nlohmann::ordered_json;
    const TestStatistics& t = analysis.test;
    ordered_json bands = ordered_json::array();
    for (std::size_t b = 0; b < t.distribution.bands.size(); ++b)
        bands.push_back({{"band", t.distribution.bands[b]}, {"count", t.distribution.counts[b]}});
    ordered_json document;
    document["test"] = {{"participants", t.participants}, {"questions", analysis.items.size()},
                        {"mean", t.mean}, {"sd", t.sd}, {"median", t.median}, {"q1", t.q1}, {"q3", t.q3},
                        {"kr20", t.kr20}, {"sem", t.sem}, {"distribution", bands}};
    ordered_json items = ordered_json::array();
    const char* names[kItemOptions + 1] = {"A", "B", "C", "D", "E", "none"};
    for (const ItemStatistics& item : analysis.items) {
        ordered_json options;
        for (int o = 0; o <= kItemOptions; ++o) {
            const OptionChoice& choice = item.options[static_cast<std::size_t>(o)];
            options[names[o]] = {{"count", choice.count}, {"mean", choice.meanTotal}};
        }
        ordered_json flags = ordered_json::array();
        for (const ItemFlag& flag : item.flags) flags.push_back(flag.reason);
        items.push_back({{"question", item.question}, {"key", item.key}, {"score", item.weight},
                         {"right", item.right}, {"p", item.p}, {"d", item.d}, {"rpb", item.rpb},
                         {"options", options}, {"flags", flags}});
    }
    document["items"] = items;
    return document;
}

std::string TableRow(const std::vector<std::string>& columns) {
    static const std::size_t widths[] = {4, 6, 4, 6, 7, 7, 9, 9, 9, 9, 9, 9};
    std::string row;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c + 1 == columns.size()) row += columns[c];
        else row += PadToGbkWidth(columns[c], widths[c]) + " | ";
    }
    while (!row.empty() && row.back() == ' ') row.pop_back();
    return row;
}

}  // namespace

int RunItemStats(const std::filesystem::path& programFolder, const std::string& name, bool json, std::ostream& out,
                 std::ostream& err) {
    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(programFolder, name, records, page, err, ReviewFile::Skip)) return 1;
    ItemAnalysis analysis = AnalyseItems(records);
    if (json) {
        out << ItemJson(analysis).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
        return 0;
    }
    out << "测验：\n";
    for (const auto& [label, value] : TestFigureRows(analysis.test)) out << label << "\t" << value << "\n";
    out << "\n分数段：\n";
    for (std::size_t b = 0; b < analysis.test.distribution.bands.size(); ++b)
        out << analysis.test.distribution.bands[b] << "\t" << analysis.test.distribution.counts[b] << "\n";
    out << "\n项目：\n" << kDifficultyRule << "\n" << TableRow(ItemColumnCaptions()) << "\n";
    for (const ItemStatistics& item : analysis.items) out << TableRow(ItemColumns(item)) << "\n";
    return 0;
}

}  // namespace quillmark::cli

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "data/file_io.h"
#include "platform/xlsx_writer.h"
#include "results/export_fixture.h"
#include "results/results_workbook.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using nlohmann::json;
using test::TempFolder;

const std::vector<std::string> kSheetNames = {"考生成绩", "统计分析", "试题分析", "考生答案", "成绩分布", "项目分析"};

std::string CellRef(int row, int column) {
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

// The file as the independent reader sees it.
json ReadBack(const std::filesystem::path& file, const std::filesystem::path& folder) {
    std::filesystem::path out = folder / "dump.json";
    std::string command = "/usr/bin/python3 '" QUILLMARK_READ_XLSX_SCRIPT "' '" + file.string() + "' > '" +
                          out.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::optional<std::string> text = ReadFileBytes(out);
    if (!text) return json();
    return json::parse(*text);
}

const json& SheetNamed(const json& dump, const std::string& name) {
    for (const json& sheet : dump["sheets"])
        if (sheet["name"] == name) return sheet;
    static const json none = {{"cells", json::object()}, {"charts", json::array()}, {"widths", json::object()}};
    ADD_FAILURE() << "no sheet " << name;
    return none;
}

// The value of a cell that must be a string; empty when missing or of another type.
std::string Text(const json& sheet, const std::string& ref) {
    const json& cells = sheet["cells"];
    if (!cells.contains(ref)) {
        ADD_FAILURE() << ref << " missing";
        return {};
    }
    EXPECT_EQ(cells[ref]["type"], "s") << ref;
    return cells[ref]["value"].is_string() ? cells[ref]["value"].get<std::string>() : std::string();
}

// The value of a cell that must be a number; NaN when missing or of another type.
double Number(const json& sheet, const std::string& ref) {
    const json& cells = sheet["cells"];
    if (!cells.contains(ref)) {
        ADD_FAILURE() << ref << " missing";
        return std::nan("");
    }
    EXPECT_EQ(cells[ref]["type"], "n") << ref;
    return cells[ref]["value"].is_number() ? cells[ref]["value"].get<double>() : std::nan("");
}

// A range with its sheet name quoted or not.
std::string Unquoted(const json& formula) {
    std::string text = formula.is_string() ? formula.get<std::string>() : std::string();
    std::erase(text, '\'');
    return text;
}

class WrittenWorkbook : public ::testing::Test {
protected:
    void Write(const ResultSet& records, const std::string& title) {
        statistics = 成绩统计分析(records.roster, records.paper);
        workbook = BuildResultsWorkbook(records, statistics, title);
        file = folder.path() / "out.xlsx";
        Status status = WriteResultsWorkbook(workbook, file);
        ASSERT_TRUE(status.ok()) << status.message();
        dump = ReadBack(file, folder.path());
        ASSERT_TRUE(dump.contains("sheets"));
    }

    TempFolder folder;
    ResultSet records = test::SmallResultSet();
    ScoreStatistics statistics;
    ResultsWorkbook workbook;
    std::filesystem::path file;
    json dump;
};

TEST_F(WrittenWorkbook, EveryListedCellComesBackAsTextOrNumberWithItsStyleAndTheSheetsInOrder) {
    Write(records, "期中考试");
    std::vector<std::string> names;
    for (const json& sheet : dump["sheets"]) names.push_back(sheet["name"]);
    EXPECT_EQ(names, kSheetNames);

    for (const Worksheet& sheet : workbook.sheets) {
        const json& read = SheetNamed(dump, sheet.name);
        std::size_t nonEmpty = 0;
        for (const WorkbookCell& cell : sheet.cells) {
            std::string ref = CellRef(cell.row, cell.column);
            if (cell.text.empty()) {
                EXPECT_FALSE(read["cells"].contains(ref)) << sheet.name << " " << ref;
                continue;
            }
            ++nonEmpty;
            ASSERT_TRUE(read["cells"].contains(ref)) << sheet.name << " " << ref;
            const json& got = read["cells"][ref];
            EXPECT_EQ(got["bold"], cell.heading) << sheet.name << " " << ref;
            if (cell.number) {
                EXPECT_EQ(got["type"], "n") << sheet.name << " " << ref;
                EXPECT_EQ(got["value"].get<double>(), *cell.number) << sheet.name << " " << ref;
            } else {
                EXPECT_EQ(got["type"], "s") << sheet.name << " " << ref;
                EXPECT_EQ(got["value"], cell.text) << sheet.name << " " << ref;
            }
        }
        // Nothing written beyond the listed cells.
        EXPECT_EQ(read["cells"].size(), nonEmpty) << sheet.name;
        for (std::size_t c = 0; c < sheet.columnWidths.size(); ++c) {
            std::string letter = CellRef(1, static_cast<int>(c) + 1).substr(0, 1);
            ASSERT_TRUE(read["widths"].contains(letter)) << sheet.name << " " << letter;
            // The file stores the width plus the cell padding, under a character.
            double width = read["widths"][letter].get<double>();
            EXPECT_GE(width, sheet.columnWidths[c]) << sheet.name << " " << letter;
            EXPECT_LT(width, sheet.columnWidths[c] + 1) << sheet.name << " " << letter;
        }
    }
}

TEST_F(WrittenWorkbook, TheLayoutsAddressesHoldTheResults) {
    Write(records, "  期中考试 ");
    for (const std::string& name : kSheetNames) EXPECT_EQ(Text(SheetNamed(dump, name), "B2"), "期中考试") << name;

    // Scores, ranks, figures and rates are number cells, so the spreadsheet sorts and sums them.
    const json& examinees = SheetNamed(dump, "考生成绩");
    for (int i = 1; i <= 2; ++i) {
        const Examinee& e = records.roster.Row(i);
        std::string row = std::to_string(i + 5);
        EXPECT_EQ(Text(examinees, "A" + row), e[Examinee::考号]);
        EXPECT_EQ(Text(examinees, "B" + row), e[Examinee::姓名]);
    }
    EXPECT_EQ(Text(examinees, "A6"), "1001");  // examinee numbers stay text: they may start with 0
    EXPECT_EQ(Number(examinees, "C6"), 85);
    EXPECT_EQ(Number(examinees, "C7"), 7);
    EXPECT_EQ(Number(examinees, "D6"), 1);
    EXPECT_EQ(Number(examinees, "D7"), 2);

    const json& stats = SheetNamed(dump, "统计分析");
    EXPECT_EQ(Number(stats, "B6"), 85);  // 最高分
    EXPECT_EQ(Number(stats, "B7"), 7);
    EXPECT_EQ(Number(stats, "B8"), 2);
    EXPECT_EQ(Number(stats, "B9"), 85 + 7);
    EXPECT_EQ(Number(stats, "B15"), 1);  // 不及格人数
    EXPECT_EQ(Number(stats, "B16"), 0);  // 优秀率%
    EXPECT_EQ(Number(stats, "B17"), 50);
    EXPECT_EQ(Number(stats, "B18"), 50);
    EXPECT_FALSE(stats["cells"].contains("B19"));

    const json& questions = SheetNamed(dump, "试题分析");
    EXPECT_EQ(Number(questions, "A6"), 1);
    EXPECT_EQ(Number(questions, "A8"), 3);
    EXPECT_EQ(Text(questions, "B8"), "13");  // a key is text
    EXPECT_EQ(Number(questions, "C6"), records.paper.分值);  // Z empty
    EXPECT_EQ(Number(questions, "C7"), 3);
    EXPECT_EQ(Number(questions, "C8"), records.paper.分值);  // Z is 0
    EXPECT_EQ(Number(questions, "D6"), 50);  // one of two answered question 1 right
    EXPECT_EQ(Number(questions, "E6"), 50);  // A%
    EXPECT_EQ(Number(questions, "G6"), 50);  // C%
    EXPECT_EQ(Number(questions, "F6"), 0);

    const json& items = SheetNamed(dump, "项目分析");
    EXPECT_EQ(Number(items, "A6"), 1);
    EXPECT_EQ(Number(items, "C7"), 3);
    EXPECT_EQ(Number(items, "D6"), 0.5);  // p
    EXPECT_EQ(Number(items, "B10"), 2);  // 参考人数, below the questions
    const json& answers = SheetNamed(dump, "考生答案");
    EXPECT_EQ(Text(answers, "C5"), "第1题");
    EXPECT_EQ(Text(answers, "D5"), "第2题");
    EXPECT_EQ(Text(answers, "E5"), "第3题");
    EXPECT_EQ(Text(answers, "C6"), "1");
    EXPECT_EQ(Text(answers, "E6"), "13");
    EXPECT_EQ(Text(answers, "C7"), "3");
    EXPECT_FALSE(answers["cells"].contains("D7"));  // left unanswered
    EXPECT_EQ(Text(answers, "E7"), "1");
}

TEST_F(WrittenWorkbook, TheDistributionHoldsNumberCountsAndAColumnChartOfThem) {
    Write(records, "期中考试");
    const json& sheet = SheetNamed(dump, "成绩分布");
    EXPECT_EQ(Text(sheet, "A6"), "0-9");
    EXPECT_EQ(Text(sheet, "A16"), "100及以上");
    long long total = 0;
    for (int row = 6; row <= 16; ++row) {
        const json& cell = sheet["cells"]["B" + std::to_string(row)];
        ASSERT_EQ(cell["type"], "n") << row;
        long long count = cell["value"].get<long long>();
        EXPECT_EQ(count, (row == 6 || row == 14) ? 1 : 0) << row;  // " 7" and " 85"
        total += count;
    }
    EXPECT_EQ(total, 2);

    ASSERT_EQ(sheet["charts"].size(), 1u);
    const json& chart = sheet["charts"][0];
    EXPECT_EQ(chart["kind"], "BarChart");
    EXPECT_EQ(chart["title"], "成绩分布");
    ASSERT_EQ(chart["series"].size(), 1u);
    EXPECT_EQ(Unquoted(chart["series"][0]["categories"]), "成绩分布!$A$6:$A$16");
    EXPECT_EQ(Unquoted(chart["series"][0]["values"]), "成绩分布!$B$6:$B$16");
    for (const std::string& name : kSheetNames) {
        if (name == "成绩分布") continue;
        EXPECT_TRUE(SheetNamed(dump, name)["charts"].empty()) << name;
    }
}

TEST_F(WrittenWorkbook, WithoutParticipantsTheStatisticsStopBeforeTheRates) {
    for (int i = 1; i <= records.roster.RowCount(); ++i) records.roster.Row(i)[Examinee::Score] = "";
    Write(records, "期中考试");
    const json& stats = SheetNamed(dump, "统计分析");
    for (int row = 6; row <= 15; ++row) EXPECT_TRUE(stats["cells"].contains("B" + std::to_string(row))) << row;
    EXPECT_EQ(Number(stats, "B8"), 0);
    for (int row = 16; row <= 18; ++row) {
        EXPECT_FALSE(stats["cells"].contains("A" + std::to_string(row))) << row;
        EXPECT_FALSE(stats["cells"].contains("B" + std::to_string(row))) << row;
    }
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WriteResultsWorkbook, FailuresNameTheTargetAndLeaveNoFileBehind) {
    TempFolder folder;
    ResultsWorkbook workbook = BuildResultsWorkbook(test::SmallResultSet(), ScoreStatistics(), "t");
    std::filesystem::path target = folder.path() / "bad.xlsx";

    workbook.sheets[1].name = "统计[分析]";
    Status status = WriteResultsWorkbook(workbook, target);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find(target.string()), std::string::npos) << status.message();
    EXPECT_NE(status.message().find("统计[分析]"), std::string::npos) << status.message();
    EXPECT_TRUE(FolderEntries(folder.path()).empty());

    workbook.sheets[1].name = std::string(32, 'x');
    EXPECT_FALSE(WriteResultsWorkbook(workbook, target).ok());
    EXPECT_TRUE(FolderEntries(folder.path()).empty());

    workbook.sheets[1].name = "统计分析";
    workbook.sheets[0].cells.push_back({7, 1, std::string(40000, 'a'), false, {}});  // beyond a cell's limit
    status = WriteResultsWorkbook(workbook, target);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find(target.string()), std::string::npos) << status.message();
    EXPECT_TRUE(FolderEntries(folder.path()).empty());

    std::filesystem::path missing = folder.path() / "no-such-folder" / "x.xlsx";
    status = WriteResultsWorkbook(BuildResultsWorkbook(ResultSet(), ScoreStatistics(), "t"), missing);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find(missing.string()), std::string::npos) << status.message();
}

TEST(WriteResultsWorkbook, ReplacesAnOlderFileAndKeepsItsPermissions) {
    TempFolder folder;
    std::filesystem::path target = folder.path() / "成绩.xlsx";
    folder.WriteBytes("成绩.xlsx", "an older export");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);
    Status status = WriteResultsWorkbook(BuildResultsWorkbook(test::SmallResultSet(), ScoreStatistics(), "t"), target);
    ASSERT_TRUE(status.ok()) << status.message();
    std::string bytes = folder.ReadBytes("成绩.xlsx");
    EXPECT_EQ(bytes.substr(0, 2), "PK");  // a zip container now
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"成绩.xlsx"});
}

}  // namespace
}  // namespace quillmark

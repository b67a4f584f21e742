#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>

#include "data/file_io.h"
#include "marking/grading.h"
#include "results/item_analysis.h"
#include "results/results_workbook.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using Sheet = std::vector<std::string>;

// Marks each examinee's answers against the keys as marking does (examinee numbers 101..).
ResultSet Marked(const std::vector<std::string>& keys, double score, const std::vector<Sheet>& sheets) {
    ResultSet records;
    records.paper.总题数 = static_cast<std::int16_t>(keys.size());
    records.paper.分值 = score;
    for (std::size_t q = 0; q < keys.size(); ++q) records.paper.questions[q + 1][ExamQuestion::DA] = keys[q];
    for (std::size_t i = 0; i < sheets.size(); ++i) RecordAnswers(std::to_string(101 + i), sheets[i], records);
    return records;
}

bool HasFlag(const ItemStatistics& item, ItemFlagKind kind) {
    for (const ItemFlag& flag : item.flags)
        if (flag.kind == kind) return true;
    return false;
}

// Five examinees, four questions of 10 points. Question 3's key says C where the able
// examinees answer D; question 4's key "13" is met by "1", "3" and "13" but not by "31".
const std::vector<std::string> kKeys = {"1", "2", "3", "13"};
const std::vector<Sheet> kFive = {
    {"1", "2", "4", "13"},  // 30
    {"1", "2", "4", "3"},   // 30
    {"1", "", "4", "1"},    // 20
    {"2", "2", "3", "31"},  // 20
    {"3", "1", "3", ""},    // 10
};

ResultSet FiveExaminees(bool reversed) {
    std::vector<Sheet> sheets = kFive;
    sheets.push_back({"1", "1", "1", "1"});  // not a participant: its score is cleared below
    if (reversed) std::reverse(sheets.begin(), sheets.end());
    ResultSet records = Marked(kKeys, 10, sheets);
    records.roster.Row(reversed ? 1 : 6)[Examinee::Score] = "";
    return records;
}

TEST(ItemAnalysis, FiveExamineesByHand) {
    ItemAnalysis a = AnalyseItems(FiveExaminees(false));
    // Totals 10 20 20 30 30.
    EXPECT_EQ(a.test.participants, 5);
    EXPECT_DOUBLE_EQ(a.test.mean, 22);
    EXPECT_DOUBLE_EQ(a.test.sd, std::sqrt((144 + 4 + 4 + 64 + 64) / 5.0));
    EXPECT_DOUBLE_EQ(a.test.median, 20);
    EXPECT_DOUBLE_EQ(a.test.q1, 20);
    EXPECT_DOUBLE_EQ(a.test.q3, 30);
    // Each question has p = 0.6 or 0.4: item variances 100 * 0.24 each, total variance 56.
    double kr20 = 4.0 / 3 * (1 - 4 * 24 / 56.0);
    EXPECT_NEAR(a.test.kr20, kr20, 1e-12);
    EXPECT_NEAR(a.test.sem, std::sqrt(56.0) * std::sqrt(1 - kr20), 1e-12);
    EXPECT_EQ(a.test.distribution.counts, (std::vector<long long>{0, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0}));

    // Groups weigh 1.35: the two 30s share it (0.675 each); at the bottom the 10 counts
    // whole and the two 20s share the remaining 0.35 (0.175 each).
    ASSERT_EQ(a.items.size(), 4u);
    const ItemStatistics& q1 = a.items[0];
    EXPECT_EQ(q1.right, 3);
    EXPECT_DOUBLE_EQ(q1.p, 0.6);
    EXPECT_NEAR(q1.d, 1 - 0.175 / 1.35, 1e-12);
    // Rest scores 20 20 10 | 20 10: covariance 0.4, variances 0.24 and 24.
    EXPECT_NEAR(q1.rpb, 0.4 / std::sqrt(0.24 * 24), 1e-12);
    EXPECT_TRUE(q1.flags.empty());

    const ItemStatistics& q3 = a.items[2];
    EXPECT_EQ(q3.key, "C");
    EXPECT_DOUBLE_EQ(q3.p, 0.4);
    EXPECT_NEAR(q3.d, 0 - 1.175 / 1.35, 1e-12);
    // Rest scores 30 30 20 | 10 0: covariance -5.2, variances 0.24 and 136.
    EXPECT_NEAR(q3.rpb, -5.2 / std::sqrt(0.24 * 136), 1e-12);
    EXPECT_EQ(q3.options[2].count, 2);
    EXPECT_DOUBLE_EQ(q3.options[2].meanTotal, 15);
    EXPECT_EQ(q3.options[3].count, 3);
    EXPECT_DOUBLE_EQ(q3.options[3].meanTotal, 80 / 3.0);
    EXPECT_TRUE(HasFlag(q3, ItemFlagKind::LowDiscrimination));
    EXPECT_TRUE(HasFlag(q3, ItemFlagKind::NegativeCorrelation));
    ASSERT_TRUE(HasFlag(q3, ItemFlagKind::CheckKey));
    EXPECT_EQ(q3.flags.back().reason, "请核对答案：高分组选D最多");

    const ItemStatistics& q4 = a.items[3];
    EXPECT_EQ(q4.key, "AC");
    EXPECT_EQ(q4.right, 3);
    EXPECT_EQ(q4.options[0].count, 3);  // "13", "1" and "31"
    EXPECT_DOUBLE_EQ(q4.options[0].meanTotal, 70 / 3.0);
    EXPECT_EQ(q4.options[kNoAnswer].count, 1);
    EXPECT_DOUBLE_EQ(q4.options[kNoAnswer].meanTotal, 10);
    EXPECT_EQ(q4.options[1].count, 0);
    EXPECT_EQ(q4.options[1].meanTotal, 0);
    EXPECT_FALSE(a.items[1].Flagged());
    EXPECT_FALSE(q4.Flagged());
}

TEST(ItemAnalysis, RosterOrderChangesNothingAndTheCorrectedKeyClearsTheFlag) {
    ItemAnalysis forward = AnalyseItems(FiveExaminees(false));
    ItemAnalysis reversed = AnalyseItems(FiveExaminees(true));
    EXPECT_EQ(reversed.test.mean, forward.test.mean);
    EXPECT_EQ(reversed.test.kr20, forward.test.kr20);
    for (std::size_t q = 0; q < forward.items.size(); ++q) {
        EXPECT_EQ(ItemColumns(reversed.items[q]), ItemColumns(forward.items[q]));
        EXPECT_EQ(reversed.items[q].d, forward.items[q].d);
        EXPECT_EQ(reversed.items[q].rpb, forward.items[q].rpb);
    }

    // Totals follow the key held now, not the scores recorded when marking.
    ResultSet fixed = FiveExaminees(false);
    fixed.paper.questions[3][ExamQuestion::DA] = "4";
    ItemAnalysis after = AnalyseItems(fixed);
    EXPECT_DOUBLE_EQ(after.test.mean, 24);  // 40 40 30 10 0
    EXPECT_FALSE(HasFlag(after.items[2], ItemFlagKind::CheckKey));
    EXPECT_GT(after.items[2].rpb, 0);
    EXPECT_GT(after.test.kr20, forward.test.kr20);
}

TEST(ItemAnalysis, DegenerateSetsHaveDefinedValues) {
    // Nobody took part: zeros and no flags.
    ResultSet none = Marked({"1", "2"}, 5, {{"1", "2"}});
    none.roster.Row(1)[Examinee::Score] = " ";
    ItemAnalysis empty = AnalyseItems(none);
    EXPECT_EQ(empty.test.participants, 0);
    ASSERT_EQ(empty.items.size(), 2u);
    EXPECT_EQ(empty.items[0].p, 0);
    EXPECT_FALSE(empty.items[0].Flagged());

    // One participant: no spread, no groups to tell apart.
    ItemAnalysis one = AnalyseItems(Marked({"1", "2", "3"}, 5, {{"1", "2", ""}}));
    EXPECT_EQ(one.test.participants, 1);
    EXPECT_EQ(one.test.median, 10);
    EXPECT_EQ(one.test.q1, 10);
    EXPECT_EQ(one.test.q3, 10);
    EXPECT_EQ(one.test.sd, 0);
    EXPECT_EQ(one.test.kr20, 0);
    EXPECT_EQ(one.test.sem, 0);
    EXPECT_EQ(one.items[0].d, 0);
    EXPECT_EQ(one.items[0].rpb, 0);

    // All right and all wrong: p at the ends, flagged; nothing varies.
    ItemAnalysis right = AnalyseItems(Marked({"1", "2"}, 50, {{"1", "2"}, {"1", "2"}, {"1", "2"}}));
    EXPECT_EQ(right.test.mean, 100);
    EXPECT_EQ(right.test.distribution.counts.back(), 3);
    EXPECT_EQ(right.items[1].p, 1);
    EXPECT_TRUE(HasFlag(right.items[1], ItemFlagKind::TooEasy));
    EXPECT_EQ(right.test.kr20, 0);
    ItemAnalysis wrong = AnalyseItems(Marked({"1", "2"}, 50, {{"2", ""}, {"3", "1"}}));
    EXPECT_EQ(wrong.items[0].p, 0);
    EXPECT_TRUE(HasFlag(wrong.items[0], ItemFlagKind::TooHard));
    EXPECT_FALSE(HasFlag(wrong.items[0], ItemFlagKind::TooEasy));
    EXPECT_EQ(wrong.items[0].rpb, 0);

    // No questions: every participant totals 0.
    ItemAnalysis blank = AnalyseItems(Marked({}, 5, {{}, {}}));
    EXPECT_EQ(blank.test.participants, 2);
    EXPECT_TRUE(blank.items.empty());
    EXPECT_EQ(blank.test.mean, 0);
    EXPECT_EQ(blank.test.kr20, 0);
}

// 60 examinees, 20 questions of 5 points; the chance of being right rises with ability,
// wrong answers spread over the other options. The key of `swapped` is replaced, before
// marking, by the option after the right one.
ResultSet GeneratedClass(int swapped) {
    std::mt19937 random(7);
    std::vector<std::string> truth, keys;
    for (int q = 1; q <= 20; ++q) truth.push_back(std::to_string((q * 3) % 5 + 1));
    keys = truth;
    if (swapped > 0) keys[swapped - 1] = std::to_string(std::stoi(truth[swapped - 1]) % 5 + 1);
    std::vector<Sheet> sheets;
    for (int i = 0; i < 60; ++i) {
        Sheet sheet;
        for (int q = 0; q < 20; ++q) {
            int roll = static_cast<int>(random() % 1000);
            int right = std::stoi(truth[q]);
            if (roll % 23 == 0) sheet.push_back("");
            else if (roll < 100 + 850 * i / 59) sheet.push_back(truth[q]);
            else sheet.push_back(std::to_string((right + static_cast<int>(random() % 4)) % 5 + 1));
        }
        sheets.push_back(sheet);
    }
    return Marked(keys, 5, sheets);
}

TEST(ItemAnalysis, FindsTheSwappedKeyOfAGeneratedClass) {
    for (int swapped : {0, 7, 16}) {
        ItemAnalysis a = AnalyseItems(GeneratedClass(swapped));
        ASSERT_EQ(a.test.participants, 60);
        EXPECT_GT(a.test.kr20, 0.7) << swapped;
        for (const ItemStatistics& item : a.items)
            EXPECT_EQ(HasFlag(item, ItemFlagKind::CheckKey), item.question == swapped) << swapped << " " << item.question;
    }
}

TEST(ItemAnalysis, TheWorkbookGainsTheSheetAfterTheOthers) {
    ResultSet records = FiveExaminees(false);
    ResultsWorkbook workbook = BuildResultsWorkbook(records, 成绩统计分析(records.roster, records.paper), "期中");
    ASSERT_EQ(workbook.sheets.size(), 6u);
    EXPECT_EQ(workbook.sheets[4].name, "成绩分布");
    const Worksheet& sheet = workbook.sheets[5];
    EXPECT_EQ(sheet.name, "项目分析");
    auto text = [&sheet](int row, int column) {
        for (const WorkbookCell& cell : sheet.cells)
            if (cell.row == row && cell.column == column) return cell.text;
        return std::string("(none)");
    };
    EXPECT_EQ(text(5, 4), "难度p");
    EXPECT_EQ(text(8, 1), "3");
    EXPECT_EQ(text(8, 5), "-0.87");
    EXPECT_EQ(text(8, 10), "3/26.7");
    EXPECT_NE(text(8, 13).find("请核对答案"), std::string::npos);
    EXPECT_EQ(text(11, 1), "参考人数");
    EXPECT_EQ(text(11, 2), "5");
}

// The same figures from a second implementation that reads the saved set's files.
TEST(ItemAnalysis, AgreesWithAnIndependentReadingOfTheSavedSet) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder.path() / "ChengJi");
    ResultSet records = GeneratedClass(7);
    records.paper.questions[3][ExamQuestion::Z] = "8";  // a question of its own score
    records.roster.Row(5)[Examinee::Score] = "";         // and a row that did not take part
    ASSERT_TRUE(SaveResultSet(folder.path(), "交叉", records).ok());

    std::filesystem::path out = folder.path() / "check.json";
    std::string command = "/usr/bin/python3 '" QUILLMARK_ITEM_CHECK_SCRIPT "' '" +
                          (folder.path() / "ChengJi").string() + "' 交叉 > '" + out.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::optional<std::string> text = ReadFileBytes(out);
    ASSERT_TRUE(text.has_value());
    nlohmann::json check = nlohmann::json::parse(*text);

    ItemAnalysis a = AnalyseItems(records);
    EXPECT_EQ(a.test.participants, check["participants"].get<long long>());
    const TestStatistics& t = a.test;
    std::pair<const char*, double> figures[] = {{"mean", t.mean}, {"sd", t.sd}, {"median", t.median}, {"q1", t.q1},
                                                {"q3", t.q3},     {"kr20", t.kr20}, {"sem", t.sem}};
    for (const auto& [name, value] : figures) EXPECT_NEAR(value, check[name].get<double>(), 1e-9) << name;
    ASSERT_EQ(check["items"].size(), a.items.size());
    for (std::size_t q = 0; q < a.items.size(); ++q) {
        const nlohmann::json& item = check["items"][q];
        EXPECT_NEAR(a.items[q].p, item["p"].get<double>(), 1e-9) << q + 1;
        EXPECT_NEAR(a.items[q].d, item["d"].get<double>(), 1e-9) << q + 1;
        EXPECT_NEAR(a.items[q].rpb, item["rpb"].get<double>(), 1e-9) << q + 1;
        for (int o = 0; o <= kItemOptions; ++o) {
            EXPECT_EQ(a.items[q].options[o].count, item["counts"][o].get<long long>()) << q + 1 << " " << o;
            EXPECT_NEAR(a.items[q].options[o].meanTotal, item["means"][o].get<double>(), 1e-9) << q + 1 << " " << o;
        }
    }
}

}  // namespace
}  // namespace quillmark

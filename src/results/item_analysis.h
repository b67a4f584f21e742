#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/result_set.h"
#include "results_workbook.h"

namespace quillmark {

// Classical item analysis of a results set, over its participants (roster rows with a
// score). A participant's total is recomputed from the answers and the current key, by the
// rule marking scores with, so the figures agree with each other even when the key was
// edited after marking.
//
// Conventions, chosen so that every case has a value: without participants every figure is
// 0; a correlation whose variables do not vary is 0; KR-20 is 0 with fewer than two
// questions or totals that do not vary; standard deviations divide by the number of
// participants. The high and low groups each weigh 27 % of the participants (a real number,
// not rounded); participants tied at a group's edge share what is left of its weight
// equally, so the result does not depend on roster order.

enum class ItemFlagKind { TooEasy, TooHard, LowDiscrimination, NegativeCorrelation, CheckKey };

struct ItemFlag {
    ItemFlagKind kind;
    std::string reason;  // for the teacher, in Chinese (the command line prints it)
    const char* form = "";  // the reason with %1 for `option`, translated where the window shows it
    std::string option;     // the option letter the reason names, if any
};

struct OptionChoice {
    long long count = 0;   // participants whose answer holds this option
    double meanTotal = 0;  // their mean total; 0 when nobody chose it
};

inline constexpr int kItemOptions = 5;          // A..E
inline constexpr int kNoAnswer = kItemOptions;  // index of "no answer" in ItemStatistics::options

struct ItemStatistics {
    int question = 0;
    std::string key;    // as letters, "AC" for a key of "13"
    double weight = 0;  // the question's score
    long long right = 0;
    double rightMeanTotal = 0;  // mean total of those right; 0 when nobody is
    double p = 0;    // difficulty: share of participants right
    double d = 0;    // discrimination: p of the high group minus p of the low group
    double rpb = 0;  // point-biserial correlation with the total of the other questions
    std::array<OptionChoice, kItemOptions + 1> options;  // A..E, then no answer
    std::vector<ItemFlag> flags;

    bool Flagged() const { return !flags.empty(); }
};

struct TestStatistics {
    long long participants = 0;
    double mean = 0;
    double sd = 0;
    double median = 0;
    double q1 = 0;  // quartiles interpolate between neighbouring totals, position (n - 1) * f
    double q3 = 0;
    double kr20 = 0;  // with questions of different scores, the same formula weighted (alpha)
    double sem = 0;   // sd * sqrt(1 - kr20)
    ScoreDistribution distribution;  // the bands of the workbook's 成绩分布, over the totals
};

struct ItemAnalysis {
    TestStatistics test;
    std::vector<ItemStatistics> items;  // questions 1..总题数
};

ItemAnalysis AnalyseItems(const ResultSet& records);

// The thresholds of the flags.
inline constexpr double kTooEasyAbove = 0.9;
inline constexpr double kTooHardBelow = 0.2;
inline constexpr double kLowDiscriminationBelow = 0.2;

// Text columns of a question's row, as the command line, the workbook and a window show
// them; the options as "count/mean" ("0" when nobody chose one), the flags joined by "；".
// The words are in the window's language, or Chinese for a file.
std::vector<std::string> ItemColumnCaptions(TextFor use = TextFor::Window);
std::vector<std::string> ItemColumns(const ItemStatistics& item, TextFor use = TextFor::Window);

// The test figures as label and value pairs.
std::vector<std::pair<std::string, std::string>> TestFigureRows(const TestStatistics& test,
                                                                TextFor use = TextFor::Window);

// A number with the given decimals, "-0" shown as "0".
std::string FixedText(double value, int decimals);

// "13" as "AC"; characters other than 1..5 stay as they are.
std::string KeyLetters(const std::string& key);

}  // namespace quillmark

#include "item_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "data/number_text.h"
#include "data/text_fns.h"
#include "data/ui_text.h"
#include "data/exam_paper.h"

namespace quillmark {
namespace {

constexpr double kGroupShare = 0.27;
constexpr unsigned char kNoAnswerBit = 1u << kNoAnswer;

const char* const kOptionLetters[kItemOptions] = {"A", "B", "C", "D", "E"};

// Participants in ascending order of total, so that every floating sum below adds the same
// values in the same order whatever the roster order.
struct Answers {
    long long n = 0;
    int k = 0;
    std::vector<double> totals;
    std::vector<unsigned char> right;  // n x k
    std::vector<unsigned char> picks;  // n x k, bit o for option o, kNoAnswerBit for none

    bool Right(long long i, int q) const { return right[static_cast<std::size_t>(i * k + q)] != 0; }
    unsigned char Picks(long long i, int q) const { return picks[static_cast<std::size_t>(i * k + q)]; }
};

Answers Collect(const ResultSet& records, const std::vector<double>& weights, const std::vector<std::string>& keys) {
    const Roster& roster = records.roster;
    const int k = static_cast<int>(weights.size());
    std::vector<double> totals;
    std::vector<unsigned char> right, picks;
    for (int r = 1; r <= roster.RowCount(); ++r) {
        if (TrimSpaces(roster.Row(r)[Examinee::Score]).empty()) continue;
        double total = 0;
        for (int q = 0; q < k; ++q) {
            std::string answer = TrimSpaces(records.answers.Cell(q + 1, r));
            bool correct = AnswerIsCorrect(answer, keys[static_cast<std::size_t>(q)]);
            if (correct) total += weights[static_cast<std::size_t>(q)];
            unsigned char bits = answer.empty() ? kNoAnswerBit : 0;
            for (int o = 0; o < kItemOptions; ++o)
                if (answer.find(static_cast<char>('1' + o)) != std::string::npos) bits |= static_cast<unsigned char>(1u << o);
            right.push_back(correct ? 1 : 0);
            picks.push_back(bits);
        }
        totals.push_back(total);
    }
    std::vector<std::size_t> order(totals.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return totals[a] < totals[b]; });

    Answers data;
    data.n = static_cast<long long>(order.size());
    data.k = k;
    const auto width = static_cast<std::ptrdiff_t>(k);
    for (std::size_t i : order) {
        data.totals.push_back(totals[i]);
        auto from = static_cast<std::ptrdiff_t>(i) * width;
        data.right.insert(data.right.end(), right.begin() + from, right.begin() + from + width);
        data.picks.insert(data.picks.end(), picks.begin() + from, picks.begin() + from + width);
    }
    return data;
}

// Weights of the high (or low) group over totals in ascending order: whole participants
// from that end while they fit, then the tied block at the edge shares the rest.
std::vector<double> GroupWeights(const std::vector<double>& totals, bool high) {
    const long long n = static_cast<long long>(totals.size());
    std::vector<double> weights(totals.size(), 0);
    double left = kGroupShare * static_cast<double>(n);
    long long i = high ? n - 1 : 0;
    const long long step = high ? -1 : 1;
    while (left > 0 && i >= 0 && i < n) {
        long long j = i;
        while (j + step >= 0 && j + step < n && totals[static_cast<std::size_t>(j + step)] == totals[static_cast<std::size_t>(i)]) j += step;
        long long size = (j - i) * step + 1;
        double share = std::min(1.0, left / static_cast<double>(size));
        for (long long m = i; m != j + step; m += step) weights[static_cast<std::size_t>(m)] = share;
        left = share < 1.0 ? 0 : left - static_cast<double>(size);
        i = j + step;
    }
    return weights;
}

bool AllEqual(const std::vector<double>& values) {
    return values.empty() || std::all_of(values.begin(), values.end(), [&](double v) { return v == values.front(); });
}

// Population variance; 0 when the values do not vary, so rounding never invents spread.
double Variance(const std::vector<double>& values) {
    if (AllEqual(values)) return 0;
    double n = static_cast<double>(values.size()), sum = 0, squares = 0;
    for (double v : values) {
        sum += v;
        squares += v * v;
    }
    return std::max(0.0, (n * squares - sum * sum) / (n * n));
}

double Quantile(const std::vector<double>& ascending, double f) {
    if (ascending.empty()) return 0;
    double h = static_cast<double>(ascending.size() - 1) * f;
    auto lower = static_cast<std::size_t>(std::floor(h));
    std::size_t upper = std::min(lower + 1, ascending.size() - 1);
    return ascending[lower] + (h - std::floor(h)) * (ascending[upper] - ascending[lower]);
}

void AddFlags(ItemStatistics& item, const std::array<double, kItemOptions>& highPicks, const std::string& key,
              double sd) {
    auto flag = [&item](ItemFlagKind kind, const char* form, std::string option = "") {
        item.flags.push_back({kind, FillForm(form, {option}), form, std::move(option)});
    };
    if (item.p > kTooEasyAbove) flag(ItemFlagKind::TooEasy, UI_TEXT_NOOP("ItemAnalysis", "太容易：得分率高于0.9"));
    if (item.p < kTooHardBelow) flag(ItemFlagKind::TooHard, UI_TEXT_NOOP("ItemAnalysis", "太难：得分率低于0.2"));
    if (item.d < kLowDiscriminationBelow)
        flag(ItemFlagKind::LowDiscrimination, UI_TEXT_NOOP("ItemAnalysis", "区分度低：高分组与低分组得分率相差不到0.2"));
    if (item.rpb < 0)
        flag(ItemFlagKind::NegativeCorrelation, UI_TEXT_NOOP("ItemAnalysis", "与其余题目负相关：答对者其余题目得分反而较低"));

    auto inKey = [&key](int o) { return key.find(static_cast<char>('1' + o)) != std::string::npos; };
    double bestInKey = 0, best = 0;
    int bestOption = -1;
    for (int o = 0; o < kItemOptions; ++o) {
        if (inKey(o)) bestInKey = std::max(bestInKey, highPicks[static_cast<std::size_t>(o)]);
        if (highPicks[static_cast<std::size_t>(o)] > best) {
            best = highPicks[static_cast<std::size_t>(o)];
            bestOption = o;
        }
    }
    if (bestOption >= 0 && !inKey(bestOption) && bestInKey < best) {
        flag(ItemFlagKind::CheckKey, UI_TEXT_NOOP("ItemAnalysis", "请核对答案：高分组选%1最多"), kOptionLetters[bestOption]);
        return;
    }
    // Those right carry the question's own score in their totals, which favours the key:
    // an option whose choosers still score clearly higher is a strong sign.
    if (item.right == 0 || sd <= 0) return;
    for (int o = 0; o < kItemOptions; ++o) {
        const OptionChoice& choice = item.options[static_cast<std::size_t>(o)];
        if (inKey(o) || choice.count < 2) continue;
        if (choice.meanTotal > item.rightMeanTotal + 0.25 * sd) {
            flag(ItemFlagKind::CheckKey, UI_TEXT_NOOP("ItemAnalysis", "请核对答案：选%1者平均分明显高于答对者"), kOptionLetters[o]);
            return;
        }
    }
}

}  // namespace

std::string KeyLetters(const std::string& key) {
    std::string letters;
    for (char c : TrimSpaces(key)) letters += c >= '1' && c <= '5' ? static_cast<char>('A' + (c - '1')) : c;
    return letters;
}

ItemAnalysis AnalyseItems(const ResultSet& records) {
    const ExamPaper& paper = records.paper;
    const int k = std::clamp<int>(paper.总题数, 0, ExamPaper::kMaxQuestions);
    std::vector<double> weights;
    std::vector<std::string> keys;
    for (int q = 1; q <= k; ++q) {
        weights.push_back(paper.EffectiveScore(q));
        keys.push_back(TrimSpaces(paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA]));
    }
    const Answers data = Collect(records, weights, keys);
    const long long n = data.n;
    const double count = static_cast<double>(n);

    ItemAnalysis result;
    TestStatistics& test = result.test;
    test.participants = n;
    test.distribution = DistributionOfScores(data.totals);
    double totalVariance = Variance(data.totals);
    if (n > 0) {
        test.mean = std::accumulate(data.totals.begin(), data.totals.end(), 0.0) / count;
        test.sd = std::sqrt(totalVariance);
        test.median = Quantile(data.totals, 0.5);
        test.q1 = Quantile(data.totals, 0.25);
        test.q3 = Quantile(data.totals, 0.75);
    }

    const std::vector<double> high = GroupWeights(data.totals, true);
    const std::vector<double> low = GroupWeights(data.totals, false);
    const double groupWeight = kGroupShare * count;
    double itemVariances = 0;
    for (int q = 0; q < k; ++q) {
        ItemStatistics item;
        item.question = q + 1;
        item.key = KeyLetters(keys[static_cast<std::size_t>(q)]);
        item.weight = weights[static_cast<std::size_t>(q)];

        std::array<double, kItemOptions + 1> sums{};
        std::array<double, kItemOptions> highPicks{};
        std::vector<double> rest;
        rest.reserve(static_cast<std::size_t>(n));
        double highRight = 0, lowRight = 0, restSum = 0, restSquares = 0, restOfRight = 0, rightTotals = 0;
        for (long long i = 0; i < n; ++i) {
            double total = data.totals[static_cast<std::size_t>(i)];
            bool correct = data.Right(i, q);
            unsigned char bits = data.Picks(i, q);
            double r = correct ? total - item.weight : total;
            rest.push_back(r);
            restSum += r;
            restSquares += r * r;
            if (correct) {
                ++item.right;
                restOfRight += r;
                rightTotals += total;
                highRight += high[static_cast<std::size_t>(i)];
                lowRight += low[static_cast<std::size_t>(i)];
            }
            for (int o = 0; o <= kItemOptions; ++o) {
                if ((bits & (1u << o)) == 0) continue;
                ++item.options[static_cast<std::size_t>(o)].count;
                sums[static_cast<std::size_t>(o)] += total;
                if (o < kItemOptions) highPicks[static_cast<std::size_t>(o)] += high[static_cast<std::size_t>(i)];
            }
        }
        for (int o = 0; o <= kItemOptions; ++o) {
            OptionChoice& choice = item.options[static_cast<std::size_t>(o)];
            if (choice.count > 0) choice.meanTotal = sums[static_cast<std::size_t>(o)] / static_cast<double>(choice.count);
        }
        if (n > 0) {
            item.p = static_cast<double>(item.right) / count;
            item.d = (highRight - lowRight) / groupWeight;
            double rightCount = static_cast<double>(item.right);
            if (item.right > 0) item.rightMeanTotal = rightTotals / rightCount;
            if (item.right < n && !AllEqual(rest)) {
                double numerator = count * restOfRight - rightCount * restSum;
                double spread = (count * rightCount - rightCount * rightCount) * (count * restSquares - restSum * restSum);
                if (spread > 0) item.rpb = std::clamp(numerator / std::sqrt(spread), -1.0, 1.0);
            }
        }
        itemVariances += item.weight * item.weight * item.p * (1 - item.p);
        if (n > 0) AddFlags(item, highPicks, keys[static_cast<std::size_t>(q)], test.sd);
        result.items.push_back(std::move(item));
    }

    if (k >= 2 && totalVariance > 0) {
        test.kr20 = static_cast<double>(k) / (k - 1) * (1 - itemVariances / totalVariance);
    }
    test.sem = test.sd * std::sqrt(std::max(0.0, 1 - test.kr20));
    return result;
}

std::string FixedText(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result.find_first_not_of("-0.") == std::string::npos && result[0] == '-') result.erase(0, 1);
    return result;
}

std::vector<std::string> ItemColumnCaptions(TextFor use) {
    std::vector<std::string> captions{UI_TEXT_NOOP("ItemAnalysis", "题号"),    UI_TEXT_NOOP("ItemAnalysis", "答案"),
                                      UI_TEXT_NOOP("ItemAnalysis", "分值"),    UI_TEXT_NOOP("ItemAnalysis", "难度p"),
                                      UI_TEXT_NOOP("ItemAnalysis", "区分度D"), UI_TEXT_NOOP("ItemAnalysis", "相关rpb"),
                                      "A", "B", "C", "D", "E",
                                      UI_TEXT_NOOP("ItemAnalysis", "未答"),    UI_TEXT_NOOP("ItemAnalysis", "标记")};
    if (use == TextFor::Window) {
        for (std::string& caption : captions) caption = UiText("ItemAnalysis", caption);
    }
    return captions;
}

std::vector<std::string> ItemColumns(const ItemStatistics& item, TextFor use) {
    std::vector<std::string> columns{std::to_string(item.question), item.key, PlainNumberText(item.weight),
                                     FixedText(item.p, 2), FixedText(item.d, 2), FixedText(item.rpb, 2)};
    for (const OptionChoice& choice : item.options)
        columns.push_back(choice.count == 0 ? "0" : std::to_string(choice.count) + "/" + FixedText(choice.meanTotal, 1));
    std::string reasons;
    for (const ItemFlag& flag : item.flags) {
        std::string reason = use == TextFor::Window ? FillForm(UiText("ItemAnalysis", flag.form), {flag.option}) : flag.reason;
        if (reasons.empty()) reasons = reason;
        else if (use == TextFor::Window) reasons = FillForm(UiText("ItemAnalysis", "%1；%2"), {reasons, reason});
        else reasons += "；" + reason;
    }
    columns.push_back(reasons);
    return columns;
}

std::vector<std::pair<std::string, std::string>> TestFigureRows(const TestStatistics& test, TextFor use) {
    auto label = [use](const char* text) { return use == TextFor::Window ? UiText("ItemAnalysis", text) : std::string(text); };
    return {{label(UI_TEXT_NOOP("ItemAnalysis", "参考人数")), std::to_string(test.participants)},
            {label(UI_TEXT_NOOP("ItemAnalysis", "平均分")), FixedText(test.mean, 2)},
            {label(UI_TEXT_NOOP("ItemAnalysis", "标准差")), FixedText(test.sd, 2)},
            {label(UI_TEXT_NOOP("ItemAnalysis", "中位数")), FixedText(test.median, 2)},
            {label(UI_TEXT_NOOP("ItemAnalysis", "下四分位数")), FixedText(test.q1, 2)},
            {label(UI_TEXT_NOOP("ItemAnalysis", "上四分位数")), FixedText(test.q3, 2)},
            {label(UI_TEXT_NOOP("ItemAnalysis", "信度KR-20")), FixedText(test.kr20, 3)},
            {label(UI_TEXT_NOOP("ItemAnalysis", "测量标准误")), FixedText(test.sem, 2)}};
}

}  // namespace quillmark

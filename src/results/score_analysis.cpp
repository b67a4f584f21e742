#include "score_analysis.h"

#include <cmath>

#include "data/number_text.h"
#include "data/record_sort.h"
#include "data/text_fns.h"
#include "data/ui_text.h"

namespace quillmark {

std::string SignedNumberText(double value) { return NumberForm(value); }

std::string PlainNumberText(double value) {
    std::string text = NumberForm(value);
    return text[0] == ' ' ? text.substr(1) : text;
}

namespace {

double ScoreOf(const Examinee& row) { return NumericValue(row[Examinee::Score]); }
bool Participated(const Examinee& row) { return !TrimSpaces(row[Examinee::Score]).empty(); }

}  // namespace

std::vector<int> 分析考生得分情况(Roster& roster) {
    std::vector<int> order = RankOrder(roster);
    int n = roster.RowCount();
    long long rank = 0;
    double previous = 0;
    for (int p = 1; p <= n; ++p) {
        Examinee& row = roster.Row(order[static_cast<std::size_t>(p)]);
        double key = ScoreOf(row);
        if (p == 1 || key != previous) rank = p;
        row[Examinee::名次] = PlainNumberText(static_cast<double>(rank));
        previous = key;
    }
    return order;
}

long long 分析试卷得分率情况(const Roster& roster, const AnswerTable& answers, ExamPaper& paper) {
    long long participants = 0;
    for (int r = 1; r <= roster.RowCount(); ++r) participants += Participated(roster.Row(r)) ? 1 : 0;
    if (participants < 1) return 0;

    for (int q = 1; q <= paper.总题数; ++q) {
        ExamQuestion& question = paper.questions[static_cast<std::size_t>(q)];
        std::string key = TrimSpaces(question[ExamQuestion::DA]);
        long long right = 0;
        long long picks[6] = {};
        for (int r = 1; r <= roster.RowCount(); ++r) {
            std::string answer = TrimSpaces(answers.Cell(q, r));
            if (!answer.empty() && EqualsIgnoringCase(answer, key)) ++right;
            for (int d = 1; d <= 5; ++d) {
                if (answer.find(static_cast<char>('0' + d)) != std::string::npos) ++picks[d];
            }
        }
        auto rate = [&](long long count) { return PlainNumberText(static_cast<double>(count) / participants * 100); };
        question[ExamQuestion::DFL] = rate(right);
        for (int d = 1; d <= 5; ++d) question[ExamQuestion::A + d - 1] = rate(picks[d]);
    }
    return participants;
}

ScoreStatistics 成绩统计分析(const Roster& roster, const ExamPaper& paper) {
    // The thresholds count in whole points, as the paper's boxes show them.
    double excellent = ToInt16(paper.优秀), good = ToInt16(paper.良好), medium = ToInt16(paper.中等),
           pass = ToInt16(paper.及格);
    ScoreStatistics s;
    for (int r = 1; r <= roster.RowCount(); ++r) {
        const Examinee& row = roster.Row(r);
        double score = ScoreOf(row);
        if (Participated(row)) {
            ++s.参考人数;
            s.总得分 += score;
            if (score >= excellent) ++s.优秀人数;
            else if (score >= good) ++s.良好人数;
            else if (score >= medium) ++s.中等人数;
            else if (score >= pass) ++s.及格人数;
            else ++s.不及格人数;
            // An unmarked row has no score: counting it as 0 would show a lowest score nobody got.
            if (s.参考人数 == 1 || score > s.最高分) s.最高分 = score;
            if (s.参考人数 == 1 || score < s.最低分) s.最低分 = score;
        }
    }
    s.及格总人数 = s.优秀人数 + s.良好人数 + s.中等人数 + s.及格人数;
    return s;
}

std::string ExcellentRate(const ScoreStatistics& s) {
    return SignedNumberText(static_cast<double>(s.优秀人数 * 100) / static_cast<double>(s.参考人数));
}
std::string GoodRate(const ScoreStatistics& s) {
    return SignedNumberText(static_cast<double>((s.优秀人数 + s.良好人数) * 100) / static_cast<double>(s.参考人数));
}
std::string PassRate(const ScoreStatistics& s) {
    return SignedNumberText(static_cast<double>(s.及格总人数 * 100) / static_cast<double>(s.参考人数));
}

std::vector<std::string> StatisticsLines(const ScoreStatistics& s) {
    auto count = [](long long value) { return SignedNumberText(static_cast<double>(value)); };
    // Two decimals, whatever the size of the mean (a cut to six characters lost digits).
    double mean = s.参考人数 >= 1 ? std::round(s.总得分 / static_cast<double>(s.参考人数) * 100) / 100 : 0;
    std::vector<std::string> lines;
    auto add = [&lines](const char* label, std::string value) {
        lines.push_back(UiText("ScoreAnalysis", label));
        lines.push_back(std::move(value));
    };
    add(UI_TEXT_NOOP("ScoreAnalysis", "平均分"), s.参考人数 >= 1 ? SignedNumberText(mean) : "");
    add(UI_TEXT_NOOP("ScoreAnalysis", "最高分"), SignedNumberText(s.最高分));
    add(UI_TEXT_NOOP("ScoreAnalysis", "最低分"), SignedNumberText(s.最低分));
    add(UI_TEXT_NOOP("ScoreAnalysis", "参考人数"), count(s.参考人数));
    add(UI_TEXT_NOOP("ScoreAnalysis", "总得分"), SignedNumberText(s.总得分));
    add(UI_TEXT_NOOP("ScoreAnalysis", "优秀人数"), count(s.优秀人数));
    add(UI_TEXT_NOOP("ScoreAnalysis", "良好人数"), count(s.良好人数));
    add(UI_TEXT_NOOP("ScoreAnalysis", "中等人数"), count(s.中等人数));
    add(UI_TEXT_NOOP("ScoreAnalysis", "及格人数"), count(s.及格人数));
    add(UI_TEXT_NOOP("ScoreAnalysis", "及格总人数"), count(s.及格总人数));
    add(UI_TEXT_NOOP("ScoreAnalysis", "不及格人数"), count(s.不及格人数));
    if (s.参考人数 >= 1) {
        add(UI_TEXT_NOOP("ScoreAnalysis", "优秀率%"), ExcellentRate(s));
        add(UI_TEXT_NOOP("ScoreAnalysis", "优良率%"), GoodRate(s));
        add(UI_TEXT_NOOP("ScoreAnalysis", "及格率%"), PassRate(s));
    }
    return lines;
}

}  // namespace quillmark

#include "key_table.h"

#include "csv_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "number_text.h"
#include "text_fns.h"
#include "ui_text.h"

namespace quillmark {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

// Blanks of either kind around a cell, and a byte-order mark a file's first cell may carry.
std::string Clean(std::string_view text) {
    if (text.substr(0, 3) == kBom) text.remove_prefix(3);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

std::optional<double> StrictNumber(std::string text) {
    // A decimal comma, as spreadsheets of many locales write it, when there is no point.
    if (text.find('.') == std::string::npos && std::count(text.begin(), text.end(), ',') == 1)
        std::replace(text.begin(), text.end(), ',', '.');
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long long> WholeNumber(const std::string& text) {
    std::optional<double> value = StrictNumber(text);
    if (!value || *value != std::floor(*value) || std::fabs(*value) > 1e9) return std::nullopt;
    return static_cast<long long>(*value);
}

std::string Cell(const std::vector<std::string>& row, int column) {
    return column >= 0 && column < static_cast<int>(row.size()) ? Clean(row[static_cast<std::size_t>(column)]) : std::string();
}

bool IsBlank(const std::vector<std::string>& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& cell) { return Clean(cell).empty(); });
}

struct Columns {
    int question = 0;
    int answer = 1;
    int score = 2;
};

}  // namespace

std::string KeyTableCsv(const ExamPaper& paper) {
    std::string out = "question,answer,score\r\n";
    int count = std::min<int>({paper.总题数, ExamPaper::kMaxQuestions, static_cast<int>(paper.questions.size()) - 1});
    for (int q = 1; q <= count; ++q) {
        std::string letters;
        for (char c : paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA]) {
            if (c >= '1' && c <= '5') letters += static_cast<char>('A' + (c - '1'));
        }
        out += std::to_string(q) + "," + CsvField(letters) + "," + ShortestDecimalText(paper.EffectiveScore(q)) + "\r\n";
    }
    return out;
}

KeyImport ImportKeyTable(const TableRows& rows, const KeyImportOptions& options) {
    KeyImport result;
    auto problem = [&](std::size_t index, std::string message) {
        result.problems.push_back({static_cast<int>(index) + 1, std::move(message)});
    };
    int optionCount = std::clamp(options.options, 1, 5);
    char lastLetter = static_cast<char>('A' + optionCount - 1);

    std::size_t first = 0;
    while (first < rows.size() && IsBlank(rows[first])) ++first;
    Columns columns;
    if (first < rows.size() && !WholeNumber(Cell(rows[first], 0))) {
        // A header row: place the columns by their names when it names them.
        const std::vector<std::string>& header = rows[first];
        int found[3] = {-1, -1, -1};
        for (int c = 0; c < static_cast<int>(header.size()); ++c) {
            std::string name = LowerAscii(Cell(header, c));
            int which = name == "question" || name == "题号"  ? 0
                        : name == "answer" || name == "答案" ? 1
                        : name == "score" || name == "分值"  ? 2
                                                               : -1;
            if (which >= 0 && found[which] < 0) found[which] = c;
        }
        bool any = found[0] >= 0 || found[1] >= 0 || found[2] >= 0;
        if (any) {
            const char* names[] = {"question", "answer", "score"};
            for (int k = 0; k < 3; ++k) {
                if (found[k] < 0) problem(first, FillForm(UiText("KeyTable", "表头缺少“%1”列"), {names[k]}));
            }
            columns = {found[0], found[1], found[2]};
        }
        ++first;
    }

    std::vector<double> scores;
    std::vector<std::string> keys;
    long long expected = 1;
    bool tooMany = false;
    for (std::size_t r = first; r < rows.size(); ++r) {
        const std::vector<std::string>& row = rows[r];
        if (IsBlank(row)) continue;
        if (static_cast<int>(keys.size()) >= ExamPaper::kMaxQuestions) {
            if (!tooMany) problem(r, FillForm(UiText("KeyTable", "试题超过%1题"), {std::to_string(ExamPaper::kMaxQuestions)}));
            tooMany = true;
            continue;
        }

        std::string number = Cell(row, columns.question);
        std::optional<long long> n = WholeNumber(number);
        if (number.empty()) {
            problem(r, FillForm(UiText("KeyTable", "没有题号（应为%1）"), {std::to_string(expected)}));
        } else if (!n) {
            problem(r, FillForm(UiText("KeyTable", "题号“%1”不是整数"), {number}));
        } else if (*n != expected) {
            std::string should = std::to_string(expected);
            if (*n >= 1 && *n < expected) problem(r, FillForm(UiText("KeyTable", "题号%1重复（应为%2）"), {number, should}));
            else problem(r, FillForm(UiText("KeyTable", "题号%1不按顺序（应为%2）"), {number, should}));
        }
        // The next row follows this one's number, or the one this row should have had; a number
        // seen before does not move it, so one slip is named once.
        if (n && *n > expected) expected = *n + 1;
        else if (!n || *n == expected || *n < 1) ++expected;

        std::string answer = Cell(row, columns.answer);
        std::string digits;
        std::string wrong;
        for (char c : answer) {
            if (c == ' ' || c == ',' || c == '\t') continue;
            char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            if (upper >= 'A' && upper <= lastLetter) {
                char digit = static_cast<char>('1' + (upper - 'A'));
                if (digits.find(digit) == std::string::npos) digits += digit;
            } else {
                wrong += c;
            }
        }
        if (!wrong.empty()) {
            problem(r, FillForm(UiText("KeyTable", "答案“%1”含有选项以外的字符“%2”（答题卡每题%3个选项：A–%4）"),
                                {answer, wrong, std::to_string(optionCount), std::string(1, lastLetter)}));
        }
        std::sort(digits.begin(), digits.end());
        keys.push_back(digits);

        std::string scoreText = Cell(row, columns.score);
        std::optional<double> score = StrictNumber(scoreText);
        if (scoreText.empty()) problem(r, UiText("KeyTable", "没有分值"));
        else if (!score) problem(r, FillForm(UiText("KeyTable", "分值“%1”不是数字"), {scoreText}));
        else if (*score <= 0) problem(r, FillForm(UiText("KeyTable", "分值“%1”必须大于0"), {scoreText}));
        scores.push_back(score && *score > 0 ? *score : 0);
    }
    if (keys.empty() && result.problems.empty()) result.problems.push_back({0, UiText("KeyTable", "表中没有试题")});

    if (result.problems.empty()) {
        // The default score: the one most questions have, the first of equals.
        double common = scores.front();
        std::size_t best = 0;
        for (double candidate : scores) {
            std::size_t count = static_cast<std::size_t>(std::count(scores.begin(), scores.end(), candidate));
            if (count > best) {
                best = count;
                common = candidate;
            }
        }
        ExamPaper& paper = result.paper;
        paper.总题数 = static_cast<std::int16_t>(keys.size());
        paper.分值 = common;
        paper.优秀 = options.thresholds[0];
        paper.良好 = options.thresholds[1];
        paper.中等 = options.thresholds[2];
        paper.及格 = options.thresholds[3];
        for (std::size_t k = 0; k < keys.size(); ++k) {
            ExamQuestion& question = paper.questions[k + 1];
            question[ExamQuestion::DA] = keys[k];
            question[ExamQuestion::Z] = scores[k] == common ? std::string() : ShortestDecimalText(scores[k]);
        }
        return result;
    }

    std::string message;
    for (const KeyTableProblem& p : result.problems) {
        if (!message.empty()) message += "\n";
        message += p.row > 0 ? FillForm(UiText("KeyTable", "第%1行：%2"), {std::to_string(p.row), p.message}) : p.message;
    }
    result.status = Status::Error("key_table", message);
    return result;
}

}  // namespace quillmark

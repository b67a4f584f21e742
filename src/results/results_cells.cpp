#include "results_cells.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "data/text_fns.h"
#include "results_workbook.h"

namespace quillmark {
namespace {

// The row's fields between its "|" separators, trimmed; the field at `free` takes any
// separators beyond `count` fields (a name may hold one).
std::vector<std::string> Fields(std::string_view row, std::size_t count, std::size_t free) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        std::size_t bar = row.find('|', start);
        parts.emplace_back(row.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    while (parts.size() > count) {
        parts[free] += "|" + parts[free + 1];
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(free) + 1);
    }
    parts.resize(count);
    for (std::string& part : parts) part = TrimSpaces(part);
    return parts;
}

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

}  // namespace

std::string RateText(std::string_view rate) {
    std::optional<double> value = NumberCellValue(rate);
    if (!value) return TrimSpaces(rate);
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", *value);
    return text;
}

CellRows QuestionCells(const ResultSet& records, const std::vector<std::string>& rows) {
    const ExamPaper& paper = records.paper;
    int count = std::min<int>(paper.总题数, static_cast<int>(paper.questions.size()) - 1);
    CellRows cells;
    cells.reserve(rows.size());
    for (const std::string& row : rows) {
        std::vector<std::string> fields = Fields(row, kQuestionColumnCaptions.size(), 1);
        std::optional<double> q = NumberCellValue(fields[0]);
        if (q && *q >= 1 && *q <= count) {
            const ExamQuestion& question = paper.questions[static_cast<std::size_t>(*q)];
            fields[1] = TrimSpaces(question[ExamQuestion::DA]);
            fields[3] = RateText(question[ExamQuestion::DFL]);
            for (int option = 0; option < 5; ++option) fields[4 + option] = RateText(question[ExamQuestion::A + option]);
        }
        cells.push_back(std::move(fields));
    }
    return cells;
}

CellRows ExamineeCells(const ResultSet& records, const std::vector<std::string>& rows) {
    const Roster& roster = records.roster;
    // Numbers may repeat: each row takes the first unused examinee of its number whose values it starts.
    struct Candidates {
        std::vector<int> rows;
        std::size_t firstUnused = 0;
    };
    std::map<std::string, Candidates> byNumber;
    for (int r = 1; r <= roster.RowCount(); ++r) byNumber[TrimSpaces(roster.Row(r)[Examinee::考号])].rows.push_back(r);
    std::vector<bool> used(static_cast<std::size_t>(roster.RowCount()) + 1, false);
    const int columns[] = {Examinee::考号, Examinee::姓名, Examinee::Score, Examinee::名次};

    CellRows cells;
    cells.reserve(rows.size());
    for (const std::string& row : rows) {
        std::vector<std::string> fields = Fields(row, kExamineeColumnCaptions.size(), 1);
        auto found = byNumber.find(fields[0]);
        if (found != byNumber.end()) {
            Candidates& candidates = found->second;
            while (candidates.firstUnused < candidates.rows.size() && used[static_cast<std::size_t>(candidates.rows[candidates.firstUnused])])
                ++candidates.firstUnused;
            for (std::size_t k = candidates.firstUnused; k < candidates.rows.size(); ++k) {
                int r = candidates.rows[k];
                std::vector<std::string> whole;
                for (int column : columns) whole.push_back(TrimSpaces(roster.Row(r)[column]));
                bool fits = !used[static_cast<std::size_t>(r)];
                for (std::size_t c = 0; fits && c < whole.size(); ++c) fits = StartsWith(whole[c], fields[c]);
                if (!fits) continue;
                used[static_cast<std::size_t>(r)] = true;
                fields = std::move(whole);
                break;
            }
        }
        cells.push_back(std::move(fields));
    }
    return cells;
}

}  // namespace quillmark

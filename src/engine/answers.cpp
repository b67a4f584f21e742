#include "answers.h"

#include <algorithm>

#include "data/number_text.h"
#include "data/text_fns.h"

namespace quillmark {

std::string ReadAnswerDigits(const SheetType& type, const CellGrid& grid, int q) {
    int hi = -256, lo = 256;
    for (int k = 1; k <= type.每题选项数; ++k) {
        GridPosition cell = type.OptionCell(q, k);
        hi = std::max(hi, grid.at(cell.column, cell.row));
        lo = std::min(lo, grid.at(cell.column, cell.row));
    }
    std::string answer;
    for (int k = 1; k <= type.每题选项数; ++k) {
        GridPosition cell = type.OptionCell(q, k);
        if (lo + 2.0 * (hi - lo) / 5 > grid.at(cell.column, cell.row) && hi - lo > 10) answer += std::to_string(k);
    }
    return answer;
}

std::vector<std::string> ReadAllAnswers(const SheetType& type, const CellGrid& grid) {
    std::vector<std::string> answers;
    for (int q = 1; q <= type.答题卡总题数; ++q) answers.push_back(ReadAnswerDigits(type, grid, q));
    return answers;
}

bool AnswerIsCorrect(const std::string& answer, const std::string& key) {
    return !answer.empty() && TrimSpaces(key).find(answer) != std::string::npos;
}

int ReadAnswers(const std::string& examineeNumber, const SheetType& type, const CellGrid& grid,
                ResultSet& records) {
    return RecordAnswers(examineeNumber, ReadAllAnswers(type, grid), records);
}

int RecordAnswers(const std::string& examineeNumber, const std::vector<std::string>& answers, ResultSet& records) {
    Roster& roster = records.roster;
    int row = 0;
    for (int r = 1; r <= roster.RowCount() && row == 0; ++r) {
        if (EqualsIgnoringCase(TrimSpaces(roster.Row(r)[Examinee::考号]), examineeNumber)) row = r;
    }
    if (row == 0) {
        row = roster.AppendRow();
        if (row == 0) return 0;  // the roster is full; nothing can hold the result
        roster.Row(row)[Examinee::考号] = TrimSpaces(examineeNumber);
    }

    const ExamPaper& paper = records.paper;
    double score = 0;
    std::string summary = "\\";
    int n = std::min<int>(static_cast<int>(answers.size()), paper.总题数);
    for (int q = 1; q <= n; ++q) {
        std::string answer = answers[static_cast<std::size_t>(q - 1)];
        summary += " " + std::to_string(q) + "|" + answer + " ";
        if (AnswerIsCorrect(answer, paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA])) {
            score += paper.EffectiveScore(q);
        }
        records.answers.SetCell(q, row, std::move(answer));
    }
    Examinee& examinee = roster.Row(row);
    examinee[Examinee::Score] = NumberForm(score);
    examinee[Examinee::AnswerSummary] = summary;
    examinee[Examinee::Spare] = "";
    return row;
}

}  // namespace quillmark

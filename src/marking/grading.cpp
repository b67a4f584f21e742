#include "grading.h"

#include <algorithm>

#include "data/number_text.h"
#include "data/text_fns.h"
#include "engine/frame.h"

namespace quillmark {

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

ExamineeLookup FindExamineeInRoster(const std::string& number, Roster& roster, bool checkNumber) {
    ExamineeLookup lookup;
    lookup.number = TrimSpaces(number);
    for (int row = 1; row <= roster.RowCount(); ++row) {
        if (EqualsIgnoringCase(TrimSpaces(roster.Row(row)[Examinee::考号]), number)) {
            lookup.rosterRow = row;
            lookup.status = Status::Ok();
            return lookup;
        }
    }
    if (checkNumber) {
        lookup.status = Failed(kNumberNotInRoster);
        return lookup;
    }
    // A number already in the roster is not added again: a second row holding only the
    // number would stay in the saved roster for nothing.
    int row = roster.AppendRow();
    if (row == 0) {
        lookup.status = Failed(kRosterFull);
        return lookup;
    }
    roster.Row(row)[Examinee::考号] = number;
    lookup.rosterRow = row;
    lookup.status = Status::Ok();
    return lookup;
}

ExamineeLookup LookUpReadNumber(const std::string& digits, bool complete, Roster& roster, bool checkNumber) {
    if (!complete || TrimSpaces(digits).empty()) {
        ExamineeLookup lookup;
        lookup.status = Failed(kNumberIncomplete);
        lookup.number = TrimSpaces(digits);
        return lookup;
    }
    ExamineeLookup lookup = FindExamineeInRoster(digits, roster, checkNumber);
    lookup.complete = true;
    return lookup;
}

}  // namespace quillmark

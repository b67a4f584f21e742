#include "phone_card.h"

#include <nlohmann/json.hpp>

#include "data/number_text.h"
#include "data/text_fns.h"
#include "marking/marking_run.h"

namespace quillmark {
namespace {

// Options are kept as digits "1".."5"; people read them as letters.
std::string Letters(const std::string& digits) {
    std::string letters;
    for (char c : digits) letters += (c >= '1' && c <= '9') ? static_cast<char>('A' + (c - '1')) : c;
    return letters;
}

bool FrameProblem(const std::string& code) {
    return code == "no_left_side" || code == "no_right_side" || code == "no_top_side" || code == "no_bottom_side" ||
           code == "frame_error" || code == "frame_deformed" || code == "outside_image" || code == "image_scale_setting";
}

nlohmann::json MarkedCard(const std::string& id, const SheetOutcome& outcome, const ResultSet& records) {
    nlohmann::json card = {{"id", id}, {"state", "marked"}, {"number", outcome.examineeNumber}};
    const int row = outcome.rosterRow;
    const bool rowKnown = row >= 1 && row <= records.roster.RowCount();
    card["name"] = rowKnown ? TrimSpaces(records.roster.Row(row)[Examinee::姓名]) : "";
    card["score"] = TrimSpaces(outcome.score);
    double full = 0;
    nlohmann::json answers = nlohmann::json::array();
    const ExamPaper& paper = records.paper;
    for (int q = 1; q <= paper.总题数; ++q) {
        full += paper.EffectiveScore(q);
        std::string given = rowKnown ? records.answers.Cell(q, row) : "";
        const std::string& key = paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA];
        bool doubt = std::find(outcome.doubts.questions.begin(), outcome.doubts.questions.end(), q) !=
                     outcome.doubts.questions.end();
        answers.push_back({{"q", q},
                           {"given", Letters(given)},
                           {"key", Letters(TrimSpaces(key))},
                           {"right", AnswerIsCorrect(given, key)},
                           {"doubt", doubt}});
    }
    card["full"] = TrimSpaces(NumberForm(full));
    card["answers"] = std::move(answers);
    nlohmann::json doubts = nlohmann::json::array();
    for (int q : outcome.doubts.questions) doubts.push_back("请核对第 " + std::to_string(q) + " 题");
    for (int d : outcome.doubts.digits) doubts.push_back("请核对考号第 " + std::to_string(d) + " 位");
    for (const std::string& finding : outcome.doubts.sheet) doubts.push_back(finding);
    card["doubts"] = std::move(doubts);
    if (outcome.replacedEarlier) card["replaced"] = true;
    return card;
}

}  // namespace

std::string PhoneSummaryJson(const std::string& paper, const std::string& roster, std::size_t marked) {
    return nlohmann::json({{"paper", paper}, {"roster", roster}, {"marked", marked}})
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string RetakeAdvice(const SheetOutcome& outcome) {
    if (outcome.kind == SheetOutcome::Unreadable) return "照片无法读取，请重拍";
    if (outcome.kind == SheetOutcome::DuplicateKept) return "该考生已有成绩，保留了先前的成绩";
    if (outcome.kind == SheetOutcome::NotRecorded) return OutcomeText(outcome, false);
    if (FrameProblem(outcome.status.code())) return "找不到边框，请把整张答题卡拍进画面后重拍";
    return OutcomeText(outcome, false) + "，请把答题卡放平、拍清楚后重拍";
}

std::string PhoneCardJson(const std::string& id, const SheetOutcome& outcome, const ResultSet& records,
                          const std::string& numberRead) {
    switch (outcome.kind) {
        case SheetOutcome::Marked: return MarkedCard(id, outcome, records).dump();
        case SheetOutcome::NumberAbandoned:
            return nlohmann::json({{"id", id}, {"state", "number"}, {"read", numberRead}, {"message", OutcomeText(outcome, false)}})
                .dump();
        default: {
            bool retake = outcome.kind != SheetOutcome::DuplicateKept && outcome.kind != SheetOutcome::NotRecorded;
            return nlohmann::json({{"id", id}, {"state", "failed"}, {"message", RetakeAdvice(outcome)}, {"retake", retake}})
                .dump();
        }
    }
}

}  // namespace quillmark

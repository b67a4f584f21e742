#include "review_log.h"

#include <nlohmann/json.hpp>

namespace quillmark {

namespace {

constexpr char kHeader[] = "quillmark review 1";

using nlohmann::json;

json ToJson(const SheetReview& s) {
    json decisions = json::object();
    for (const auto& [question, answer] : s.decisions) decisions[std::to_string(question)] = answer;
    return json{{"examinee", s.examinee},           {"file", s.file},
                {"page", s.page},                   {"type", s.typeCode},
                {"orientation", s.orientation},     {"corners", s.corners},
                {"option_scores", s.optionScores},  {"answers", s.answersRead},
                {"doubtful", s.doubtfulQuestions},  {"number", s.numberRead},
                {"digit_scores", s.digitScores},    {"doubtful_digits", s.doubtfulDigits},
                {"findings", s.findings},           {"decisions", decisions},
                {"number_read_as", s.numberReadAs}, {"number_accepted", s.numberAccepted},
                {"fingerprint", s.fingerprint}};
}

SheetReview FromJson(const json& j) {
    SheetReview s;
    j.at("examinee").get_to(s.examinee);
    j.at("file").get_to(s.file);
    j.at("page").get_to(s.page);
    j.at("type").get_to(s.typeCode);
    j.at("orientation").get_to(s.orientation);
    j.at("corners").get_to(s.corners);
    j.at("option_scores").get_to(s.optionScores);
    j.at("answers").get_to(s.answersRead);
    j.at("doubtful").get_to(s.doubtfulQuestions);
    j.at("number").get_to(s.numberRead);
    j.at("digit_scores").get_to(s.digitScores);
    j.at("doubtful_digits").get_to(s.doubtfulDigits);
    j.at("findings").get_to(s.findings);
    for (const auto& [question, answer] : j.at("decisions").items()) s.decisions[std::stoi(question)] = answer.get<std::string>();
    j.at("number_read_as").get_to(s.numberReadAs);
    j.at("number_accepted").get_to(s.numberAccepted);
    s.fingerprint = j.value("fingerprint", "");  // older files have none
    return s;
}

}  // namespace

std::vector<int> SheetReview::PendingQuestions() const {
    std::vector<int> pending;
    for (int q : doubtfulQuestions) {
        if (!decisions.count(q)) pending.push_back(q);
    }
    return pending;
}

SheetReview* ReviewLog::Find(std::string_view examinee) {
    for (SheetReview& sheet : sheets) {
        if (sheet.examinee == examinee) return &sheet;
    }
    return nullptr;
}

const SheetReview* ReviewLog::Find(std::string_view examinee) const {
    return const_cast<ReviewLog*>(this)->Find(examinee);
}

void ReviewLog::Put(SheetReview sheet) {
    if (SheetReview* earlier = Find(sheet.examinee)) *earlier = std::move(sheet);
    else sheets.push_back(std::move(sheet));
}

std::string SerializeReviewLog(const ReviewLog& log) {
    std::string text = std::string(kHeader) + "\n";
    for (const SheetReview& sheet : log.sheets) text += ToJson(sheet).dump() + "\n";
    return text;
}

std::string SerializeSheetReview(const SheetReview& sheet) { return ToJson(sheet).dump(); }

Status ParseSheetReview(std::string_view line, SheetReview& sheet) {
    try {
        sheet = FromJson(json::parse(line));
        return Status::Ok();
    } catch (const std::exception&) {
        return Status::Error("记录无法读取");
    }
}

Status ParseReviewLog(std::string_view text, ReviewLog& log) {
    ReviewLog parsed;
    std::size_t start = 0, line = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view row = text.substr(start, end - start);
        start = end + 1;
        ++line;
        if (line == 1) {
            if (row != kHeader) return Status::Error("不是阅卷核对文件（第1行应为“" + std::string(kHeader) + "”）");
            continue;
        }
        if (row.empty()) continue;
        try {
            parsed.sheets.push_back(FromJson(json::parse(row)));
        } catch (const std::exception&) {
            return Status::Error("阅卷核对文件第" + std::to_string(line) + "行无法读取：不是完整的记录");
        }
    }
    if (line == 0) return Status::Error("阅卷核对文件是空的");
    log = std::move(parsed);
    return Status::Ok();
}

}  // namespace quillmark

#include "review_log.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <stdexcept>

#include "ui_text.h"

namespace quillmark {

namespace {

constexpr char kHeader[] = "quillmark review 1";
// Far beyond any sheet type; they keep a record's memory near the size of its line.
constexpr std::size_t kMaxLineBytes = 256 * 1024;
constexpr std::size_t kMaxQuestions = 1000;
constexpr std::size_t kMaxOptions = 10;
constexpr std::size_t kMaxDigits = 32;
constexpr std::size_t kMaxFindings = 32;

using nlohmann::json;

// Caught where the record is parsed, as any malformed record is.
const json& Bounded(const json& j, const char* key, std::size_t limit, std::size_t innerLimit = 0) {
    const json& value = j.at(key);
    if (value.size() > limit) throw std::length_error(key);
    if (innerLimit > 0 && value.is_array()) {
        for (const json& inner : value) {
            if (inner.size() > innerLimit) throw std::length_error(key);
        }
    }
    return value;
}

json ToJson(const SheetReview& s) {
    json decisions = json::object();
    for (const auto& [question, answer] : s.decisions) decisions[std::to_string(question)] = answer;
    return json{{"examinee", s.examinee},           {"file", s.file},
                {"page", s.page},                   {"type", s.typeCode},
                {"orientation", s.orientation},     {"corners", s.corners},
                {"option_scores", s.optionScores},  {"answers", s.answersRead},
                {"doubtful", s.doubtfulQuestions},  {"number", s.numberRead},
                {"digit_scores", s.digitScores},    {"doubtful_digits", s.doubtfulDigits},
                {"findings", s.findings},           {"checks", s.checks},
                {"decisions", decisions},
                {"number_read_as", s.numberReadAs}, {"number_accepted", s.numberAccepted},
                {"fingerprint", s.fingerprint}};
}

// Every number of a record fits an int (the only fractions are the corners): a huge or
// endless value would make the conversion undefined, so the record is refused instead.
void CheckNumbers(const json& value) {
    if (value.is_structured()) {
        for (const json& inner : value) CheckNumbers(inner);
    } else if (value.is_number_float()) {
        double v = value.get<double>();
        if (!(v > -2e9 && v < 2e9)) throw std::out_of_range("number");
    } else if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > 2000000000u) throw std::out_of_range("number");
    } else if (value.is_number_integer()) {
        std::int64_t v = value.get<std::int64_t>();
        if (v < -2000000000 || v > 2000000000) throw std::out_of_range("number");
    }
}

SheetReview FromJson(const json& j) {
    CheckNumbers(j);
    SheetReview s;
    j.at("examinee").get_to(s.examinee);
    j.at("file").get_to(s.file);
    j.at("page").get_to(s.page);
    j.at("type").get_to(s.typeCode);
    j.at("orientation").get_to(s.orientation);
    j.at("corners").get_to(s.corners);
    Bounded(j, "option_scores", kMaxQuestions, kMaxOptions).get_to(s.optionScores);
    Bounded(j, "answers", kMaxQuestions).get_to(s.answersRead);
    Bounded(j, "doubtful", kMaxQuestions).get_to(s.doubtfulQuestions);
    j.at("number").get_to(s.numberRead);
    Bounded(j, "digit_scores", kMaxDigits, kMaxOptions).get_to(s.digitScores);
    Bounded(j, "doubtful_digits", kMaxDigits).get_to(s.doubtfulDigits);
    Bounded(j, "findings", kMaxFindings).get_to(s.findings);
    if (j.contains("checks")) Bounded(j, "checks", kMaxFindings).get_to(s.checks);  // older files have none
    for (const auto& [question, answer] : Bounded(j, "decisions", kMaxQuestions).items()) {
        s.decisions[std::stoi(question)] = answer.get<std::string>();
    }
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
    if (line.size() > kMaxLineBytes) return Status::Error(UiText("ReviewLog", "记录无法读取"));
    try {
        sheet = FromJson(json::parse(line));
        return Status::Ok();
    } catch (const std::exception&) {
        return Status::Error(UiText("ReviewLog", "记录无法读取"));
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
            if (row != kHeader) return Status::Error(FillForm(UiText("ReviewLog", "不是阅卷核对文件（第1行应为“%1”）"), {kHeader}));
            continue;
        }
        if (row.empty()) continue;
        if (row.size() > kMaxLineBytes) {
            return Status::Error(FillForm(UiText("ReviewLog", "阅卷核对文件第%1行无法读取：记录超过256 KB"), {std::to_string(line)}));
        }
        try {
            parsed.sheets.push_back(FromJson(json::parse(row)));
        } catch (const std::exception&) {
            return Status::Error(FillForm(UiText("ReviewLog", "阅卷核对文件第%1行无法读取：不是完整的记录"), {std::to_string(line)}));
        }
    }
    if (line == 0) return Status::Error(UiText("ReviewLog", "阅卷核对文件是空的"));
    log = std::move(parsed);
    return Status::Ok();
}

}  // namespace quillmark

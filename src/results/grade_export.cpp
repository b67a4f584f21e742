#include "grade_export.h"

#include "data/csv_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "data/file_io.h"
#include "data/number_text.h"
#include "data/program_paths.h"
#include "data/text_fns.h"
#include "data/ui_text.h"
#include "score_analysis.h"

namespace quillmark {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kLineEnd[] = "\r\n";

bool HasResults(const Examinee& row) { return !TrimSpaces(row[Examinee::Score]).empty(); }

int QuestionCount(const ExamPaper& paper) {
    int count = std::min<int>(paper.总题数, ExamPaper::kMaxQuestions);
    return std::min(count, static_cast<int>(paper.questions.size()) - 1);
}

// The answer as read ("13") in letters ("AC"); anything but 1..5 stays as it is.
std::string AnswerLetters(std::string_view digits) {
    std::string letters;
    for (char c : digits) {
        if (c == ' ') continue;
        letters += c >= '1' && c <= '5' ? static_cast<char>('A' + (c - '1')) : c;
    }
    return letters;
}

void AppendLine(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += CsvField(fields[i]);
    }
    out += kLineEnd;
}

// The band from the statistics themselves: the one counter a roster of this examinee alone raises.
std::string BandOfScoreText(const ExamPaper& paper, const std::string& scoreText) {
    Roster alone;
    alone.Row(alone.AppendRow())[Examinee::Score] = scoreText;
    ScoreStatistics s = 成绩统计分析(alone, paper);
    if (s.优秀人数 > 0) return "优秀";
    if (s.良好人数 > 0) return "良好";
    if (s.中等人数 > 0) return "中等";
    if (s.及格人数 > 0) return "及格";
    return "不及格";
}

std::string ScoreText(const Examinee& row) { return GradeNumberText(NumericValue(row[Examinee::Score])); }

std::string TableCsv(const ResultSet& records) {
    Roster ranked = records.roster;
    分析考生得分情况(ranked);  // the ranks the results page shows, whether or not the set was analysed
    const ExamPaper& paper = records.paper;
    int questions = QuestionCount(paper);

    std::string out = kBom;
    std::vector<std::string> header{"Number", "Name", "Score", "Rank", "Grade"};
    for (int q = 1; q <= questions; ++q) {
        std::string label = "Q";
        label += std::to_string(q);
        header.push_back(label + " answer");
        header.push_back(label + " points");
    }
    AppendLine(out, header);
    for (int r = 1; r <= ranked.RowCount(); ++r) {
        const Examinee& row = ranked.Row(r);
        if (!HasResults(row)) continue;
        std::vector<std::string> fields{TrimSpaces(row[Examinee::考号]), TrimSpaces(row[Examinee::姓名]), ScoreText(row),
                                        TrimSpaces(row[Examinee::名次]), BandOfScoreText(paper, row[Examinee::Score])};
        for (int q = 1; q <= questions; ++q) {
            const std::string& answer = records.answers.Cell(q, r);
            bool right = AnswerIsCorrect(answer, paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA]);
            fields.push_back(AnswerLetters(answer));
            fields.push_back(GradeNumberText(right ? paper.EffectiveScore(q) : 0));
        }
        AppendLine(out, fields);
    }
    return out;
}

const PlatformIdentity* IdentityOf(const GradeExportOptions& options, const Examinee& row) {
    auto found = options.identities.find(TrimSpaces(row[Examinee::考号]));
    return found == options.identities.end() ? nullptr : &found->second;
}

std::string Title(const GradeExportOptions& options) {
    std::string title = TrimSpaces(options.title);
    return title.empty() ? std::string("成绩") : title;
}

GradeFile MoodleCsv(const ResultSet& records, const GradeExportOptions& options) {
    GradeFile file;
    std::string idColumn = TrimSpaces(options.moodleIdColumn);
    AppendLine(file.bytes, {idColumn.empty() ? std::string("idnumber") : idColumn, Title(options)});
    for (int r = 1; r <= records.roster.RowCount(); ++r) {
        const Examinee& row = records.roster.Row(r);
        if (!HasResults(row)) continue;
        std::string id = TrimSpaces(row[Examinee::考号]);
        if (!options.identities.empty()) {
            const PlatformIdentity* identity = IdentityOf(options, row);
            if (!identity || TrimSpaces(identity->identifier).empty()) {
                file.unmatched.push_back(id);
                continue;
            }
            id = TrimSpaces(identity->identifier);
        }
        AppendLine(file.bytes, {id, ScoreText(row)});
    }
    return file;
}

GradeFile CanvasCsv(const ResultSet& records, const GradeExportOptions& options) {
    GradeFile file;
    AppendLine(file.bytes, {"Student", "ID", "SIS User ID", "SIS Login ID", "Section", Title(options)});
    AppendLine(file.bytes, {"Points Possible", "", "", "", "", GradeNumberText(FullScore(records.paper))});
    for (int r = 1; r <= records.roster.RowCount(); ++r) {
        const Examinee& row = records.roster.Row(r);
        if (!HasResults(row)) continue;
        PlatformIdentity identity;
        identity.sisUserId = TrimSpaces(row[Examinee::考号]);
        if (!options.identities.empty()) {
            const PlatformIdentity* given = IdentityOf(options, row);
            if (!given) {
                file.unmatched.push_back(identity.sisUserId);
                continue;
            }
            identity = *given;
        }
        std::string student = TrimSpaces(identity.student);
        if (student.empty()) student = TrimSpaces(row[Examinee::姓名]);
        AppendLine(file.bytes, {student, identity.canvasId, identity.sisUserId, identity.sisLoginId, identity.section,
                                ScoreText(row)});
    }
    return file;
}

std::string CellAt(const std::vector<std::string>& row, std::size_t column) {
    return column < row.size() ? TrimSpaces(row[column]) : std::string();
}

}  // namespace

std::string GradeNumberText(double value) {
    if (!std::isfinite(value)) return {};
    double rounded = std::round(value * 1e9) / 1e9;
    if (!std::isfinite(rounded)) rounded = value;  // too large to carry decimals anyway
    if (rounded == 0) rounded = 0;                 // no "-0"
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed);
    if (error != std::errc()) return {};
    return std::string(buffer, end);
}

std::string GradeBand(const ExamPaper& paper, double score) { return BandOfScoreText(paper, GradeNumberText(score)); }

double FullScore(const ExamPaper& paper) {
    double total = 0;
    for (int q = 1; q <= QuestionCount(paper); ++q) total += paper.EffectiveScore(q);
    return total;
}

GradeFile BuildGradeFile(const ResultSet& records, GradeFormat format, const GradeExportOptions& options) {
    switch (format) {
        case GradeFormat::Moodle:
            return MoodleCsv(records, options);
        case GradeFormat::Canvas:
            return CanvasCsv(records, options);
        case GradeFormat::Csv:
            break;
    }
    return GradeFile{TableCsv(records), {}};
}

std::string GradeFileName(const std::string& title, GradeFormat format) {
    std::string name = TrimSpaces(title);
    if (name.empty()) name = "成绩导出";
    switch (format) {
        case GradeFormat::Moodle:
            return name + "-moodle.csv";
        case GradeFormat::Canvas:
            return name + "-canvas.csv";
        case GradeFormat::Csv:
            break;
    }
    return name + ".csv";
}

std::filesystem::path DefaultGradeFilePath(const std::filesystem::path& programFolder, const std::string& title,
                                           GradeFormat format) {
    return ResolvePath(programFolder, "\\ChengJi\\" + GradeFileName(title, format));
}

Status ReadPlatformIdentities(const std::vector<std::vector<std::string>>& rows, GradeFormat format,
                              GradeExportOptions& options) {
    if (rows.empty()) return Status::Error("对照表是空的：第1行应为列名（number,…）");
    const std::vector<std::string>& header = rows.front();
    std::optional<std::size_t> numberColumn;
    std::map<std::string, std::size_t> columns;  // lower-case header -> column
    for (std::size_t c = 0; c < header.size(); ++c) {
        std::string name = LowerAscii(TrimSpaces(c == 0 && header[c].rfind(kBom, 0) == 0 ? header[c].substr(3) : header[c]));
        if (name == "number" || name == "考号") {
            if (!numberColumn) numberColumn = c;
        } else if (!name.empty() && !columns.count(name)) {
            columns[name] = c;
        }
    }
    if (!numberColumn) return Status::Error("对照表第1行缺少列“number”（考号）");

    std::string moodleColumnName;
    std::size_t moodleColumn = 0;
    if (format == GradeFormat::Moodle) {
        bool found = false;
        for (std::size_t c = 0; c < header.size() && !found; ++c) {
            if (c != *numberColumn && !TrimSpaces(header[c]).empty()) {
                moodleColumn = c;
                moodleColumnName = TrimSpaces(header[c]);
                found = true;
            }
        }
        if (!found) return Status::Error("对照表第1行缺少标识列（如 idnumber、email 或 username）");
    } else if (format == GradeFormat::Canvas) {
        bool any = false;
        for (const char* name : {"student", "id", "sis user id", "sis login id", "section"}) any = any || columns.count(name);
        if (!any) return Status::Error("对照表第1行缺少 Canvas 的列（Student、ID、SIS User ID、SIS Login ID、Section）");
    } else {
        return Status::Error("普通成绩表不用对照表");
    }

    std::map<std::string, PlatformIdentity> identities;
    auto take = [&](const std::vector<std::string>& row, const char* name) {
        auto found = columns.find(name);
        return found == columns.end() ? std::string() : CellAt(row, found->second);
    };
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::string>& row = rows[r];
        bool blank = true;
        for (const std::string& cell : row) blank = blank && TrimSpaces(cell).empty();
        if (blank) continue;
        std::string where = "对照表第" + std::to_string(r + 1) + "行";
        std::string number = CellAt(row, *numberColumn);
        if (number.empty()) return Status::Error(where + "没有考号");
        if (identities.count(number)) return Status::Error(where + "：考号" + number + "重复");
        PlatformIdentity identity;
        if (format == GradeFormat::Moodle) {
            identity.identifier = CellAt(row, moodleColumn);
            if (identity.identifier.empty()) return Status::Error(where + "：考号" + number + "没有“" + moodleColumnName + "”");
        } else {
            identity.student = take(row, "student");
            identity.canvasId = take(row, "id");
            identity.sisUserId = take(row, "sis user id");
            identity.sisLoginId = take(row, "sis login id");
            identity.section = take(row, "section");
            if (identity.canvasId.empty() && identity.sisUserId.empty() && identity.sisLoginId.empty())
                return Status::Error(where + "：考号" + number + "没有 ID、SIS User ID 或 SIS Login ID");
        }
        identities[number] = identity;
    }
    options.identities = std::move(identities);
    if (format == GradeFormat::Moodle) options.moodleIdColumn = moodleColumnName;
    return Status::Ok();
}

Status WriteGradeFile(const std::filesystem::path& target, const GradeFile& file) {
    return WriteFileAtomically(target, file.bytes);
}

std::filesystem::path ExportGrades(const std::filesystem::path& programFolder, const ResultSet& records,
                                   GradeFormat format, const GradeExportOptions& options, Prompt& prompt,
                                   const ExportPathChooser& choose) {
    std::filesystem::path suggested = DefaultGradeFilePath(programFolder, options.title, format);
    MakeFolder(suggested.parent_path());  // a failure shows in the write's message
    std::optional<std::filesystem::path> chosen = choose(suggested);
    if (!chosen || chosen->empty()) return {};
    std::filesystem::path target = *chosen;
    std::error_code ec;
    if (std::filesystem::exists(target, ec) &&
        !prompt.AskYesNo(FillForm(UiText("GradeExport", "文件“%1”已存在，是否替换？"), {DisplayPath(target)}),
                         UiText("GradeExport", "警告"))) {
        return {};
    }
    GradeFile file = BuildGradeFile(records, format, options);
    Status status = WriteGradeFile(target, file);
    if (!status.ok()) {
        prompt.ShowMessage(FillForm(UiText("GradeExport", "成绩未能导出。%1"), {status.message()}), "");
        return {};
    }
    std::filesystem::path shown = std::filesystem::absolute(target, ec);
    std::string message = FillForm(UiText("GradeExport", "成绩已导出到：\n%1"), {DisplayPath(ec ? target : shown)});
    if (!file.unmatched.empty()) {
        std::string numbers;
        for (const std::string& number : file.unmatched) numbers += " " + number;
        message = FillForm(UiText("GradeExport", "%1\n对照表中没有以下考号，未导出：%2"), {message, numbers});
    }
    prompt.ShowMessage(message, "");
    return target;
}

}  // namespace quillmark

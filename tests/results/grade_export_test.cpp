#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale>
#include <sstream>

#include "marking/grading.h"
#include "results/grade_export.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::ScriptedPrompt;
using test::TempFolder;

using Rows = std::vector<std::vector<std::string>>;

// Reads CSV text back as RFC 4180 defines it: quoted fields with doubled quotes, records ended
// by CR LF only (a bare LF inside a record is a fault of the writer and shows in the fields).
Rows ReadCsv(std::string_view text) {
    Rows rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
            else if (c == '"') quoted = false;
            else field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.empty() && row.empty()) << "the last record has no CR LF";
    return rows;
}

// Three questions: 2 points each by default, the third its own 3 (7 in all); thresholds 7/6/5/4.
// 1001 "Li, Wei" has everything right (7), 1002 got question 2 with one letter of its key (2),
// 1003 was not marked, 1004 got questions 1 and 2 (4).
ResultSet MarkedSet() {
    ResultSet records;
    ExamPaper& paper = records.paper;
    paper.总题数 = 3;
    paper.分值 = 2;
    paper.优秀 = 7;
    paper.良好 = 6;
    paper.中等 = 5;
    paper.及格 = 4;
    paper.questions[1][ExamQuestion::DA] = "1";
    paper.questions[2][ExamQuestion::DA] = "13";
    paper.questions[3][ExamQuestion::DA] = "2";
    paper.questions[3][ExamQuestion::Z] = "3";
    const char* people[][2] = {{"1001", "Li, Wei"}, {"1002", "Zhang \"Z\" San"}, {"1003", "王五"}, {"1004", "赵六"}};
    for (auto& person : people) {
        int row = records.roster.AppendRow();
        records.roster.Row(row)[Examinee::考号] = person[0];
        records.roster.Row(row)[Examinee::姓名] = person[1];
    }
    records.answers.Reset(10);
    RecordAnswers("1001", {"1", "13", "2"}, records);
    RecordAnswers("1002", {"2", "1", ""}, records);
    RecordAnswers("1004", {"1", "3", "4"}, records);
    return records;
}

GradeExportOptions Titled(std::string title) {
    GradeExportOptions options;
    options.title = std::move(title);
    return options;
}

TEST(GradeTableCsv, BomHeaderAndOneRowPerMarkedExamineeColumnByColumn) {
    std::string bytes = BuildGradeFile(MarkedSet(), GradeFormat::Csv, Titled("期中")).bytes;
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1) << "lines end in CR LF";
    Rows rows = ReadCsv(std::string_view(bytes).substr(3));
    ASSERT_EQ(rows.size(), 4u);  // header and three examinees: 1003 has no results
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Number", "Name", "Score", "Rank", "Grade", "Q1 answer", "Q1 points",
                                                 "Q2 answer", "Q2 points", "Q3 answer", "Q3 points"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1001", "Li, Wei", "7", "1", "优秀", "A", "2", "AC", "2", "B", "3"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"1002", "Zhang \"Z\" San", "2", "3", "不及格", "B", "0", "A", "2", "", "0"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"1004", "赵六", "4", "2", "及格", "A", "2", "C", "2", "D", "0"}));
    // The quoting as written, not only as read back.
    EXPECT_NE(bytes.find("\r\n1001,\"Li, Wei\",7,"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n1002,\"Zhang \"\"Z\"\" San\",2,"), std::string::npos);
}

TEST(GradeTableCsv, BandsFollowTheStatisticsThresholds) {
    ExamPaper paper;
    paper.优秀 = 90;
    paper.良好 = 80;
    paper.中等 = 70;
    paper.及格 = 60;
    EXPECT_EQ(GradeBand(paper, 90), "优秀");
    EXPECT_EQ(GradeBand(paper, 89.5), "良好");
    EXPECT_EQ(GradeBand(paper, 70), "中等");
    EXPECT_EQ(GradeBand(paper, 60), "及格");
    EXPECT_EQ(GradeBand(paper, 59.99), "不及格");
    // The statistics count in whole points: a threshold of 59.6 is 60.
    paper.及格 = 59.6;
    EXPECT_EQ(GradeBand(paper, 59.7), "不及格");
}

TEST(MoodleCsv, IdnumberThenOneGradeColumnNamedAfterThePaper) {
    GradeFile file = BuildGradeFile(MarkedSet(), GradeFormat::Moodle, Titled("期中, 数学"));
    EXPECT_NE(file.bytes.substr(0, 3), "\xEF\xBB\xBF");
    Rows rows = ReadCsv(file.bytes);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"idnumber", "期中, 数学"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1001", "7"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"1002", "2"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"1004", "4"}));
    EXPECT_TRUE(file.unmatched.empty());
}

TEST(MoodleCsv, EmailsFromAnIdentityTableLeaveOutAndNameTheUnmatched) {
    GradeExportOptions options = Titled("期中");
    Rows table{{"number", "email"}, {"1001", "li@example.org"}, {}, {"1004", "zhao@example.org"}};
    ASSERT_TRUE(ReadPlatformIdentities(table, GradeFormat::Moodle, options).ok());
    GradeFile file = BuildGradeFile(MarkedSet(), GradeFormat::Moodle, options);
    EXPECT_EQ(ReadCsv(file.bytes), (Rows{{"email", "期中"}, {"li@example.org", "7"}, {"zhao@example.org", "4"}}));
    EXPECT_EQ(file.unmatched, (std::vector<std::string>{"1002"}));

    GradeExportOptions refused;
    Status missing = ReadPlatformIdentities({{"number", "email"}, {"1001", ""}}, GradeFormat::Moodle, refused);
    EXPECT_NE(missing.message().find("第2行"), std::string::npos) << missing.message();
    Status twice = ReadPlatformIdentities({{"number", "email"}, {"1001", "a"}, {"1001", "b"}}, GradeFormat::Moodle, refused);
    EXPECT_NE(twice.message().find("第3行"), std::string::npos) << twice.message();
    EXPECT_FALSE(ReadPlatformIdentities({{"email"}, {"a"}}, GradeFormat::Moodle, refused).ok());
    EXPECT_TRUE(refused.identities.empty());
}

TEST(CanvasCsv, LeadingColumnsPointsPossibleAndTheNumberAsSisUserId) {
    ResultSet records = MarkedSet();
    records.paper.questions[2][ExamQuestion::Z] = "2.5";  // full score 7.5
    GradeFile file = BuildGradeFile(records, GradeFormat::Canvas, Titled("期中"));
    EXPECT_NE(file.bytes.substr(0, 3), "\xEF\xBB\xBF");
    Rows rows = ReadCsv(file.bytes);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Student", "ID", "SIS User ID", "SIS Login ID", "Section", "期中"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Points Possible", "", "", "", "", "7.5"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"Li, Wei", "", "1001", "", "", "7"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"Zhang \"Z\" San", "", "1002", "", "", "2"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"赵六", "", "1004", "", "", "4"}));
}

TEST(CanvasCsv, IdentityTableFillsTheLeadingColumns) {
    GradeExportOptions options = Titled("期中");
    Rows table{{"Number", "SIS Login ID", "Section", "ID"}, {"1001", "liwei", "A班", "17"}};
    ASSERT_TRUE(ReadPlatformIdentities(table, GradeFormat::Canvas, options).ok());
    GradeFile file = BuildGradeFile(MarkedSet(), GradeFormat::Canvas, options);
    Rows rows = ReadCsv(file.bytes);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], (std::vector<std::string>{"Li, Wei", "17", "", "liwei", "A班", "7"}));
    EXPECT_EQ(file.unmatched, (std::vector<std::string>{"1002", "1004"}));

    GradeExportOptions refused;
    Status noId = ReadPlatformIdentities({{"number", "Section"}, {"1001", "A"}}, GradeFormat::Canvas, refused);
    EXPECT_NE(noId.message().find("第2行"), std::string::npos) << noId.message();
}

// A locale whose decimal separator is a comma, for iostreams; the C library's own when installed.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(GradeNumbers, PointDecimalNoTrailingZerosWhateverTheLocale) {
    std::locale before = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    std::string cBefore = std::setlocale(LC_ALL, nullptr);
    bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::ostringstream probe;
    probe << 2.5;
    EXPECT_EQ(probe.str(), "2,5") << "the comma locale is in force for streams";

    EXPECT_EQ(GradeNumberText(2), "2");
    EXPECT_EQ(GradeNumberText(2.5), "2.5");
    EXPECT_EQ(GradeNumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(GradeNumberText(-0.0), "0");
    EXPECT_EQ(GradeNumberText(1234567.25), "1234567.25");
    EXPECT_EQ(GradeNumberText(1e-12), "0");
    EXPECT_EQ(GradeNumberText(std::nan("")), "");
    ResultSet records = MarkedSet();
    records.paper.questions[3][ExamQuestion::Z] = "1.5";
    RecordAnswers("1001", {"1", "13", "2"}, records);
    Rows rows = ReadCsv(BuildGradeFile(records, GradeFormat::Csv, Titled("t")).bytes.substr(3));
    EXPECT_EQ(rows[1][2], "5.5");
    EXPECT_EQ(rows[1][10], "1.5");

    std::setlocale(LC_ALL, cBefore.c_str());
    std::locale::global(before);
    if (!german) GTEST_LOG_(INFO) << "de_DE.UTF-8 is not installed: only the C++ comma locale was checked";
}

TEST(GradeFiles, ExportAsksBeforeReplacingAndReportsAFailedWrite) {
    TempFolder folder;
    ResultSet records = MarkedSet();
    ScriptedPrompt prompt;
    std::filesystem::path written = ExportGrades(folder.path(), records, GradeFormat::Moodle, Titled("期中"), prompt,
                                                 KeepDefaultExportPath);
    ASSERT_EQ(written, folder.path() / "ChengJi" / "期中-moodle.csv");
    EXPECT_EQ(folder.ReadBytes("ChengJi/期中-moodle.csv"), BuildGradeFile(records, GradeFormat::Moodle, Titled("期中")).bytes);
    ASSERT_FALSE(prompt.asked.empty());
    EXPECT_NE(prompt.asked.back().find("期中-moodle.csv"), std::string::npos);

    folder.WriteBytes("ChengJi/期中-moodle.csv", "kept");
    prompt.yes = false;
    EXPECT_TRUE(ExportGrades(folder.path(), records, GradeFormat::Moodle, Titled("期中"), prompt, KeepDefaultExportPath)
                    .empty());
    EXPECT_EQ(folder.ReadBytes("ChengJi/期中-moodle.csv"), "kept");

    prompt.asked.clear();
    auto intoMissingFolder = [&](const std::filesystem::path&) {
        return std::optional<std::filesystem::path>(folder.path() / "no-such-folder" / "x.csv");
    };
    EXPECT_TRUE(ExportGrades(folder.path(), records, GradeFormat::Csv, Titled("期中"), prompt, intoMissingFolder).empty());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("成绩未能导出"), std::string::npos) << prompt.asked[0];
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "no-such-folder"));
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "data/answer_table.h"
#include "data/exam_paper.h"
#include "data/key_file.h"
#include "data/roster.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using test::Gbk;
using test::TempFolder;

constexpr char kOld[] = "old";

// A paper whose every field differs from what any file below gives.
ExamPaper FilledPaper() {
    ExamPaper paper;
    paper.总题数 = 5;
    paper.分值 = 7;
    paper.优秀 = 1;
    paper.良好 = 1;
    paper.中等 = 1;
    paper.及格 = 1;
    for (ExamQuestion& question : paper.questions) {
        for (std::string& column : question.columns) column = kOld;
    }
    return paper;
}

Roster ThreeRowRoster() {
    Roster roster;
    for (int i = 0; i < 3; ++i) roster.Row(roster.AppendRow())[Examinee::姓名] = kOld;
    return roster;
}

AnswerTable FilledAnswers(int rows) {
    AnswerTable table;
    table.Reset(rows);
    for (int row = 0; row <= rows; ++row) {
        for (int q = 0; q < AnswerTable::kQuestions; ++q) table.SetCell(q, row, kOld);
    }
    return table;
}

std::string PaperWithCount(std::string_view count) {
    return Gbk("[MAIN]\r\n总题数=" + std::string(count) + "\r\n分值= 2\r\n[考题内容]\r\n1DA=B\r\n200DA=C\r\n");
}

// Paths that name no readable regular file: a folder, a dangling link, a link loop, a path
// through a regular file, and a missing file.
std::vector<fs::path> UnreadablePaths(const TempFolder& temp) {
    fs::create_directories(temp.path() / "folder.CHO");
    fs::create_symlink(temp.path() / "nowhere", temp.path() / "dangling");
    fs::create_symlink(temp.path() / "loop", temp.path() / "loop");
    temp.WriteBytes("plain", Gbk("[MAIN]\r\n总题数=3\r\n0101,张三\r\n"));
    return {temp.path() / "folder.CHO", temp.path() / "dangling", temp.path() / "loop",
            temp.path() / "plain" / "inner", temp.path() / "missing"};
}

TEST(MalformedInput, PathsThatAreNoReadableFileReadAsMissing) {
    TempFolder temp;
    for (const fs::path& path : UnreadablePaths(temp)) {
        SCOPED_TRACE(path.string());
        ExamPaper paper = FilledPaper();
        EXPECT_FALSE(ReadExamPaper(path, paper));
        EXPECT_EQ(paper.总题数, 0);
        EXPECT_EQ(paper.分值, 0);
        EXPECT_EQ(paper.questions[1][ExamQuestion::DA], kOld);

        Roster roster = ThreeRowRoster();
        ReadRoster(path, roster);
        EXPECT_EQ(roster.RowCount(), 0);
        roster = ThreeRowRoster();
        ReadResultRoster(path, roster);
        EXPECT_EQ(roster.RowCount(), 0);

        AnswerTable answers = FilledAnswers(3);
        ReadAnswerTable(path, answers, 3);
        EXPECT_EQ(answers.RowCapacity(), 4);
        EXPECT_EQ(answers.Cell(1, 1), kOld);
        EXPECT_EQ(answers.Cell(200, 3), kOld);

        KeyFile file = KeyFile::Load(path);
        EXPECT_EQ(file.Read("MAIN", "总题数", "none"), "none");
        std::string bytes = "not emptied";
        ASSERT_TRUE(file.Serialize(bytes).ok());
        EXPECT_EQ(bytes, "");
    }
}

TEST(MalformedInput, FileWithoutReadPermissionReadsAsMissing) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser from reading";
    TempFolder temp;
    temp.WriteBytes("locked.TXT", Gbk("0101,张三\r\n"));
    temp.WriteBytes("locked.CHO", PaperWithCount("3"));
    fs::permissions(temp.path() / "locked.TXT", fs::perms::none);
    fs::permissions(temp.path() / "locked.CHO", fs::perms::none);

    Roster roster = ThreeRowRoster();
    ReadResultRoster(temp.path() / "locked.TXT", roster);
    EXPECT_EQ(roster.RowCount(), 0);
    AnswerTable answers = FilledAnswers(1);
    ReadAnswerTable(temp.path() / "locked.TXT", answers, 1);
    EXPECT_EQ(answers.Cell(1, 1), kOld);
    ExamPaper paper = FilledPaper();
    EXPECT_FALSE(ReadExamPaper(temp.path() / "locked.CHO", paper));
    EXPECT_EQ(paper.总题数, 0);
}

TEST(MalformedInput, EveryQuestionCountIsHeldToZeroThrough200) {
    struct Case {
        const char* count;
        int questions;
    };
    const Case cases[] = {
        {"1E308", 200}, {"1E999", 200}, {"99999", 200}, {"300", 200},   {"201", 200},
        {"200", 200},   {"-5", 0},      {"-1E999", 0},  {"abc", 0},     {"", 0},
        {" 1 2 ", 12},  {"2.5", 2},     {"3.5", 4},     {"0.4", 0},     {"1D1", 10},
        {"3x7", 3},     {"1E-999", 0},  {"-0.5", 0},    {"+2", 2},      {"32768", 200},
    };
    TempFolder temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("总题数=") + c.count);
        temp.WriteBytes("paper.CHO", PaperWithCount(c.count));
        ExamPaper paper = FilledPaper();
        EXPECT_EQ(ReadExamPaper(temp.path() / "paper.CHO", paper), c.questions > 0);
        EXPECT_EQ(paper.总题数, c.questions);
        EXPECT_EQ(paper.分值, 2);
        if (c.questions > 0) {
            EXPECT_EQ(paper.questions[1][ExamQuestion::DA], "B");
            EXPECT_EQ(paper.questions[1][ExamQuestion::E], "");
        } else {
            EXPECT_EQ(paper.questions[1][ExamQuestion::DA], kOld);
        }
        EXPECT_EQ(paper.questions[200][ExamQuestion::DA], c.questions == 200 ? "C" : kOld);
        EXPECT_EQ(paper.questions[201][ExamQuestion::DA], kOld);
    }
}

TEST(MalformedInput, MegabyteLinesWithoutLineEnd) {
    TempFolder temp;
    const std::size_t kMegabyte = 1 << 20;

    // A count of a million digits is still only 200 questions; the value is cut to 255 bytes.
    temp.WriteBytes("digits.CHO", Gbk("[MAIN]\r\n分值=1\r\n总题数=") + std::string(kMegabyte, '9'));
    ExamPaper paper = FilledPaper();
    EXPECT_TRUE(ReadExamPaper(temp.path() / "digits.CHO", paper));
    EXPECT_EQ(paper.总题数, 200);
    EXPECT_EQ(KeyFile::Load(temp.path() / "digits.CHO").Read("MAIN", "总题数", "").size(), 255u);

    std::string name(kMegabyte, 'x');
    temp.WriteBytes("one_line.TXT", "0101," + name);
    Roster roster = ThreeRowRoster();
    ReadRoster(temp.path() / "one_line.TXT", roster);
    ASSERT_EQ(roster.RowCount(), 1);
    EXPECT_EQ(roster.Row(1)[Examinee::考号], "0101");
    EXPECT_EQ(roster.Row(1)[Examinee::姓名], name);
    // Without its closing comma the name column stays empty in a result roster.
    ReadResultRoster(temp.path() / "one_line.TXT", roster);
    ASSERT_EQ(roster.RowCount(), 1);
    EXPECT_EQ(roster.Row(1)[Examinee::考号], "0101");
    EXPECT_EQ(roster.Row(1)[Examinee::姓名], "");

    // Half a million fields on one line fill rows of 200 in turn, and no more rows than asked.
    std::string fields;
    for (int i = 0; i < 500000; ++i) fields += (i % 2 == 0) ? "A," : "B,";
    temp.WriteBytes("one_line.DAN", fields);
    AnswerTable answers = FilledAnswers(1);
    ReadAnswerTable(temp.path() / "one_line.DAN", answers, 3);
    EXPECT_EQ(answers.RowCapacity(), 4);
    EXPECT_EQ(answers.Cell(1, 1), "A");
    EXPECT_EQ(answers.Cell(2, 1), "B");
    EXPECT_EQ(answers.Cell(200, 3), "B");
    EXPECT_EQ(answers.Cell(201, 3), "");
}

TEST(MalformedInput, RosterLinesOfThousandsOfCommas) {
    TempFolder temp;
    temp.WriteBytes("commas.TXT", std::string(5000, ',') + "\r\n0102," + Gbk("李四") + std::string(3000, ','));
    Roster roster;
    ReadResultRoster(temp.path() / "commas.TXT", roster);
    ASSERT_EQ(roster.RowCount(), 2);
    for (int k = Examinee::考号; k <= Examinee::Spare; ++k) EXPECT_EQ(roster.Row(1)[k], "");
    EXPECT_EQ(roster.Row(2)[Examinee::考号], "0102");
    EXPECT_EQ(roster.Row(2)[Examinee::姓名], "李四");
    EXPECT_EQ(roster.Row(2)[Examinee::Score], "");
}

TEST(MalformedInput, EmbeddedNulBytesAreKeptAsText) {
    TempFolder temp;
    using namespace std::string_literals;

    temp.WriteBytes("nul.TXT", "01\0" "01,"s + Gbk("张") + "\0"s + Gbk("三") + ",,,,,\r\n\0\r\n"s);
    Roster roster;
    ReadResultRoster(temp.path() / "nul.TXT", roster);
    ASSERT_EQ(roster.RowCount(), 2);
    EXPECT_EQ(roster.Row(1)[Examinee::考号], "01\0" "01"s);
    EXPECT_EQ(roster.Row(1)[Examinee::姓名], "张\0三"s);
    EXPECT_EQ(roster.Row(2)[Examinee::考号], "");

    temp.WriteBytes("nul.CHO", Gbk("[MAIN]\r\n总题数=2") + "\0" "9\r\n"s + Gbk("[考题内容]\r\n1DA=A") + "\0B\r\n"s);
    ExamPaper paper = FilledPaper();
    EXPECT_TRUE(ReadExamPaper(temp.path() / "nul.CHO", paper));
    EXPECT_EQ(paper.总题数, 2);  // the number ends at the NUL
    EXPECT_EQ(paper.questions[1][ExamQuestion::DA], "A\0B"s);

    temp.WriteBytes("nul.DAN", "A\0,\0,,\0B\r\nC"s);
    AnswerTable answers = FilledAnswers(1);
    ReadAnswerTable(temp.path() / "nul.DAN", answers, 1);
    EXPECT_EQ(answers.Cell(1, 1), "A\0"s);
    EXPECT_EQ(answers.Cell(2, 1), "\0"s);
    EXPECT_EQ(answers.Cell(3, 1), "");
    EXPECT_EQ(answers.Cell(4, 1), "\0B"s);
    EXPECT_EQ(answers.Cell(5, 1), "C");
    EXPECT_EQ(answers.Cell(6, 1), kOld);
}

TEST(MalformedInput, LoneLeadBytesBecomeReplacementCharacters) {
    TempFolder temp;
    temp.WriteBytes("lead.TXT", "0101,\xD5\r\n0102," + Gbk("张") + "\xD5,\r\n0103,\xD5");
    Roster roster;
    ReadRoster(temp.path() / "lead.TXT", roster);
    ASSERT_EQ(roster.RowCount(), 3);
    EXPECT_EQ(roster.Row(1)[Examinee::姓名], "\xEF\xBF\xBD");
    EXPECT_EQ(roster.Row(2)[Examinee::姓名], "张\xEF\xBF\xBD");
    EXPECT_EQ(roster.Row(3)[Examinee::姓名], "\xEF\xBF\xBD");

    // A lead byte before the line end does not swallow the line end.
    temp.WriteBytes("lead.CHO", Gbk("[MAIN]\r\n总题数=1") + "\xD5\r\n" + Gbk("[考题内容]\r\n1DA=") + "\xB7\r\n1Z=4\r\n");
    ExamPaper paper = FilledPaper();
    EXPECT_TRUE(ReadExamPaper(temp.path() / "lead.CHO", paper));
    EXPECT_EQ(paper.总题数, 1);
    EXPECT_EQ(paper.questions[1][ExamQuestion::DA], "\xEF\xBF\xBD");
    EXPECT_EQ(paper.questions[1][ExamQuestion::Z], "4");
}

TEST(MalformedInput, CarriageReturnOnlyLineEnds) {
    TempFolder temp;
    temp.WriteBytes("cr.TXT", Gbk("0101,张三,\r0102,李四,\r\r0104,王五,"));
    Roster roster;
    ReadRoster(temp.path() / "cr.TXT", roster);
    ASSERT_EQ(roster.RowCount(), 4);
    EXPECT_EQ(roster.Row(2)[Examinee::姓名], "李四");
    EXPECT_EQ(roster.Row(3)[Examinee::姓名], "");
    EXPECT_EQ(roster.Row(4)[Examinee::考号], "0104");

    temp.WriteBytes("cr.CHO", Gbk("[MAIN]\r总题数=1\r[考题内容]\r1DA=D\r"));
    ExamPaper paper = FilledPaper();
    EXPECT_TRUE(ReadExamPaper(temp.path() / "cr.CHO", paper));
    EXPECT_EQ(paper.questions[1][ExamQuestion::DA], "D");
}

TEST(MalformedInput, MoreLinesThanTheRosterHoldsAreRefused) {
    TempFolder temp;
    temp.WriteBytes("blank.TXT", std::string(Roster::kMaxRows + 500, '\n'));
    Roster roster;
    EXPECT_FALSE(ReadRoster(temp.path() / "blank.TXT", roster).ok());
    EXPECT_EQ(roster.RowCount(), 0);
}

TEST(MalformedInput, BinaryJunkAndEmptyFiles) {
    TempFolder temp;
    std::string junk;
    unsigned seed = 7;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1103515245u + 12345u;
        junk += static_cast<char>(seed >> 24);
    }
    for (const std::string& bytes : {junk, std::string()}) {
        temp.WriteBytes("f", bytes);
        ExamPaper paper = FilledPaper();
        EXPECT_FALSE(ReadExamPaper(temp.path() / "f", paper));
        EXPECT_EQ(paper.总题数, 0);
        AnswerTable answers = FilledAnswers(2);
        ReadAnswerTable(temp.path() / "f", answers, 2);
        EXPECT_EQ(answers.RowCapacity(), 3);
    }
    temp.WriteBytes("empty", "");
    Roster roster = ThreeRowRoster();
    ReadResultRoster(temp.path() / "empty", roster);
    EXPECT_EQ(roster.RowCount(), 0);
    AnswerTable answers = FilledAnswers(1);
    ReadAnswerTable(temp.path() / "empty", answers, 1);
    EXPECT_EQ(answers.Cell(1, 1), kOld);
}

TEST(MalformedInput, WritingOverAFolderFailsAndNamesIt) {
    TempFolder temp;
    fs::path folder = temp.path() / "paper.CHO";
    fs::create_directories(folder);
    ExamPaper paper = FilledPaper();
    Status written = WriteExamPaper(folder, paper);
    EXPECT_FALSE(written.ok());
    EXPECT_NE(written.message().find(folder.string()), std::string::npos) << written.message();
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace quillmark

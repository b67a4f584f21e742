#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/folder_commit.h"
#include "data/result_set.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::Gbk;
using test::TempFolder;

ResultSet MarkedRecords() {
    ResultSet records;
    records.paper.总题数 = 3;
    records.paper.分值 = 5;
    records.paper.questions[1][ExamQuestion::DA] = "2";
    records.paper.questions[2][ExamQuestion::DA] = "13";
    records.paper.questions[3][ExamQuestion::DA] = "4";
    records.paper.questions[1][ExamQuestion::DFL] = "50";
    for (const char* number : {"0101", "0102"}) {
        int row = records.roster.AppendRow();
        records.roster.Row(row)[Examinee::考号] = number;
        records.roster.Row(row)[Examinee::姓名] = "考生";
    }
    records.answers.Reset(records.roster.RowCount() + 100);
    records.roster.Row(1)[Examinee::Score] = "15";
    records.roster.Row(1)[Examinee::AnswerSummary] = "\\ 1|2  2|13  3|4";
    records.answers.SetCell(1, 1, "2");
    records.answers.SetCell(2, 1, "13");
    records.answers.SetCell(3, 1, "4");
    records.answers.SetCell(1, 2, "3");
    return records;
}

TEST(ResultSetFiles, SaveWritesThreeFilesAndOpenReadsThemBack) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(folder.path(), "期中", MarkedRecords()).ok());
    EXPECT_EQ(folder.ReadBytes("ChengJi/期中.txt"),
              Gbk("0101,考生,15,,\\ 1|2  2|13  3|4,,\r\n0102,考生,,,,,\r\n"));
    std::string dan = folder.ReadBytes("ChengJi/期中.DAN");
    EXPECT_EQ(std::count(dan.begin(), dan.end(), ','), 2 * 199);
    EXPECT_EQ(std::count(dan.begin(), dan.end(), '\n'), 2);

    ResultSet opened;
    ASSERT_TRUE(OpenResultSet(folder.path(), " 期中.CHO ", opened).ok());
    EXPECT_EQ(opened.roster.RowCount(), 2);
    EXPECT_EQ(opened.roster.Row(1)[Examinee::Score], "15");
    EXPECT_EQ(opened.paper.总题数, 3);
    EXPECT_EQ(opened.paper.questions[1][ExamQuestion::DFL], "50");
    EXPECT_EQ(opened.answers.Cell(2, 1), "13");
    EXPECT_EQ(opened.answers.Cell(1, 2), "3");
}

TEST(ResultSetFiles, EntryNameIsTheTextBeforeTheFirstCho) {
    EXPECT_EQ(ResultSetNameFromEntry("abc.CHO"), "abc");
    EXPECT_EQ(ResultSetNameFromEntry(" abc.cho"), "abc");
    EXPECT_EQ(ResultSetNameFromEntry("a.cho.CHO"), "a");
}

TEST(ResultSetFiles, ZeroQuestionPaperLeavesTheAnswersOfTheOpenedSet) {
    TempFolder folder;
    folder.MakeProgramFolders();
    folder.WriteBytes("ChengJi/x.TXT", "0101,a,,,,,\r\n");
    folder.WriteBytes("ChengJi/x.CHO", "[MAIN]\r\n总题数=0\r\n");
    folder.WriteBytes("ChengJi/x.DAN", "4,5\r\n");
    ResultSet records;
    records.answers.SetCell(3, 1, "kept");
    ASSERT_TRUE(OpenResultSet(folder.path(), "x.CHO", records).ok());
    EXPECT_EQ(records.answers.Cell(1, 1), "4");
    EXPECT_EQ(records.answers.Cell(3, 1), "kept");
}

// The message without the file's path, which is the only place English may appear.
bool NamesOnlyInChinese(const std::string& message, const std::filesystem::path& file) {
    std::string rest = message;
    std::size_t at = rest.find(file.string());
    if (at == std::string::npos) return false;
    rest.erase(at, file.string().size());
    return std::none_of(rest.begin(), rest.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

TEST(ResultSetFiles, AMissingDataFolderIsMadeAndAFailedSaveNamesTheFileInChinese) {
    TempFolder folder;  // a program folder whose data folders were deleted by hand
    ASSERT_TRUE(SaveResultSet(folder.path(), "x", MarkedRecords()).ok());
    ResultSet opened;
    ASSERT_TRUE(OpenResultSet(folder.path(), "x.CHO", opened).ok());
    EXPECT_EQ(opened.roster.Row(1)[Examinee::Score], "15");
    EXPECT_TRUE(WriteRoster(folder.path() / "MingCe" / "r.TXT", MarkedRecords().roster).ok());
    EXPECT_TRUE(WriteExamPaper(folder.path() / "ShiJuan" / "p.CHO", MarkedRecords().paper).ok());
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.path() / "MingCe" / "r.TXT"));

    // A file where the folder should be stops every writer, whoever runs the test.
    TempFolder blocked;
    for (const char* name : {"ChengJi", "MingCe", "ShiJuan"}) blocked.WriteBytes(name, "not a folder");
    std::filesystem::path txt = blocked.path() / "ChengJi" / "x.txt";
    Status status = SaveResultSet(blocked.path(), "x", MarkedRecords());
    EXPECT_FALSE(status.ok());
    EXPECT_TRUE(NamesOnlyInChinese(status.message(), txt)) << status.message();
    std::filesystem::path roster = blocked.path() / "MingCe" / "r.TXT";
    status = WriteRoster(roster, MarkedRecords().roster);
    EXPECT_TRUE(NamesOnlyInChinese(status.message(), roster)) << status.message();
    std::filesystem::path paper = blocked.path() / "ShiJuan" / "p.CHO";
    status = WriteExamPaper(paper, MarkedRecords().paper);
    EXPECT_TRUE(NamesOnlyInChinese(status.message(), paper)) << status.message();

    // A field that would shift the columns fails the save before anything is written.
    ResultSet records = MarkedRecords();
    records.roster.Row(2)[Examinee::姓名] = "a,b";
    status = SaveResultSet(folder.path(), "y", records);
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "ChengJi" / "y.CHO"));
}

TEST(ResultSetFiles, ResavingUnderAnotherCaseReplacesTheSameFiles) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(folder.path(), "Term", MarkedRecords()).ok());
    ASSERT_TRUE(SaveResultSet(folder.path(), "TERM", MarkedRecords()).ok());
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(folder.path() / "ChengJi")) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 4);  // the set's three files and its review file
}

// The same set after another marking: every one of its four files differs.
ResultSet RemarkedRecords(int extraRows = 0) {
    ResultSet records = MarkedRecords();
    records.paper.questions[1][ExamQuestion::DA] = "3";
    records.roster.Row(1)[Examinee::Score] = "10";
    records.answers.SetCell(1, 1, "3");
    SheetReview review;
    review.examinee = "0101";
    review.answersRead = {"3"};
    review.decisions[1] = "3";
    records.review.Put(review);
    for (int i = 0; i < extraRows; ++i) {
        int row = records.roster.AppendRow();
        records.roster.Row(row)[Examinee::考号] = std::to_string(1000 + i);
        for (int q = 1; q <= 200; ++q) records.answers.SetCell(q, row, "1234");
    }
    return records;
}

using SetFiles = std::array<std::string, 4>;

SetFiles ReadSet(const TempFolder& folder, const std::string& name) {
    SetFiles files;
    for (int i = 0; i < 4; ++i) {
        std::filesystem::path path = folder.path() / "ChengJi" / (name + std::array{".txt", ".CHO", ".DAN", ".REV"}[i]);
        if (std::filesystem::exists(path)) files[i] = folder.ReadBytes("ChengJi/" + path.filename().string());
    }
    return files;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int killAtStep = 0;
void KillAtStep(int step) {
    if (step == killAtStep) std::raise(SIGKILL);
}

TEST(ResultSetCommit, AKilledSaveLeavesTheSetWhollyOldOrWhollyNew) {
    TempFolder reference;
    reference.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(reference.path(), "期中", MarkedRecords()).ok());
    SetFiles before = ReadSet(reference, "期中");
    ASSERT_TRUE(SaveResultSet(reference.path(), "期中", RemarkedRecords()).ok());
    SetFiles after = ReadSet(reference, "期中");
    const std::vector<std::string> wholeSet = {"期中.CHO", "期中.DAN", "期中.REV", "期中.txt"};

    int oldOutcomes = 0, newOutcomes = 0;
    for (int step = 1;; ++step) {
        TempFolder folder;
        folder.MakeProgramFolders();
        ASSERT_TRUE(SaveResultSet(folder.path(), "期中", MarkedRecords()).ok());
        pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            killAtStep = step;
            FolderCommit::SetStepObserver(KillAtStep);
            _exit(SaveResultSet(folder.path(), "期中", RemarkedRecords()).ok() ? 0 : 1);
        }
        int wait = 0;
        ASSERT_EQ(waitpid(child, &wait, 0), child);
        bool killed = WIFSIGNALED(wait);

        EXPECT_EQ(ListResultSets(folder.path()), std::vector<std::string>{"期中.CHO"}) << "step " << step;
        ResultSet opened;
        EXPECT_TRUE(OpenResultSet(folder.path(), "期中.CHO", opened).ok()) << "step " << step;
        EXPECT_EQ(FolderEntries(folder.path() / "ChengJi"), wholeSet) << "step " << step;  // no leftovers
        SetFiles now = ReadSet(folder, "期中");
        if (now == before) {
            ++oldOutcomes;
            EXPECT_EQ(newOutcomes, 0) << "step " << step << ": old again after a committed step";
        } else {
            ++newOutcomes;
            EXPECT_EQ(now, after) << "step " << step << ": a torn set";
        }
        if (!killed) {
            EXPECT_EQ(WEXITSTATUS(wait), 0);
            EXPECT_EQ(now, after);
            break;
        }
        ASSERT_LT(step, 40) << "the save never finished";
    }
    EXPECT_GT(oldOutcomes, 1);
    EXPECT_GT(newOutcomes, 2);
}

TEST(ResultSetCommit, AFailedWriteLeavesTheOldSetWhole) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(folder.path(), "期中", MarkedRecords()).ok());
    SetFiles before = ReadSet(folder, "期中");
    const std::vector<std::string> wholeSet = {"期中.CHO", "期中.DAN", "期中.REV", "期中.txt"};

    // A paper value code page 936 lacks fails the save before any file is replaced.
    ResultSet records = RemarkedRecords();
    records.paper.questions[2][ExamQuestion::DA] = "😀";
    Status status = SaveResultSet(folder.path(), "期中", records);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("期中.CHO"), std::string::npos) << status.message();
    EXPECT_EQ(ReadSet(folder, "期中"), before);

    // The third file outgrows what the process may write (as on a full disk).
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        Status third = SaveResultSet(folder.path(), "期中", RemarkedRecords(300));
        _exit(third.ok() ? 0 : third.message().find("期中.DAN") != std::string::npos ? 3 : 4);
    }
    int wait = 0;
    ASSERT_EQ(waitpid(child, &wait, 0), child);
    ASSERT_TRUE(WIFEXITED(wait));
    EXPECT_EQ(WEXITSTATUS(wait), 3);  // failed, naming the answer file
    EXPECT_EQ(FolderEntries(folder.path() / "ChengJi"), wholeSet);
    EXPECT_EQ(ReadSet(folder, "期中"), before);
}

TEST(ResultSetFiles, ABrokenSetIsRefusedNamingItsFile) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(folder.path(), "x", MarkedRecords()).ok());
    const std::pair<const char*, std::function<void()>> breaks[] = {
        {"x.DAN", [&] { std::filesystem::remove(folder.path() / "ChengJi" / "x.DAN"); }},
        {"x.TXT", [&] { std::filesystem::remove(folder.path() / "ChengJi" / "x.txt"); }},
        {"x.CHO", [&] { folder.WriteBytes("ChengJi/x.CHO", ""); }},
        {"x.DAN", [&] { folder.WriteBytes("ChengJi/x.DAN", ""); }},
    };
    for (const auto& [file, breakIt] : breaks) {
        ASSERT_TRUE(SaveResultSet(folder.path(), "x", MarkedRecords()).ok());
        breakIt();
        ResultSet records;
        records.roster.AppendRow();
        Status status = OpenResultSet(folder.path(), "x.CHO", records);
        EXPECT_FALSE(status.ok()) << file;
        EXPECT_NE(status.message().find(file), std::string::npos) << status.message();
        EXPECT_EQ(records.roster.RowCount(), 1) << file;  // left as it was
    }
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

TEST(ReviewFile, TravelsWithItsSetAndASetWithoutOneOpensAsBefore) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ResultSet records = RemarkedRecords();
    SheetReview& review = *records.review.Find("0101");
    review.file = "扫描/第一批/0101.jpg";
    review.corners = {1.5, 2, 3, 4, 5, 6, 7, 8.25};
    review.optionScores = {{10, 80, 12, 0, 3}};
    review.doubtfulQuestions = {1};
    review.checks = {"定位已按校准点校正"};
    review.numberReadAs = "0110";
    ASSERT_TRUE(SaveResultSet(folder.path(), "期末", records).ok());
    ResultSet opened;
    ASSERT_TRUE(OpenResultSet(folder.path(), "期末.CHO", opened).ok());
    EXPECT_EQ(SerializeReviewLog(opened.review), SerializeReviewLog(records.review));
    EXPECT_EQ(opened.review.Find("0101")->checks, review.checks);
    EXPECT_EQ(opened.review.Find("0101")->PendingQuestions(), std::vector<int>{});  // decided by hand

    // Written by a version without review files, or damaged: the set opens, nothing to review.
    for (const char* text : {"", "quillmark review 1\n{\"examinee\": 5}\n"}) {
        std::filesystem::remove(folder.path() / "ChengJi" / "期末.REV");
        if (*text) folder.WriteBytes("ChengJi/期末.REV", text);
        ResultSet reopened;
        ASSERT_TRUE(OpenResultSet(folder.path(), "期末.CHO", reopened).ok());
        EXPECT_TRUE(reopened.review.sheets.empty());
        EXPECT_EQ(reopened.roster.Row(1)[Examinee::Score], "10");
    }
}

// The review file is read only when asked for, and never when it is no file or a record is
// larger than any sheet.
TEST(ReviewFile, IsReadOnlyWhenWantedAndWithinBounds) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(SaveResultSet(folder.path(), "期末", RemarkedRecords()).ok());
    ResultSet skipped;
    ASSERT_TRUE(OpenResultSet(folder.path(), "期末", skipped, ReviewFile::Skip).ok());
    EXPECT_TRUE(skipped.review.sheets.empty());

    std::filesystem::path rev = folder.path() / "ChengJi" / "期末.REV";
    std::filesystem::remove(rev);
    ASSERT_EQ(mkfifo(rev.c_str(), 0600), 0);
    ResultSet pipe;
    ASSERT_TRUE(OpenResultSet(folder.path(), "期末", pipe).ok());
    EXPECT_NE(pipe.reviewProblem.message().find("不是普通文件"), std::string::npos);

    ReviewLog log;
    SheetReview sheet;
    auto parses = [&] { return ParseReviewLog("quillmark review 1\n" + SerializeSheetReview(sheet), log).ok(); };
    EXPECT_TRUE(parses());
    sheet.optionScores.assign(1001, {1});
    EXPECT_FALSE(parses());
    sheet.optionScores = {std::vector<int>(11, 1)};
    EXPECT_FALSE(parses());
    sheet.optionScores.clear();
    sheet.file.assign(300 * 1024, 'x');
    EXPECT_FALSE(parses());
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

struct CliRun {
    int status = 0;
    std::string out;
};

CliRun Cli(const std::string& arguments) {
    std::string command = std::string(QUILLMARK_CLI_PATH) + " " + arguments + " 2>/dev/null </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    CliRun run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    run.status = WEXITSTATUS(pclose(pipe));
    return run;
}

// The installed program folder with its sample paper, roster and sheets.
class MarkCommand : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, home.path(), std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(home.path() / "ChengJi");
    }
    std::string Home() const { return "--home " + home.path().string() + " "; }
    std::string Sample() const { return (home.path() / "sample").string(); }
    std::string Mark(const std::string& options) const {
        return "mark " + Home() + "--paper 示例试卷.CHO --roster 示例名册.TXT " + options + " " + Sample();
    }
    TempFolder home;
};

TEST_F(MarkCommand, MarksTheSampleFolderSheetBySheet) {
    CliRun run = Cli(Mark("--threads 2"));
    EXPECT_EQ(run.status, 0);
    std::istringstream lines(run.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) rows.push_back(line);
    ASSERT_GE(rows.size(), 9u);
    EXPECT_EQ(rows[0], Sample() + "/not-a-sheet.jpg\t无法确定左边框\t\t");  // JPEGs first, by name
    EXPECT_EQ(rows[1], Sample() + "/sheet-0101.jpg\t正常\t0101\t100");
    EXPECT_EQ(rows[6], Sample() + "/sheet-0105.bmp\t正常\t0105\t100");
    // 0199 is in no roster row: without --check-number it is added.
    EXPECT_EQ(rows[5], Sample() + "/sheet-0199.jpg\t正常\t0199\t50");
    EXPECT_EQ(rows[7], "共 7 张，已阅 6 张，失败 1 张");
    EXPECT_EQ(rows[8], "  无法确定左边框: 1");
}

TEST_F(MarkCommand, CheckedNumbersFollowThePolicy) {
    CliRun skipped = Cli(Mark("--check-number --on-unknown-number skip"));
    EXPECT_NE(skipped.out.find("sheet-0199.jpg\t考号不在名册内!\t\t"), std::string::npos);
    EXPECT_NE(skipped.out.find("已阅 5 张"), std::string::npos);
    CliRun added = Cli(Mark("--check-number --on-unknown-number add"));
    EXPECT_NE(added.out.find("sheet-0199.jpg\t正常\t0199\t50"), std::string::npos);
}

TEST_F(MarkCommand, SavedSetsAreAnalysedAndNotOverwrittenUnlessAsked) {
    ASSERT_EQ(Cli(Mark("--save 期中")).status, 0);
    CliRun stats = Cli("stats " + Home() + "--results 期中");
    EXPECT_EQ(stats.status, 0);
    EXPECT_NE(stats.out.find("参考人数\n 6\n"), std::string::npos);
    EXPECT_NE(stats.out.find("0101 | 张伟       | 100  | 1   "), std::string::npos);

    CliRun again = Cli(Mark("--save 期中"));
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(Cli(Mark("--save 期中 --overwrite")).status, 0);
    EXPECT_EQ(Cli(Mark("--save a.b")).status, 1);

    CliRun exported = Cli("export " + Home() + "--results 期中");
    EXPECT_EQ(exported.status, 0);
    EXPECT_TRUE(std::filesystem::exists(home.path() / "ChengJi" / "期中.xlsx"));
}

TEST_F(MarkCommand, UsageErrors) {
    EXPECT_EQ(Cli("mark " + Home() + "--paper none.CHO --roster 示例名册.TXT " + Sample()).status, 2);
    EXPECT_EQ(Cli(Mark("--on-unknown-type 12345")).status, 2);
    EXPECT_EQ(Cli("stats " + Home() + "--results missing").status, 1);
}

}  // namespace
}  // namespace quillmark

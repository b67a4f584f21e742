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
    EXPECT_EQ(rows[1], Sample() + "/sheet-0101.jpg\t正常\t0101\t100\t0");  // nothing doubtful
    EXPECT_EQ(rows[6], Sample() + "/sheet-0105.bmp\t正常\t0105\t100\t0");
    // 0199 is in no roster row: without --check-number it is added.
    EXPECT_EQ(rows[5], Sample() + "/sheet-0199.jpg\t正常\t0199\t50\t0");
    EXPECT_EQ(rows[7], "共 7 张，已阅 6 张，失败 1 张");
    EXPECT_EQ(rows[8], "  无法确定左边框: 1");
}

TEST_F(MarkCommand, CheckedNumbersFollowThePolicy) {
    CliRun skipped = Cli(Mark("--check-number --on-unknown-number skip"));
    EXPECT_NE(skipped.out.find("sheet-0199.jpg\t考号不在名册内!\t\t"), std::string::npos);
    EXPECT_NE(skipped.out.find("已阅 5 张"), std::string::npos);
    CliRun added = Cli(Mark("--check-number --on-unknown-number add"));
    EXPECT_NE(added.out.find("sheet-0199.jpg\t正常\t0199\t50\t0"), std::string::npos);
}

// The same folder given twice: the second copy of each sheet meets its own earlier result.
TEST_F(MarkCommand, ASecondSheetForAnExamineeFailsUnlessTheUserSaysWhatToDo) {
    CliRun refused = Cli(Mark(Sample()));
    EXPECT_EQ(refused.status, 0);
    EXPECT_NE(refused.out.find("sheet-0101.jpg\t考号0101已有成绩（与“sample/sheet-0101.jpg”是同一图像），未记录\t0101"),
              std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("共 14 张，已阅 6 张，失败 8 张"), std::string::npos);
    EXPECT_NE(refused.out.find("考号已有成绩，未记录"), std::string::npos);

    CliRun kept = Cli(Mark("--on-duplicate keep " + Sample()));
    EXPECT_NE(kept.out.find("共 14 张，已阅 6 张，失败 2 张"), std::string::npos) << kept.out;
    EXPECT_NE(kept.out.find("考号重复，保留了先前的成绩: 6"), std::string::npos);
    CliRun replaced = Cli(Mark("--on-duplicate replace " + Sample()));
    EXPECT_NE(replaced.out.find("已阅 12 张"), std::string::npos) << replaced.out;
    EXPECT_NE(replaced.out.find("替换了已有成绩: 6"), std::string::npos);
    EXPECT_NE(Cli(Mark("--on-duplicate twice")).status, 0);
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
    EXPECT_EQ(Cli(Mark("--save a.b")).status, 2);  // a set's name has no extension

    CliRun exported = Cli("export " + Home() + "--results 期中");
    EXPECT_EQ(exported.status, 0);
    EXPECT_TRUE(std::filesystem::exists(home.path() / "ChengJi" / "期中.xlsx"));
}

// Without a readable number every sheet would share one row; a full roster cannot take one more.
TEST_F(MarkCommand, SheetsWithoutACompleteNumberOrARowFailWithTheirReason) {
    std::filesystem::path definition = home.path() / "DaTiKa" / "1001101101.CAR";
    std::string text = home.ReadBytes("DaTiKa/1001101101.CAR");
    std::string numbered = text;
    text.replace(text.find("=4\r\n"), 4, "=0\r\n");  // 考号位数, the first "=4" of the file
    home.WriteBytes("DaTiKa/1001101101.CAR", text);
    CliRun unnumbered = Cli(Mark("--on-unknown-number add --save 无考号"));
    EXPECT_NE(unnumbered.out.find("sheet-0101.jpg\t考号填涂不完整\t\t"), std::string::npos) << unnumbered.out;
    EXPECT_NE(unnumbered.out.find("已阅 0 张"), std::string::npos);
    EXPECT_NE(unnumbered.out.find("  考号填涂不完整: 6"), std::string::npos);
    home.WriteBytes("DaTiKa/1001101101.CAR", numbered);

    std::string roster;
    for (int row = 1; row <= 32667; ++row) roster += (row <= 5 ? "010" + std::to_string(row) : std::to_string(10000 + row)) + ",,\r\n";
    home.WriteBytes("MingCe/满.TXT", roster);
    CliRun full = Cli("mark " + Home() + "--paper 示例试卷.CHO --roster 满.TXT --check-number --on-unknown-number add " + Sample());
    EXPECT_NE(full.out.find("sheet-0199.jpg\t名册已满，无法添加考生"), std::string::npos) << full.out;
    EXPECT_NE(full.out.find("已阅 5 张"), std::string::npos);
}

// Names are names of files in their data folder, and what can be known before marking is.
TEST_F(MarkCommand, BadNamesAndFilesAreRefusedBeforeTheFirstSheet) {
    for (const char* names : {"--paper 示例试卷.CHO --roster ../../../../etc/passwd", "--paper /etc/passwd --roster 示例名册.TXT",
                              "--paper 示例试卷.CHO --roster \"$(printf 'a\\tb')\""}) {
        CliRun run = Cli("mark " + Home() + names + " " + Sample());
        EXPECT_EQ(run.status, 2) << names;
        EXPECT_EQ(run.out, "") << names;
    }
    EXPECT_EQ(Cli(Mark("--save ../leak")).status, 2);
    EXPECT_EQ(Cli(Mark("--save ''")).status, 2);
    EXPECT_FALSE(std::filesystem::exists(home.path() / "leak.txt"));
    EXPECT_EQ(Cli("export " + Home() + "--results ../../victim").status, 2);

    home.WriteBytes("ShiJuan/空.CHO", "[MAIN]\r\n总题数=0\r\n");
    EXPECT_EQ(Cli("mark " + Home() + "--paper 空.CHO --roster 示例名册.TXT " + Sample()).out, "");
    home.WriteBytes("MingCe/坏.TXT", "0101,\xFF\xFF,\r\n");
    EXPECT_EQ(Cli("mark " + Home() + "--paper 示例试卷.CHO --roster 坏.TXT " + Sample()).status, 2);
    EXPECT_EQ(Cli(Mark("--fixed-type 1111111111")).status, 2);

    ASSERT_EQ(Cli(Mark("--save 期中")).status, 0);
    CliRun taken = Cli(Mark("--save 期中"));
    EXPECT_EQ(taken.status, 1);
    EXPECT_EQ(taken.out, "");  // refused before marking, not after
}

TEST_F(MarkCommand, ExportsNeverReplaceAnEarlierOneUnlessAsked) {
    ASSERT_EQ(Cli(Mark("--save 期中")).status, 0);
    ASSERT_EQ(Cli("export " + Home() + "--results 期中").status, 0);
    home.WriteBytes("ChengJi/期中.xlsx", "edited elsewhere");
    EXPECT_EQ(Cli("export " + Home() + "--results 期中").status, 1);
    EXPECT_EQ(home.ReadBytes("ChengJi/期中.xlsx"), "edited elsewhere");
    EXPECT_EQ(Cli("export " + Home() + "--results 期中 --overwrite").status, 0);
    EXPECT_EQ(home.ReadBytes("ChengJi/期中.xlsx").substr(0, 2), "PK");
}

TEST_F(MarkCommand, UsageErrors) {
    EXPECT_EQ(Cli("info --home " + (home.path() / "none").string()).status, 2);
    EXPECT_EQ(Cli("read --home " + (home.path() / "ChengJi").string() + " " + Sample() + "/sheet-0101.jpg").status, 2);
    EXPECT_NE(Cli(Mark("--overwrite")).status, 0);
    EXPECT_EQ(Cli("--version").out.rfind("quillmark-cli ", 0), 0u);
    EXPECT_EQ(Cli("sheet " + Home() + "--type 100A --out " + (home.path() / "a.png").string()).status, 0);
    EXPECT_EQ(Cli("mark " + Home() + "--paper none.CHO --roster 示例名册.TXT " + Sample()).status, 2);
    EXPECT_EQ(Cli(Mark("--on-unknown-type 12345")).status, 2);
    EXPECT_EQ(Cli("stats " + Home() + "--results missing").status, 1);
}

}  // namespace
}  // namespace quillmark

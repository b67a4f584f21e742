#include <gtest/gtest.h>

#include "data/file_lists.h"
#include "data/program_paths.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

TEST(ResolvePath, EverySpellingFindsTheSameFolderAndFile) {
    TempFolder folder;
    folder.WriteBytes("ShiJuan/Paper.CHO", "x");
    for (const char* spelling : {"\\ShiJuan\\Paper.CHO", "\\SHIJUAN\\paper.cho", "\\ShiJUan\\PAPER.Cho", "shijuan/Paper.CHO"}) {
        EXPECT_EQ(ResolvePath(folder.path(), spelling), folder.path() / "ShiJuan" / "Paper.CHO") << spelling;
    }
}

TEST(ResolvePath, UnmatchedComponentsKeepTheGivenSpelling) {
    TempFolder folder;
    folder.WriteBytes("MingCe/a.TXT", "x");
    EXPECT_EQ(ResolvePath(folder.path(), "\\MINGCE\\new.txt"), folder.path() / "MingCe" / "new.txt");
    EXPECT_EQ(ResolvePath(folder.path(), "\\Missing\\X.txt"), folder.path() / "Missing" / "X.txt");
}

TEST(ResolvePath, ExactSpellingWinsWhenSeveralExist) {
    TempFolder folder;
    folder.WriteBytes("sys/SYS.CHO", "upper");
    folder.WriteBytes("sys/sys.cho", "lower");
    EXPECT_EQ(ResolvePath(folder.path(), "\\sys\\sys.cho"), folder.path() / "sys" / "sys.cho");
    EXPECT_EQ(ResolvePath(folder.path(), "\\SYS\\SYS.CHO"), folder.path() / "sys" / "SYS.CHO");
}

TEST(ListFiles, PatternAndOrderIgnoreCase) {
    TempFolder folder;
    for (const char* name : {"b.cho", "A.CHO", "c.Cho", "_x.CHO", "d.txt", "e.CHO.bak"}) {
        folder.WriteBytes(std::string("ShiJuan/") + name, "x");
    }
    std::filesystem::create_directories(folder.path() / "ShiJuan" / "dir.CHO");
    EXPECT_EQ(ListFiles(folder.path() / "ShiJuan", "*.CHO"),
              (std::vector<std::string>{"A.CHO", "b.cho", "c.Cho", "_x.CHO"}));
    EXPECT_TRUE(ListFiles(folder.path() / "none", "*.CHO").empty());
}

TEST(ListFiles, GlobMatching) {
    EXPECT_TRUE(MatchesPattern("abc.TXT", "*.txt"));
    EXPECT_TRUE(MatchesPattern("a.b.txt", "*.TXT"));
    EXPECT_FALSE(MatchesPattern("abc.txt.x", "*.txt"));
    EXPECT_TRUE(MatchesPattern("1000111001.CAR", "??????????.car"));
    EXPECT_FALSE(MatchesPattern(".txt2", "*.txt"));
}

TEST(FileLists, DropDownsStartWithThePromptEntry) {
    TempFolder folder;
    folder.MakeProgramFolders();
    folder.WriteBytes("ShiJuan/期中.CHO", "x");
    folder.WriteBytes("MingCe/一班.txt", "x");
    std::vector<std::string> papers = ExamPaperEntries(folder.path());
    EXPECT_EQ(papers, (std::vector<std::string>{"请选择考试试卷!", "期中.CHO"}));
    EXPECT_EQ(ExamPaperPath(folder.path(), papers, 1), folder.path() / "ShiJuan" / "期中.CHO");
    EXPECT_TRUE(ExamPaperPath(folder.path(), papers, 0).empty());
    EXPECT_TRUE(ExamPaperPath(folder.path(), papers, 2).empty());
    std::vector<std::string> rosters = RosterEntries(folder.path());
    EXPECT_EQ(rosters, (std::vector<std::string>{"请选择考生名册!", "一班.txt"}));
    EXPECT_EQ(RosterPath(folder.path(), rosters, 1), folder.path() / "MingCe" / "一班.txt");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
    std::filesystem::path folder = ProgramFolderOfExecutable();
    EXPECT_TRUE(std::filesystem::exists(folder / "data_tests"));
}

}  // namespace
}  // namespace quillmark

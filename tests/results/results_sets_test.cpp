#include <gtest/gtest.h>

#include "results/results_sets.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::ScriptedPrompt;
using test::TempFolder;

ResultSet Marked() {
    ResultSet records;
    records.paper.总题数 = 1;
    records.paper.questions[1][ExamQuestion::DA] = "2";
    Examinee& e = records.roster.Row(records.roster.AppendRow());
    e[Examinee::考号] = "0101";
    e[Examinee::Score] = " 5";
    records.answers.SetCell(1, 1, "2");
    return records;
}

class ResultsSetsTest : public ::testing::Test {
protected:
    void SetUp() override { home.MakeProgramFolders(); }
    TempFolder home;
    ResultsPage page;
    ScriptedPrompt prompt;
    int reloads = 0;
    ResultsSets::ReloadChosen reload = [this] { ++reloads; };
};

TEST_F(ResultsSetsTest, SaveWritesTheSetAndSaysSo) {
    ResultsSets sets(home.path());
    prompt.line = "期中";
    sets.Save(Marked(), prompt);
    ASSERT_EQ(prompt.asked.size(), 2u);  // the name, then the result
    EXPECT_EQ(prompt.asked[1], "当前成绩信息已保存!");
    EXPECT_TRUE(std::filesystem::exists(home.path() / "ChengJi" / "期中.DAN"));
}

TEST_F(ResultsSetsTest, AFailedSaveIsReportedInsteadOfTheSavedMessage) {
    std::filesystem::remove_all(home.path() / "ChengJi");
    home.WriteBytes("ChengJi", "a file, not the folder");
    ResultsSets sets(home.path());
    prompt.line = "期中";
    sets.Save(Marked(), prompt);
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_NE(prompt.asked[1], "当前成绩信息已保存!");
    EXPECT_NE(prompt.asked[1].find("期中.txt"), std::string::npos);
}

TEST_F(ResultsSetsTest, BrowseOpenAndClose) {
    ASSERT_TRUE(SaveResultSet(home.path(), "Abc", Marked()).ok());
    std::filesystem::rename(home.path() / "ChengJi" / "Abc.CHO", home.path() / "ChengJi" / "Abc.cho");
    ResultsSets sets(home.path());
    ResultSet records;
    sets.EnterBrowseMode(records, page);
    EXPECT_TRUE(sets.BrowseMode());
    EXPECT_EQ(sets.OpenButtonCaption(), "关闭成绩");
    EXPECT_EQ(sets.Entries(), (std::vector<std::string>{"请选择要打开的成绩文件", "Abc.cho"}));
    EXPECT_FALSE(sets.DeleteEnabled());

    ASSERT_TRUE(sets.Open(1, records, page).ok());
    EXPECT_EQ(sets.ChosenName(), "Abc");
    EXPECT_TRUE(sets.DeleteEnabled());
    EXPECT_EQ(records.roster.Row(1)[Examinee::名次], "1");  // analysed on opening
    EXPECT_EQ(page.ExamineeRows(records).size(), 1u);

    sets.Open(0, records, page);  // the prompt entry empties the lists, not the statistics
    EXPECT_TRUE(page.ExamineeRows(records).empty());
    EXPECT_FALSE(page.StatisticsLines().empty());
    EXPECT_FALSE(sets.DeleteEnabled());

    sets.Close(page, reload);
    EXPECT_FALSE(sets.BrowseMode());
    EXPECT_EQ(sets.OpenButtonCaption(), "打开成绩");
    EXPECT_EQ(reloads, 1);
}

TEST_F(ResultsSetsTest, DeleteAsksAndClosesEitherWay) {
    ASSERT_TRUE(SaveResultSet(home.path(), "old", Marked()).ok());
    ResultsSets sets(home.path());
    ResultSet records;
    sets.EnterBrowseMode(records, page);
    sets.Open(1, records, page);
    prompt.yes = false;
    sets.Delete(prompt, page, reload);
    EXPECT_EQ(prompt.asked, (std::vector<std::string>{"您是否真的要删除成绩文件: old"}));
    EXPECT_EQ(prompt.titles, (std::vector<std::string>{"警告!"}));
    EXPECT_TRUE(std::filesystem::exists(home.path() / "ChengJi" / "old.CHO"));
    EXPECT_FALSE(sets.BrowseMode());
    EXPECT_EQ(reloads, 1);

    sets.EnterBrowseMode(records, page);
    sets.Open(1, records, page);
    std::filesystem::remove(home.path() / "ChengJi" / "old.DAN");  // already missing: skipped
    prompt.yes = true;
    sets.Delete(prompt, page, reload);
    EXPECT_TRUE(std::filesystem::is_empty(home.path() / "ChengJi"));
    EXPECT_EQ(reloads, 2);
}

TEST_F(ResultsSetsTest, BrokenSetsAndFailedRemovalsAreReported) {
    ASSERT_TRUE(SaveResultSet(home.path(), "old", Marked()).ok());
    std::filesystem::remove(home.path() / "ChengJi" / "old.DAN");
    ResultsSets sets(home.path());
    ResultSet records;
    sets.EnterBrowseMode(records, page);
    Status opened = sets.Open(1, records, page);
    EXPECT_FALSE(opened.ok());
    EXPECT_NE(opened.message().find("old.DAN"), std::string::npos) << opened.message();
    EXPECT_FALSE(sets.DeleteEnabled());
    EXPECT_TRUE(page.ExamineeRows(records).empty());

    // A file that cannot be removed (a folder in its place): the others go, and the user hears which stayed.
    ASSERT_TRUE(SaveResultSet(home.path(), "old", Marked()).ok());
    ASSERT_TRUE(sets.Open(1, records, page).ok());
    std::filesystem::remove(home.path() / "ChengJi" / "old.DAN");
    std::filesystem::create_directories(home.path() / "ChengJi" / "old.DAN" / "inside");
    sets.Delete(prompt, page, reload);
    ASSERT_EQ(prompt.asked.size(), 2u);  // the question, then the failure
    EXPECT_NE(prompt.asked[1].find("old.DAN"), std::string::npos) << prompt.asked[1];
    EXPECT_EQ(prompt.asked[1].find("old.CHO"), std::string::npos) << prompt.asked[1];
    EXPECT_FALSE(std::filesystem::exists(home.path() / "ChengJi" / "old.CHO"));
    EXPECT_FALSE(sets.BrowseMode());
}

TEST_F(ResultsSetsTest, EmptyFolderListsOnlyThePromptEntry) {
    ResultsSets sets(home.path());
    ResultSet records;
    sets.EnterBrowseMode(records, page);
    EXPECT_EQ(sets.Entries().size(), 1u);
    sets.Delete(prompt, page, reload);  // nothing chosen: nothing happens
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_TRUE(sets.BrowseMode());
}

}  // namespace
}  // namespace quillmark

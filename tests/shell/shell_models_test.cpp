#include <gtest/gtest.h>

#include <set>

#include "data/key_file.h"
#include "platform/single_instance.h"
#include "shell/help.h"
#include "shell/navigation.h"
#include "shell/password.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

TEST(Password, IsStoredAsASaltedHashAndComparedWithoutSurroundingBlanks) {
    TempFolder folder;
    folder.MakeProgramFolders();
    LoginModel login(folder.path());
    login.Reload();
    EXPECT_TRUE(login.SkipsLogin());

    ASSERT_TRUE(StorePassword(folder.path(), "  Secret ").ok());
    std::string stored = ReadStoredPassword(folder.path());
    EXPECT_EQ(folder.ReadBytes("sys/sys.cho").find("Secret"), std::string::npos);
    EXPECT_TRUE(PasswordMatches(stored, " Secret  "));
    EXPECT_FALSE(PasswordMatches(stored, "secret"));
    ASSERT_TRUE(StorePassword(folder.path(), "Secret").ok());
    EXPECT_NE(ReadStoredPassword(folder.path()), stored);  // a new salt each time

    // An older plain value still lets its owner in, letter case and all.
    folder.WriteBytes("sys/sys.cho", test::Gbk("[管理员]\r\npwd= Old1 \r\n"));
    login.Reload();
    EXPECT_FALSE(login.SkipsLogin());
    EXPECT_TRUE(login.Accepts("Old1 "));
    EXPECT_FALSE(login.Accepts("old1"));
}

TEST(Password, TheSetPasswordDialogChecksTheOldOneAndReportsAFailedWrite) {
    TempFolder folder;
    folder.MakeProgramFolders();
    SetPasswordModel none(folder.path());
    EXPECT_EQ(none.Submit("x", "a", "a"), SetPasswordModel::Outcome::WrongOld);
    EXPECT_EQ(none.Submit("", "a", "b"), SetPasswordModel::Outcome::NewDiffer);
    EXPECT_EQ(none.Submit(" ", " abc", "abc "), SetPasswordModel::Outcome::Stored);

    SetPasswordModel set(folder.path());
    EXPECT_EQ(set.Submit("abc", "", ""), SetPasswordModel::Outcome::Stored);  // an empty one skips the login
    EXPECT_EQ(ReadStoredPassword(folder.path()), "");

    std::filesystem::remove_all(folder.path() / "sys");
    folder.WriteBytes("sys", "a file where the folder was");
    SetPasswordModel broken(folder.path());
    EXPECT_EQ(broken.Submit("", "n", "n"), SetPasswordModel::Outcome::WriteFailed);
    EXPECT_NE(broken.WriteError().find("sys"), std::string::npos);
}

// A stored hash asking more than the program's own cost is refused unverified: computing one
// would take gigabytes or hours, so the test would not finish.
TEST(Password, AStoredHashBeyondTheProgramsOwnCostLetsNobodyIn) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ASSERT_TRUE(StorePassword(folder.path(), "Secret").ok());
    const std::string own = ReadStoredPassword(folder.path()), cost = "m=65536,t=2,p=1$";
    ASSERT_NE(own.find(cost), std::string::npos) << own;
    EXPECT_FALSE(StoredPasswordInvalid(own));
    for (const char* hostile : {"m=8388608,t=2,p=1$", "m=65536,t=4294967295,p=1$", "m=65536,t=2,p=4$",
                                "m=65536,t=99999999999999999999,p=1$", "m=,t=2,p=1$"}) {
        std::string stored = own;
        stored.replace(stored.find(cost), cost.size(), hostile);
        folder.WriteBytes("sys/sys.cho", test::Gbk("[管理员]\r\npwd=" + stored + "\r\n"));
        LoginModel login(folder.path());
        login.Reload();
        EXPECT_TRUE(!login.SkipsLogin() && login.StoredInvalid() && !login.Accepts("Secret")) << hostile;
        EXPECT_EQ(SetPasswordModel(folder.path()).Submit("Secret", "n", "n"), SetPasswordModel::Outcome::StoredInvalid);
    }
}

struct NavigationFixture : ::testing::Test {
    NavigationFixture() {
        folder.MakeProgramFolders();
        folder.WriteBytes("ShiJuan/p.CHO", test::Gbk("[MAIN]\r\n总题数= 2\r\n分值= 1\r\n[考题内容]\r\n1DA=1\r\n2DA=2\r\n"));
        folder.WriteBytes("MingCe/r.TXT", "0101,A,,,,,\r\n");
        session.FillFileLists();
    }
    TempFolder folder;
    test::ScriptedPrompt prompt;
    Session session{folder.path(), prompt};
    PageNavigator pages{session};
};

TEST_F(NavigationFixture, TheMarkingPageWaitsForAPaperAndARoster) {
    session.Paper().Choose(1);
    EXPECT_EQ(pages.Select(PageNavigator::MarkingPage), PageNavigator::PaperPage);
    EXPECT_EQ(pages.Next(), PageNavigator::RosterPage);
    EXPECT_EQ(pages.Next(), PageNavigator::RosterPage);
    session.Roster().Choose(1);
    EXPECT_TRUE(session.RefreshMarkingStart().Mnu_Scan_阅卷);
    EXPECT_EQ(pages.Next(), PageNavigator::MarkingPage);
}

TEST_F(NavigationFixture, LeavingABrowsedResultsSetAsksToCloseItFirst) {
    session.Paper().Choose(1);
    session.Roster().Choose(1);
    session.Records().roster.Row(1)[Examinee::Score] = " 1";
    ASSERT_TRUE(SaveResultSet(folder.path(), "set", session.Records()).ok());
    pages.Select(PageNavigator::ResultsPage);
    session.Sets().EnterBrowseMode(session.Records(), session.Results());
    ASSERT_TRUE(session.Sets().Open(1, session.Records(), session.Results()).ok());

    bool ascending = session.Results().Ascending();
    prompt.yes = false;
    EXPECT_EQ(pages.Select(PageNavigator::PaperPage), PageNavigator::ResultsPage);
    EXPECT_EQ(prompt.asked.back(), kCloseResultsFirst);
    EXPECT_EQ(prompt.titles.back(), "警告!");
    EXPECT_NE(session.Results().Ascending(), ascending);  // entering the page again ran the analyses
    EXPECT_TRUE(session.Sets().BrowseMode());

    prompt.yes = true;
    EXPECT_EQ(pages.Select(PageNavigator::PaperPage), PageNavigator::PaperPage);
    EXPECT_FALSE(session.Sets().BrowseMode());
    EXPECT_EQ(session.Records().roster.Row(1)[Examinee::Score], "");  // the chosen roster read again
}

TEST(SingleInstance, OneCopyPerProgramFolderAndTheLockEndsWithItsHolder) {
    TempFolder a, b;
    auto first = SingleInstanceLock::Acquire(a.path());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SingleInstanceLock::Acquire(a.path() / "."), nullptr);
    EXPECT_NE(SingleInstanceLock::Acquire(b.path()), nullptr);
    first.reset();
    EXPECT_FALSE(std::filesystem::exists(SingleInstanceLock::PathFor(a.path())));  // no file left behind
    auto second = SingleInstanceLock::Acquire(a.path());
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(SingleInstanceLock::Acquire(a.path()), nullptr);
}

TEST(Help, TopicsOpenTheirPagesOfTheProgramFolder) {
    EXPECT_EQ(HelpPagePath("/p", kPrintingHelpTopic), std::filesystem::path("/p/help/printing.html"));
    EXPECT_EQ(HelpPagePath("/p", 12345), std::filesystem::path("/p/help/index.html"));
    EXPECT_EQ(HelpTopicOfPage(4), kContentsHelpTopic);
    // Each page of the window has a help page of its own.
    const std::filesystem::path source = QUILLMARK_PROGRAM_FOLDER_SOURCE;
    std::set<std::filesystem::path> pages;
    for (int page = 0; page < 4; ++page) pages.insert(HelpPagePath(source, HelpTopicOfPage(page)));
    EXPECT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages.count(HelpPagePath(source)), 0u);
    for (int topic : {kContentsHelpTopic, kLoginHelpTopic, kPrintingHelpTopic}) pages.insert(HelpPagePath(source, topic));
    for (const std::filesystem::path& page : pages) EXPECT_TRUE(std::filesystem::exists(page)) << page;
    // Each page has its English translation; a language without one falls back to Chinese.
    for (int topic : {kContentsHelpTopic, kLoginHelpTopic, kPaperHelpTopic, kRosterHelpTopic, kMarkingHelpTopic,
                      kPrintingHelpTopic, kResultsHelpTopic}) {
        const std::filesystem::path chinese = HelpPagePath(source, topic);
        EXPECT_EQ(HelpPagePath(source, topic, "en"), source / "help" / "en" / chinese.filename());
        EXPECT_EQ(HelpPagePath(source, topic, "fr"), chinese);
    }
}

}  // namespace
}  // namespace quillmark

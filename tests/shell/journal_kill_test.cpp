// Every sheet reported as marked before a kill comes back from the journal.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/file_io.h"
#include "marking/grading.h"
#include "results/review_queue.h"
#include "app/session.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

extern char** environ;

namespace quillmark {
namespace {

TEST(MarkingJournal, EverySheetReportedBeforeAKillIsRecovered) {
    test::TempFolder home;
    std::filesystem::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, home.path(), std::filesystem::copy_options::recursive);

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string folder = home.path().string();
    char* args[] = {const_cast<char*>(QUILLMARK_JOURNAL_CHILD), folder.data(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, QUILLMARK_JOURNAL_CHILD, &actions, nullptr, args, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    std::vector<std::string> reported;
    FILE* lines = ::fdopen(out[0], "r");
    char line[64];
    while (reported.size() < 25 && std::fgets(line, sizeof line, lines)) {
        std::string text(line);
        if (text.rfind("marked ", 0) == 0) reported.push_back(text.substr(7, 4));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::fclose(lines);
    ASSERT_EQ(reported.size(), 25u) << "the marking run ended early";
    ASSERT_TRUE(WIFSIGNALED(status));

    test::ScriptedPrompt prompt;
    Session session(home.path(), prompt);
    std::optional<JournalContents> journal = session.PendingRecovery();
    ASSERT_TRUE(journal);
    ASSERT_GE(journal->sheets.size(), reported.size());
    for (std::size_t i = 0; i < reported.size(); ++i) EXPECT_EQ(journal->sheets[i].examinee, reported[i]) << i;
    ASSERT_TRUE(session.Recover(*journal).ok());
    EXPECT_EQ(session.Roster().Entries()[static_cast<std::size_t>(session.Roster().Chosen())], "示例名册.TXT");
    for (std::string number : {"0101", "0102", "0103", "0104"}) {
        ASSERT_NE(session.Records().review.Find(number), nullptr) << number;
    }
    EXPECT_FALSE(session.Records().roster.Row(1)[Examinee::AnswerSummary].empty());
    EXPECT_GT(session.UnsavedSheets(), 0);  // still to be saved: closing would ask
}

// A line cut short by the kill is no sheet; a journal for another paper starts afresh.
TEST(MarkingJournal, ACutLineIsLeftOutAndAnotherPaperStartsAfresh) {
    test::TempFolder home;
    std::filesystem::path file = MarkingJournal::FileIn(home.path());
    SheetReview sheet;
    sheet.examinee = "0101";
    sheet.answersRead = {"1", "23"};
    {
        MarkingJournal journal(file);
        ASSERT_TRUE(journal.Append("p.CHO", "r.TXT", sheet).ok());
        sheet.examinee = "0102";
        ASSERT_TRUE(journal.Append("p.CHO", "r.TXT", sheet).ok());
    }
    std::string text = *ReadFileBytes(file);
    home.WriteBytes("sys/marking.journal", text.substr(0, text.size() - 5));
    std::optional<JournalContents> read = MarkingJournal::Read(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paper, "p.CHO");
    ASSERT_EQ(read->sheets.size(), 1u);
    EXPECT_EQ(read->sheets[0].answersRead, sheet.answersRead);

    MarkingJournal journal(file);
    ASSERT_TRUE(journal.Restart(*read).ok());
    ASSERT_TRUE(journal.Append("other.CHO", "r.TXT", sheet).ok());
    read = MarkingJournal::Read(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paper, "other.CHO");
    EXPECT_EQ(read->sheets.size(), 1u);
}

// Sheets marked after a save are restored onto that saved set, not onto the bare roster.
TEST(MarkingJournal, SheetsMarkedAfterASaveAreRestoredOntoThatSet) {
    test::TempFolder home;
    std::filesystem::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, home.path(), std::filesystem::copy_options::recursive);
    test::ScriptedPrompt prompt;
    std::vector<std::string> answers(20, "1");
    {
        Session first(home.path(), prompt);
        first.FillFileLists();
        ASSERT_TRUE(first.Paper().ChooseByName("示例试卷.CHO") && first.Roster().ChooseByName("示例名册.TXT"));
        ASSERT_GT(RecordAnswers("0101", answers, first.Records()), 0);
        ASSERT_TRUE(SaveResultSet(home.path(), "上午", first.Records()).ok());
    }
    SheetReview later;
    later.examinee = "0102";
    later.answersRead = answers;
    Session session(home.path(), prompt);
    ASSERT_TRUE(session.Recover({"示例试卷.CHO", "示例名册.TXT", "上午", {later}}).ok());
    const Roster& roster = session.Records().roster;
    EXPECT_FALSE(roster.Row(1)[Examinee::AnswerSummary].empty());  // 0101, from the saved set
    EXPECT_FALSE(roster.Row(2)[Examinee::AnswerSummary].empty());  // 0102, from the journal
    EXPECT_EQ(MarkingJournal::Read(MarkingJournal::FileIn(home.path()))->base, "上午");

    // A journal whose set is gone is kept aside, not lost to the next sheet.
    Session orphan(home.path(), prompt);
    EXPECT_FALSE(orphan.Recover({"示例试卷.CHO", "示例名册.TXT", "没有这个", {later}}).ok());
    EXPECT_TRUE(std::filesystem::exists(MarkingJournal::FileIn(home.path()).string() + ".unrecovered"));
}

// Decisions by hand come back too: a corrected number leaves its first row empty.
TEST(MarkingJournal, DecisionsByHandAreRecoveredInOrder) {
    test::TempFolder home;
    std::filesystem::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, home.path(), std::filesystem::copy_options::recursive);
    test::ScriptedPrompt prompt;
    {
        Session session(home.path(), prompt);
        session.FillFileLists();
        ASSERT_TRUE(session.Paper().ChooseByName("示例试卷.CHO") && session.Roster().ChooseByName("示例名册.TXT"));
        SheetReview sheet;
        sheet.examinee = "0101";
        sheet.fingerprint = "00ff";
        sheet.answersRead.assign(20, "1");
        ASSERT_GT(RecordAnswers("0101", sheet.answersRead, session.Records()), 0);
        session.Records().review.Put(sheet);
        session.DecidedByHand("0101");  // as marking journals it
        ASSERT_TRUE(CorrectNumber(session.Records(), "0101", "0102").ok());
        session.DecidedByHand("0102");
        ASSERT_TRUE(DecideAnswer(session.Records(), "0102", 1, "2").ok());
        session.DecidedByHand("0102");
    }
    Session restored(home.path(), prompt);
    ASSERT_TRUE(restored.Recover(*restored.PendingRecovery()).ok());
    const ResultSet& records = restored.Records();
    EXPECT_TRUE(records.roster.Row(1)[Examinee::AnswerSummary].empty());
    EXPECT_EQ(records.review.Find("0101"), nullptr);
    EXPECT_EQ(records.answers.Cell(1, 2), "2");
    EXPECT_EQ(records.answers.Cell(2, 2), "1");
}

}  // namespace
}  // namespace quillmark

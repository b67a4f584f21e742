#include <gtest/gtest.h>

#include <deque>

#include "data/save_as_name.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::ScriptedPrompt;
using test::TempFolder;

TEST(SaveAsName, TrimmedNameGivesThePathOfEachExtension) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ScriptedPrompt prompt;
    prompt.line = "  abc  ";
    auto target = SaveAsName(SaveKind::Results, folder.path(), prompt);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->name, "abc");
    ASSERT_EQ(target->paths.size(), 3u);
    EXPECT_EQ(target->paths[0], folder.path() / "ChengJi" / "abc.txt");
    EXPECT_EQ(target->paths[2], folder.path() / "ChengJi" / "abc.DAN");
    EXPECT_EQ(prompt.asked, (std::vector<std::string>{"请输入新的成绩文件的文件名(注意不能带后缀):"}));
    EXPECT_EQ(prompt.titles[0], "成绩另存为……");
}

TEST(SaveAsName, CancelOrBlankStopsSilently) {
    TempFolder folder;
    folder.MakeProgramFolders();
    ScriptedPrompt prompt;
    EXPECT_FALSE(SaveAsName(SaveKind::ExamPaper, folder.path(), prompt));
    prompt.line = "   ";
    EXPECT_FALSE(SaveAsName(SaveKind::ExamPaper, folder.path(), prompt));
    EXPECT_EQ(prompt.asked.size(), 2u);  // only the two name prompts
}

TEST(SaveAsName, InvalidNamesAreRefusedWithTheMessage) {
    TempFolder folder;
    folder.MakeProgramFolders();
    for (const char* name : {"a.b", "c:x", "d\\e", "a/b", "tab\tin", "bell\a"}) {
        ScriptedPrompt prompt;
        prompt.line = name;
        EXPECT_FALSE(SaveAsName(SaveKind::Roster, folder.path(), prompt)) << name;
        ASSERT_EQ(prompt.asked.size(), 2u) << name;
        EXPECT_EQ(prompt.asked[1], kInvalidFileNameMessage);
    }
    ScriptedPrompt prompt;
    prompt.line = "高三(1)班-期中!";
    auto target = SaveAsName(SaveKind::Roster, folder.path(), prompt);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->paths[0], folder.path() / "MingCe" / "高三(1)班-期中!.txt");
}

TEST(SaveAsName, PlainFileNamesNameAFileOfTheFolderAndNothingElse) {
    for (const char* name : {"示例试卷.CHO", " a b.txt ", "期中"}) EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name : {"", "  ", ".", "..", "../x", "a/b", "a\\b", "/etc/passwd", "x..y", "a\nb", "a\x7f"}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
}

TEST(SaveAsName, ExistingNameAsksToOverwriteWhateverTheCase) {
    TempFolder folder;
    folder.MakeProgramFolders();
    folder.WriteBytes("ShiJuan/Abc.CHO", "x");
    folder.WriteBytes("ShiJuan/abcd.CHO", "x");

    ScriptedPrompt prompt;
    prompt.line = "abc";
    prompt.yes = false;
    EXPECT_FALSE(SaveAsName(SaveKind::ExamPaper, folder.path(), prompt));
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[1], "存在同名的试卷文件,是否要覆盖原有的试卷文件?");
    EXPECT_EQ(prompt.titles[1], "警告");

    prompt.yes = true;
    auto target = SaveAsName(SaveKind::ExamPaper, folder.path(), prompt);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->paths[0], folder.path() / "ShiJuan" / "Abc.CHO");  // the same file

    ScriptedPrompt other;
    other.line = "abcd ";
    other.yes = false;
    EXPECT_FALSE(SaveAsName(SaveKind::ExamPaper, folder.path(), other));
    ScriptedPrompt third;
    third.line = "ab";
    EXPECT_TRUE(SaveAsName(SaveKind::ExamPaper, folder.path(), third));
    EXPECT_EQ(third.asked.size(), 1u);  // abcd.CHO alone does not ask about "ab"
}

TEST(SaveAsName, OverwriteQuestionComesBeforeTheValidityCheck) {
    TempFolder folder;
    folder.MakeProgramFolders();
    folder.WriteBytes("MingCe/a.b.TXT", "x");
    ScriptedPrompt prompt;
    prompt.line = "a.b";
    EXPECT_FALSE(SaveAsName(SaveKind::Roster, folder.path(), prompt));
    ASSERT_EQ(prompt.asked.size(), 3u);
    EXPECT_EQ(prompt.asked[1], "存在同名的名册文件,是否要覆盖原有的名册文件?");
    EXPECT_EQ(prompt.asked[2], kInvalidFileNameMessage);
}

}  // namespace
}  // namespace quillmark

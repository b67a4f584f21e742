#include <gtest/gtest.h>

#include "data/key_file.h"
#include "support/temp_folder.h"

#include <unistd.h>

namespace quillmark {
namespace {

using test::Gbk;
using test::TempFolder;

std::string Serialized(const KeyFile& file) {
    std::string bytes;
    EXPECT_TRUE(file.Serialize(bytes).ok());
    return bytes;
}

TEST(KeyFileRead, SectionAndKeyIgnoreCaseAndValuesAreTrimmed) {
    KeyFile file = KeyFile::Parse("[Main]\r\n  Count =  42  \r\nname=\tx\t\r\n");
    EXPECT_EQ(file.Read("MAIN", "count", "0"), "42");
    EXPECT_EQ(file.Read("main", "NAME", ""), "\tx\t");  // only spaces are removed
    EXPECT_EQ(file.Read("MAIN", "missing", "def"), "def");
    EXPECT_EQ(file.Read("other", "count", "0"), "0");
}

TEST(KeyFileRead, GbkKeysAndValues) {
    KeyFile file = KeyFile::Parse(Gbk("[MAIN]\r\n总题数= 20\r\n[考题内容]\r\n1DA=13\r\n"));
    EXPECT_EQ(file.Read("MAIN", "总题数", "0"), "20");
    EXPECT_EQ(file.Read("考题内容", "1da", ""), "13");
}

TEST(KeyFileRead, UnderstandsUtf8FilesWithOrWithoutBom) {
    EXPECT_EQ(KeyFile::Parse("[MAIN]\n总题数=3\n").Read("MAIN", "总题数", "0"), "3");
    EXPECT_EQ(KeyFile::Parse("\xEF\xBB\xBF[MAIN]\n总题数=4\n").Read("MAIN", "总题数", "0"), "4");
}

TEST(KeyFileRead, ValuesAreCutTo255Bytes) {
    std::string longValue(300, 'x');
    EXPECT_EQ(KeyFile::Parse("[s]\r\nk=" + longValue + "\r\n").Read("s", "k", "").size(), 255u);
    // 128 Chinese characters are 256 bytes: the last one does not fit.
    std::string chinese;
    for (int i = 0; i < 128; ++i) chinese += "字";
    EXPECT_EQ(KeyFile::Parse(Gbk("[s]\r\nk=" + chinese + "\r\n")).Read("s", "k", "").size(), 127u * 3);
}

TEST(KeyFileRead, CommentsAndPreambleAreNotKeys) {
    KeyFile file = KeyFile::Parse("k=before\r\n[s]\r\n;k=comment\r\nk=real\r\n");
    EXPECT_EQ(file.Read("s", "k", ""), "real");
    EXPECT_EQ(file.Read("s", ";k", "none"), "none");
}

TEST(KeyFileWrite, NewFileGetsSectionsWithoutBlankLines) {
    KeyFile file;
    file.Write("MAIN", "a", " 1");
    file.Write("MAIN", "b", " 2");
    file.Write("second", "c", "x");
    EXPECT_EQ(Serialized(file), "[MAIN]\r\na= 1\r\nb= 2\r\n[second]\r\nc=x\r\n");
}

TEST(KeyFileWrite, ReplacesInPlaceAndKeepsEveryOtherLine) {
    std::string original = "; header\r\n[A]\r\nx=1\r\n  Y = old \r\nz=3\r\n\r\n[B]\r\nq=9\r\n";
    KeyFile file = KeyFile::Parse(original);
    file.Write("a", "y", "new");
    EXPECT_EQ(Serialized(file), "; header\r\n[A]\r\nx=1\r\nY=new\r\nz=3\r\n\r\n[B]\r\nq=9\r\n");
}

TEST(KeyFileWrite, NewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
    KeyFile file = KeyFile::Parse("[A]\r\nx=1\r\n\r\n[B]\r\nq=9\r\n");
    file.Write("A", "new", "v");
    file.Write("B", "r", "8");
    EXPECT_EQ(Serialized(file), "[A]\r\nx=1\r\nnew=v\r\n\r\n[B]\r\nq=9\r\nr=8\r\n");
    // The inserted key is found again and later keys keep their places.
    file.Write("A", "x", "2");
    EXPECT_EQ(file.Read("A", "new", ""), "v");
    EXPECT_EQ(file.Read("A", "x", ""), "2");
}

TEST(KeyFileWrite, UntouchedGbkLinesKeepTheirBytesEvenWhenInvalid) {
    std::string original = "[A]\r\nbad=\xFF\xFE\r\nk=1\r\n";
    KeyFile file = KeyFile::Parse(original);
    file.Write("A", "k", "2");
    EXPECT_EQ(Serialized(file), "[A]\r\nbad=\xFF\xFE\r\nk=2\r\n");
}

TEST(KeyFileWrite, LfFileIsWrittenWithCrLf) {
    KeyFile file = KeyFile::Parse("[A]\nk=1\n");
    file.Write("A", "k", "2");
    EXPECT_EQ(Serialized(file), "[A]\r\nk=2\r\n");
}

TEST(KeyFileWrite, Utf8FileIsRewrittenInGbk) {
    KeyFile file = KeyFile::Parse("[考题内容]\n1DA=2\n");
    file.Write("考题内容", "1DA", "3");
    EXPECT_EQ(Serialized(file), Gbk("[考题内容]\r\n1DA=3\r\n"));
}

TEST(KeyFileWrite, UnencodableTextFailsTheSaveAndKeepsTheFile) {
    TempFolder folder;
    folder.WriteBytes("a.ini", "[A]\r\nk=1\r\n");
    Status status = WriteKeyValue(folder.path() / "a.ini", "A", "k", "😀");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("a.ini"), std::string::npos);
    EXPECT_NE(status.message().find("😀"), std::string::npos);
    EXPECT_EQ(folder.ReadBytes("a.ini"), "[A]\r\nk=1\r\n");
}

TEST(KeyFileFiles, MissingFileReadsDefaultsAndWriteCreatesIt) {
    TempFolder folder;
    std::filesystem::path path = folder.path() / "new.ini";
    EXPECT_EQ(ReadKeyValue(path, "s", "k", "0"), "0");
    ASSERT_TRUE(WriteKeyValue(path, "s", "k", "v").ok());
    EXPECT_EQ(folder.ReadBytes("new.ini"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(ReadKeyValue(path, "S", "K", ""), "v");
}

TEST(KeyFileFiles, WriteIntoMissingFolderFailsAndSaysWhere) {
    TempFolder folder;
    Status status = WriteKeyValue(folder.path() / "nope" / "a.ini", "s", "k", "v");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("a.ini"), std::string::npos);
}

TEST(KeyFileFiles, FailedSaveLeavesNoTemporaryFiles) {
    TempFolder folder;
    folder.WriteBytes("sub/a.ini", "[s]\r\nk=1\r\n");
    std::filesystem::permissions(folder.path() / "sub", std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::owner_exec);
    if (::geteuid() != 0) {  // root writes anywhere
        EXPECT_FALSE(WriteKeyValue(folder.path() / "sub" / "a.ini", "s", "k", "2").ok());
    }
    std::filesystem::permissions(folder.path() / "sub", std::filesystem::perms::owner_all);
    ASSERT_TRUE(WriteKeyValue(folder.path() / "sub" / "a.ini", "s", "k", "3").ok());
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(folder.path() / "sub")) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(folder.ReadBytes("sub/a.ini"), "[s]\r\nk=3\r\n");
}

}  // namespace
}  // namespace quillmark

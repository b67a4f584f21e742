#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "data/roster.h"
#include "support/temp_folder.h"
#include "support/utf16_text.h"

namespace quillmark {
namespace {

struct CliRun {
    int status = 0;
    std::string out, err;
};

class RosterImportCommand : public ::testing::Test {
protected:
    RosterImportCommand() { home.MakeProgramFolders(); }

    CliRun Import(const std::string& file, const std::string& options) {
        std::string errFile = (files.path() / "stderr").string();
        std::string command = std::string(QUILLMARK_CLI_PATH) + " roster import " + (files.path() / file).string() +
                              " --home " + home.path().string() + " " + options + " 2>" + errFile + " </dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        CliRun run;
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
        run.status = WEXITSTATUS(pclose(pipe));
        std::ifstream in(errFile);
        run.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return run;
    }

    std::vector<std::pair<std::string, std::string>> Saved(const std::string& name) const {
        Roster roster;
        EXPECT_TRUE(ReadRoster(home.path() / "MingCe" / name, roster).ok());
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 1; i <= roster.RowCount(); ++i) rows.emplace_back(roster.Row(i)[Examinee::考号], roster.Row(i)[Examinee::姓名]);
        return rows;
    }

    test::TempFolder home, files;
};

// Chinese, private-use (code page 936's user-defined area) and Latin names.
constexpr char kList[] = "考号,姓名\r\n0101,张三\r\n0102,\xEE\x81\x9A明\r\n0103,José Li\r\n0104,Lee Ann\r\n";
const std::vector<std::pair<std::string, std::string>> kExaminees = {
    {"0101", "张三"}, {"0102", "\xEE\x81\x9A明"}, {"0103", "José Li"}, {"0104", "Lee Ann"}};

TEST_F(RosterImportCommand, EveryEncodingAndTheWorkbookRoundTrip) {
    std::string tabs = kList;
    std::replace(tabs.begin(), tabs.end(), ',', '\t');
    const std::pair<std::string, std::string> lists[] = {
        {"utf8.csv", kList},
        {"bom.csv", std::string("\xEF\xBB\xBF") + kList},
        {"gbk.csv", test::Gbk(kList)},
        {"unicode.txt", test::Utf16WithBom(tabs, false)},
        {"be.csv", test::Utf16WithBom(kList, true)},
    };
    for (const auto& [file, bytes] : lists) {
        files.WriteBytes(file, bytes);
        CliRun run = Import(file, "--save " + file.substr(0, file.find('.')));
        EXPECT_EQ(run.status, 0) << file << run.err;
        EXPECT_EQ(run.out, "已导入 4 名考生到名册“" + file.substr(0, file.find('.')) + ".TXT”\n");
        EXPECT_EQ(Saved(file.substr(0, file.find('.')) + ".TXT"), kExaminees) << file;
    }
    EXPECT_EQ(home.ReadBytes("MingCe/gbk.TXT"), test::Gbk("0101,张三,,,,,\r\n0102,\xEE\x81\x9A明,,,,,\r\n0103,José Li,,,,,\r\n"
                                                          "0104,Lee Ann,,,,,\r\n"));

    // The workbook: a title row, numbers as number cells, a long name and a blank row.
    std::filesystem::copy_file(QUILLMARK_FIXTURES "/roster_import/class_list.xlsx", files.path() / "class.xlsx");
    CliRun run = Import("class.xlsx", "--save 高一3班.txt --fix pad,cut");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("考号列：第 2 列“学号”，姓名列：第 3 列“姓名”，表头在第 2 行"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "已导入 7 名考生到名册“高一3班.txt”（补零 2 个考号，截短 2 个姓名）\n");
    EXPECT_EQ(Saved("高一3班.txt"), (std::vector<std::pair<std::string, std::string>>{{"0101", "张三"},
                                                                                     {"0102", "欧阳修"},
                                                                                     {"0103", "\xEE\x81\x9A明"},
                                                                                     {"0104", "Lee Ann"},
                                                                                     {"0105", "José Li"},
                                                                                     {"0106", "Christophe"},
                                                                                     {"0108", "诸葛孔明明"}}));
}

TEST_F(RosterImportCommand, ProblemsAreListedAndNothingIsWritten) {
    files.WriteBytes("list.csv", "学生,号\n张三,101\n\"李,四\",0101\n王五,12345\n");
    CliRun run = Import("list.csv", "--save 名单 --number-column 号 --name-column 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("第 2 行：考号“101”不足4位，可补零为“0101”\n"
                           "第 3 行：姓名“李,四”含有逗号，会破坏名册文件（可去掉逗号）\n"
                           "第 4 行：考号“12345”不是4位数字\n"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(home.path() / "MingCe" / "名单.TXT"));

    // Padded, the first row takes the second's number: the second is left out.
    run = Import("list.csv", "--save 名单 --number-column 2 --name-column 学生 --fix pad,strip,skip");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("已跳过 第 3 行：考号“0101”与第 2 行重复\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("已跳过 第 4 行：考号“12345”不是4位数字\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "已导入 1 名考生到名册“名单.TXT”（补零 1 个考号，去掉 1 个姓名中的逗号或换行符，跳过 2 行）\n");
    EXPECT_EQ(Saved("名单.TXT"), (std::vector<std::pair<std::string, std::string>>{{"0101", "张三"}}));
}

TEST_F(RosterImportCommand, AnExistingRosterIsReplacedOnlyWhenAsked) {
    home.WriteBytes("MingCe/一班.txt", test::Gbk("0901,旧,,,,,\r\n"));
    files.WriteBytes("list.csv", kList);
    CliRun run = Import("list.csv", "--save 一班");  // names match without regard to case
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("名册“一班.txt”已存在"), std::string::npos) << run.err;
    EXPECT_EQ(Saved("一班.txt"), (std::vector<std::pair<std::string, std::string>>{{"0901", "旧"}}));
    run = Import("list.csv", "--save 一班 --overwrite");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Saved("一班.txt"), kExaminees);
}

TEST_F(RosterImportCommand, BadNamesColumnsAndFilesAreRefused) {
    files.WriteBytes("list.csv", kList);
    for (const char* name : {"../x", "a/b", "x.CHO", "a:b", "'.txt'"}) {
        CliRun run = Import("list.csv", std::string("--save ") + name);
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_NE(run.err.find("--save 必须是名册文件夹中的文件名"), std::string::npos) << run.err;
    }
    CliRun run = Import("list.csv", "--save x --number-column 学号");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("找不到列“学号”（可选的列：考号、姓名"), std::string::npos) << run.err;
    run = Import("list.csv", "--save x --number-column 1 --name-column 考号");
    EXPECT_EQ(run.status, 2);
    run = Import("list.csv", "--save x --name-column 3");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("表格只有 2 列，没有第 3 列"), std::string::npos) << run.err;
    run = Import("list.csv", "--save x --fix trim");
    EXPECT_NE(run.status, 0);
    run = Import("none.csv", "--save x");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("none.csv"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(home.path() / "MingCe"));
}

}  // namespace
}  // namespace quillmark

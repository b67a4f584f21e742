#include <gtest/gtest.h>

#include <algorithm>

#include "data/text_codec.h"
#include "editors/roster_import.h"

namespace quillmark {
namespace {

using Rows = TableRows;
using Kind = ImportProblemKind;

// The problems as "row kind" pairs, in order.
std::vector<std::pair<int, Kind>> Found(const RosterImport& imported) {
    std::vector<std::pair<int, Kind>> found;
    for (const ImportProblem& p : imported.problems) found.emplace_back(p.row, p.kind);
    return found;
}

std::vector<std::pair<std::string, std::string>> Examinees(const Roster& roster) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 1; i <= roster.RowCount(); ++i) rows.emplace_back(roster.Row(i)[Examinee::考号], roster.Row(i)[Examinee::姓名]);
    return rows;
}

TEST(RosterImportColumns, FromHeadersOrFromTheContents) {
    // A title row above the headers; the serial number column is not the examinee number.
    ImportColumns c = GuessImportColumns({{"高一(3)班学生姓名表"}, {"序号", "性别", "姓名", "学号"}, {"1", "男", "张三", "0101"}});
    EXPECT_EQ(c.headerRow, 2);
    EXPECT_EQ(c.number, 4);
    EXPECT_EQ(c.name, 3);
    c = GuessImportColumns({{"Class", "Student_ID", " NAME "}, {"3", "0101", "Lee Ann"}});
    EXPECT_EQ(c.number, 2);
    EXPECT_EQ(c.name, 3);
    // Where one header is unknown, the contents decide that column.
    c = GuessImportColumns({{"号码", "姓名"}, {"0101", "张三"}, {"0102", "李四"}});
    EXPECT_EQ(c.headerRow, 1);
    EXPECT_EQ(c.number, 1);
    // No header: the first column of mostly digits, then the next column of text.
    c = GuessImportColumns({{"高一", "1", "0101", "张三"}, {"高一", "2", "0102", "李四"}, {"高一", "x", "0103", "王五"}});
    EXPECT_EQ(c.headerRow, 0);
    EXPECT_EQ(c.number, 2);
    EXPECT_EQ(c.name, 4);
    EXPECT_EQ(GuessImportColumns({{"张三"}, {"李四"}}).number, 0);
}

TEST(RosterImportColumns, TheUserNamesAColumnByNumberOrHeader) {
    Rows rows = {{"名单"}, {"序号", "考生号码", "学生"}, {"1", "0101", "张三"}};
    int headerRow = 0;
    EXPECT_EQ(FindImportColumn(rows, "3", headerRow), 3);
    EXPECT_EQ(headerRow, 0);
    EXPECT_EQ(FindImportColumn(rows, " 考生号码 ", headerRow), 2);
    EXPECT_EQ(headerRow, 2);
    EXPECT_EQ(FindImportColumn(rows, "学生", headerRow), 3);
    EXPECT_EQ(FindImportColumn(rows, "名单", headerRow), 0);  // only the header row counts now
    EXPECT_EQ(FindImportColumn(rows, "0", headerRow), 0);
    EXPECT_EQ(FindImportColumn(rows, "", headerRow), 0);
    EXPECT_EQ(ImportColumnHeader(rows, {2, 3, headerRow}, 3), "学生");
}

// One row for each problem; row numbers are the spreadsheet's (header in row 1, blank row 4).
const Rows kTable = {
    {"考号", "姓名"},
    {"0101", "张三"},
    {"101", "李四"},          // 3: pads to 0101, then a duplicate of row 2
    {},
    {"0103", "欧阳娜娜娜娜"},  // 5: 12 bytes
    {"01x3", "王五"},          // 6: not digits
    {"0106", "赵,六"},         // 7: a comma
    {"0107", "𠀀明"},          // 8: beyond code page 936
    {"0108", "\xEE\x81\x9A明"},  // 9: the user-defined area: fine
    {"0101", "Lee Ann"},       // 10: duplicate of row 2
    {"", "钱七"},              // 11: no number
    {"0112", "Christopher"},   // 12: 11 bytes
};

TEST(RosterImportProblems, EachKindIsListedByRowBeforeAnythingIsFixed) {
    RosterImport imported = ImportRoster(kTable, {1, 2, 1}, {});
    EXPECT_FALSE(imported.ok());
    EXPECT_EQ(Found(imported), (std::vector<std::pair<int, Kind>>{{3, Kind::NumberNotFourDigits},
                                                                  {5, Kind::NameTooLong},
                                                                  {6, Kind::NumberNotFourDigits},
                                                                  {7, Kind::CommaInName},
                                                                  {8, Kind::UnencodableName},
                                                                  {10, Kind::DuplicateNumber},
                                                                  {11, Kind::NumberNotFourDigits},
                                                                  {12, Kind::NameTooLong}}));
    auto line = [&](int row) {
        for (const ImportProblem& p : imported.problems) {
            if (p.row == row) return ImportProblemLine(p);
        }
        return std::string();
    };
    EXPECT_EQ(line(3), "第 3 行：考号“101”不足4位，可补零为“0101”");
    EXPECT_EQ(line(5), "第 5 行：姓名“欧阳娜娜娜娜”超过10个字节，截短后为“欧阳娜娜娜”");
    EXPECT_EQ(line(7), "第 7 行：姓名“赵,六”含有逗号，会破坏名册文件（可去掉逗号）");
    EXPECT_EQ(line(8), "第 8 行：姓名“𠀀明”含有名册文件（GBK）无法保存的字符“𠀀”（U+20000）");
    EXPECT_EQ(line(10), "第 10 行：考号“0101”与第 2 行重复");
    EXPECT_EQ(line(11), "第 11 行：缺少考号");
    EXPECT_EQ(imported.problems[0].fix, ImportFix::Pad);
    EXPECT_EQ(imported.problems[1].fix, ImportFix::Cut);
    EXPECT_EQ(imported.problems[3].fix, ImportFix::Strip);
    EXPECT_EQ(imported.problems[4].fix, ImportFix::None);
    EXPECT_EQ(imported.Remaining(), 8);
}

TEST(RosterImportProblems, FixesResolveTheirProblemsAndSkipLeavesOutTheRest) {
    RosterImport imported = ImportRoster(kTable, {1, 2, 1}, {true, true, true, false});
    // Padding makes row 3 a second 0101; the fixed problems stay listed as fixed.
    std::vector<std::string> remaining;
    for (const ImportProblem& p : imported.problems) {
        if (p.Remains()) remaining.push_back(ImportProblemLine(p));
    }
    EXPECT_EQ(remaining, (std::vector<std::string>{"第 3 行：考号“0101”与第 2 行重复", "第 6 行：考号“01x3”不是4位数字",
                                                   "第 8 行：姓名“𠀀明”含有名册文件（GBK）无法保存的字符“𠀀”（U+20000）",
                                                   "第 10 行：考号“0101”与第 2 行重复", "第 11 行：缺少考号"}));
    EXPECT_EQ(imported.padded, 1);
    EXPECT_EQ(imported.cut, 2);
    EXPECT_EQ(imported.stripped, 1);

    imported = ImportRoster(kTable, {1, 2, 1}, {true, true, true, true});
    EXPECT_TRUE(imported.ok());
    EXPECT_EQ(Examinees(imported.roster), (std::vector<std::pair<std::string, std::string>>{
                                              {"0101", "张三"},
                                              {"0103", "欧阳娜娜娜"},
                                              {"0106", "赵六"},
                                              {"0108", "\xEE\x81\x9A明"},
                                              {"0112", "Christophe"}}));
    EXPECT_EQ(imported.sourceRows, (std::vector<int>{2, 5, 7, 9, 12}));
    EXPECT_EQ(imported.skippedRows, 5);
    // What is kept can be written as a roster file.
    std::string text;
    ASSERT_TRUE(SerializeRoster(imported.roster, text).ok());
    EXPECT_TRUE(EncodeGbk(text).ok());
}

TEST(RosterImportProblems, CutsKeepWholeCharacters) {
    Rows rows = {{"0101", "abc欧阳娜娜"}, {"0102", "ab欧阳娜娜娜"}, {"0103", "Anna Maria X"}};
    RosterImport imported = ImportRoster(rows, {1, 2, 0}, {false, true, false, false});
    EXPECT_EQ(Examinees(imported.roster), (std::vector<std::pair<std::string, std::string>>{
                                              {"0101", "abc欧阳娜"}, {"0102", "ab欧阳娜娜"}, {"0103", "Anna Maria"}}));
}

TEST(RosterImportProblems, MoreExamineesThanARosterHolds) {
    Rows rows;
    for (int i = 0; i < Roster::kMaxRows + 3; ++i) rows.push_back({std::to_string(1000 + i % 9000), "考生"});
    RosterImport imported = ImportRoster(rows, {1, 2, 0}, {});
    ASSERT_FALSE(imported.ok());
    // Numbers wrap after 9000 rows, so duplicates are reported too; the limit is one problem.
    auto limit = std::find_if(imported.problems.begin(), imported.problems.end(),
                              [](const ImportProblem& p) { return p.kind == Kind::TooManyExaminees; });
    ASSERT_NE(limit, imported.problems.end());
    EXPECT_EQ(ImportProblemLine(*limit), "第 32668 行：名册最多 32667 名考生，从此行起的 3 名考生超出");
    EXPECT_EQ(std::count_if(imported.problems.begin(), imported.problems.end(),
                            [](const ImportProblem& p) { return p.kind == Kind::TooManyExaminees; }), 1);
    EXPECT_LE(imported.roster.RowCount(), Roster::kMaxRows);
}

TEST(RosterImportProblems, PrivateUseCharactersOnlyWithinTheUserDefinedAreas) {
    // U+E000..U+E765 map to code page 936's user-defined areas; the next one does not.
    RosterImport imported = ImportRoster({{"0101", "\xEE\x80\x80明"}, {"0102", "\xEE\x9D\xA5明"}, {"0103", "\xEE\x9D\xA6明"}},
                                         {1, 2, 0}, {});
    ASSERT_EQ(imported.problems.size(), 1u);
    EXPECT_EQ(ImportProblemLine(imported.problems[0]),
              "第 3 行：姓名“\xEE\x9D\xA6明”含有名册文件（GBK）无法保存的字符“\xEE\x9D\xA6”（U+E766）");
}

TEST(RosterImportProblems, NothingToImport) {
    EXPECT_EQ(ImportProblemLine(ImportRoster({{"张三"}}, {0, 1, 0}, {}).problems.at(0)), "找不到考号列，请指定考号所在的列");
    RosterImport imported = ImportRoster({{"考号", "姓名"}, {"abc", "张三"}}, {1, 2, 1}, {false, false, false, true});
    EXPECT_FALSE(imported.ok());
    EXPECT_EQ(ImportProblemLine(imported.problems.front()), "没有可导入的考生");
    EXPECT_TRUE(imported.problems.back().skipped);
}

}  // namespace
}  // namespace quillmark

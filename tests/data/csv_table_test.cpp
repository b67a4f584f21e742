#include <gtest/gtest.h>

#include <sys/stat.h>

#include "data/csv_table.h"
#include "support/temp_folder.h"
#include "support/utf16_text.h"

namespace quillmark {
namespace {

using Rows = TableRows;

Rows Parse(std::string_view bytes, CsvTable* table = nullptr) {
    CsvTable parsed;
    Status status = ParseCsvTable(bytes, parsed);
    EXPECT_TRUE(status.ok()) << status.message();
    if (table) *table = parsed;
    return parsed.rows;
}

// A class list with Chinese, private-use (U+E05A, code page 936's user-defined area) and
// Latin names, as each tool saves it.
constexpr char kList[] = "考号,姓名\r\n0101,张三\r\n0102,\xEE\x81\x9A明\r\n0103,José Li\r\n";
const Rows kListRows = {{"考号", "姓名"}, {"0101", "张三"}, {"0102", "\xEE\x81\x9A明"}, {"0103", "José Li"}};

std::string WithTabs(std::string text) {
    for (char& c : text) c = c == ',' ? '\t' : c;
    return text;
}

TEST(CsvTableEncoding, EachEncodingGivesTheSameRows) {
    struct Case {
        std::string bytes;
        TextEncoding encoding;
        char delimiter;
    };
    const Case cases[] = {
        {kList, TextEncoding::Utf8, ','},
        {std::string("\xEF\xBB\xBF") + kList, TextEncoding::Utf8Bom, ','},
        {test::Gbk(kList), TextEncoding::Gbk, ','},
        // Excel's "Unicode text": UTF-16LE, tab-separated.
        {test::Utf16WithBom(WithTabs(kList), false), TextEncoding::Utf16Le, '\t'},
        {test::Utf16WithBom(kList, true), TextEncoding::Utf16Be, ','},
    };
    for (const Case& c : cases) {
        CsvTable table;
        EXPECT_EQ(Parse(c.bytes, &table), kListRows) << TextEncodingName(c.encoding);
        EXPECT_EQ(table.encoding, c.encoding);
        EXPECT_EQ(table.delimiter, c.delimiter);
    }
}

TEST(CsvTableEncoding, DamagedTextBecomesReplacementCharacters) {
    TextEncoding encoding{};
    // A lone surrogate and an odd last byte in UTF-16; a stray byte after a UTF-8 mark.
    EXPECT_EQ(DecodeTableText(std::string("\xFF\xFE\x00\xD8\x41\x00\x42", 7), encoding), "\xEF\xBF\xBD" "A\xEF\xBF\xBD");
    EXPECT_EQ(DecodeTableText(test::Utf16WithBom("𠀀", false), encoding), "𠀀");
    EXPECT_EQ(DecodeTableText("\xEF\xBB\xBF" "a\xFF", encoding), "a\xEF\xBF\xBD");
    EXPECT_EQ(encoding, TextEncoding::Utf8Bom);
}

TEST(CsvTableDelimiter, TheOneThatSplitsTheLinesAlikeWins) {
    CsvTable table;
    // Decimal commas in a semicolon file split some lines two ways, but not all alike.
    EXPECT_EQ(Parse("考号;姓名;分数\n0101;张三;3,5\n0102;李四;4\n0103;\"王;五\";1,5\n", &table),
              (Rows{{"考号", "姓名", "分数"}, {"0101", "张三", "3,5"}, {"0102", "李四", "4"}, {"0103", "王;五", "1,5"}}));
    EXPECT_EQ(table.delimiter, ';');
    // A title line above the table does not decide.
    Parse("高一(3)班名单\n考号\t姓名, 备注\n0101\t张三, 班长\n0102\t李四\n", &table);
    EXPECT_EQ(table.delimiter, '\t');
    EXPECT_EQ(table.rows[1], (std::vector<std::string>{"考号", "姓名, 备注"}));
    // One column only: nothing splits, and the comma is taken.
    EXPECT_EQ(Parse("0101\n0102\n", &table), (Rows{{"0101"}, {"0102"}}));
    EXPECT_EQ(table.delimiter, ',');
}

TEST(CsvTableQuotes, FieldsHoldQuotesDelimitersAndLineBreaks) {
    EXPECT_EQ(Parse("\"a \"\"b\"\"\",\"c,d\"\r\n\"line 1\r\nline 2\",\"\"\r\nx\"y,\"z\"w\n"),
              (Rows{{"a \"b\"", "c,d"}, {"line 1\r\nline 2"}, {"x\"y", "zw"}}));
}

TEST(CsvTableRows, RowsKeepTheirSpreadsheetNumbers) {
    // Blank lines stay rows (so row N is the spreadsheet's row N); trailing empty cells and
    // rows are left out; LF, CR LF and a lone CR all end a record.
    EXPECT_EQ(Parse("a,b,,\r\n\r\n,,\nc\rd,\"\",\n\n\n"), (Rows{{"a", "b"}, {}, {}, {"c"}, {"d"}}));
    EXPECT_EQ(Parse("a,b"), (Rows{{"a", "b"}}));
    EXPECT_TRUE(Parse("").empty());
}

TEST(CsvTableRefused, UnclosedQuotesAndTablesBeyondTheBounds) {
    CsvTable table;
    Status status = ParseCsvTable("a,b\nc,\"d\ne\n", table);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("文件第 2 行的引号"), std::string::npos) << status.message();
    EXPECT_TRUE(table.rows.empty());

    std::string tooLong(kMaxCsvFileBytes + 1, '\n');
    EXPECT_EQ(ParseCsvTable(tooLong, table).code(), "too_large");
    std::string manyRows;
    for (std::size_t i = 0; i <= kMaxTableRows; ++i) manyRows += "1\n";
    status = ParseCsvTable(manyRows, table);
    EXPECT_NE(status.message().find("超过 100000 行"), std::string::npos) << status.message();
    // So many blank lines alone are no rows at all.
    EXPECT_TRUE(ParseCsvTable(std::string(kMaxTableRows + 5, '\n'), table).ok());
    std::string wide = "1";
    for (std::size_t i = 0; i < kMaxTableColumns; ++i) wide += ",1";
    status = ParseCsvTable("a\n" + wide + "\n", table);
    EXPECT_NE(status.message().find("第 2 行超过 1000 列"), std::string::npos) << status.message();
    std::string cells;
    for (std::size_t row = 0; row <= kMaxTableCells / 500; ++row) cells += std::string(499, ',') + "1\n";
    EXPECT_NE(ParseCsvTable(cells, table).message().find("个单元格"), std::string::npos);
}

TEST(CsvTableFile, ReadsOnlyRegularFilesWithinTheLimit) {
    test::TempFolder folder;
    folder.WriteBytes("list.csv", test::Gbk(kList));
    CsvTable table;
    ASSERT_TRUE(ReadCsvFile(folder.path() / "list.csv", table).ok());
    EXPECT_EQ(table.rows, kListRows);

    Status missing = ReadCsvFile(folder.path() / "none.csv", table);
    EXPECT_NE(missing.message().find("none.csv"), std::string::npos);
    EXPECT_NE(missing.message().find("不存在"), std::string::npos) << missing.message();
    // A pipe would never end: refused, not waited on.
    ASSERT_EQ(mkfifo((folder.path() / "pipe.csv").c_str(), 0600), 0);
    EXPECT_NE(ReadCsvFile(folder.path() / "pipe.csv", table).message().find("不是普通文件"), std::string::npos);
    EXPECT_NE(ReadCsvFile(folder.path(), table).message().find("文件夹"), std::string::npos);

    folder.WriteBytes("big.csv", std::string(kMaxCsvFileBytes + 1, 'a'));
    Status big = ReadCsvFile(folder.path() / "big.csv", table);
    EXPECT_NE(big.message().find("文件太大（超过 16 MB）"), std::string::npos) << big.message();
    std::string bytes;
    EXPECT_TRUE(ReadBoundedFile(folder.path() / "big.csv", kMaxCsvFileBytes + 1, bytes).ok());
    EXPECT_EQ(bytes.size(), kMaxCsvFileBytes + 1);
}

}  // namespace
}  // namespace quillmark

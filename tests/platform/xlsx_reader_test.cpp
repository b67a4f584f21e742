#include <gtest/gtest.h>

#include <cstring>
#include <minizip/zip.h>
#include <xlsxwriter.h>

#include "platform/xlsx_reader.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using Rows = TableRows;
using Entries = std::vector<std::pair<std::string, std::string>>;

// A zip archive of the parts, written by minizip.
std::string Zip(const Entries& parts, int level = Z_DEFAULT_COMPRESSION) {
    test::TempFolder folder;
    std::string path = (folder.path() / "book.xlsx").string();
    zipFile zip = zipOpen64(path.c_str(), 0);
    EXPECT_NE(zip, nullptr);
    for (const auto& [name, bytes] : parts) {
        zipOpenNewFileInZip(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, level);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return folder.ReadBytes("book.xlsx");
}

constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kRelations[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Relationships(const std::vector<std::array<std::string, 3>>& list) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const auto& [id, type, target] : list) {
        xml += "<Relationship Id=\"" + id + "\" Type=\"" + kRelations + "/" + type + "\" Target=\"" + target + "\"/>";
    }
    return xml + "</Relationships>";
}

// A workbook of one sheet whose <sheetData> holds `rows`, with the shared strings given.
Entries OneSheet(const std::string& rows, const std::string& sharedStrings = "") {
    Entries parts = {
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "xl/workbook.xml"}})},
        {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + kRelations +
                                "\"><sheets><sheet name=\"名单\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         Relationships({{"rId1", "worksheet", "worksheets/sheet1.xml"}, {"rId2", "sharedStrings", "sharedStrings.xml"}})},
        {"xl/worksheets/sheet1.xml", std::string("<worksheet xmlns=\"") + kMain + "\"><dimension ref=\"A1\"/><sheetData>" +
                                         rows + "</sheetData></worksheet>"},
    };
    if (!sharedStrings.empty()) {
        parts.push_back({"xl/sharedStrings.xml", std::string("<sst xmlns=\"") + kMain + "\">" + sharedStrings + "</sst>"});
    }
    return parts;
}

Rows Read(const std::string& bytes, std::string* name = nullptr) {
    XlsxSheet sheet;
    Status status = ParseXlsx(bytes, sheet);
    EXPECT_TRUE(status.ok()) << status.message();
    if (name) *name = sheet.name;
    return sheet.rows;
}

TEST(XlsxCells, TextNumbersAndBooleansInTheirColumns) {
    std::string shared =
        "<si><t>0101</t></si>"
        "<si><r><rPr><b/></rPr><t>欧阳</t></r><r><t xml:space=\"preserve\"> 修</t></r>"
        "<rPh sb=\"0\" eb=\"2\"><t>オウヨウ</t></rPh></si>"
        "<si><t>a_x000D_b_x005F_x0041_</t></si>"
        "<si><t xml:space=\"preserve\"> </t></si>";
    std::string rows =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>1</v></c><c r=\"F1\" s=\"3\"/></row>"
        "<row r=\"3\"><c r=\"B3\"><v>101</v></c><c t=\"n\"><v>101.0</v></c><c><v>1E3</v></c><c><v>3.5</v></c>"
        "<c><v>-0</v></c><c><v>0.1</v></c></row>"
        "<row r=\"4\"><c r=\"A4\" t=\"b\"><v>1</v></c><c r=\"B4\" t=\"b\"><v>0</v></c><c r=\"C4\" t=\"e\"><v>#N/A</v></c>"
        "<c r=\"D4\" t=\"str\"><f>A1&amp;\"x\"</f><v>0101x</v></c><c r=\"E4\"><f>1+1</f></c>"
        "<c r=\"F4\" t=\"inlineStr\"><is><r><t>李</t></r><r><t>四</t></r></is></c></row>"
        "<row><c t=\"s\"><v>2</v></c><c t=\"s\"><v>3</v></c></row>";
    std::string name;
    EXPECT_EQ(Read(Zip(OneSheet(rows, shared)), &name),
              (Rows{{"0101", "", "欧阳 修"},
                    {},
                    {"", "101", "101", "1000", "3.5", "0", "0.1"},
                    {"TRUE", "FALSE", "#N/A", "0101x", "", "李四"},
                    {"a\rb_x0041_", " "}}));
    EXPECT_EQ(name, "名单");
}

TEST(XlsxWorkbook, TheFirstTabIsReadWhateverItsFileIsCalled) {
    // The first tab names the second part by an absolute target; prefixes on every element.
    Entries parts = {
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "/book/main.xml"}})},
        {"book/main.xml", std::string("<x:workbook xmlns:x=\"") + kMain + "\" xmlns:rel=\"" + kRelations +
                              "\"><x:sheets><x:sheet name=\"高一\" sheetId=\"2\" rel:id=\"rId7\"/>"
                              "<x:sheet name=\"备注\" sheetId=\"1\" rel:id=\"rId1\"/></x:sheets></x:workbook>"},
        {"book/_rels/main.xml.rels", Relationships({{"rId1", "worksheet", "sheets/one.xml"},
                                                    {"rId7", "worksheet", "/book/sheets/../sheets/two.xml"},
                                                    {"rId9", "sharedStrings", "strings.xml"}})},
        {"book/sheets/one.xml", std::string("<x:worksheet xmlns:x=\"") + kMain +
                                    "\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>9</x:v></x:c></x:row>"
                                    "</x:sheetData></x:worksheet>"},
        {"book/sheets/two.xml", std::string("<x:worksheet xmlns:x=\"") + kMain +
                                    "\"><x:sheetData><x:row r=\"2\"><x:c r=\"B2\" t=\"s\"><x:v>0</x:v></x:c>"
                                    "</x:row></x:sheetData></x:worksheet>"},
        {"book/strings.xml", std::string("<x:sst xmlns:x=\"") + kMain + "\"><x:si><x:t>张三</x:t></x:si></x:sst>"},
    };
    std::string name;
    EXPECT_EQ(Read(Zip(parts), &name), (Rows{{}, {"", "张三"}}));
    EXPECT_EQ(name, "高一");
}

TEST(XlsxWorkbook, LargeSheetsAreReadPieceByPiece) {
    // Several pieces of a megabyte each, rows of shared and inline text both.
    std::string rows, shared;
    constexpr int kRows = 60000;
    for (int r = 1; r <= kRows; ++r) {
        std::string n = std::to_string(r);
        shared += "<si><t>名" + n + "</t></si>";
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c><c r=\"B" + n + "\" t=\"s\"><v>" +
                std::to_string(r - 1) + "</v></c><c r=\"C" + n + "\" t=\"inlineStr\"><is><t>x" + n + "</t></is></c></row>";
    }
    ASSERT_GT(shared.size(), std::size_t{1} << 20);
    Rows read = Read(Zip(OneSheet(rows, shared)));
    ASSERT_EQ(read.size(), static_cast<std::size_t>(kRows));
    for (int r = 1; r <= kRows; ++r) {
        std::string n = std::to_string(r);
        ASSERT_EQ(read[static_cast<std::size_t>(r - 1)], (std::vector<std::string>{n, "名" + n, "x" + n}));
    }
}

TEST(XlsxWorkbook, AsSpreadsheetProgramsWriteThem) {
    test::TempFolder folder;
    // Written the way Excel writes (shared strings, rich text runs), by libxlsxwriter.
    std::string path = (folder.path() / "excel.xlsx").string();
    lxw_workbook* workbook = workbook_new(path.c_str());
    lxw_worksheet* worksheet = workbook_add_worksheet(workbook, "名册");
    workbook_add_worksheet(workbook, "其他");
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    worksheet_write_string(worksheet, 0, 0, "考号", bold);
    worksheet_write_string(worksheet, 0, 1, "姓名", bold);
    worksheet_write_number(worksheet, 1, 0, 101, nullptr);
    lxw_rich_string_tuple first = {bold, const_cast<char*>("诸葛")};
    lxw_rich_string_tuple second = {nullptr, const_cast<char*>("亮")};
    lxw_rich_string_tuple* runs[] = {&first, &second, nullptr};
    worksheet_write_rich_string(worksheet, 1, 1, runs, nullptr);
    worksheet_write_string(worksheet, 3, 0, "0103", nullptr);
    worksheet_write_string(worksheet, 3, 1, "\xEE\x81\x9A明", nullptr);
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);

    TableFile table;
    ASSERT_TRUE(ReadTableFile(path, table).ok());
    EXPECT_EQ(table.rows, (Rows{{"考号", "姓名"}, {"101", "诸葛亮"}, {}, {"0103", "\xEE\x81\x9A明"}}));
    EXPECT_EQ(table.format, "Excel 工作簿，工作表“名册”");

    // Written by openpyxl (inline strings; tests/fixtures/roster_import/make_class_list.py).
    ASSERT_TRUE(ReadTableFile(QUILLMARK_FIXTURES "/roster_import/class_list.xlsx", table).ok());
    ASSERT_EQ(table.rows.size(), 10u);
    EXPECT_EQ(table.rows[0], (std::vector<std::string>{"高一(3)班学生名单"}));
    EXPECT_EQ(table.rows[3], (std::vector<std::string>{"2", "102", "欧阳修", "男"}));
    EXPECT_EQ(table.rows[7], (std::vector<std::string>{"6", "106", "Christopher", "男"}));
    EXPECT_TRUE(table.rows[8].empty());
    EXPECT_EQ(table.format, "Excel 工作簿，工作表“高一(3)班”");

    // Text files go to the CSV reader; the old binary workbook is named as such.
    folder.WriteBytes("list.txt", "考号\t姓名\r\n0101\t张三\r\n");
    ASSERT_TRUE(ReadTableFile(folder.path() / "list.txt", table).ok());
    EXPECT_EQ(table.rows, (Rows{{"考号", "姓名"}, {"0101", "张三"}}));
    EXPECT_EQ(table.format, "CSV 文本，UTF-8，制表符分隔");
    folder.WriteBytes("old.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));
    Status old = ReadTableFile(folder.path() / "old.xls", table);
    EXPECT_NE(old.message().find("old.xls"), std::string::npos);
    EXPECT_NE(old.message().find("另存为 .xlsx 或 CSV"), std::string::npos) << old.message();
}

// The named part's uncompressed size set to `size`, in its central directory record and its
// local header alike.
std::string WithStoredSize(std::string zip, const std::string& name, std::uint32_t size) {
    auto number = [&](std::size_t at, int bytes) {
        std::size_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(zip[at + static_cast<std::size_t>(i)]);
        return value;
    };
    auto store = [&](std::size_t at) {
        for (std::size_t i = 0; i < 4; ++i) zip[at + i] = static_cast<char>(size >> (8 * i));
    };
    for (std::size_t record = zip.find(std::string("PK\x01\x02", 4)); record != std::string::npos;
         record = zip.find(std::string("PK\x01\x02", 4), record + 4)) {
        if (zip.compare(record + 46, number(record + 28, 2), name) != 0) continue;
        store(record + 24);
        store(number(record + 42, 4) + 22);
        return zip;
    }
    ADD_FAILURE() << "no part " << name;
    return zip;
}

TEST(XlsxRefused, DamagedAndHostileFilesGiveAMessage) {
    const std::string cell = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
    Entries noWorkbook = OneSheet(cell);
    noWorkbook.erase(noWorkbook.begin() + 1);
    Entries bomb = OneSheet(cell);
    bomb.back().second += std::string(kMaxXlsxEntryBytes, ' ');  // a megabyte's zip of spaces, beyond the bound inflated
    std::string sheetEntry = "xl/worksheets/sheet1.xml";
    struct Case {
        std::string bytes;
        std::string message;
    };
    const Case cases[] = {
        {"考号,姓名\r\n", "不是 Excel 工作簿"},
        {Zip(OneSheet(cell)).substr(0, 300), "不是 Excel 工作簿"},
        {Zip(noWorkbook), "缺少“xl/workbook.xml”"},
        {Zip(OneSheet("<row><c><v>1</v></row>")), "不是有效的 XML"},
        {Zip(OneSheet("<row><c t=\"s\"><v>1</v></c></row>", "<si><t>a</t></si>")), "不存在的共享文本"},
        {Zip(OneSheet("<row><c t=\"s\"><v>0</v></c></row>")), "不存在的共享文本"},
        {Zip(OneSheet("<row r=\"100001\"><c><v>1</v></c></row>")), "超过 100000 行"},
        {Zip(OneSheet("<row><c r=\"ALM1\"><v>1</v></c></row>")), "第 1 行超过 1000 列"},
        {Zip(bomb, 9), "“xl/worksheets/sheet1.xml”解压后超过 64 MB"},
        // Sizes recorded falsely: the part inflates to more, or less, than its record says.
        {WithStoredSize(Zip(OneSheet(cell)), sheetEntry, 40), "已损坏"},
        {WithStoredSize(Zip(OneSheet(cell)), sheetEntry, 4000), "已损坏"},
        {std::string(kMaxXlsxFileBytes + 1, 'P'), "文件太大（超过 32 MB）"},
    };
    for (const Case& c : cases) {
        XlsxSheet sheet;
        Status status = ParseXlsx(c.bytes, sheet);
        EXPECT_FALSE(status.ok()) << c.message;
        EXPECT_NE(status.message().find(c.message), std::string::npos) << status.message();
        EXPECT_TRUE(sheet.rows.empty());
    }
    // An empty cell beyond the bounds is no cell: styles may reach the sheet's last column.
    EXPECT_EQ(Read(Zip(OneSheet(cell + "<row r=\"1048576\"><c r=\"XFD1048576\" s=\"1\"/></row>"))), (Rows{{"1"}}));
}

}  // namespace
}  // namespace quillmark

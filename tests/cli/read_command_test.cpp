#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <tiffio.h>

#include "data/text_codec.h"
#include "platform/image_fixtures.h"  // tests/platform
#include "support/synthetic_sheet.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using Json = nlohmann::json;
using test::TempFolder;

// Two digits down columns 2..3 from row 7; 10 questions of four options along rows 20..29.
std::string Layout() {
    std::string text = "[MAIN]\r\n水平单元格数=29\r\n垂直单元格数=45\r\n考号位数=2\r\n每题选项数=4\r\n"
                       "考号方向=垂直\r\n答案方向=水平\r\n答题卡总题数=10\r\n"
                       "[考号位置]\r\n1X=2\r\n1Y=7\r\n2X=3\r\n2Y=7\r\n[答案位置]\r\n";
    for (int q = 1; q <= 10; ++q) text += std::to_string(q) + "X=8\r\n" + std::to_string(q) + "Y=" + std::to_string(19 + q) + "\r\n";
    return text;
}

QImage ToQImage(const PixelBuffer& buffer) {
    QImage image(buffer.bytes.data(), buffer.width, buffer.height, buffer.stride, QImage::Format_Grayscale8);
    return image.copy();
}

std::vector<Json> RunRead(const std::string& arguments) {
    std::string command = std::string(QUILLMARK_CLI_PATH) + " read " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    std::vector<Json> lines;
    if (!pipe) return lines;
    char buffer[1 << 16];
    std::string output;
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(Json::parse(output.substr(start, end - start)));
    }
    return lines;
}

class ReadCommand : public ::testing::Test {
protected:
    void SetUp() override {
        home.MakeProgramFolders();
        home.WriteBytes("DaTiKa/1000111001.CAR", EncodeGbk(Layout()).bytes);
        home.WriteBytes("sys/sys.cho", "[DATIKA]\r\n边框线数=2\r\n预计图像宽度与线比例=1000\r\n");
        test::SheetDrawing sheet;
        sheet.filled = {{2, 7 + 4}, {3, 7 + 2}, {8, 20}, {9, 21}, {10, 22}, {8, 23}, {10, 23}};
        sheet.quarterTurns = 3;
        QImage image = ToQImage(test::DrawSheet(sheet).image);
        home.WriteBytes("sample/sheet.bmp", test::SaveBmp(image));
        home.WriteBytes("sample/sheet.jpg", test::EncodeJpeg(image, true, 92, 0));
        home.WriteBytes("sample/blank.bmp", test::SaveBmp(ToQImage(PixelBuffer::Blank(400, 560, PixelFormat::Gray8))));
        home.WriteBytes("sample/broken.jpg", "\xFF\xD8\xFF not really");
    }

    std::string Path(const char* relative) const { return (home.path() / relative).string(); }
    std::string Home() const { return "--home " + home.path().string() + " "; }

    TempFolder home;
};

TEST_F(ReadCommand, OneJsonLineForEachImageInInputOrder) {
    std::vector<Json> lines = RunRead(Home() + Path("sample/sheet.bmp") + " " + Path("sample/blank.bmp") + " " +
                                      Path("sample/broken.jpg") + " " + Path("sample/sheet.jpg"));
    ASSERT_EQ(lines.size(), 4u);
    for (const Json& sheet : {lines[0], lines[3]}) {
        EXPECT_EQ(sheet["status"], "正常");
        EXPECT_EQ(sheet["type_code"], "1000111001");
        EXPECT_EQ(sheet["orientation"], 4);
        EXPECT_EQ(sheet["examinee"], "42");
        EXPECT_EQ(sheet["answers"], Json({"1", "2", "3", "13", "", "", "", "", "", ""}));
        EXPECT_EQ(sheet["corners"].size(), 4u);
        EXPECT_GT(sheet["gaps"]["bottom"].get<int>(), sheet["gaps"]["top"].get<int>());
        EXPECT_FALSE(sheet.contains("scores"));
        // A drawn sheet has no calibration dots: read, but its fit is said to be unchecked.
        EXPECT_EQ(sheet["checks"]["fit"], "no_dots");
        EXPECT_EQ(sheet["checks"]["findings"], Json({"未找到校准点，定位未经核对"}));
        EXPECT_EQ(sheet["doubtful"], Json::array());
    }
    EXPECT_EQ(lines[0]["file"], Path("sample/sheet.bmp"));
    // A blank page stops at the frame: no later keys.
    EXPECT_EQ(lines[1]["status"], "无法确定左边框");
    // Beside the Chinese text, a code scripts can rely on.
    EXPECT_EQ(lines[0]["code"], "ok");
    EXPECT_EQ(lines[1]["code"], "no_left_side");
    EXPECT_EQ(lines[2]["code"], "unreadable");
    EXPECT_FALSE(lines[1].contains("type_code"));
    EXPECT_FALSE(lines[1].contains("answers"));
    // An undecodable file gives its error.
    EXPECT_TRUE(lines[2].contains("error"));
    EXPECT_FALSE(lines[2].contains("status"));
    EXPECT_NE(lines[2]["error"].get<std::string>().find("broken.jpg"), std::string::npos);
}

TEST_F(ReadCommand, ScoresAndFixedType) {
    std::vector<Json> lines = RunRead(Home() + "--scores " + Path("sample/sheet.bmp"));
    ASSERT_EQ(lines.size(), 1u);
    const Json& scores = lines[0]["scores"];
    ASSERT_EQ(scores.size(), 45u);
    ASSERT_EQ(scores[0].size(), 29u);
    EXPECT_LT(scores[19][7].get<int>(), 20);   // row 20, column 8: filled
    EXPECT_GT(scores[19][8].get<int>(), 90);   // row 20, column 9: empty

    // A fixed type is refused while the sheet's own code names another installed type, and
    // used when the code names none.
    home.WriteBytes("DaTiKa/1001101101.CAR", EncodeGbk(Layout()).bytes);
    lines = RunRead(Home() + "--fixed-type 1001101101 " + Path("sample/sheet.jpg"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["status"], "答题卡与指定的答题卡类型不符");
    EXPECT_FALSE(lines[0].contains("answers"));
    std::filesystem::remove(home.path() / "DaTiKa/1000111001.CAR");
    lines = RunRead(Home() + "--fixed-type 1001101101 " + Path("sample/sheet.jpg"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["type_code"], "1001101101");
    EXPECT_EQ(lines[0]["status"], "正常");
}

// Each page of a multi-page file is a line of its own, FILE#N; a damaged page fails alone.
TEST_F(ReadCommand, EveryPageOfAMultiPageFileIsASheet) {
    QImage sheet = ToQImage(test::DrawSheet([] {
        test::SheetDrawing drawing;
        drawing.filled = {{2, 7 + 4}, {3, 7 + 2}, {8, 20}, {9, 21}, {10, 22}, {8, 23}, {10, 23}};
        return drawing;
    }()).image);
    std::string tiff = test::EncodeTiff({{sheet, COMPRESSION_CCITTFAX4, true},
                                         {ToQImage(PixelBuffer::Blank(400, 560, PixelFormat::Gray8)), COMPRESSION_CCITTFAX4, true},
                                         {sheet, COMPRESSION_CCITTFAX4, true}});
    home.WriteBytes("sample/stack.tif", tiff);
    home.WriteBytes("sample/sheet.png", test::EncodePng(sheet));
    std::vector<Json> lines = RunRead(Home() + Path("sample/stack.tif") + " " + Path("sample/sheet.png"));
    ASSERT_EQ(lines.size(), 4u);
    for (int page = 1; page <= 3; ++page) EXPECT_EQ(lines[page - 1]["file"], Path("sample/stack.tif") + "#" + std::to_string(page));
    EXPECT_EQ(lines[3]["file"], Path("sample/sheet.png"));
    for (const Json& line : {lines[0], lines[2], lines[3]}) {
        EXPECT_EQ(line["status"], "正常");
        EXPECT_EQ(line["examinee"], "42");
        EXPECT_EQ(line["answers"], Json({"1", "2", "3", "13", "", "", "", "", "", ""}));
    }
    EXPECT_EQ(lines[1]["status"], "无法确定左边框");
}

TEST_F(ReadCommand, UnknownTypeStopsAfterTheFrame) {
    std::filesystem::remove(home.path() / "DaTiKa" / "1000111001.CAR");
    std::vector<Json> lines = RunRead(Home() + Path("sample/sheet.bmp"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["status"], "答题卡类型错误");
    EXPECT_EQ(lines[0]["type_code"], "1000111001");
    EXPECT_TRUE(lines[0].contains("corners"));
    EXPECT_FALSE(lines[0].contains("examinee"));
}

}  // namespace
}  // namespace quillmark

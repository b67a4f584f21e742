#include <algorithm>
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "data/text_codec.h"
#include "engine/sheet_reader.h"
#include "engine/type_code.h"
#include "marking/installed_sheet_types.h"
#include "support/synthetic_sheet.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::DrawSheet;
using test::SheetDrawing;
using test::TempFolder;

// A test layout on the 29 x 45 grid: four number digits down columns 2..5 from row 7, and
// 60 questions of four options along rows 20..39 in three blocks.
constexpr int kQuestions = 60;

GridPosition DigitStart(int n) { return {1 + n, 7}; }
GridPosition QuestionStart(int q) { return {8 + 7 * ((q - 1) / 20), 20 + (q - 1) % 20}; }

std::string LayoutDefinition() {
    std::string text = "[MAIN]\r\n水平单元格数=29\r\n垂直单元格数=45\r\n考号位数=4\r\n每题选项数=4\r\n"
                       "考号方向=垂直\r\n答案方向=水平\r\n答题卡总题数=60\r\n[考号位置]\r\n";
    for (int n = 1; n <= 4; ++n) {
        text += std::to_string(n) + "X=" + std::to_string(DigitStart(n).column) + "\r\n";
        text += std::to_string(n) + "Y=" + std::to_string(DigitStart(n).row) + "\r\n";
    }
    text += "[答案位置]\r\n";
    for (int q = 1; q <= kQuestions; ++q) {
        text += std::to_string(q) + "X=" + std::to_string(QuestionStart(q).column) + "\r\n";
        text += std::to_string(q) + "Y=" + std::to_string(QuestionStart(q).row) + "\r\n";
    }
    return text;
}

class SyntheticReading : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder();
        folder_->MakeProgramFolders();
        folder_->WriteBytes("DaTiKa/1000111001.CAR", EncodeGbk(LayoutDefinition()).bytes);
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    // A sheet at a resolution of `dpi` with the number and answers filled in.
    static SheetDrawing Sheet(double dpi, const std::string& number, const std::vector<std::string>& answers) {
        SheetDrawing d = test::DrawingAtDpi(dpi);
        for (std::size_t n = 0; n < number.size(); ++n) {
            GridPosition start = DigitStart(static_cast<int>(n) + 1);
            d.filled.push_back({start.column, start.row + (number[n] - '0')});
        }
        for (std::size_t q = 0; q < answers.size(); ++q) {
            GridPosition start = QuestionStart(static_cast<int>(q) + 1);
            for (char option : answers[q]) d.filled.push_back({start.column + (option - '1'), start.row});
        }
        return d;
    }

    static SheetReading Read(const PixelBuffer& image) {
        return ReadSheet(SheetImage(image), RecognitionSettings{2, 1000}, LoadInstalledSheetTypes(folder_->path()), std::nullopt);
    }

    static std::vector<std::string> SomeAnswers(int seed) {
        const char* choices[] = {"1", "2", "3", "4", "", "13", "24", "1234", "2", "3"};
        std::vector<std::string> answers;
        for (int q = 0; q < kQuestions; ++q) answers.push_back(choices[(q * 7 + seed) % 10]);
        return answers;
    }

    static TempFolder* folder_;
};

TempFolder* SyntheticReading::folder_ = nullptr;

int ExpectedOrientation(int quarterTurns) {
    static const int kOrientations[] = {Upright, TopAtLeft, TopAtRight, UpsideDown};
    return kOrientations[quarterTurns];
}

void ExpectSheetRead(const SheetReading& reading, const test::DrawnSheet& drawn, int quarterTurns,
                     const std::string& number, const std::vector<std::string>& answers) {
    ASSERT_EQ(StatusText(reading.status), "正常");
    EXPECT_EQ(reading.frame.orientation, ExpectedOrientation(quarterTurns));
    EXPECT_EQ(reading.typeCode, "1000111001");
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(reading.frame.corners[static_cast<std::size_t>(c)].x, drawn.innerCorners[static_cast<std::size_t>(c)].first, 2.0) << "corner " << c;
        EXPECT_NEAR(reading.frame.corners[static_cast<std::size_t>(c)].y, drawn.innerCorners[static_cast<std::size_t>(c)].second, 2.0) << "corner " << c;
    }
    EXPECT_EQ(reading.marks.number, number);
    std::vector<std::string> expected = answers;
    for (std::string& answer : expected) {
        if (answer == "1234") answer = "";  // every option filled leaves no spread
    }
    EXPECT_EQ(reading.marks.answers, expected);
}

TEST_F(SyntheticReading, StraightSheetsInAllFourOrientations) {
    for (int turns = 0; turns < 4; ++turns) {
        SheetDrawing d = Sheet(200, "0427", SomeAnswers(turns));
        d.quarterTurns = turns;
        test::DrawnSheet drawn = DrawSheet(d);
        SCOPED_TRACE("quarter turns " + std::to_string(turns));
        ExpectSheetRead(Read(drawn.image), drawn, turns, "0427", SomeAnswers(turns));
    }
}

TEST_F(SyntheticReading, NearlyStraightAndRotatedSheets) {
    for (double degrees : {0.05, -0.1, 0.7, 1.5, -2.0}) {
        for (int turns = 0; turns < 4; ++turns) {
            SheetDrawing d = Sheet(200, "9310", SomeAnswers(turns + 3));
            d.quarterTurns = turns;
            d.rotateDegrees = degrees;
            test::DrawnSheet drawn = DrawSheet(d);
            SCOPED_TRACE("quarter turns " + std::to_string(turns) + ", degrees " + std::to_string(degrees));
            ExpectSheetRead(Read(drawn.image), drawn, turns, "9310", SomeAnswers(turns + 3));
        }
    }
}

TEST_F(SyntheticReading, LowAndHighResolutions) {
    for (double dpi : {150.0, 300.0}) {
        SheetDrawing d = Sheet(dpi, "5555", SomeAnswers(1));
        d.rotateDegrees = 1.0;
        test::DrawnSheet drawn = DrawSheet(d);
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        ExpectSheetRead(Read(drawn.image), drawn, 0, "5555", SomeAnswers(1));
    }
}

TEST_F(SyntheticReading, ScoresLandInTheSameCellsWhateverTheOrientation) {
    std::map<int, SheetReading> readings;
    for (int turns = 0; turns < 4; ++turns) {
        SheetDrawing d = Sheet(200, "1234", SomeAnswers(5));
        d.quarterTurns = turns;
        readings[turns] = Read(DrawSheet(d).image);
        ASSERT_EQ(StatusText(readings[turns].status), "正常");
    }
    for (int turns = 1; turns < 4; ++turns) {
        for (int column = 1; column <= 29; ++column) {
            for (int row = 3; row <= 45; ++row) {  // rows 1 and 2 lie partly under the code strip
                EXPECT_NEAR(readings[turns].grid.at(column, row), readings[0].grid.at(column, row), 3)
                    << "turns " << turns << " cell " << column << "," << row;
            }
        }
    }
}

TEST_F(SyntheticReading, BlankDigitShortensTheNumber) {
    SheetDrawing d = Sheet(200, "0427", {});
    d.filled.erase(d.filled.begin() + 2);  // the third digit left blank
    SheetReading reading = Read(DrawSheet(d).image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    EXPECT_EQ(reading.marks.number, "047");
}

// A black-and-white image may have lost a light fill without a trace: each question read as
// blank is one to look at, while the sheet itself is no doubt for it (the finding stays
// among its checks, and the blanks are no sign of a misplaced grid).
TEST_F(SyntheticReading, CutTonesFlagTheBlankQuestionsNotTheSheet) {
    const std::vector<std::string> answers = SomeAnswers(2);
    PixelBuffer image = DrawSheet(Sheet(200, "1234", answers)).image;
    for (std::uint8_t& pixel : image.bytes) pixel = pixel < 160 ? 0 : 255;  // a copier's text mode
    SheetReading reading = Read(image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    ASSERT_TRUE(reading.grid.tonesCut);
    std::vector<int> blanks;
    for (int q = 1; q <= kQuestions; ++q) {
        if (answers[static_cast<std::size_t>(q - 1)].empty()) blanks.push_back(q);
    }
    ASSERT_FALSE(blanks.empty());
    for (int q : blanks) EXPECT_TRUE(std::count(reading.doubts.questions.begin(), reading.doubts.questions.end(), q)) << q;
    EXPECT_EQ(reading.doubts.questions.size(), blanks.size());
    EXPECT_EQ(std::count(reading.doubts.sheet.begin(), reading.doubts.sheet.end(), kFindingTonesCut), 0);
    EXPECT_EQ(std::count(reading.checks.begin(), reading.checks.end(), kFindingTonesCut), 1);
}

// A sheet without calibration dots is read on its frame alone, unless the reading looks
// like a grid placed part of a cell off: then it is not given as 正常.
TEST_F(SyntheticReading, WithoutDotsAGridThatLooksMisplacedIsNotRead) {
    SheetDrawing d = Sheet(200, "1234", SomeAnswers(3));
    PixelBuffer image = DrawSheet(d).image;
    SheetReading reading = Read(image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    EXPECT_EQ(reading.fit.verdict, FitCheck::NoDots);
    EXPECT_EQ(reading.doubts.sheet, std::vector<std::string>{"未找到校准点，定位未经核对"});

    double halfCell = (reading.frame.corners[1].x - reading.frame.corners[0].x) / 29 / 2;
    for (Point& corner : reading.frame.corners) corner.x += halfCell;
    ReadSheetAs(SheetImage(image), RecognitionSettings{2, 1000}, LoadInstalledSheetTypes(folder_->path()), "1000111001",
                reading);
    EXPECT_EQ(reading.status.code(), "position_unchecked");
    EXPECT_EQ(reading.reached, SheetReading::Frame);
    EXPECT_TRUE(reading.doubts.sheet.empty());  // nothing left of the first reading
}

// On a coarse photo a stroke across a bubble darkens its middle like a fill: seen over the
// whole cell it is a line, and the question is looked at instead of read with a second mark.
TEST_F(SyntheticReading, OnACoarseImageAStrokeAcrossABubbleIsNoMark) {
    SheetDrawing d = Sheet(75, "1234", {"1", "2"});
    GridPosition q1 = QuestionStart(1);
    d.marks.push_back({q1.column + 2, q1.row, 30, 1.0, 0.3});
    SheetReading reading = Read(DrawSheet(d).image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    ASSERT_TRUE(reading.grid.coarse);
    ASSERT_GE(100 - reading.grid.at(q1.column + 2, q1.row), mark_detail::kMarkDarkness) << "as dark as a mark";
    EXPECT_EQ(reading.marks.number, "1234");
    EXPECT_EQ(reading.marks.answers[0], "1");
    EXPECT_EQ(reading.marks.answers[1], "2");
    EXPECT_EQ(reading.doubts.questions, std::vector<int>{1});
}

// A fill too light to count, alone in its question, may be the answer: the question is
// flagged; a question with nothing in it is not.
TEST_F(SyntheticReading, AnUnansweredQuestionHoldingALightFillIsDoubtful) {
    SheetDrawing d = Sheet(200, "1234", {"1", "", ""});
    GridPosition q2 = QuestionStart(2);
    d.marks.push_back({q2.column + 2, q2.row, 60, 0.23, 0.23});
    SheetReading reading = Read(DrawSheet(d).image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    int darkness = 100 - reading.grid.at(q2.column + 2, q2.row);
    ASSERT_GE(darkness, 20) << "the fill should be light, not invisible";
    ASSERT_LT(darkness, mark_detail::kDoubtBelow) << "the fill should stay below the doubt band";
    EXPECT_EQ(reading.marks.answers[1], "");
    EXPECT_EQ(reading.doubts.questions, std::vector<int>{2});
}

TEST_F(SyntheticReading, FrameOnlyOrientationNeedsTwoLines) {
    SheetDrawing d = Sheet(200, "0427", {});
    d.quarterTurns = 3;
    PixelBuffer image = DrawSheet(d).image;
    SheetReading reading = ReadSheet(SheetImage(image), RecognitionSettings{1, 1000}, LoadInstalledSheetTypes(folder_->path()), std::nullopt);
    EXPECT_EQ(reading.reached, SheetReading::Frame);
    EXPECT_EQ(reading.frame.orientation, Upright);  // taken as upright: the code reads wrong
    EXPECT_EQ(StatusText(reading.status), "答题卡类型错误");
}

TEST_F(SyntheticReading, UnknownCodeAndFixedType) {
    SheetDrawing d = Sheet(200, "0427", {});
    d.typeCode = "1011000101";
    PixelBuffer image = DrawSheet(d).image;
    SheetReading unknown = Read(image);
    EXPECT_EQ(StatusText(unknown.status), "答题卡类型错误");
    EXPECT_EQ(unknown.typeCode, "1011000101");
    EXPECT_EQ(unknown.reached, SheetReading::Frame);
    SheetReading fixed = ReadSheet(SheetImage(image), RecognitionSettings{2, 1000}, LoadInstalledSheetTypes(folder_->path()),
                                   std::string(" 1000111001 "));
    EXPECT_EQ(StatusText(fixed.status), "正常");
    EXPECT_EQ(fixed.typeCode, "1000111001");
    EXPECT_EQ(fixed.marks.number, "0427");
}

TEST_F(SyntheticReading, EveryCodeReadsBackInEveryOrientation) {
    for (const char* code : {"1000110101", "1011011001", "1001101101", "1111111111", "1000000001"}) {
        for (int turns = 0; turns < 4; ++turns) {
            SheetDrawing d = Sheet(200, "", {});
            d.typeCode = code;
            d.quarterTurns = turns;
            d.rotateDegrees = turns == 2 ? 1.0 : 0.0;
            PixelBuffer image = DrawSheet(d).image;
            SheetReading reading = Read(image);
            EXPECT_EQ(reading.typeCode, code) << "turns " << turns;
            // A cleanly printed code is clear, whatever its share of dark blocks.
            EXPECT_TRUE(ReadTypeCodeChecked(SheetImage(image), reading.frame).clear) << code << " turns " << turns;
        }
    }
}

}  // namespace
}  // namespace quillmark

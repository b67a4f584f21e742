#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <set>
#include <string_view>

#include "data/ui_text.h"
#include "engine/recognition_settings.h"
#include "engine/mark_reading.h"
#include "engine/sheet_reader.h"
#include "engine/type_code.h"
#include "marking/installed_sheet_types.h"
#include "marking/sheet_layouts.h"
#include "platform/sheet_renderer.h"
#include "support/filled_sheet.h"

namespace quillmark {
namespace {

using test::FilledSheetRecipe;
using test::MakeFilledSheet;

std::filesystem::path ProgramFolder() { return QUILLMARK_PROGRAM_FOLDER_SOURCE; }

SheetReading Read(const PixelBuffer& image) {
    return ReadSheet(SheetImage(image), ReadRecognitionSettings(ProgramFolder()), LoadInstalledSheetTypes(ProgramFolder()), std::nullopt);
}

// A varied set of answers: single options, two options, some blank.
std::vector<std::string> AnswersFor(const SheetLayout& layout, int seed) {
    std::vector<std::string> answers;
    for (int q = 1; q <= layout.questions; ++q) {
        int pick = (q * 7 + seed * 3) % 11;
        std::string answer;
        if (pick < layout.options) answer = std::to_string(pick + 1);
        else if (pick == 9) answer = "1" + std::to_string(layout.options);
        answers.push_back(answer);
    }
    return answers;
}

class PrintedSheets : public ::testing::TestWithParam<int> {
protected:
    const SheetTypeEntry& entry() const { return kSheetTypes[static_cast<std::size_t>(GetParam())]; }
};

TEST_P(PrintedSheets, BlankSheetReadsItsCodeAndNoMarks) {
    SheetLayout layout = LayoutOf(entry());
    SheetReading reading = Read(test::BlankSheet(layout, 200));
    ASSERT_EQ(StatusText(reading.status), "正常");
    EXPECT_EQ(reading.typeCode, entry().code);
    EXPECT_EQ(reading.marks.number, "");
    EXPECT_EQ(reading.marks.answers, std::vector<std::string>(static_cast<std::size_t>(layout.questions), ""));
}

TEST_P(PrintedSheets, CleanRendersScoreEmptyCellsHighAndFilledCellsLow) {
    SheetLayout layout = LayoutOf(entry());
    FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.number = "2580";
    recipe.answers = AnswersFor(layout, 1);
    recipe.neatMarks = true;
    test::FilledSheet sheet = MakeFilledSheet(recipe);
    SheetReading reading = Read(sheet.image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    std::set<std::pair<int, int>> marked;
    for (const test::PencilMark& mark : sheet.marks) marked.insert({mark.cell.column, mark.cell.row});
    auto check = [&](GridPosition cell) {
        int score = reading.grid.at(cell.column, cell.row);
        if (marked.count({cell.column, cell.row})) EXPECT_LE(score, 20) << cell.column << "," << cell.row;
        else EXPECT_GE(score, 90) << cell.column << "," << cell.row;
    };
    for (int n = 1; n <= SheetLayout::kDigits; ++n) {
        for (int v = 0; v <= 9; ++v) check(layout.DigitCell(n, v));
    }
    for (int q = 1; q <= layout.questions; ++q) {
        for (int k = 1; k <= layout.options; ++k) check(layout.OptionCell(q, k));
    }
}

TEST_P(PrintedSheets, FilledSheetsReadBackInEveryOrientationStraightOrTurnedSlightly) {
    SheetLayout layout = LayoutOf(entry());
    const double dpis[] = {150, 200, 300};
    int round = 0;
    for (int turns = 0; turns < 4; ++turns) {
        for (double degrees : {0.0, turns % 2 ? -2.0 : 1.5}) {
            FilledSheetRecipe recipe;
            recipe.layout = &layout;
            recipe.dpi = dpis[(GetParam() + round) % 3];
            recipe.number = std::to_string(1000 + GetParam() * 397 + round * 1237).substr(0, 4);
            recipe.answers = AnswersFor(layout, round);
            recipe.seed = static_cast<std::uint64_t>(GetParam() * 100 + round);
            recipe.quarterTurns = turns;
            recipe.rotateDegrees = degrees;
            ++round;
            test::FilledSheet sheet = MakeFilledSheet(recipe);
            SheetReading reading = Read(sheet.image);
            SCOPED_TRACE(std::string(entry().name) + " dpi " + std::to_string(recipe.dpi) + " turns " +
                         std::to_string(turns) + " degrees " + std::to_string(degrees));
            ASSERT_EQ(StatusText(reading.status), "正常");
            EXPECT_EQ(reading.typeCode, entry().code);
            EXPECT_EQ(reading.marks.number, sheet.expectedNumber);
            EXPECT_EQ(reading.marks.answers, sheet.expectedAnswers);
        }
    }
}

// A code block printed grey (a stroke or a shadow over the strip) may be read either way,
// and the other reading names an installed type of another size: the dots fit only the
// printed type's grid, so they settle the code and the sheet is no doubt for it.
TEST(CalibrationDots, SettleACodeThatMightNameAnotherTypeOfAnotherSize) {
    const SheetTypeEntry* entry = FindSheetType("1010000101");  // 37 cells across; "1010100101" has 33
    ASSERT_NE(entry, nullptr);
    SheetLayout layout = LayoutOf(*entry);
    PixelBuffer image = test::BlankSheet(layout, 200);
    double dotsPerMm = 200 / 25.4, bit = page::kCodeSpan / 10;
    int left = static_cast<int>((page::kGridRight - 5 * bit) * dotsPerMm) + 2;
    int right = static_cast<int>((page::kGridRight - 4 * bit) * dotsPerMm) - 2;
    int top = static_cast<int>((page::kGridTop + page::kInnerLine) * dotsPerMm) + 2;
    int bottom = static_cast<int>((page::kGridTop + page::kInnerLine + page::kCodeHeight) * dotsPerMm) - 2;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) image.bytes[static_cast<std::size_t>(y * image.stride + x)] = 128;
    }
    SheetReading reading = Read(image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    ASSERT_FALSE(ReadTypeCodeChecked(SheetImage(image), reading.frame).clear) << "the grey block should be unclear";
    EXPECT_EQ(reading.typeCode, "1010000101");
    EXPECT_TRUE(reading.codeClear);
    EXPECT_TRUE(reading.doubts.sheet.empty());
}

// A frame side pulled askew (writing in the margin) or a keystoned photo puts the grid a
// cell off; the printed dots must catch it and place the grid themselves.
TEST(CalibrationDots, CorrectAFitTheyContradictAndFollowPerspective) {
    SheetLayout layout = LayoutOf(kSheetTypes[12]);
    FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.number = "5246";
    recipe.answers = AnswersFor(layout, 3);
    test::FilledSheet sheet = MakeFilledSheet(recipe);
    SheetReading straight = Read(sheet.image);
    ASSERT_EQ(StatusText(straight.status), "正常");
    EXPECT_EQ(straight.fit.verdict, FitCheck::Trusted);
    EXPECT_TRUE(straight.doubts.sheet.empty());

    FrameGeometry askew = straight.frame;
    double cell = (askew.corners[1].x - askew.corners[0].x) / layout.across;
    askew.corners[0].y -= 1.6 * cell;  // the top side fitted at a slant
    askew.corners[1].y += 0.3 * cell;
    SheetReading measured = straight;
    measured.frame = askew;
    ReadSheetAs(SheetImage(sheet.image), ReadRecognitionSettings(ProgramFolder()), LoadInstalledSheetTypes(ProgramFolder()),
                straight.typeCode, measured);
    ASSERT_EQ(StatusText(measured.status), "正常");
    EXPECT_EQ(measured.fit.verdict, FitCheck::Corrected);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(measured.fit.frame.corners[c].x, straight.frame.corners[c].x, 0.3 * cell) << c;
        EXPECT_NEAR(measured.fit.frame.corners[c].y, straight.frame.corners[c].y, 0.3 * cell) << c;
    }
    const MarkReading& marks = measured.marks;
    EXPECT_EQ(marks.number, "5246");
    EXPECT_EQ(marks.answers, sheet.expectedAnswers);

    recipe.keystone = 0.08;
    recipe.background = 120;
    test::FilledSheet photo = MakeFilledSheet(recipe);
    SheetReading reading = Read(photo.image);
    ASSERT_EQ(StatusText(reading.status), "正常");
    EXPECT_EQ(reading.fit.verdict, FitCheck::Corrected);
    // Nearly every dot agrees with the corrected fit: it is shown, and no doubt.
    EXPECT_EQ(reading.checks, std::vector<std::string>{"定位已按校准点校正"});
    EXPECT_TRUE(reading.doubts.sheet.empty());
    EXPECT_EQ(reading.marks.number, "5246");
    EXPECT_EQ(reading.marks.answers, photo.expectedAnswers);

    // The tallest grid under a 10 % keystone: the middle rows lie more than a cell from where
    // the top and bottom dots would put them on a straight map.
    SheetLayout tall = LayoutOf(kSheetTypes[17]);
    recipe.layout = &tall;
    recipe.answers = AnswersFor(tall, 5);
    recipe.keystone = 0.1;
    recipe.rotateDegrees = 9;
    recipe.scale = 0.8;
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {  // the seed picks the short side
        recipe.seed = seed;
        test::FilledSheet steep = MakeFilledSheet(recipe);
        SheetReading steepReading = Read(steep.image);
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_EQ(StatusText(steepReading.status), "正常");
        EXPECT_EQ(steepReading.marks.number, "5246");
        EXPECT_EQ(steepReading.marks.answers, steep.expectedAnswers);
    }
}

// Sheets printed "fit to page", folded in three, punched, with the back page showing
// through, fed askew: read right, and on their own dots.
TEST(PaperBeforeCapture, FoldedPunchedShowThroughAndFitToPageSheetsReadRight) {
    SheetLayout layout = LayoutOf(kSheetTypes[9]);
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        FilledSheetRecipe recipe;
        recipe.layout = &layout;
        recipe.number = "3071";
        recipe.answers = AnswersFor(layout, static_cast<int>(seed));
        recipe.seed = seed;
        recipe.scale = 0.93 + 0.02 * static_cast<double>(seed - 1);
        recipe.rotateDegrees = seed == 2 ? -3 : 2.5;
        recipe.folds = 2;
        recipe.punchHoles = seed == 1 ? 2 : 4;
        recipe.punchBacking = seed == 3 ? 250 : 20;
        recipe.showThrough = 0.15;
        test::FilledSheet sheet = MakeFilledSheet(recipe);
        SheetReading reading = Read(sheet.image);
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_EQ(StatusText(reading.status), "正常");
        EXPECT_TRUE(reading.doubts.sheet.empty());
        EXPECT_EQ(reading.marks.number, "3071");
        EXPECT_EQ(reading.marks.answers, sheet.expectedAnswers);
    }
}

// A copier's lid shadow is a dark band at the image's edge, its streaks thin lines down the
// page: neither is the frame's outer line, and the sheet reads as if they were not there.
TEST(FrameSearch, ShadowsAndStreaksAtTheImageEdgeAreNotTheFrame) {
    SheetLayout layout = LayoutOf(kSheetTypes[6]);
    int lost = 0;
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        FilledSheetRecipe recipe;
        recipe.layout = &layout;
        recipe.number = "9951";
        recipe.answers = AnswersFor(layout, static_cast<int>(seed));
        recipe.seed = seed;
        recipe.dpi = 150;
        recipe.noise = 5;
        recipe.lidShadow = 0.7;
        recipe.copierStreaks = 4;
        recipe.harshContrast = 4;
        test::FilledSheet sheet = MakeFilledSheet(recipe);
        SheetReading reading = Read(sheet.image);
        SCOPED_TRACE("seed " + std::to_string(seed));
        if (!reading.status.ok()) {
            ++lost;
            continue;
        }
        EXPECT_EQ(reading.typeCode, kSheetTypes[6].code);
        EXPECT_EQ(reading.marks.number, "9951");
        EXPECT_EQ(reading.marks.answers, sheet.expectedAnswers);
    }
    EXPECT_EQ(lost, 0);
}

// Stands in for the English catalog: every printed word in English, wider than any
// translation of it, so each is made smaller to fit its place.
std::string WideEnglishWords(const char* context, const char* text) {
    const std::string_view of(context);
    if (of == "PrintedSheet" || of == "SheetTypes") return "Printed in English, in more words than any translation has";
    return text;
}

// The blank sheet as printed in the window's language, its bubbles filled with pencil.
QImage PrintedAndFilled(const SheetLayout& layout, const std::string& number, const std::vector<std::string>& answers) {
    constexpr double kDpi = 200;
    const double dotsPerMm = kDpi / 25.4;
    QImage image = RenderBlankSheet(layout, kDpi).convertToFormat(QImage::Format_Grayscale8);
    QPainter pencil(&image);
    pencil.setPen(Qt::NoPen);
    pencil.setBrush(QColor(40, 40, 40));
    auto fill = [&](GridPosition cell) {
        RectMm r = layout.Cell(cell);
        pencil.drawEllipse(QRectF((r.centreX() - r.width * 0.36) * dotsPerMm, (r.centreY() - r.height * 0.3) * dotsPerMm,
                                  r.width * 0.72 * dotsPerMm, r.height * 0.6 * dotsPerMm));
    };
    for (int n = 1; n <= SheetLayout::kDigits; ++n) fill(layout.DigitCell(n, number[static_cast<std::size_t>(n - 1)] - '0'));
    for (int q = 1; q <= layout.questions; ++q) {
        for (char option : answers[static_cast<std::size_t>(q - 1)]) fill(layout.OptionCell(q, option - '0'));
    }
    return image;
}

// The sheet printed from an English window differs only in its words: it reads exactly as
// the Chinese one, cell for cell.
TEST(PrintedInEnglish, EverySheetTypeReadsExactlyAsTheChineseOne) {
    struct ChineseAgain {
        ~ChineseAgain() { SetUiTranslator(nullptr); }
    } chineseAgain;
    for (const SheetTypeEntry& entry : kSheetTypes) {
        SCOPED_TRACE(entry.code);
        SheetLayout layout = LayoutOf(entry);
        std::vector<std::string> answers = AnswersFor(layout, 4);
        SetUiTranslator(nullptr);
        QImage chinese = PrintedAndFilled(layout, "3917", answers);
        SetUiTranslator(&WideEnglishWords);
        QImage english = PrintedAndFilled(layout, "3917", answers);
        EXPECT_TRUE(chinese != english);

        auto read = [](const QImage& image) {
            return Read(PixelBuffer{image.width(), image.height(), static_cast<int>(image.bytesPerLine()), PixelFormat::Gray8,
                                    std::vector<std::uint8_t>(image.constBits(), image.constBits() + image.sizeInBytes())});
        };
        SheetReading fromChinese = read(chinese), fromEnglish = read(english);
        ASSERT_TRUE(fromChinese.status.ok()) << fromChinese.status.message();
        ASSERT_TRUE(fromEnglish.status.ok()) << fromEnglish.status.message();
        EXPECT_EQ(fromChinese.typeCode, entry.code);
        EXPECT_EQ(fromChinese.marks.number, "3917");
        EXPECT_EQ(fromChinese.marks.answers, answers);
        EXPECT_EQ(fromEnglish.typeCode, fromChinese.typeCode);
        EXPECT_EQ(fromEnglish.marks.number, fromChinese.marks.number);
        EXPECT_EQ(fromEnglish.marks.answers, fromChinese.marks.answers);
        EXPECT_EQ(fromEnglish.doubts.questions, fromChinese.doubts.questions);
        EXPECT_EQ(fromEnglish.doubts.digits, fromChinese.doubts.digits);
        EXPECT_EQ(fromEnglish.doubts.sheet, fromChinese.doubts.sheet);
        for (int n = 1; n <= SheetLayout::kDigits; ++n) {
            for (int v = 0; v <= 9; ++v) {
                GridPosition cell = layout.DigitCell(n, v);
                EXPECT_EQ(fromEnglish.grid.at(cell.column, cell.row), fromChinese.grid.at(cell.column, cell.row));
            }
        }
        for (int q = 1; q <= layout.questions; ++q) {
            for (int k = 1; k <= layout.options; ++k) {
                GridPosition cell = layout.OptionCell(q, k);
                EXPECT_EQ(fromEnglish.grid.at(cell.column, cell.row), fromChinese.grid.at(cell.column, cell.row)) << q;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryType, PrintedSheets, ::testing::Range(0, static_cast<int>(kSheetTypes.size())),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string("code") + kSheetTypes[static_cast<std::size_t>(info.param)].code;
                         });

}  // namespace
}  // namespace quillmark

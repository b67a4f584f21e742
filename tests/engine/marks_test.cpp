#include <gtest/gtest.h>

#include "engine/answers.h"
#include "engine/examinee_number.h"
#include "engine/mark_reading.h"

namespace quillmark {
namespace {

// Two digits down columns 1 and 2 from row 1; three questions of four options along rows
// 12..14 from column 1.
SheetType SmallType() {
    SheetType type;
    type.水平单元格数 = 10;
    type.垂直单元格数 = 20;
    type.考号位数 = 2;
    type.每题选项数 = 4;
    type.考号方向 = "垂直";
    type.答案方向 = "水平";
    type.答题卡总题数 = 3;
    type.numberPositions = {{}, {1, 1}, {2, 1}};
    type.answerPositions = {{}, {1, 12}, {1, 13}, {1, 14}};
    return type;
}

CellGrid EmptyGrid() {
    CellGrid grid;
    for (auto& column : grid.scores) column.fill(100);
    return grid;
}

TEST(ExamineeDigits, OneSeventhRuleLowestValueWins) {
    SheetType type = SmallType();
    CellGrid grid = EmptyGrid();
    grid.at(1, 1 + 3) = 5;
    grid.at(1, 1 + 7) = 5;  // two marks: 3 wins
    grid.at(2, 1 + 0) = 10;
    EXPECT_EQ(ReadExamineeDigits(type, grid), "30");
}

TEST(ExamineeDigits, BlankOrLightDigitsAreLeftOut) {
    SheetType type = SmallType();
    CellGrid grid = EmptyGrid();
    grid.at(1, 1 + 4) = 91;  // spread 9: blank digit
    grid.at(2, 1 + 6) = 0;
    EXPECT_EQ(ReadExamineeDigits(type, grid), "6");
    // A light mark at 20 with the darkest at 0 elsewhere: lo + (hi-lo)/7 = 14.3 > 20 fails.
    grid.at(2, 1 + 2) = 20;
    EXPECT_EQ(ReadExamineeDigits(type, grid), "6");
    // On the limit: with scores 0..100 the bar is 100/7 = 14.29; 14 passes, 15 does not.
    CellGrid edge = EmptyGrid();
    edge.at(1, 1 + 1) = 14;
    edge.at(1, 1 + 9) = 0;
    EXPECT_EQ(ReadExamineeDigits(type, edge).substr(0, 1), "1");
    edge.at(1, 1 + 1) = 15;
    EXPECT_EQ(ReadExamineeDigits(type, edge).substr(0, 1), "9");
}

TEST(Answers, TwoFifthsRuleTakesEveryPassingOption) {
    SheetType type = SmallType();
    CellGrid grid = EmptyGrid();
    grid.at(1, 12) = 10;
    grid.at(3, 12) = 30;  // lo + 2/5 spread = 10 + 36 = 46 > 30
    grid.at(4, 12) = 47;  // not below 46
    EXPECT_EQ(ReadAnswerDigits(type, grid, 1), "13");
    grid.at(2, 13) = 91;  // spread 9: no answer
    EXPECT_EQ(ReadAnswerDigits(type, grid, 2), "");
    for (int k = 1; k <= 4; ++k) grid.at(k, 14) = 5;  // every option filled: no spread
    EXPECT_EQ(ReadAnswerDigits(type, grid, 3), "");
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

// Eight questions, the last four answered 1, 2, 3 and 4, under the empty-bubble rule.
struct ReferenceSheet {
    SheetType type = SmallType();
    CellGrid grid = EmptyGrid();
    ReferenceSheet() {
        type.答题卡总题数 = 8;
        type.answerPositions = {{}, {1, 12}, {1, 13}, {1, 14}, {1, 15}, {1, 16}, {1, 17}, {1, 18}, {1, 19}};
        grid.at(1, 1 + 2) = 8;
        grid.at(2, 1 + 7) = 5;
        for (int q = 5; q <= 8; ++q) grid.at(q - 4, 11 + q) = 10;
    }
    MarkReading Read() const { return ReadMarks(type, grid, MarkRule::EmptyReference); }
};

TEST(ReferenceRule, ResidueAndShadowsAreNotAnswersAndFullQuestionsAreUnanswered) {
    ReferenceSheet sheet;
    // Residue or a stroke over an unanswered question: the spread rule reads it as answers.
    sheet.grid.at(1, 12) = 88, sheet.grid.at(2, 12) = 100, sheet.grid.at(3, 12) = 90, sheet.grid.at(4, 12) = 100;
    for (int k = 1; k <= 4; ++k) sheet.grid.at(k, 13) = 70 + k;  // a shadow over the whole question
    for (int k = 1; k <= 4; ++k) sheet.grid.at(k, 14) = k * 9;   // every option filled, unevenly
    EXPECT_EQ(ReadAnswerDigits(sheet.type, sheet.grid, 1), "13");
    EXPECT_EQ(ReadAnswerDigits(sheet.type, sheet.grid, 3), "12");
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers, (std::vector<std::string>{"", "", "", "", "1", "2", "3", "4"}));
    EXPECT_EQ(reading.doubtfulQuestions, (std::vector<int>{2}));  // the shadow is close to a mark
    EXPECT_EQ(reading.number, "27");
    EXPECT_TRUE(reading.numberComplete);
    EXPECT_TRUE(reading.doubtfulDigits.empty());
}

TEST(ReferenceRule, AnOptionDarkDownAWholeBlockIsDoubtful) {
    ReferenceSheet sheet;
    for (int q = 1; q <= 8; ++q) sheet.grid.at(4, 11 + q) = 35;  // the dark edge of a photo
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[0], "4");
    EXPECT_EQ(reading.doubtfulQuestions.size(), 8u);
}

TEST(ReferenceRule, FaintMarksAndTwoMarkedValuesAreFlagged) {
    ReferenceSheet sheet;
    sheet.grid.at(2, 12) = 55;  // a faint mark: read, but doubtful
    sheet.grid.at(3, 16) = 60;  // beside a firm mark: maybe an erasure
    sheet.grid.at(2, 1 + 3) = 6;  // digit 2 has two values marked
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[0], "2");
    EXPECT_EQ(reading.answers[4], "13");
    EXPECT_EQ(reading.doubtfulQuestions, (std::vector<int>{1, 5}));
    EXPECT_EQ(reading.number, "2");
    EXPECT_FALSE(reading.numberComplete);
    EXPECT_EQ(reading.doubtfulDigits, (std::vector<int>{2}));
    // The spread rule stays selectable; where the two rules differ the question is doubtful.
    MarkReading spread = ReadMarks(sheet.type, sheet.grid, MarkRule::Spread);
    EXPECT_EQ(spread.answers[4], "1");
    EXPECT_EQ(spread.doubtfulQuestions, (std::vector<int>{1, 5}));
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

// Eight questions of four options; `answers` per question, each marked option at score 5.
struct ColumnSheet {
    SheetType type = SmallType();
    CellGrid grid = EmptyGrid();
    explicit ColumnSheet(const std::vector<std::string>& answers) {
        type.答题卡总题数 = 8;
        type.answerPositions = {{}, {1, 12}, {1, 13}, {1, 14}, {1, 15}, {1, 16}, {1, 17}, {1, 18}, {1, 19}};
        for (int q = 1; q <= 8; ++q) {
            for (char option : answers[static_cast<std::size_t>(q - 1)]) grid.at(option - '0', 11 + q) = 5;
        }
    }
    MarkReading Read() const { return ReadMarks(type, grid, MarkRule::EmptyReference); }
};

TEST(ReferenceRule, AnAnswerCommonAroundADoubleMarkIsNoShadow) {
    ColumnSheet sheet({"1", "1", "1", "1", "1", "3", "3", "12"});
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[7], "12");
    EXPECT_TRUE(reading.doubtfulQuestions.empty());
}

TEST(ReferenceRule, AShadeBesideTheMarksOfHalfTheBlockIsDoubtful) {
    ColumnSheet sheet({"1", "1", "2", "1", "1", "3", "2", "4"});
    for (int q = 1; q <= 5; ++q) sheet.grid.at(4, 11 + q) = 30;  // as dark as a mark, beside the answers
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[0], "14");
    EXPECT_EQ(reading.doubtfulQuestions, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(ReferenceRule, ATouchWellBelowTheMarkLevelIsNotDoubtfulButAPartialMarkAndUnevenMarksAre) {
    ColumnSheet sheet({"1", "2", "3", "4", "1", "2", "3", "4"});
    sheet.grid.at(3, 12) = 76;  // a tick's thin stroke
    sheet.grid.at(1, 13) = 68;  // half a light fill
    sheet.grid.at(3, 14) = 0;
    sheet.grid.at(4, 14) = 37;  // a second mark much lighter than the first: an erasure's rest
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[0], "1");
    EXPECT_EQ(reading.answers[1], "2");
    EXPECT_EQ(reading.answers[2], "34");
    EXPECT_EQ(reading.doubtfulQuestions, (std::vector<int>{2, 3}));
}

// A stroke across a bubble, as dark as a light fill, is no mark but is shown to a person;
// a line covering most of the cell is a mark all the same.
TEST(ReferenceRule, AStrokeThroughABubbleIsDoubtfulNotAMark) {
    ColumnSheet sheet({"1", "2", "3", "4", "1", "2", "3", "4"});
    sheet.grid.at(3, 12) = 50;
    sheet.grid.lineShaped[3][12] = true;
    sheet.grid.at(2, 14) = 20;
    sheet.grid.lineShaped[2][14] = true;
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[0], "1");
    EXPECT_EQ(reading.answers[2], "23");
    EXPECT_EQ(reading.doubtfulQuestions, (std::vector<int>{1}));
}

// Three options firmly filled and the fourth only touched may be a question filled in every
// option (no answer): the reading stands, and is flagged; a fourth left clean is not.
TEST(ReferenceRule, AllButOneFilledWithTheLastTouchedIsDoubtful) {
    ColumnSheet sheet({"1", "2", "3", "4", "1", "2", "3", "4"});
    for (int k = 1; k <= 3; ++k) sheet.grid.at(k, 12) = sheet.grid.at(k, 13) = 5;
    sheet.grid.at(4, 12) = 100;
    sheet.grid.at(4, 13) = 85;
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[0], "123");
    EXPECT_EQ(reading.answers[1], "123");
    EXPECT_EQ(reading.doubtfulQuestions, (std::vector<int>{2}));

    // A copy whose light tones were cut may have wiped the lighter fill without a touch.
    sheet.grid.tonesCut = true;
    EXPECT_EQ(sheet.Read().doubtfulQuestions, (std::vector<int>{1, 2}));
}

// On a copy whose light tones were cut, what is left of a light second fill may be a thin
// remnant shaped like a line; a copier's streak is one too, but it runs on down the column.
TEST(ReferenceRule, OnCutTonesALineEndingInItsBubbleBesideAMarkIsLookedAtAStreakIsNot) {
    ColumnSheet sheet({"1", "1", "2", "3", "4", "1", "2", "3"});
    sheet.grid.tonesCut = true;
    sheet.grid.at(3, 13) = 88;  // a remnant beside the mark of question 2
    sheet.grid.lineShaped[3][13] = true;
    for (int row = 15; row <= 19; ++row) {
        if (sheet.grid.at(2, row) == 100) sheet.grid.at(2, row) = 90;  // a streak down option 2
        sheet.grid.lineShaped[2][static_cast<std::size_t>(row)] = true;
    }
    MarkReading reading = sheet.Read();
    EXPECT_EQ(reading.answers[1], "1");
    EXPECT_EQ(reading.answers[3], "3");
    EXPECT_EQ(reading.doubtfulQuestions, (std::vector<int>{2}));
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include "data/number_text.h"

namespace quillmark {
namespace {

TEST(NumberForm, LeadingSpaceAndNoZeroBeforeThePoint) {
    EXPECT_EQ(NumberForm(20), " 20");
    EXPECT_EQ(NumberForm(2.5), " 2.5");
    EXPECT_EQ(NumberForm(0), " 0");
    EXPECT_EQ(NumberForm(-0.0), " 0");
    EXPECT_EQ(NumberForm(0.5), " .5");
    EXPECT_EQ(NumberForm(-0.5), "-.5");
    EXPECT_EQ(NumberForm(-3), "-3");
}

TEST(NumberForm, FifteenSignificantDigits) {
    EXPECT_EQ(NumberForm(200.0 / 3.0), " 66.6666666666667");
    EXPECT_EQ(NumberForm(0.1 + 0.2), " .3");
    EXPECT_EQ(NumberForm(123456789012345.0), " 123456789012345");
    EXPECT_EQ(NumberForm(1e15), " 1E+15");
    EXPECT_EQ(NumberForm(0.00001), " 1E-05");
    EXPECT_EQ(NumberForm(0.0001), " .0001");
}

TEST(ShortestDecimalText, ShortestDecimalWithoutSignOrExponent) {
    EXPECT_EQ(ShortestDecimalText(2), "2");
    EXPECT_EQ(ShortestDecimalText(2.5), "2.5");
    EXPECT_EQ(ShortestDecimalText(0.5), "0.5");
    EXPECT_EQ(ShortestDecimalText(0.1), "0.1");
    EXPECT_EQ(ShortestDecimalText(10), "10");
    EXPECT_EQ(ShortestDecimalText(0.00001), "0.00001");
    EXPECT_EQ(ShortestDecimalText(1e20), "100000000000000000000");
    EXPECT_EQ(ShortestDecimalText(1.0 / 3.0), "0.3333333333333333");
}

TEST(NumericValue, LeadingNumberOfTheText) {
    EXPECT_EQ(NumericValue(" 2.5"), 2.5);
    EXPECT_EQ(NumericValue("12abc"), 12);
    EXPECT_EQ(NumericValue("abc"), 0);
    EXPECT_EQ(NumericValue(""), 0);
    EXPECT_EQ(NumericValue("1 2"), 12);
    EXPECT_EQ(NumericValue(" 1\t2 . 5"), 12.5);
    EXPECT_EQ(NumericValue("-.5"), -0.5);
    EXPECT_EQ(NumericValue("+7"), 7);
    EXPECT_EQ(NumericValue("1.2.3"), 1.2);
    EXPECT_EQ(NumericValue("."), 0);
    EXPECT_EQ(NumericValue("-"), 0);
}

TEST(NumericValue, ExponentAfterEOrD) {
    EXPECT_EQ(NumericValue("1E3"), 1000);
    EXPECT_EQ(NumericValue("1d3"), 1000);
    EXPECT_EQ(NumericValue("2.5e-1"), 0.25);
    EXPECT_EQ(NumericValue("1 E 2"), 100);
    EXPECT_EQ(NumericValue("3E"), 3);      // no exponent digits: the mantissa alone
    EXPECT_EQ(NumericValue("3E+x"), 3);
    EXPECT_EQ(NumericValue("1E999"), std::numeric_limits<double>::max());
    EXPECT_EQ(NumericValue("-1E999"), -std::numeric_limits<double>::max());
}

TEST(NumericValue, ReadsBackEveryNumberForm) {
    for (double x : {0.0, 0.5, -0.5, 20.0, 66.6666666666667, 1e15, 1e-5, -123.25}) {
        EXPECT_EQ(NumericValue(NumberForm(x)), x) << NumberForm(x);
    }
}

TEST(ToInt16, RoundsHalfToEvenAndHoldsTheRange) {
    EXPECT_EQ(ToInt16(2.5), 2);
    EXPECT_EQ(ToInt16(3.5), 4);
    EXPECT_EQ(ToInt16(-2.5), -2);
    EXPECT_EQ(ToInt16(2.5000001), 3);
    EXPECT_EQ(ToInt16(1e9), 32767);
    EXPECT_EQ(ToInt16(-1e9), -32768);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
}

}  // namespace
}  // namespace quillmark

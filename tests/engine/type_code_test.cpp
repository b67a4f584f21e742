#include <gtest/gtest.h>

#include "engine/type_code.h"

namespace quillmark {
namespace {

using type_code_detail::FindCodeEnd;

void Fill(int (&samples)[301], int from, int to, int value) {
    for (int k = from; k <= to; ++k) samples[k] = value;
}

TEST(CodeEnd, FirstLightSampleAfterTheLastLongDarkRun) {
    int samples[301];
    Fill(samples, 0, 300, 255);
    Fill(samples, 1, 40, 0);     // bits: dark run
    Fill(samples, 41, 60, 255);  // light
    Fill(samples, 61, 100, 0);   // the last long dark run
    EXPECT_EQ(FindCodeEnd(samples, 128), 101);
}

TEST(CodeEnd, ShortDarkRunsDoNotCount) {
    int samples[301];
    Fill(samples, 0, 300, 255);
    Fill(samples, 1, 40, 0);
    Fill(samples, 120, 125, 0);  // 6 samples: too short
    EXPECT_EQ(FindCodeEnd(samples, 128), 41);
}

TEST(CodeEnd, NoLongDarkRunOrARunToTheEnd) {
    int samples[301];
    Fill(samples, 0, 300, 255);
    EXPECT_EQ(FindCodeEnd(samples, 128), 0);
    Fill(samples, 200, 300, 0);  // dark to k = 300 without a light sample after it
    EXPECT_EQ(FindCodeEnd(samples, 128), 0);
}

TEST(CodeEnd, SamplesEqualToTheThresholdChangeNothing) {
    int samples[301];
    Fill(samples, 0, 300, 128);
    Fill(samples, 1, 30, 0);
    Fill(samples, 50, 60, 255);
    // The light change comes at k = 50, the run counted from the start is 49 > 10.
    EXPECT_EQ(FindCodeEnd(samples, 128), 50);
}

TEST(TypeCode, NoStripReadsTenOnes) {
    PixelBuffer blank = PixelBuffer::Blank(600, 800, PixelFormat::Gray8);
    FrameGeometry frame;
    frame.corners = {Point{50, 50}, Point{550, 50}, Point{50, 750}, Point{550, 750}};
    EXPECT_EQ(ReadTypeCode(SheetImage(blank), frame), "1111111111");
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

SheetTypeCatalog Installed(std::initializer_list<const char*> codes) {
    std::vector<SheetTypeDefinition> definitions;
    for (const char* code : codes) definitions.push_back({code, SheetType(), Status()});
    return SheetTypeCatalog(std::move(definitions));
}

// A block near the threshold matters only when reading it the other way names a type.
TEST(TypeCode, AnUnclearBlockIsADoubtOnlyWhenItCouldNameAnotherInstalledType) {
    TypeCodeReading read{"1000111001", false, {9, 2}};
    EXPECT_TRUE(CodeKnown(read, Installed({"1000111001", "1111111111"})));
    EXPECT_FALSE(CodeKnown(read, Installed({"1000111001", "1000111000"})));  // the last block flipped
    EXPECT_FALSE(CodeKnown(read, Installed({"1000111001", "1010111000"})));  // both flipped
    EXPECT_EQ(OtherInstalledReadings(read, Installed({"1000111001", "1010111000", "1000111000", "1010111001"})),
              (std::vector<std::string>{"1000111000", "1010111001", "1010111000"}));
    EXPECT_TRUE(CodeKnown(TypeCodeReading{"1000111001", true, {}}, Installed({"1000111000"})));
}

}  // namespace
}  // namespace quillmark

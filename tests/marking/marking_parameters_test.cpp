#include <gtest/gtest.h>

#include "marking/marking_parameters.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

TEST(ZoomBox, StartingState) {
    MarkingParameters parameters;
    EXPECT_EQ(parameters.zoom.Text(), "2");
    EXPECT_EQ(parameters.zoom.PreviewZoom(), 0);
    EXPECT_TRUE(parameters.fixedZoom);
    EXPECT_EQ(parameters.orientation, 0);
}

TEST(ZoomBox, ValuesInRangeAreTakenAndWrittenPlainly) {
    ZoomBox box;
    EXPECT_TRUE(box.TextChanged("2"));
    EXPECT_EQ(box.PreviewZoom(), 2);
    EXPECT_TRUE(box.TextChanged("2."));
    EXPECT_EQ(box.Text(), "2");
    EXPECT_TRUE(box.TextChanged(" +2.50"));
    EXPECT_EQ(box.Text(), "2.5");
    EXPECT_EQ(box.PreviewZoom(), 2.5);
    EXPECT_TRUE(box.TextChanged("10"));
    EXPECT_EQ(box.PreviewZoom(), 10);
    EXPECT_TRUE(box.TextChanged("0.1"));
    EXPECT_EQ(box.Text(), "0.1");
    EXPECT_EQ(box.PreviewZoom(), 0.1);
    EXPECT_TRUE(box.TextChanged("3x"));
    EXPECT_EQ(box.Text(), "3");
    EXPECT_EQ(box.PreviewZoom(), 3);
}

TEST(ZoomBox, ValuesOutOfRangeAreLeftAsTyped) {
    ZoomBox box;
    ASSERT_TRUE(box.TextChanged("3"));
    for (const char* text : {"0", "0.", "15", "10.01", "0.09", "-2", "", "abc"}) {
        EXPECT_FALSE(box.TextChanged(text)) << text;
        EXPECT_EQ(box.Text(), text);
        EXPECT_EQ(box.PreviewZoom(), 3) << text;
    }
    EXPECT_TRUE(box.TextChanged("0.5"));
    EXPECT_EQ(box.Text(), "0.5");
    EXPECT_EQ(box.PreviewZoom(), 0.5);
}

TEST(ZoomBox, LeavingTheBoxHoldsTheValueToTheRange) {
    struct Case {
        const char* typed;
        const char* text;
        double zoom;
    };
    for (Case c : {Case{"15", "10", 10}, Case{"1E3", "10", 10}, Case{"abc", "0.1", 0.1}, Case{"", "0.1", 0.1},
                   Case{"0.05", "0.1", 0.1}, Case{"-4", "0.1", 0.1}, Case{" 3.0", "3", 3}}) {
        ZoomBox box;
        box.TextChanged(c.typed);
        EXPECT_TRUE(box.FocusLost()) << c.typed;
        EXPECT_EQ(box.Text(), c.text) << c.typed;
        EXPECT_EQ(box.PreviewZoom(), c.zoom) << c.typed;
    }
}

TEST(ZoomBox, TypingFifteenKeepsThePreviewUntilTheBoxIsLeft) {
    MarkingParameters parameters;
    ASSERT_TRUE(parameters.zoom.TextChanged("2"));
    EXPECT_FALSE(parameters.zoom.TextChanged("15"));
    EXPECT_EQ(parameters.zoom.PreviewZoom(), 2);
    EXPECT_TRUE(parameters.zoom.FocusLost());
    EXPECT_EQ(parameters.zoom.Text(), "10");
    EXPECT_EQ(parameters.zoom.PreviewZoom(), 10);
}

class StartMarking : public ::testing::Test {
protected:
    StartMarking() { folder_.MakeProgramFolders(); }
    void WriteSettings(const std::string& body) { folder_.WriteBytes("sys/SYS.CHO", test::Gbk("[DATIKA]\r\n" + body)); }
    test::TempFolder folder_;
};

TEST_F(StartMarking, PagesFollowThePaperAndTheRoster) {
    struct Case {
        bool paper, roster, paperNext, rosterNext, marking;
    };
    for (Case c : {Case{false, false, false, false, false}, Case{true, false, true, false, false},
                   Case{false, true, false, false, false}, Case{true, true, true, true, true}}) {
        StartMarkingState state = 刷新开始阅卷按钮(c.paper, c.roster, folder_.path());
        SCOPED_TRACE(testing::Message() << "paper " << c.paper << ", roster " << c.roster);
        EXPECT_EQ(state.paperNextEnabled, c.paperNext);
        EXPECT_EQ(state.rosterNextEnabled, c.rosterNext);
        EXPECT_EQ(state.markingPageAvailable, c.marking);
        EXPECT_EQ(state.Mnu_Scan_阅卷, c.marking);
        EXPECT_EQ(state.start.has_value(), c.marking);
    }
}

TEST_F(StartMarking, SetsTheZoomButNotTheText) {
    MarkingParameters parameters;
    parameters.zoom.TextChanged("5");
    StartMarkingState state = 刷新开始阅卷按钮(true, true, folder_.path());
    ASSERT_TRUE(state.start);
    parameters.zoom.SetPreviewZoom(state.start->previewZoom);
    EXPECT_EQ(parameters.zoom.PreviewZoom(), 2);
    EXPECT_EQ(parameters.zoom.Text(), "5");
}

TEST_F(StartMarking, ReadsTheRecognitionSettings) {
    WriteSettings("边框线数=2\r\n预计图像宽度与线比例=150\r\n线与单元格比例=2.5\r\n");
    StartMarkingState state = 刷新开始阅卷按钮(true, true, folder_.path());
    ASSERT_TRUE(state.start);
    EXPECT_EQ(state.start->recognition.边框线数, 2);
    EXPECT_EQ(state.start->recognition.预计图像宽度与线比例, 150);
    EXPECT_EQ(state.start->线与单元格比例, 2);

    WriteSettings("线与单元格比例= 3.5 \r\n");
    EXPECT_EQ(刷新开始阅卷按钮(true, true, folder_.path()).start->线与单元格比例, 4);
    WriteSettings("线与单元格比例=40000\r\n");
    EXPECT_EQ(刷新开始阅卷按钮(true, true, folder_.path()).start->线与单元格比例, 32767);
}

TEST_F(StartMarking, MissingSettingsReadAsZero) {
    StartMarkingState state = 刷新开始阅卷按钮(true, true, folder_.path() / "nowhere");
    ASSERT_TRUE(state.start);
    EXPECT_EQ(state.start->recognition.边框线数, 0);
    EXPECT_EQ(state.start->recognition.预计图像宽度与线比例, 0);
    EXPECT_EQ(state.start->线与单元格比例, 0);
}

}  // namespace
}  // namespace quillmark

// Runs that a window drives: sheets finished by Step in order, never waiting for a worker.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "engine/cell_locator.h"
#include "engine/recognition_settings.h"
#include "platform/image_decoder.h"
#include "platform/sheet_annotation.h"
#include "marking/installed_sheet_types.h"
#include "marking/marking_run.h"
#include "marking/sheet_layouts.h"
#include "support/filled_sheet.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

class QuietUi : public MarkingUi {
public:
    std::vector<std::string> messages;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::string ChooseSheetType() override { return ""; }
    std::string ChooseExamineeNumber(const Roster&, const NumberReading&) override { return ""; }
};

PixelBuffer SheetOf(const std::string& number, int quarterTurns = 0) {
    static SheetLayout layout = LayoutOf(kSheetTypes[12]);
    test::FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.dpi = 150;
    recipe.number = number;
    recipe.quarterTurns = quarterTurns;
    for (int q = 1; q <= 100; ++q) recipe.answers.push_back("1");
    return test::MakeFilledSheet(recipe).image;
}

// Hands out its pages one Acquire at a time, then nothing.
class FakeDevice : public ImageDevice {
public:
    std::vector<PixelBuffer> pages;
    std::optional<PixelBuffer> Acquire() override {
        if (pages.empty()) return std::nullopt;
        PixelBuffer page = std::move(pages.front());
        pages.erase(pages.begin());
        return page;
    }
};

// A page that takes until it is cancelled (or 5 s) to scan.
class SlowDevice : public ImageDevice {
public:
    std::mutex mutex;
    std::condition_variable changed;
    bool scanning = false, cancelled = false;
    std::optional<PixelBuffer> Acquire() override {
        std::unique_lock<std::mutex> lock(mutex);
        scanning = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(5), [this] { return cancelled; });
        return std::nullopt;
    }
    void CancelAcquire() override {
        std::lock_guard<std::mutex> lock(mutex);
        cancelled = true;
        changed.notify_all();
    }
};

struct RunFixture : ::testing::Test {
    RunFixture() {
        home.MakeProgramFolders();
        std::filesystem::path installed = QUILLMARK_PROGRAM_FOLDER_SOURCE;
        std::filesystem::copy(installed / "DaTiKa", home.path() / "DaTiKa", std::filesystem::copy_options::recursive);
        std::filesystem::copy(installed / "sys", home.path() / "sys", std::filesystem::copy_options::recursive);
        records.paper.总题数 = 100;
        records.paper.分值 = 1;
        for (int q = 1; q <= 100; ++q) records.paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA] = "1";
        context.programFolder = home.path();
        context.settings.recognition = ReadRecognitionSettings(home.path());
        context.settings.sheetTypes = LoadInstalledSheetTypes(home.path());
        context.records = &records;
        context.ui = &ui;
        context.threads = 2;
    }
    std::function<void()> Wake() {
        return [this] {
            std::lock_guard<std::mutex> lock(mutex);
            ++wakes;
            woken.notify_all();
        };
    }
    std::unique_ptr<SheetRun> FilesRun(std::vector<SheetSource> sheets) {
        return std::make_unique<SheetRun>(std::make_unique<FileFeed>(std::move(sheets), context.load), context, Wake());
    }
    std::unique_ptr<SheetRun> DeviceRun(ImageDevice& device) {
        return std::make_unique<SheetRun>(std::make_unique<DeviceFeed>(device), context, Wake());
    }
    static bool Delivered(const SheetRun& run) { return static_cast<const DeviceFeed&>(run.Feed()).Delivered(); }
    // Steps as a window's event loop would: whenever a worker says a sheet is ready.
    void RunToEnd(SheetRun& run, std::size_t stopAfter = SIZE_MAX) {
        while (!run.Done()) {
            if (run.Step()) {
                if (run.Handled() == stopAfter) run.Cancel();
                continue;
            }
            std::unique_lock<std::mutex> lock(mutex);
            woken.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    test::TempFolder home;
    ResultSet records;
    QuietUi ui;
    MarkingContext context;
    std::mutex mutex;
    std::condition_variable woken;
    int wakes = 0;
};

TEST_F(RunFixture, ABatchFinishesItsSheetsInOrderAndListsTheOnesNotMarked) {
    std::vector<SheetSource> sheets;
    for (const char* name : {"0201", "bad", "0202", "0203"}) sheets.push_back({name, 1, 1, {}});
    context.load = [](const SheetSource& sheet) {
        DecodedImage decoded;
        if (sheet.file == "bad") decoded.status = Status::Error("无法读取图像文件“bad”");
        else decoded.pixels = SheetOf(sheet.file.string());
        return decoded;
    };
    auto run = FilesRun(sheets);
    RunToEnd(*run);
    EXPECT_EQ(run->Handled(), 4u);
    EXPECT_EQ(run->Marked(), 3u);
    ASSERT_EQ(run->Unmarked().size(), 1u);
    EXPECT_EQ(run->Unmarked()[0].sheet.file, "bad");
    // Numbers not in the roster are added in the order of the sheets.
    ASSERT_EQ(records.roster.RowCount(), 3);
    EXPECT_EQ(records.roster.Row(1)[Examinee::考号], "0201");
    EXPECT_EQ(records.roster.Row(3)[Examinee::考号], "0203");
    EXPECT_FALSE(run->LastImage().bytes.empty());
    EXPECT_GT(wakes, 0);
}

// The sheet types are read once, when the run is set up: what happens to DaTiKa later does
// not reach the sheets of the run.
TEST_F(RunFixture, ARunReadsWithTheSheetTypesItWasSetUpWith) {
    std::filesystem::remove_all(home.path() / "DaTiKa");
    std::vector<SheetSource> sheets;
    for (const char* name : {"0601", "0602"}) sheets.push_back({name, 1, 1, {}});
    context.load = [](const SheetSource& sheet) { return DecodedImage{SheetOf(sheet.file.string()), {}}; };
    SheetRun run(std::make_unique<FileFeed>(sheets, context.load), context);
    run.RunToEnd();
    EXPECT_EQ(run.Marked(), 2u);
    EXPECT_TRUE(run.Done());

    context.settings.sheetTypes = LoadInstalledSheetTypes(home.path());  // a run set up now has none
    SheetRun later(std::make_unique<FileFeed>(sheets, context.load), context);
    later.RunToEnd();
    EXPECT_EQ(later.Marked(), 0u);
    ASSERT_EQ(later.Unmarked().size(), 2u);
    EXPECT_EQ(later.Unmarked()[0].reason, "答题卡类型错误（未指定类型）");
}

TEST_F(RunFixture, AStoppedBatchEndsAfterTheSheetInHandAndListsTheRest) {
    std::vector<SheetSource> sheets;
    for (int i = 0; i < 8; ++i) sheets.push_back({"05" + std::to_string(10 + i), 1, 1, {}});
    context.load = [](const SheetSource& sheet) {
        DecodedImage decoded;
        decoded.pixels = SheetOf(sheet.file.string());
        return decoded;
    };
    auto run = FilesRun(sheets);
    RunToEnd(*run, 2);
    EXPECT_EQ(run->Handled(), 2u);
    EXPECT_FALSE(run->Step());  // prepared sheets are not finished after the stop
    ASSERT_EQ(run->Unmarked().size(), 6u);
    EXPECT_EQ(run->Unmarked().front().sheet.file, "0512");
    EXPECT_EQ(run->Unmarked().front().reason, kStoppedReason);
    EXPECT_EQ(records.roster.RowCount(), 2);
}

TEST_F(RunFixture, AScannerStackRunsUntilTheDeviceIsEmptyOrTheUserStops) {
    FakeDevice device;
    for (const char* number : {"0301", "0302", "0303"}) device.pages.push_back(SheetOf(number));
    {
        auto run = DeviceRun(device);
        RunToEnd(*run, 2);
        EXPECT_TRUE(run->Cancelled());
        EXPECT_EQ(run->Marked(), 2u);
        EXPECT_TRUE(Delivered(*run));
    }
    EXPECT_EQ(records.roster.RowCount(), 2);  // the stopped run asked for at most one page more
    EXPECT_LE(device.pages.size(), 1u);

    // Stopping while a page is being scanned cancels that scan instead of waiting for it.
    SlowDevice slow;
    {
        auto run = DeviceRun(slow);
        std::unique_lock<std::mutex> lock(slow.mutex);
        slow.changed.wait(lock, [&] { return slow.scanning; });
        lock.unlock();
        run->Cancel();
    }
    EXPECT_TRUE(slow.cancelled);

    FakeDevice empty;
    auto none = DeviceRun(empty);
    RunToEnd(*none);
    EXPECT_EQ(none->Handled(), 0u);
    EXPECT_FALSE(Delivered(*none));
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

QColor PixelAt(const QImage& image, QPointF point) { return image.pixelColor(point.toPoint()); }

TEST_F(RunFixture, TheSheetAsMarkedOutlinesRightMarksGreenAndWrongOnesRed) {
    records.paper.questions[2][ExamQuestion::DA] = "2";  // the sheet's "1" is wrong here
    PixelBuffer pixels = SheetOf("0401");
    const PixelBuffer* scanned = &pixels;
    context.load = [&](const SheetSource&) {
        DecodedImage decoded;
        decoded.pixels = *scanned;
        return decoded;
    };
    auto run = FilesRun({SheetSource{"0401.png", 1, 1, {}}});
    RunToEnd(*run);
    const SheetReview* sheet = records.review.Find("0401");
    ASSERT_NE(sheet, nullptr);
    SheetType type = context.settings.sheetTypes.Find(sheet->typeCode)->type;
    AnnotatedSheet drawn = AnnotateSheet(*sheet, records, type, &pixels, "");
    EXPECT_TRUE(drawn.note.empty());

    FrameGeometry frame;
    frame.orientation = sheet->orientation;
    for (std::size_t c = 0; c < 4; ++c) frame.corners[c] = Point{sheet->corners[2 * c], sheet->corners[2 * c + 1]};
    CellLocator cells(SheetImage(pixels), frame, type);
    double half = 0.45 * std::min(cells.CellSize().width, cells.CellSize().height);
    auto leftEdge = [&](int q, int k) {
        Point c = cells.Centre(type.OptionCell(q, k));
        return QPointF(c.x - half, c.y);
    };
    EXPECT_EQ(PixelAt(drawn.image, leftEdge(1, 1)), QColor(0x1E, 0x9E, 0x3A));
    EXPECT_EQ(PixelAt(drawn.image, leftEdge(2, 1)), QColor(0xD6, 0x28, 0x28));
    EXPECT_NE(PixelAt(drawn.image, leftEdge(2, 2)), QColor(0xD6, 0x28, 0x28));  // the key is not outlined

    // A scan turned a quarter is drawn upright: the same picture, the same outlines.
    PixelBuffer turned = SheetOf("0401", 1);
    context.settings.onDuplicate = DuplicatePolicy::Replace;
    scanned = &turned;
    auto again = FilesRun({SheetSource{"0401-turned.png", 1, 1, {}}});
    RunToEnd(*again);
    ASSERT_NE(records.review.Find("0401")->orientation, 3);
    AnnotatedSheet upright = AnnotateSheet(*records.review.Find("0401"), records, type, &turned, "");
    ASSERT_EQ(upright.image.size(), drawn.image.size());
    EXPECT_EQ(PixelAt(upright.image, leftEdge(1, 1)), QColor(0x1E, 0x9E, 0x3A));
    EXPECT_EQ(PixelAt(upright.image, leftEdge(2, 1)), QColor(0xD6, 0x28, 0x28));

    // Without the image the same marks are drawn over the saved scores.
    AnnotatedSheet fromScores = AnnotateSheet(*sheet, records, type, nullptr, "图像已不存在");
    EXPECT_EQ(fromScores.note, "图像已不存在");
    EXPECT_FALSE(fromScores.image.isNull());
}


// What the review file says is never trusted blindly: the image must be the one marked, and
// its numbers must fit the sheet type.
TEST_F(RunFixture, ASavedSheetIsDrawnOnlyFromItsOwnImageAndWithinItsType) {
    std::filesystem::create_directories(home.path() / "scans");
    std::filesystem::path scan = home.path() / "scans" / "a.png";
    auto save = [&](const PixelBuffer& pixels) {
        QImage(pixels.bytes.data(), pixels.width, pixels.height, pixels.stride, QImage::Format_Grayscale8)
            .save(QString::fromStdString(scan.string()));
    };
    save(SheetOf("0501"));
    context.load = [](const SheetSource& sheet) { return DecodeImageFile(sheet.file, sheet.page); };
    auto run = FilesRun({SheetSource{scan, 1, 1, {}}});
    RunToEnd(*run);
    ASSERT_EQ(run->Marked(), 1u);
    SheetReview sheet = *records.review.Find("0501");
    EXPECT_EQ(sheet.file, "scans/a.png");  // the program folder may move; the current folder says nothing
    EXPECT_TRUE(AnnotateSheet(sheet, records, home.path()).note.empty());

    save(SheetOf("0502"));  // another sheet under the same name
    AnnotatedSheet replaced = AnnotateSheet(sheet, records, home.path());
    EXPECT_NE(replaced.note.find("图像已更改"), std::string::npos) << replaced.note;
    // Drawn from the saved scores, the right way round: the hundreds of empty bubbles light,
    // only the hundred marks dark.
    QImage grey = replaced.image.convertToFormat(QImage::Format_Grayscale8);
    long long dark = 0;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) dark += grey.constScanLine(y)[x] < 128 ? 1 : 0;
    EXPECT_LT(dark * 1000 / (static_cast<long long>(grey.width()) * grey.height()), 30) << "per mille";

    sheet.doubtfulQuestions = {2147483647};
    sheet.optionScores.resize(400, std::vector<int>(9, 0));
    sheet.digitScores.resize(30, std::vector<int>(20, 0));
    SheetPicture picture(sheet, home.path());
    EXPECT_TRUE(picture.Area(2147483647).isEmpty());
    EXPECT_FALSE(picture.Draw(sheet, records).image.isNull());
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <set>

#include "data/number_text.h"
#include "engine/recognition_settings.h"
#include "marking/installed_sheet_types.h"
#include "marking/marking_run.h"
#include "marking/sheet_layouts.h"
#include "platform/painting_application.h"
#include "platform/sane_device.h"
#include "support/filled_sheet.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

// Pixels that differ from their neighbours in every channel, so a shifted row, a swapped
// channel or a dropped byte shows.
PixelBuffer Pattern(int width, int height, PixelFormat format) {
    PixelBuffer image = PixelBuffer::Blank(width, height, format);
    int channels = format == PixelFormat::Gray8 ? 1 : 3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                image.bytes[static_cast<std::size_t>(y * image.stride + x * channels + c)] =
                    static_cast<std::uint8_t>((x * 7 + y * 13 + c * 101) % 256);
            }
        }
    }
    return image;
}

std::string Pnm(const PixelBuffer& image) {
    std::string magic = image.format == PixelFormat::Gray8 ? "P5" : "P6";
    std::string text = magic + "\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    return text + std::string(image.bytes.begin(), image.bytes.end());
}

// A bitmap file: 1 is black, rows padded to whole bytes.
std::string Pbm(int width, int height, const std::vector<bool>& black) {
    std::string text = "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        std::string row(static_cast<std::size_t>(rowBytes), '\0');
        for (int x = 0; x < width; ++x) {
            if (black[static_cast<std::size_t>(y * width + x)]) row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
        text += row;
    }
    return text;
}

void ExpectSamePixels(const PixelBuffer& expected, const PixelBuffer& actual) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    SheetImage want(expected), got(actual);
    int wrong = 0;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            if (want.readPixel(x, y) != got.readPixel(x, y) && ++wrong <= 3) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got.readPixel(x, y) << " instead of "
                              << want.readPixel(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

// Acquires into `image`: whether a page came.
bool AcquireInto(ImageDevice& device, PixelBuffer& image) {
    std::optional<PixelBuffer> page = device.Acquire();
    if (page) image = std::move(*page);
    return page.has_value();
}

// The pnm backend scans the file its "filename" option names. It keeps its options in
// statics that outlast sane_exit while main holds it loaded, so each scan sets them all.
std::vector<ScanOption> PnmOptions(const std::string& file, std::vector<ScanOption> more = {}) {
    std::vector<ScanOption> options = {{"filename", file}, {"three-pass", "no"}, {"hand-scanner", "no"}, {"status", "yes"}};
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

class PnmScans : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        folder_.WriteBytes(name, bytes);
        return (folder_.path() / name).string();
    }
    bool Scan(const std::string& file, PixelBuffer& image, std::vector<ScanOption> more = {}) {
        SaneDevice device("pnm:0", PnmOptions(file, std::move(more)));
        bool got = AcquireInto(device, image);
        error_ = device.LastError();
        return got;
    }
    TempFolder folder_;
    std::string error_;
};

TEST_F(PnmScans, GreyAndColourFilesArrivePixelForPixel) {
    for (PixelFormat format : {PixelFormat::Gray8, PixelFormat::Rgb24}) {
        PixelBuffer page = Pattern(37, 23, format);
        PixelBuffer image;
        ASSERT_TRUE(Scan(Write("page.pnm", Pnm(page)), image)) << error_;
        EXPECT_EQ(image.format, format);
        EXPECT_TRUE(error_.empty());
        ExpectSamePixels(page, image);
    }
}

TEST_F(PnmScans, ColourInThreePassesIsPutTogether) {
    // The backend sends green, blue, then red.
    PixelBuffer page = Pattern(29, 17, PixelFormat::Rgb24);
    PixelBuffer image;
    ASSERT_TRUE(Scan(Write("page.ppm", Pnm(page)), image, {{"three-pass", "yes"}})) << error_;
    EXPECT_EQ(image.format, PixelFormat::Rgb24);
    ExpectSamePixels(page, image);
}

TEST_F(PnmScans, UnknownPageLengthGrowsToTheWholePage) {
    for (PixelFormat format : {PixelFormat::Gray8, PixelFormat::Rgb24}) {
        PixelBuffer page = Pattern(19, 301, format);
        PixelBuffer image;
        ASSERT_TRUE(Scan(Write("long.pnm", Pnm(page)), image, {{"hand-scanner", "yes"}})) << error_;
        ExpectSamePixels(page, image);
    }
}

TEST_F(PnmScans, LineArtExpandsToGreyWithOneAsBlack) {
    const int width = 13, height = 5;  // rows end inside a byte
    std::vector<bool> black(width * height);
    for (int i = 0; i < width * height; ++i) black[static_cast<std::size_t>(i)] = (i * 5 + i / width) % 3 == 0;
    PixelBuffer expected = PixelBuffer::Blank(width, height, PixelFormat::Gray8);
    for (int i = 0; i < width * height; ++i) expected.bytes[static_cast<std::size_t>(i)] = black[static_cast<std::size_t>(i)] ? 0 : 255;
    PixelBuffer image;
    ASSERT_TRUE(Scan(Write("page.pbm", Pbm(width, height, black)), image)) << error_;
    EXPECT_EQ(image.format, PixelFormat::Gray8);
    ExpectSamePixels(expected, image);
}

TEST_F(PnmScans, AScanThatEndsEarlyKeepsTheLinesThatCame) {
    PixelBuffer page = Pattern(31, 40, PixelFormat::Rgb24);
    std::string bytes = Pnm(page);
    bytes.resize(bytes.size() - static_cast<std::size_t>(page.stride) * 15 - 10);  // 24 lines and a part
    PixelBuffer image;
    ASSERT_TRUE(Scan(Write("short.ppm", bytes), image)) << error_;
    page.height = 24;
    page.bytes.resize(static_cast<std::size_t>(page.stride) * 24);
    ExpectSamePixels(page, image);
}

// The pnm backend reads in the caller's thread; the test backend's reader thread is
// cancelled asynchronously on an error and can die holding a lock, so errors are forced here.
TEST_F(PnmScans, ReadErrorsGiveNothing) {
    std::string file = Write("page.pgm", Pnm(Pattern(21, 13, PixelFormat::Gray8)));
    for (const char* status : {"status-jammed", "status-ioerror", "status-nomem", "status-coveropen"}) {
        PixelBuffer image;
        EXPECT_FALSE(Scan(file, image, {{status, "yes"}})) << status;
        EXPECT_FALSE(error_.empty()) << status;
        EXPECT_EQ(image.width, 0) << status;
    }
    PixelBuffer image;
    EXPECT_TRUE(Scan(file, image)) << "the forced status outlived its scan: " << error_;
}

TEST_F(PnmScans, WithoutAFeederEachRunGivesOnePage) {
    std::string file = Write("page.pgm", Pnm(Pattern(8, 8, PixelFormat::Gray8)));
    SaneDevice device("pnm:1", PnmOptions(file));
    PixelBuffer image;
    EXPECT_TRUE(AcquireInto(device, image)) << device.LastError();
    PixelBuffer second;
    EXPECT_FALSE(AcquireInto(device, second));
    EXPECT_FALSE(device.LastError().empty());
    EXPECT_EQ(second.width, 0);
}

TEST_F(PnmScans, NothingComesForAMissingFileOrAnOptionValueTheDeviceCannotTake) {
    PixelBuffer image;
    EXPECT_FALSE(Scan((folder_.path() / "absent.pnm").string(), image));
    EXPECT_FALSE(error_.empty());

    std::string file = Write("page.pgm", Pnm(Pattern(8, 8, PixelFormat::Gray8)));
    EXPECT_FALSE(Scan(file, image, {{"grayify", "perhaps"}}));
    EXPECT_NE(error_.find("grayify"), std::string::npos) << error_;
    EXPECT_FALSE(Scan(file, image, {{"brightness", "bright"}}));
    EXPECT_NE(error_.find("brightness"), std::string::npos) << error_;
    EXPECT_FALSE(Scan(std::string(5000, 'x'), image));
    EXPECT_NE(error_.find("filename"), std::string::npos) << error_;
    EXPECT_EQ(image.width, 0);

    // An option the device does not have is no reason to refuse the scan.
    EXPECT_TRUE(Scan(file, image, {{"source", "ADF"}, {"resolution", "200"}})) << error_;
}

// The test backend paints pictures on an A4 page (its test.conf) at the resolution asked.
class TestBackendScans : public ::testing::Test {
protected:
    static PixelBuffer ScanOnce(std::vector<ScanOption> options, std::string* error = nullptr) {
        SaneDevice device("test:0", std::move(options));
        PixelBuffer image;
        bool got = AcquireInto(device, image);
        if (error) *error = device.LastError();
        EXPECT_TRUE(got) << device.LastError();
        return image;
    }
};

TEST_F(TestBackendScans, FeederGivesItsTenPagesThenReportsItEmpty) {
    SaneDevice device("test:0", {{"source", "Automatic Document Feeder"}, {"resolution", "25"}});
    int pages = 0;
    PixelBuffer image;
    while (pages < 20 && AcquireInto(device, image)) {
        ++pages;
        EXPECT_EQ(image.format, PixelFormat::Gray8);
        image = PixelBuffer();
    }
    EXPECT_EQ(pages, 10);
    EXPECT_NE(device.LastError().find("out of documents"), std::string::npos) << device.LastError();
    // This backend refills its feeder once it has reported it empty; the same device goes on.
    EXPECT_TRUE(AcquireInto(device, image)) << device.LastError();
    EXPECT_TRUE(device.LastError().empty());
}

TEST_F(TestBackendScans, FlatbedGivesOnePageARun) {
    SaneDevice device("test:1", {{"source", "Flatbed"}, {"resolution", "25"}});
    PixelBuffer image;
    EXPECT_TRUE(AcquireInto(device, image)) << device.LastError();
    EXPECT_FALSE(AcquireInto(device, image));
}

TEST_F(TestBackendScans, FixedPointResolutionSetsThePageSize) {
    // 210 x 297 mm
    for (int dpi : {50, 100}) {
        PixelBuffer image = ScanOnce({{"resolution", std::to_string(dpi)}, {"test-picture", "Solid white"}});
        EXPECT_NEAR(image.width, 210 / 25.4 * dpi, 1.0) << dpi;
        EXPECT_NEAR(image.height, 297 / 25.4 * dpi, 1.0) << dpi;
    }
    PixelBuffer fractional = ScanOnce({{"resolution", "37.6"}});
    EXPECT_NEAR(fractional.width, 210 / 25.4 * 38, 1.0);
}

TEST_F(TestBackendScans, SolidPicturesReadAsWhiteAndBlackAtEveryDepth) {
    for (const char* depth : {"1", "8", "16"}) {
        for (bool white : {true, false}) {
            PixelBuffer image =
                ScanOnce({{"resolution", "20"}, {"depth", depth}, {"test-picture", white ? "Solid white" : "Solid black"}});
            SCOPED_TRACE(std::string("depth ") + depth + (white ? " white" : " black"));
            ASSERT_EQ(image.format, PixelFormat::Gray8);
            ASSERT_GT(image.width * image.height, 0);
            std::set<int> values(image.bytes.begin(), image.bytes.end());
            EXPECT_EQ(values, std::set<int>{white ? 255 : 0});
        }
    }
}

TEST_F(TestBackendScans, SixteenBitSamplesKeepTheirHighByte) {
    // The pattern's grey ramps rise by 256 a pixel at 16 bits: one level a pixel at 8.
    PixelBuffer image = ScanOnce({{"resolution", "30"}, {"depth", "16"}, {"test-picture", "Color pattern"}});
    ASSERT_EQ(image.format, PixelFormat::Gray8);
    int rampRows = 0;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.bytes.data() + static_cast<std::size_t>(y * image.stride);
        int steps = 0;
        for (int x = 1; x < image.width; ++x) steps += row[x] == row[x - 1] + 1;
        rampRows += steps * 2 > image.width;
    }
    EXPECT_GT(rampRows, image.height / 4);
}

TEST_F(TestBackendScans, ValuesTheDeviceAdjustsAreTaken) {
    // depth offers 1, 8 and 16: the device takes 2 as 1, which scans line art.
    PixelBuffer lineArt = ScanOnce({{"resolution", "20"}, {"depth", "2"}, {"test-picture", "Grid"}});
    std::set<int> values(lineArt.bytes.begin(), lineArt.bytes.end());
    EXPECT_EQ(values, (std::set<int>{0, 255}));
    // ppl-loss ranges up to 128 pixels per line.
    PixelBuffer full = ScanOnce({{"resolution", "50"}});
    PixelBuffer clamped = ScanOnce({{"resolution", "50"}, {"ppl-loss", "500"}});
    EXPECT_EQ(clamped.width, full.width - 128);
}

TEST_F(TestBackendScans, PaddedLinesShortReadsAndThreeColourPassesGiveTheSamePicture) {
    std::vector<ScanOption> base = {{"resolution", "40"}, {"test-picture", "Color pattern"}, {"mode", "Color"}};
    PixelBuffer reference = ScanOnce(base);
    ASSERT_EQ(reference.format, PixelFormat::Rgb24);
    std::set<Colour> colours;
    SheetImage view(reference);
    for (int y = 0; y < reference.height; y += 3) {
        for (int x = 0; x < reference.width; x += 3) colours.insert(view.readPixel(x, y));
    }
    ASSERT_GE(colours.size(), 3u) << "the pattern should show several colours";

    auto with = [&](std::vector<ScanOption> extra) {
        std::vector<ScanOption> options = base;
        options.insert(options.end(), extra.begin(), extra.end());
        return options;
    };
    {
        SCOPED_TRACE("reads of 7 bytes at most");
        ExpectSamePixels(reference, ScanOnce(with({{"read-limit", "yes"}, {"read-limit-size", "7"}})));
    }
    for (const char* order : {"RGB", "BRG", "GBR"}) {
        SCOPED_TRACE(std::string("three passes ") + order);
        ExpectSamePixels(reference, ScanOnce(with({{"three-pass", "yes"}, {"three-pass-order", order}})));
    }
    {
        SCOPED_TRACE("lines padded by 5 pixels");
        PixelBuffer padded = ScanOnce(with({{"ppl-loss", "5"}}));
        ASSERT_EQ(padded.width, reference.width - 5);
        ASSERT_EQ(padded.height, reference.height);
        SheetImage got(padded);
        int wrong = 0;
        for (int y = 0; y < padded.height; ++y) {
            for (int x = 0; x < padded.width; ++x) wrong += got.readPixel(x, y) != view.readPixel(x, y);
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(UnknownDevices, GiveNothing) {
    for (const char* name : {"test:9", "nosuchbackend:0", "pnm:7"}) {
        SaneDevice device(name);
        PixelBuffer image;
        EXPECT_FALSE(AcquireInto(device, image)) << name;
        EXPECT_FALSE(device.LastError().empty()) << name;
    }
}

TEST(ScannerList, ListsTheConfiguredBackendsDevices) {
    std::vector<ScannerInfo> scanners = ListScanners();
    std::set<std::string> names;
    for (const ScannerInfo& s : scanners) {
        names.insert(s.name);
        EXPECT_FALSE(s.vendor.empty()) << s.name;
        EXPECT_FALSE(s.model.empty()) << s.name;
        EXPECT_FALSE(s.type.empty()) << s.name;
    }
    EXPECT_EQ(names, (std::set<std::string>{"pnm:0", "pnm:1", "test:0", "test:1"}));
    // Listing twice, and while a device is open, gives the same.
    SaneDevice open("test:0", {{"resolution", "20"}});
    PixelBuffer image;
    ASSERT_TRUE(AcquireInto(open, image));
    EXPECT_EQ(ListScanners().size(), scanners.size());
}

TEST(ScannerList, SelectionNamesTheChosenScannerOrNothing) {
    std::vector<ScannerInfo> scanners = {{"test:0", "Noname", "frontend-tester", "virtual device"},
                                         {"pnm:1", "Noname", "PNM file reader", "virtual device"}};
    EXPECT_EQ(SelectScannerName(scanners, 0), "test:0");
    EXPECT_EQ(SelectScannerName(scanners, 1), "pnm:1");
    EXPECT_EQ(SelectScannerName(scanners, 2), "");
    EXPECT_EQ(SelectScannerName(scanners, -1), "");
    EXPECT_EQ(SelectScannerName({}, 0), "");
    EXPECT_EQ(ScannerLabel(scanners[1]), "Noname PNM file reader (pnm:1)");
}

class RecordingUi : public MarkingUi {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::string ChooseSheetType() override {
        ++dialogs;
        return "";
    }
    std::string ChooseExamineeNumber(const Roster&, const NumberReading&) override {
        ++dialogs;
        return "";
    }
    std::vector<std::string> messages;
    int dialogs = 0;
};

class MarkingFromScanner : public ::testing::Test {
protected:
    MarkingContext Context() {
        MarkingContext context;
        context.programFolder = QUILLMARK_PROGRAM_FOLDER_SOURCE;
        context.settings.recognition = ReadRecognitionSettings(context.programFolder);
        context.settings.sheetTypes = LoadInstalledSheetTypes(context.programFolder);
        context.records = &records_;
        context.ui = &ui_;
        context.onSheet = [this](const SheetSource&, const SheetOutcome& outcome) { outcomes_.push_back(outcome); };
        return context;
    }
    // The run the window drives, stepped to its end; whether the device delivered a page.
    bool MarkFromDevice(ImageDevice& device) {
        auto feed = std::make_unique<DeviceFeed>(device);
        const DeviceFeed& fed = *feed;
        SheetRun run(std::move(feed), Context());
        run.RunToEnd();
        EXPECT_TRUE(run.Done());
        return fed.Delivered();
    }
    std::vector<SheetOutcome> outcomes_;
    ResultSet records_;
    RecordingUi ui_;
};

TEST_F(MarkingFromScanner, ADeviceThatNeverDeliversEndsTheRunWithNothingMarked) {
    SaneDevice device("nosuchbackend:0");
    EXPECT_FALSE(MarkFromDevice(device));
    EXPECT_TRUE(outcomes_.empty());
    EXPECT_EQ(records_.roster.RowCount(), 0);
}

TEST_F(MarkingFromScanner, AScannedSheetIsMarkedIntoTheRoster) {
    SheetLayout layout = LayoutOf(kSheetTypes[12]);
    test::FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.number = "2580";
    for (int q = 1; q <= layout.questions; ++q) recipe.answers.push_back(q % 7 == 0 ? "" : std::to_string(q % layout.options + 1));
    test::FilledSheet sheet = test::MakeFilledSheet(recipe);
    TempFolder folder;
    folder.WriteBytes("sheet.pgm", Pnm(sheet.image));

    // The key agrees with the sheet on even questions only.
    records_.paper.总题数 = static_cast<std::int16_t>(layout.questions);
    records_.paper.分值 = 2;
    int expectedScore = 0;
    for (int q = 1; q <= layout.questions; ++q) {
        const std::string& answer = sheet.expectedAnswers[static_cast<std::size_t>(q - 1)];
        bool agree = q % 2 == 0;
        records_.paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA] = agree ? answer : "9";
        if (agree && !answer.empty()) expectedScore += 2;
    }
    records_.roster.Row(records_.roster.AppendRow())[Examinee::考号] = "1111";
    records_.roster.Row(records_.roster.AppendRow())[Examinee::考号] = "2580";

    SaneDevice device("pnm:0", PnmOptions((folder.path() / "sheet.pgm").string()));
    EXPECT_TRUE(MarkFromDevice(device));
    const std::vector<SheetOutcome>& outcomes = outcomes_;

    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].kind, SheetOutcome::Marked);
    EXPECT_EQ(outcomes[0].typeCode, kSheetTypes[12].code);
    EXPECT_EQ(outcomes[0].examineeNumber, "2580");
    EXPECT_EQ(outcomes[0].rosterRow, 2);
    EXPECT_EQ(ui_.messages, std::vector<std::string>{});
    EXPECT_EQ(ui_.dialogs, 0);
    ASSERT_EQ(records_.roster.RowCount(), 2);
    EXPECT_EQ(records_.roster.Row(2)[Examinee::Score], NumberForm(expectedScore));
    EXPECT_EQ(records_.roster.Row(1)[Examinee::Score], "");
    for (int q = 1; q <= layout.questions; ++q) {
        EXPECT_EQ(records_.answers.Cell(q, 2), sheet.expectedAnswers[static_cast<std::size_t>(q - 1)]) << "question " << q;
    }
}

}  // namespace
}  // namespace quillmark

// SANE reads its configuration once per process: point it at the test's own dll.conf and
// test.conf before anything starts it. No trailing colon, so the system's is not read.
int main(int argc, char** argv) {
    quillmark::PaintingApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Held open so that sane_exit does not unload the backends: leak reports can then
    // name them (see sane_lsan.supp).
    for (const char* backend : {"libsane-test.so.1", "libsane-pnm.so.1"}) {
        std::string path = std::string(SANE_BACKEND_FOLDER) + "/" + backend;
        dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    quillmark::test::TempFolder config;
    config.WriteBytes("dll.conf", "test\npnm\n");
    config.WriteBytes("test.conf", "number_of_devices 2\ngeometry_max 300\nresolution 200\nbr_x 210\nbr_y 297\n");
    setenv("SANE_CONFIG_DIR", config.path().c_str(), 1);
    return RUN_ALL_TESTS();
}

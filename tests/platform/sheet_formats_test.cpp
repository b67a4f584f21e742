// Filled sheets saved in every format the program reads: each reads back as the JPEG of the
// same sheet does, and the pages of a PDF or TIFF file are marked as sheets of their own.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <map>

#include "engine/recognition_settings.h"
#include "engine/sheet_reader.h"
#include "marking/installed_sheet_types.h"
#include "marking/marking_run.h"
#include "marking/sheet_layouts.h"
#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"
#include "support/filled_sheet.h"
#include "support/temp_folder.h"

namespace quillmark::test {
namespace {

std::filesystem::path ProgramFolder() { return QUILLMARK_PROGRAM_FOLDER_SOURCE; }

PixelBuffer Sheet(const std::string& number, int seed) {
    static std::map<std::string, PixelBuffer> cache;
    auto it = cache.find(number);
    if (it != cache.end()) return it->second;
    static const SheetLayout layout = LayoutOf(kSheetTypes[12]);  // 100A
    FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.dpi = 200;
    recipe.number = number;
    recipe.seed = static_cast<std::uint64_t>(seed);
    for (int q = 1; q <= 100; ++q) recipe.answers.push_back(q % 9 == 0 ? "" : std::to_string(1 + (q * 3 + seed) % 4));
    recipe.noise = 3;
    return cache.emplace(number, MakeFilledSheet(recipe).image).first->second;
}

QImage ToQImage(const PixelBuffer& buffer) {
    return QImage(buffer.bytes.data(), buffer.width, buffer.height, buffer.stride, QImage::Format_Grayscale8).copy();
}

SheetReading Read(const DecodedImage& decoded) {
    return ReadSheet(SheetImage(decoded.pixels), ReadRecognitionSettings(ProgramFolder()), LoadInstalledSheetTypes(ProgramFolder()), std::nullopt);
}

TEST(SheetFormats, EveryFormatReadsTheAnswersOfTheJpeg) {
    const PixelBuffer sheet = Sheet("0102", 2);
    const QImage image = ToQImage(sheet);
    const SheetReading jpeg = Read(DecodeImageBytes(EncodeJpegGray(sheet, 90), "s.jpg"));
    ASSERT_EQ(StatusText(jpeg.status), "正常");
    ASSERT_EQ(jpeg.marks.number, "0102");

    const std::pair<const char*, std::string> files[] = {
        {"PNG", EncodePng(image)},
        {"TIFF LZW", EncodeTiff({{image, COMPRESSION_LZW}})},
        {"TIFF JPEG tiles", EncodeTiff({{image, COMPRESSION_JPEG, false, 256}})},
        {"TIFF G4", EncodeTiff({{image, COMPRESSION_CCITTFAX4, true}})},
        {"PDF", EncodePdf({image}, 200)},
        {"PDF bilevel", EncodePdf({image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)}, 200)},
    };
    for (const auto& [format, bytes] : files) {
        SCOPED_TRACE(format);
        DecodedImage decoded = DecodeImageBytes(bytes, format);
        ASSERT_TRUE(decoded.ok()) << decoded.status.message();
        // A page is rendered at the resolution of its image: the sheet's own pixels.
        EXPECT_NEAR(decoded.pixels.width, sheet.width, 1);
        // A scan's page image is taken as stored, not rendered to the page's rounded size.
        if (std::string_view(format) == "PDF") {
            EXPECT_EQ(decoded.pixels.width, sheet.width);
        }
        const SheetReading reading = Read(decoded);
        EXPECT_EQ(StatusText(reading.status), "正常");
        EXPECT_EQ(reading.marks.number, jpeg.marks.number);
        EXPECT_EQ(reading.marks.answers, jpeg.marks.answers);
    }
}

// The sheet enlarged `times` over (each pixel a square of pixels), bilevel as a copier's
// text mode makes it, as a CCITT G4 TIFF file written a row at a time.
void WriteEnlargedG4(const PixelBuffer& sheet, int times, const std::filesystem::path& file) {
    TIFF* tif = TIFFOpen(file.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    const int width = sheet.width * times;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, sheet.height * times);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 256);
    std::vector<std::uint8_t> row(static_cast<std::size_t>((width + 7) / 8));
    for (int y = 0; y < sheet.height * times; ++y) {
        std::fill(row.begin(), row.end(), 0);
        const std::uint8_t* in = sheet.bytes.data() + static_cast<std::size_t>(y / times) * static_cast<std::size_t>(sheet.stride);
        for (int x = 0; x < width; ++x) {
            if (in[x / times] < 128) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0), 1);
    }
    TIFFClose(tif);
}

// Above 400 dpi the outer frame line is wider than the engine's frame search spans: such
// scans are reduced before it, and read as the coarser ones do.
TEST(SheetFormats, ScansAt600And1200DpiReadAsAt200) {
    static const SheetLayout layout = LayoutOf(kSheetTypes[12]);  // 100A
    FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.dpi = 600;
    recipe.colour = true;
    recipe.number = "0427";
    for (int q = 1; q <= 100; ++q) recipe.answers.push_back(q % 7 == 0 ? "" : std::to_string(1 + q % 4));
    recipe.rotateDegrees = 0.5;
    recipe.noise = 3;
    const FilledSheet fine = MakeFilledSheet(recipe);
    DecodedImage jpeg = DecodeImageBytes(EncodeJpegColour(fine.image, 85), "600.jpg");
    ASSERT_TRUE(jpeg.ok()) << jpeg.status.message();
    EXPECT_EQ(jpeg.pixels.width, (fine.image.width + 1) / 2);
    SheetReading reading = Read(jpeg);
    EXPECT_EQ(StatusText(reading.status), "正常");
    EXPECT_EQ(reading.marks.number, fine.expectedNumber);
    EXPECT_EQ(reading.marks.answers, fine.expectedAnswers);

    TempFolder folder;
    const PixelBuffer sheet = Sheet("0102", 2);  // 200 dpi
    WriteEnlargedG4(sheet, 6, folder.path() / "1200.tif");
    DecodedImage g4 = DecodeImageFile(folder.path() / "1200.tif");
    ASSERT_TRUE(g4.ok()) << g4.status.message();
    EXPECT_EQ(g4.pixels.width, (sheet.width * 6 + 3) / 4);  // 300 dpi
    const SheetReading coarse = Read(DecodeImageBytes(EncodeJpegGray(sheet, 90), "s.jpg"));
    reading = Read(g4);
    EXPECT_EQ(StatusText(reading.status), "正常");
    EXPECT_EQ(reading.marks.number, "0102");
    EXPECT_EQ(reading.marks.answers, coarse.marks.answers);
}

class SkippingUi : public MarkingUi {
public:
    std::vector<std::string> messages;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::string ChooseSheetType() override { return ""; }
    std::string ChooseExamineeNumber(const Roster&, const NumberReading&) override { return ""; }
};

TEST(SheetFormats, PagesOfPdfAndTiffFilesAreMarkedAsSheetsOfTheirOwn) {
    TempFolder folder;
    std::vector<QImage> pages;
    std::vector<TiffPage> g4;
    for (int i = 1; i <= 3; ++i) {
        pages.push_back(ToQImage(Sheet("010" + std::to_string(i), i)));
        g4.push_back({pages.back(), COMPRESSION_CCITTFAX4, true});
    }
    folder.WriteBytes("stack.pdf", EncodePdf(pages, 200));
    folder.WriteBytes("stack.TIFF", EncodeTiff(g4));
    folder.WriteBytes("single.png", EncodePng(pages[1]));
    // The second page's data partly wiped out.
    std::string damaged = EncodeTiff({g4[0], g4[1]});
    std::fill_n(damaged.begin() + static_cast<std::ptrdiff_t>(damaged.size() * 3 / 4), 200, '\0');
    folder.WriteBytes("cut.tif", damaged);

    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        ResultSet records;
        records.paper.总题数 = 100;
        records.paper.分值 = 1;
        for (const char* number : {"0101", "0102", "0103"}) records.roster.Row(records.roster.AppendRow())[Examinee::考号] = number;
        SkippingUi ui;
        MarkingContext context;
        context.programFolder = ProgramFolder();
        context.settings.recognition = ReadRecognitionSettings(ProgramFolder());
        context.settings.sheetTypes = LoadInstalledSheetTypes(ProgramFolder());
        context.records = &records;
        context.ui = &ui;
        context.load = [](const SheetSource& sheet) { return DecodeImageFile(sheet.file, sheet.page); };
        context.countPages = CountImagePages;
        context.threads = threads;
        std::vector<std::string> sheets;
        context.onSheet = [&](const SheetSource& sheet, const SheetOutcome& outcome) {
            SheetSource named = sheet;
            named.file = sheet.file.filename();
            const std::string& error = outcome.status.message();
            bool unread = outcome.kind == SheetOutcome::Unreadable;
            sheets.push_back(named.Name() + " " + (unread ? error.substr(0, error.find("：") + 3) : outcome.examineeNumber));
        };
        SheetRun(FeedOfFiles(BatchFiles(folder.path()), context), context).RunToEnd();
        const std::string cutName = (folder.path() / "cut.tif").string();
        EXPECT_EQ(sheets, (std::vector<std::string>{
                              "single.png 0102",
                              "cut.tif#1 0101",
                              "cut.tif#2 无法读取图像文件“" + cutName + "”第2页：",
                              "stack.TIFF#1 0101", "stack.TIFF#2 0102", "stack.TIFF#3 0103",
                              "stack.pdf#1 0101", "stack.pdf#2 0102", "stack.pdf#3 0103",
                          }));
    }
}

}  // namespace
}  // namespace quillmark::test

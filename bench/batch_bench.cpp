// Throughput of marking a folder: generated 200-dpi sheets are decoded only, then marked
// with 1 and 2 threads; prints sheets per second and the peak memory after each.
//   batch_bench [COUNT] [FOLDER] [jpeg|colour|pdf|g4]
// The sheets are generated once into FOLDER (default /tmp/quillmark-batch-COUNT): grey JPEG
// files, and for "colour" colour JPEG files as a flatbed scanner makes them (pink bubbles,
// 4:2:0 chroma, a slight blur and uneven light) in FOLDER/colour. For JPEG files the bound
// is also timed: decoding the same files alone to RGB with TurboJPEG, as a viewer would.
// "pdf" and "g4" mark the grey sheets as one PDF of 200-dpi page images or one CCITT G4
// TIFF (black below grey 128, as a copier's text mode), made once in FOLDER/pdf or FOLDER/g4.
#include <sys/resource.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

#include "data/file_io.h"
#include "engine/recognition_settings.h"
#include "marking/installed_sheet_types.h"
#include "marking/marking_run.h"
#include "platform/image_decoder.h"
#include "marking/sheet_layouts.h"
#include "platform/painting_application.h"
#include "support/filled_sheet.h"

namespace {

using Clock = std::chrono::steady_clock;

class SkippingUi : public quillmark::MarkingUi {
public:
    void ShowMessage(const std::string&) override {}
    std::string ChooseSheetType() override { return ""; }
    std::string ChooseExamineeNumber(const quillmark::Roster&, const quillmark::NumberReading&) override { return ""; }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void Generate(const std::filesystem::path& folder, int count, bool colour) {
    std::filesystem::create_directories(folder);
    const quillmark::SheetLayout layout = quillmark::LayoutOf(quillmark::kSheetTypes[12]);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "sheet-%05d.jpg", i);
        if (std::filesystem::exists(folder / name)) continue;
        quillmark::test::FilledSheetRecipe recipe;
        recipe.layout = &layout;
        recipe.dpi = 200;
        recipe.number = std::to_string(1000 + i % 9000);
        for (int q = 1; q <= 100; ++q) recipe.answers.push_back(std::to_string(1 + (q * 7 + i) % 4));
        recipe.rotateDegrees = (i % 7 - 3) * 0.3;
        recipe.noise = 3;
        recipe.seed = static_cast<std::uint64_t>(i + 1);
        if (colour) {
            recipe.colour = true;
            recipe.blurRadius = i % 2;
            recipe.unevenLight = 0.05 * (i % 3);
        }
        const quillmark::PixelBuffer image = quillmark::test::MakeFilledSheet(recipe).image;
        std::string bytes = colour ? quillmark::test::EncodeJpegColour(image, 85) : quillmark::test::EncodeJpegGray(image, 85);
        quillmark::WriteFileAtomically(folder / name, bytes);
    }
}

// One file of every sheet of the folder, a page each.
std::filesystem::path Bundle(const std::vector<std::filesystem::path>& sheets, const std::filesystem::path& folder,
                             const std::string& kind) {
    std::filesystem::create_directories(folder / kind);
    std::filesystem::path file = folder / kind / (kind == "pdf" ? "sheets.pdf" : "sheets.tif");
    if (std::filesystem::exists(file)) return file;
    std::filesystem::path partial = file.string() + ".part";
    if (kind == "pdf") {
        QPdfWriter writer(QString::fromStdString(partial.string()));
        writer.setResolution(200);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            QImage image(QString::fromStdString(sheets[i].string()));
            writer.setPageSize(QPageSize(QSizeF(image.width() / 200.0, image.height() / 200.0), QPageSize::Inch, QString(),
                                         QPageSize::ExactMatch));
            if (i == 0) painter.begin(&writer);
            else writer.newPage();
            painter.drawImage(QRect(0, 0, image.width(), image.height()), image);
        }
        painter.end();
    } else {
        TIFF* tif = TIFFOpen(partial.c_str(), "w");
        for (const auto& sheet : sheets) {
            QImage image = QImage(QString::fromStdString(sheet.string())).convertToFormat(QImage::Format_Grayscale8);
            TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, image.width());
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, image.height());
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, image.height());
            TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
            std::vector<std::uint8_t> row(static_cast<std::size_t>((image.width() + 7) / 8));
            for (int y = 0; y < image.height(); ++y) {
                std::fill(row.begin(), row.end(), 0);
                const uchar* in = image.constScanLine(y);
                for (int x = 0; x < image.width(); ++x) {
                    if (in[x] < 128) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
                TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0);
            }
            TIFFWriteDirectory(tif);
        }
        TIFFClose(tif);
    }
    std::filesystem::rename(partial, file);
    return file;
}

// Decodes every JPEG file to RGB, as fast as the library goes; sheets per second.
double DecodeRgbBound(const std::vector<std::filesystem::path>& files) {
    tjhandle handle = tjInitDecompress();
    std::vector<unsigned char> pixels;
    const auto start = Clock::now();
    for (const auto& file : files) {
        const std::optional<std::string> bytes = quillmark::ReadFileBytes(file);
        int width = 0, height = 0, subsampling = 0, space = 0;
        const auto* data = reinterpret_cast<const unsigned char*>(bytes->data());
        tjDecompressHeader3(handle, data, bytes->size(), &width, &height, &subsampling, &space);
        pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        if (tjDecompress2(handle, data, bytes->size(), pixels.data(), width, 0, height, TJPF_RGB, 0) != 0) {
            std::cerr << tjGetErrorStr2(handle) << "\n";
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    tjDestroy(handle);
    return static_cast<double>(files.size()) / seconds;
}

}  // namespace

int main(int argc, char** argv) {
    quillmark::PaintingApplication application(argc, argv);
    int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::filesystem::path folder = argc > 2 ? argv[2] : "/tmp/quillmark-batch-" + std::to_string(count);
    std::filesystem::path home = QUILLMARK_PROGRAM_FOLDER_SOURCE;
    const std::string kind = argc > 3 ? argv[3] : "jpeg";
    const bool colour = kind == "colour";
    if (colour) folder /= "colour";
    Generate(folder, count, colour);
    std::vector<std::filesystem::path> files = quillmark::BatchFiles(folder);
    const bool jpeg = kind == "jpeg" || colour;
    if (!jpeg) files = {Bundle(files, folder, kind)};
    const std::vector<quillmark::SheetSource> sheets = quillmark::SheetsOf(files, quillmark::CountImagePages);
    std::cout << sheets.size() << " sheets in " << files.size() << " " << kind << " file(s) in " << folder.string() << "\n";

    auto start = Clock::now();
    for (const auto& sheet : sheets) {
        quillmark::DecodedImage decoded = quillmark::DecodeImageFile(sheet.file, sheet.page);
        if (!decoded.ok()) std::cerr << decoded.status.message() << "\n";
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::cout << "decode only:  " << sheets.size() / seconds << " sheets/s, peak " << PeakMegabytes() << " MB\n";
    if (jpeg) std::cout << "RGB bound:    " << DecodeRgbBound(files) << " sheets/s (TurboJPEG to RGB, decoding alone)\n";

    for (int threads : {1, 2}) {
        quillmark::ResultSet records;
        quillmark::ReadRoster(home / "MingCe" / "示例名册.TXT", records.roster);
        records.paper.总题数 = 100;
        records.paper.分值 = 1;
        SkippingUi ui;
        quillmark::MarkingContext context;
        context.programFolder = home;
        context.settings.recognition = quillmark::ReadRecognitionSettings(home);
        context.settings.sheetTypes = quillmark::LoadInstalledSheetTypes(home);
        context.records = &records;
        context.ui = &ui;
        context.load = [](const quillmark::SheetSource& sheet) { return quillmark::DecodeImageFile(sheet.file, sheet.page); };
        context.countPages = quillmark::CountImagePages;
        context.threads = threads;
        int marked = 0;
        context.onSheet = [&marked](const quillmark::SheetSource&, const quillmark::SheetOutcome& outcome) {
            marked += outcome.kind == quillmark::SheetOutcome::Marked ? 1 : 0;
        };
        start = Clock::now();
        double cpu = CpuSeconds();
        quillmark::SheetRun(quillmark::FeedOfFiles(files, context), context).RunToEnd();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        cpu = CpuSeconds() - cpu;
        std::cout << "mark, " << threads << " thread" << (threads > 1 ? "s" : " ") << ": " << sheets.size() / seconds
                  << " sheets/s, " << marked << " marked, CPU " << cpu / seconds << " cores busy, peak "
                  << PeakMegabytes() << " MB\n";
    }
    return 0;
}

// Throughput of marking a folder: generated 200-dpi JPEG sheets are decoded only, then
// marked with 1 and 2 threads; prints sheets per second and the peak memory after each.
//   batch_bench [COUNT] [FOLDER]
// The sheets are generated once into FOLDER (default /tmp/quillmark-batch-COUNT).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "data/file_io.h"
#include "engine/recognition_settings.h"
#include "marking/image_sources.h"
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

void Generate(const std::filesystem::path& folder, int count) {
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
        std::string bytes = quillmark::test::EncodeJpegGray(quillmark::test::MakeFilledSheet(recipe).image, 85);
        quillmark::WriteFileAtomically(folder / name, bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    quillmark::PaintingApplication application(argc, argv);
    int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::filesystem::path folder = argc > 2 ? argv[2] : "/tmp/quillmark-batch-" + std::to_string(count);
    std::filesystem::path home = QUILLMARK_PROGRAM_FOLDER_SOURCE;
    Generate(folder, count);
    std::vector<std::filesystem::path> files = quillmark::BatchFiles(folder);
    std::cout << files.size() << " sheets in " << folder.string() << "\n";

    auto start = Clock::now();
    for (const auto& file : files) {
        quillmark::DecodedImage decoded = quillmark::DecodeImageFile(file);
        if (!decoded.ok()) std::cerr << decoded.error << "\n";
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::cout << "decode only:  " << files.size() / seconds << " sheets/s, peak " << PeakMegabytes() << " MB\n";

    for (int threads : {1, 2}) {
        quillmark::ResultSet records;
        quillmark::ReadRoster(home / "MingCe" / "示例名册.TXT", records.roster);
        records.paper.总题数 = 100;
        records.paper.分值 = 1;
        SkippingUi ui;
        quillmark::MarkingContext context;
        context.programFolder = home;
        context.settings.recognition = quillmark::ReadRecognitionSettings(home);
        context.records = &records;
        context.ui = &ui;
        context.load = [](const quillmark::SheetSource& sheet) { return quillmark::DecodeImageFile(sheet.file, sheet.page); };
        context.countPages = quillmark::CountImagePages;
        context.threads = threads;
        int marked = 0;
        context.onSheet = [&marked](const quillmark::SheetSource&, const quillmark::SheetOutcome* outcome, const std::string&) {
            marked += outcome && outcome->kind == quillmark::SheetOutcome::Marked ? 1 : 0;
        };
        start = Clock::now();
        double cpu = CpuSeconds();
        quillmark::MarkFiles(files, context);
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        cpu = CpuSeconds() - cpu;
        std::cout << "mark, " << threads << " thread" << (threads > 1 ? "s" : " ") << ": " << files.size() / seconds
                  << " sheets/s, " << marked << " marked, CPU " << cpu / seconds << " cores busy, peak "
                  << PeakMegabytes() << " MB\n";
    }
    return 0;
}

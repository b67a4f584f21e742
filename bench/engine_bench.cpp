// Engine time per sheet from decoded pixels: frame, type code, fit check, cell scores,
// number and answers of a 100-question sheet, without decoding: a drawn sheet without
// calibration dots (the dearest path of the fit check) and our printed 100A sheet filled in.
#include <benchmark/benchmark.h>

#include <cmath>

#include "data/text_codec.h"
#include "engine/recognition_settings.h"
#include "engine/sheet_reader.h"
#include "marking/installed_sheet_types.h"
#include "marking/sheet_layouts.h"
#include "platform/painting_application.h"
#include "support/filled_sheet.h"
#include "support/synthetic_sheet.h"
#include "support/temp_folder.h"

namespace {

using quillmark::test::SheetDrawing;

// Four digits down columns 3..6 from row 5; 100 questions of four options in five blocks
// of 20 rows (columns 3 + 5b .. 6 + 5b, rows 18..37).
quillmark::GridPosition QuestionStart(int q) { return {3 + 5 * ((q - 1) / 20), 18 + (q - 1) % 20}; }

std::string Layout() {
    std::string text = "[MAIN]\r\n水平单元格数=29\r\n垂直单元格数=45\r\n考号位数=4\r\n每题选项数=4\r\n"
                       "考号方向=垂直\r\n答案方向=水平\r\n答题卡总题数=100\r\n[考号位置]\r\n";
    for (int n = 1; n <= 4; ++n) {
        text += std::to_string(n) + "X=" + std::to_string(2 + n) + "\r\n" + std::to_string(n) + "Y=5\r\n";
    }
    text += "[答案位置]\r\n";
    for (int q = 1; q <= 100; ++q) {
        text += std::to_string(q) + "X=" + std::to_string(QuestionStart(q).column) + "\r\n";
        text += std::to_string(q) + "Y=" + std::to_string(QuestionStart(q).row) + "\r\n";
    }
    return text;
}

SheetDrawing FilledSheet(double dpi, double degrees) {
    SheetDrawing d = quillmark::test::DrawingAtDpi(dpi);
    d.rotateDegrees = degrees;
    d.cellOutlines = true;
    for (int n = 1; n <= 4; ++n) d.filled.push_back({2 + n, 5 + (n * 3) % 10});
    for (int q = 1; q <= 100; ++q) d.filled.push_back({QuestionStart(q).column + q % 4, QuestionStart(q).row});
    return d;
}

void ReadOneSheet(benchmark::State& state) {
    static quillmark::test::TempFolder folder;
    static bool prepared = false;
    if (!prepared) {
        folder.MakeProgramFolders();
        folder.WriteBytes("DaTiKa/1000111001.CAR", quillmark::EncodeGbk(Layout()).bytes);
        prepared = true;
    }
    quillmark::PixelBuffer image = quillmark::test::DrawSheet(FilledSheet(static_cast<double>(state.range(0)), 1.0)).image;
    quillmark::SheetImage view(image);
    quillmark::RecognitionSettings settings{2, 1000};
    const quillmark::SheetTypeCatalog types = quillmark::LoadInstalledSheetTypes(folder.path());
    for (auto _ : state) {
        quillmark::SheetReading reading = quillmark::ReadSheet(view, settings, types, std::nullopt);
        if (!reading.status.ok() || reading.marks.answers.size() != 100) state.SkipWithError("sheet not read");
        benchmark::DoNotOptimize(reading);
    }
    state.SetLabel(std::to_string(image.width) + "x" + std::to_string(image.height));
}

void ReadPrintedSheet(benchmark::State& state) {
    static quillmark::SheetLayout layout = quillmark::LayoutOf(quillmark::kSheetTypes[12]);
    quillmark::test::FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.dpi = static_cast<double>(state.range(0));
    recipe.number = "5246";
    for (int q = 1; q <= layout.questions; ++q) recipe.answers.push_back(std::to_string(1 + q % 4));
    quillmark::PixelBuffer image = quillmark::test::MakeFilledSheet(recipe).image;
    quillmark::SheetImage view(image);
    std::filesystem::path home = QUILLMARK_PROGRAM_FOLDER_SOURCE;
    quillmark::RecognitionSettings settings = quillmark::ReadRecognitionSettings(home);
    const quillmark::SheetTypeCatalog types = quillmark::LoadInstalledSheetTypes(home);
    for (auto _ : state) {
        quillmark::SheetReading reading = quillmark::ReadSheet(view, settings, types, std::nullopt);
        if (!reading.status.ok() || reading.marks.answers != recipe.answers) state.SkipWithError("sheet not read");
        benchmark::DoNotOptimize(reading);
    }
    state.SetLabel(std::to_string(image.width) + "x" + std::to_string(image.height));
}

}  // namespace

BENCHMARK(ReadOneSheet)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadPrintedSheet)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    quillmark::PaintingApplication application(argc, argv);  // the printed sheet is drawn with Qt
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

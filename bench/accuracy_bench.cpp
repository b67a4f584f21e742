// Reading accuracy on a corpus of printed sheets filled and scanned the way real ones are:
// every sheet is encoded, decoded through the program's own decoder and read by the engine,
// and what it read is compared with what the examinee meant.
//
// A "mark" is one option or digit bubble the examinee meant to count. It is read right when
// the reader reports it. A "false mark" is an option or digit the reader reports that was
// not meant (an erased smudge, a stray stroke, ...). The mark rate is
//   marks read right / (marks meant + false marks).
// A sheet the reader could not measure, or read as another type, reads none of its marks.
// A question with every option filled means no answer; such questions are tallied apart.
//
// Usage: accuracy_bench [--seed N] [--count N] [--threads N] [--home DIR]
//        accuracy_bench --seed N --sheet I [--save DIR]   (one sheet, its image written to DIR)
#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <thread>

#include "data/program_paths.h"
#include "engine/answers.h"
#include "engine/examinee_number.h"
#include "engine/grid.h"
#include "engine/recognition_settings.h"
#include "engine/sheet_reader.h"
#include "marking/sheet_layouts.h"
#include "platform/image_decoder.h"
#include "platform/painting_application.h"
#include "platform/sheet_renderer.h"
#include "support/filled_sheet.h"

namespace {

using namespace quillmark;
using test::FilledSheet;
using test::FilledSheetRecipe;
using test::MarkKind;

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// Everything that makes one sheet, drawn from the run's seed and the sheet's index alone, so
// any sheet can be made again without the others.
struct SheetPlan {
    int index = 0;
    bool clean = false;
    FilledSheetRecipe recipe;
    bool jpeg = false;
    int quality = 0;
    std::vector<int> everyOptionFilled;  // questions with every option filled
};

SheetPlan PlanSheet(std::uint64_t runSeed, int index, const std::vector<SheetLayout>& layouts) {
    std::mt19937_64 random(SplitMix(runSeed * 1000003ULL + static_cast<std::uint64_t>(index)));
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    auto chance = [&](double p) { return uniform(0, 1) < p; };
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<std::uint64_t>(n)); };

    SheetPlan plan;
    plan.index = index;
    int types = static_cast<int>(layouts.size());
    // Every fifth round of types is clean, so each type has clean sheets.
    plan.clean = (index / types) % 5 == 0;
    FilledSheetRecipe& recipe = plan.recipe;
    const SheetLayout& layout = layouts[static_cast<std::size_t>(index % types)];
    recipe.layout = &layout;
    static constexpr double kDpis[] = {150, 200, 240, 300};
    recipe.dpi = kDpis[pick(4)];
    recipe.quarterTurns = pick(4);

    for (int n = 0; n < SheetLayout::kDigits; ++n) recipe.number += static_cast<char>('0' + pick(10));
    if (chance(0.12)) recipe.number[static_cast<std::size_t>(pick(SheetLayout::kDigits))] = ' ';

    for (int q = 1; q <= layout.questions; ++q) {
        double r = uniform(0, 1);
        std::string answer;
        if (r < 0.05) {
            // left blank
        } else if (r < 0.09) {
            int a = pick(layout.options), b = (a + 1 + pick(layout.options - 1)) % layout.options;
            answer = std::to_string(std::min(a, b) + 1) + std::to_string(std::max(a, b) + 1);
        } else if (r < 0.093 && !plan.clean) {
            for (int k = 1; k <= layout.options; ++k) answer += static_cast<char>('0' + k);
            plan.everyOptionFilled.push_back(q);
        } else {
            answer = std::to_string(pick(layout.options) + 1);
        }
        recipe.answers.push_back(answer);
    }

    recipe.seed = random();
    if (plan.clean) return plan;  // straight, sharp, firm marks, lossless file

    double dotsPerMm = recipe.dpi / 25.4;
    recipe.rotateDegrees = uniform(-3, 3);
    recipe.scale = uniform(0.97, 1.0);
    recipe.shiftX = uniform(-3, 3) * dotsPerMm;
    recipe.shiftY = uniform(-3, 3) * dotsPerMm;
    recipe.blurRadius = chance(0.5) ? 1 : 0;
    recipe.noise = uniform(0, 8);
    recipe.unevenLight = uniform(0, 0.25);
    recipe.lightMarkShare = uniform(0, 0.05);
    recipe.erasedMarkShare = uniform(0, 0.015);
    recipe.strayStrokes = chance(0.3) ? 1 + pick(3) : 0;
    plan.jpeg = chance(0.8);
    plan.quality = 60 + pick(36);
    return plan;
}

std::string Describe(const SheetPlan& plan) {
    const FilledSheetRecipe& s = plan.recipe;
    char text[400];
    std::snprintf(text, sizeof text,
                  "#%d %s code %s dpi %.0f turns %d rot %+.2f scale %.3f shift %+.0f,%+.0f blur %.0f noise %.1f "
                  "shade %.2f %s lightmarks %.3f erased %.3f strokes %d number \"%s\"",
                  plan.index, s.layout->entry->name, s.layout->entry->code, s.dpi, s.quarterTurns, s.rotateDegrees,
                  s.scale, s.shiftX, s.shiftY, s.blurRadius, s.noise, s.unevenLight,
                  plan.jpeg ? ("jpeg q" + std::to_string(plan.quality)).c_str() : "bmp", s.lightMarkShare,
                  s.erasedMarkShare, s.strayStrokes, s.number.c_str());
    return text;
}

struct MarkError {
    std::string cause;
    std::string detail;
    std::string where;    // the cell's centre on the image, to look at it
};

struct Outcome {
    bool clean = false;
    bool right = false;
    std::string stageFailure;  // set when the sheet was not measured or its code is wrong
    std::string stageDetail;
    int marksMeant = 0;
    int marksRead = 0;  // meant marks that were read
    int falseMarks = 0;
    int everyFilled = 0;  // questions with every option filled
    int everyFilledReadNone = 0;
    int everyFilledFalseMarks = 0;
    int questions = 0;
    int questionsRight = 0;
    std::vector<MarkError> errors;
    std::string description;
};

struct SheetFiles {
    std::string bytes;
    std::string extension;
};

SheetFiles Encode(const SheetPlan& plan, const PixelBuffer& image) {
    if (plan.jpeg) return {test::EncodeJpegGray(image, plan.quality), ".jpg"};
    return {test::EncodeBmp(image), ".bmp"};
}

std::string KindName(const std::optional<MarkKind>& kind) {
    if (!kind) return "-";
    return *kind == MarkKind::Firm ? "F" : *kind == MarkKind::Light ? "L" : "E";
}

class Judge {
public:
    Judge(const FilledSheet& sheet, const SheetReading& reading) : sheet_(sheet), reading_(reading) {}

    std::optional<MarkKind> KindAt(GridPosition cell) const {
        for (const test::PencilMark& mark : sheet_.marks) {
            if (mark.cell.column == cell.column && mark.cell.row == cell.row) return mark.kind;
        }
        return std::nullopt;
    }

    bool StrokeCrosses(GridPosition cell) const {
        return std::any_of(sheet_.strokeCells.begin(), sheet_.strokeCells.end(), [&](const GridPosition& c) {
            return c.column == cell.column && c.row == cell.row;
        });
    }

    std::string MissedCause(GridPosition cell) const {
        std::optional<MarkKind> kind = KindAt(cell);
        return kind == MarkKind::Light ? "missed light mark" : "missed firm mark";
    }

    std::string FalseCause(GridPosition cell, bool everyOptionFilled) const {
        if (everyOptionFilled) return "every option filled, read as an answer";
        if (KindAt(cell) == MarkKind::Erased) return "erased mark read";
        if (StrokeCrosses(cell)) return "stray stroke read";
        return "other false mark";
    }

    std::string Where(GridPosition cell) const {
        ImageGrid grid = ImageGridOf(reading_.type, reading_.frame.orientation);
        for (int i = 1; i <= grid.down; ++i) {
            for (int j = 1; j <= grid.across; ++j) {
                GridPosition at = SheetCell(grid, reading_.frame.orientation, i, j);
                if (at.column != cell.column || at.row != cell.row) continue;
                Point centre = CellCentre(reading_.frame, grid, i, j);
                return "column " + std::to_string(cell.column) + " row " + std::to_string(cell.row) + ", image " +
                       std::to_string(static_cast<int>(centre.x)) + "," + std::to_string(static_cast<int>(centre.y));
            }
        }
        return "?";
    }

    // Scores and what was drawn, cell by cell: "100F 97- 45L".
    std::string Cells(const std::vector<GridPosition>& cells) const {
        std::string text;
        for (const GridPosition& cell : cells) {
            if (!text.empty()) text += ' ';
            text += std::to_string(reading_.grid.at(cell.column, cell.row)) + KindName(KindAt(cell));
            if (StrokeCrosses(cell)) text += 's';
        }
        return text;
    }

private:
    const FilledSheet& sheet_;
    const SheetReading& reading_;
};

Outcome Compare(const SheetPlan& plan, const FilledSheet& sheet, const SheetReading& reading) {
    const SheetLayout& layout = *plan.recipe.layout;
    Outcome out;
    out.clean = plan.clean;
    out.description = Describe(plan);
    out.questions = layout.questions;
    for (const std::string& answer : sheet.expectedAnswers) out.marksMeant += static_cast<int>(answer.size());
    out.marksMeant += static_cast<int>(sheet.expectedNumber.size());

    if (reading.reached == SheetReading::None) {
        out.stageFailure = "frame not found: " + reading.status;
        return out;
    }
    if (reading.typeCode != layout.entry->code) {
        bool strokeOnCodeRow = std::any_of(sheet.strokeCells.begin(), sheet.strokeCells.end(),
                                           [](const GridPosition& c) { return c.row == 1; });
        out.stageFailure = std::string("wrong code") + (strokeOnCodeRow ? ", a stray stroke on the code row" : "") +
                           (reading.reached == SheetReading::Measured ? ", read as another type" : ": " + reading.status);
        out.stageDetail = "read " + reading.typeCode;
        return out;
    }
    if (reading.reached != SheetReading::Measured) {
        out.stageFailure = "not measured: " + reading.status;
        return out;
    }
    Judge judge(sheet, reading);

    // Digit by digit, through the engine's own rule on a one-digit copy of the type.
    for (int n = 1; n <= SheetLayout::kDigits; ++n) {
        SheetType one = reading.type;
        one.考号位数 = 1;
        one.numberPositions = {GridPosition{}, reading.type.numberPositions[static_cast<std::size_t>(n)]};
        std::string read = ReadExamineeDigits(one, reading.grid);
        char meant = plan.recipe.number[static_cast<std::size_t>(n - 1)];
        std::string want = meant >= '0' && meant <= '9' ? std::string(1, meant) : "";
        if (read == want) {
            out.marksRead += want.empty() ? 0 : 1;
            continue;
        }
        std::vector<GridPosition> cells;
        for (int v = 0; v <= 9; ++v) cells.push_back(layout.DigitCell(n, v));
        std::string detail = "digit " + std::to_string(n) + " meant \"" + want + "\" read \"" + read +
                             "\" cells 0-9: " + judge.Cells(cells);
        if (!read.empty()) {
            ++out.falseMarks;
            GridPosition cell = layout.DigitCell(n, read[0] - '0');
            out.errors.push_back({"number: " + judge.FalseCause(cell, false), detail, judge.Where(cell)});
        }
        if (!want.empty()) {
            GridPosition cell = layout.DigitCell(n, want[0] - '0');
            // The reader takes the first clear value from 0 down, so a false mark above hides this one.
            std::string cause = !read.empty() && read < want ? "hidden by a false mark above it" : judge.MissedCause(cell);
            out.errors.push_back({"number: " + cause, detail, judge.Where(cell)});
        }
    }

    for (int q = 1; q <= layout.questions; ++q) {
        const std::string& want = sheet.expectedAnswers[static_cast<std::size_t>(q - 1)];
        const std::string& read = reading.answers[static_cast<std::size_t>(q - 1)];
        bool everyFilled = std::find(plan.everyOptionFilled.begin(), plan.everyOptionFilled.end(), q) !=
                           plan.everyOptionFilled.end();
        out.everyFilled += everyFilled ? 1 : 0;
        if (read == want) {
            ++out.questionsRight;
            out.marksRead += static_cast<int>(want.size());
            out.everyFilledReadNone += everyFilled ? 1 : 0;
            continue;
        }
        std::vector<GridPosition> cells;
        for (int k = 1; k <= layout.options; ++k) cells.push_back(layout.OptionCell(q, k));
        std::string detail =
            "question " + std::to_string(q) + " meant \"" + want + "\" read \"" + read + "\" cells: " + judge.Cells(cells);
        for (int k = 1; k <= layout.options; ++k) {
            char option = static_cast<char>('0' + k);
            bool meant = want.find(option) != std::string::npos, got = read.find(option) != std::string::npos;
            if (meant && got) ++out.marksRead;
            GridPosition cell = layout.OptionCell(q, k);
            if (meant && !got) out.errors.push_back({"answer: " + judge.MissedCause(cell), detail, judge.Where(cell)});
            if (!meant && got) {
                ++(everyFilled ? out.everyFilledFalseMarks : out.falseMarks);
                out.errors.push_back({"answer: " + judge.FalseCause(cell, everyFilled), detail, judge.Where(cell)});
            }
        }
    }
    out.right = out.errors.empty() && reading.examineeDigits == sheet.expectedNumber &&
                reading.answers == sheet.expectedAnswers && reading.status == kStatusNormal;
    return out;
}

struct Corpus {
    std::uint64_t seed = 1;
    std::filesystem::path home;
    std::vector<SheetLayout> layouts;
    RecognitionSettings settings;
};

Outcome RunSheet(const Corpus& corpus, int index, const std::filesystem::path& saveFolder) {
    SheetPlan plan = PlanSheet(corpus.seed, index, corpus.layouts);
    FilledSheet sheet = test::MakeFilledSheet(plan.recipe);
    SheetFiles file = Encode(plan, sheet.image);
    sheet.image = PixelBuffer();
    std::string name = "sheet-" + std::to_string(index) + file.extension;
    if (!saveFolder.empty()) {
        std::filesystem::create_directories(saveFolder);
        std::ofstream(saveFolder / name, std::ios::binary) << file.bytes;
    }
    DecodedImage decoded = DecodeImageBytes(file.bytes, name);
    if (!decoded.ok()) {
        Outcome out;
        out.clean = plan.clean;
        out.description = Describe(plan);
        out.stageFailure = "not decoded: " + decoded.error;
        return out;
    }
    SheetReading reading = ReadSheet(SheetImage(decoded.pixels), corpus.settings, corpus.home, std::nullopt);
    return Compare(plan, sheet, reading);
}

struct Tally {
    int sheets = 0, sheetsRight = 0;
    long long marksMeant = 0, marksRead = 0, falseMarks = 0, questions = 0, questionsRight = 0;
    long long everyFilled = 0, everyFilledReadNone = 0, everyFilledFalseMarks = 0;

    void Add(const Outcome& o) {
        ++sheets;
        sheetsRight += o.right ? 1 : 0;
        marksMeant += o.marksMeant;
        marksRead += o.marksRead;
        falseMarks += o.falseMarks;
        questions += o.questions;
        questionsRight += o.questionsRight;
        everyFilled += o.everyFilled;
        everyFilledReadNone += o.everyFilledReadNone;
        everyFilledFalseMarks += o.everyFilledFalseMarks;
    }

    static double Percent(long long part, long long whole) { return whole ? 100.0 * part / whole : 100.0; }

    void Print(const char* label) const {
        std::printf("%-9s sheets right %d/%d (%.2f%%)  marks right %lld/%lld (%.4f%%)  [meant %lld, missed %lld, false %lld]"
                    "  questions right %lld/%lld\n",
                    label, sheetsRight, sheets, Percent(sheetsRight, sheets), marksRead, marksMeant + falseMarks,
                    Percent(marksRead, marksMeant + falseMarks), marksMeant, marksMeant - marksRead, falseMarks,
                    questionsRight, questions);
        if (everyFilled == 0) return;
        long long all = marksMeant + falseMarks + everyFilledFalseMarks;
        std::printf("%-9s questions with every option filled: %lld/%lld read as no answer, %lld false marks in the "
                    "others; with them marks right %lld/%lld (%.4f%%)\n",
                    "", everyFilledReadNone, everyFilled, everyFilledFalseMarks, marksRead, all, Percent(marksRead, all));
    }
};

void PrintSheet(const Outcome& o) {
    std::printf("  %s %s\n", o.clean ? "clean" : "degraded", o.description.c_str());
    if (!o.stageFailure.empty()) std::printf("      %s %s\n", o.stageFailure.c_str(), o.stageDetail.c_str());
    for (const MarkError& e : o.errors) {
        std::printf("      %s: %s; cell %s\n", e.cause.c_str(), e.detail.c_str(), e.where.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Quillmark reading accuracy on a generated corpus of filled, scanned sheets"};
    std::uint64_t seed = 1;
    int count = 630;
    int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::optional<int> only;
    std::string save;
    std::string home = ProgramFolderOfExecutable().string();
    app.add_option("--seed", seed, "corpus seed");
    app.add_option("--count", count, "number of sheets")->check(CLI::PositiveNumber);
    app.add_option("--threads", threads, "worker threads")->check(CLI::Range(1, 64));
    app.add_option("--sheet", only, "make and read only this sheet of the corpus")->check(CLI::NonNegativeNumber);
    app.add_option("--save", save, "write the sheet images (JPEG or BMP) into this folder");
    app.add_option("--home", home, "program folder with DaTiKa and sys (default: beside the executable)");
    CLI11_PARSE(app, argc, argv);

    Corpus corpus;
    corpus.seed = seed;
    corpus.home = home;
    corpus.settings = ReadRecognitionSettings(corpus.home);
    if (corpus.settings.预计图像宽度与线比例 <= 0 || SheetTypePath(corpus.home, kSheetTypes[0].code).empty()) {
        std::fprintf(stderr, "accuracy_bench: no program folder with sys/sys.cho and DaTiKa at %s\n", home.c_str());
        return 2;
    }
    for (const SheetTypeEntry& entry : kSheetTypes) corpus.layouts.push_back(LayoutOf(entry));
    PaintingApplication application(argc, argv);  // Qt wants its application made on the main thread

    if (only) {
        Outcome o = RunSheet(corpus, *only, save);
        PrintSheet(o);
        std::printf("  %s\n", o.right ? "read right" : "read wrong");
        if (!save.empty()) std::printf("  image in %s\n", save.c_str());
        return 0;
    }

    auto started = std::chrono::steady_clock::now();
    std::vector<Outcome> outcomes(static_cast<std::size_t>(count));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < count; i = next++) outcomes[static_cast<std::size_t>(i)] = RunSheet(corpus, i, save);
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    Tally clean, degraded;
    std::map<std::string, int> causes[2];  // [clean, degraded]: failed marks and stages by cause
    for (const Outcome& o : outcomes) {
        (o.clean ? clean : degraded).Add(o);
        std::map<std::string, int>& tally = causes[o.clean ? 0 : 1];
        if (!o.stageFailure.empty()) ++tally["sheet: " + o.stageFailure];
        for (const MarkError& e : o.errors) ++tally[e.cause];
    }

    std::printf("Quillmark reading accuracy: seed %llu, %d sheets of %zu types, %d threads, %.0f s\n",
                static_cast<unsigned long long>(seed), count, kSheetTypes.size(), threads, seconds);
    std::printf("A mark is one option or digit bubble meant to count; marks right = meant marks read / "
                "(meant marks + false marks),\nnot counting questions with every option filled (meant as no "
                "answer), which are tallied on their own line.\n");
    clean.Print("clean");
    degraded.Print("degraded");
    for (int c = 0; c < 2; ++c) {
        std::printf("Failures on %s sheets by cause (sheet stages per sheet, marks per mark):\n", c ? "degraded" : "clean");
        if (causes[c].empty()) std::printf("  none\n");
        for (const auto& [cause, n] : causes[c]) std::printf("  %5d  %s\n", n, cause.c_str());
    }
    std::printf("Sheets read wrong (make one again with --seed %llu --sheet N --save DIR):\n",
                static_cast<unsigned long long>(seed));
    int wrong = 0;
    for (const Outcome& o : outcomes) {
        if (o.right) continue;
        ++wrong;
        PrintSheet(o);
    }
    if (wrong == 0) std::printf("  none\n");
    long long degradedAll = degraded.marksMeant + degraded.falseMarks;
    std::printf("Goals: every clean sheet read right: %s; degraded marks right >= 99.9%%: %s (%.4f%%)\n",
                clean.sheetsRight == clean.sheets ? "met" : "NOT met",
                degraded.marksRead * 1000 >= degradedAll * 999 ? "met" : "NOT met",
                Tally::Percent(degraded.marksRead, degradedAll));
    return 0;
}

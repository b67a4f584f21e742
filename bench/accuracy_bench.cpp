// Reading accuracy on corpora of printed sheets filled and captured the way real ones are:
// every sheet is encoded, decoded through the program's own decoder and read by the engine,
// and what it read is compared with what the examinee meant.
//
// Capture kinds (each every sheet type in turn, --count sheets):
//   clean       generated scans: straight, sharp, firm marks, lossless
//   degraded    generated scans: slight turns, blur, noise, light and erased marks, JPEG
//   scan300     300 dpi grey scan
//   flatbed200  200 dpi colour JPEG, some pages curled near the spine or under a lid shadow
//   copier150   150 dpi copies: streaks, some upside down, some in harsh contrast
//   phone       photos: tilt up to 15 degrees, keystone up to 10 %, uneven light, 1600-2800 px, JPEG
//   hardphone   photos in poor conditions: 90-130 dpi, turned any way, tilt up to 15 degrees, JPEG
//               quality 30-50, strong light falloff, a wood-grained desk around the sheet
//   feeder      a document feeder's 200/300 dpi grey scans of sheets printed "fit to page" (93-97 %),
//               folded in three, punched, with the back page showing through, fed up to 3 degrees askew
// The four capture kinds carry hand-filling as real sheets do: names in the boxes and the top
// margin, numbers in the corners, strokes over the frame, erasures, faint touches, ticks, crosses.
//
// A "mark" is one option or digit bubble the examinee filled to count. It is read right when
// the reader reports it. A "false mark" is an option or digit the reader reports that nothing
// on the sheet asked for (a stray stroke, a streak, ...). Ambiguous marks (erased residue,
// faint touches, ticks, crosses) count neither way: reading them or not is no error. The mark
// rate is marks read right / (marks meant + false marks). A lost sheet reads none of its marks.
// A question with every option filled means no answer; such questions are tallied apart.
//
// Usage: accuracy_bench [--kind K,...] [--seed N,...] [--count N] [--threads N] [--home DIR] [--list]
//        accuracy_bench --kind K --seed N --sheet I [--save DIR]   (one sheet, its image written to DIR)
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
#include "marking/installed_sheet_types.h"
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

enum class Kind { Clean, Degraded, Scan300, Flatbed200, Copier150, Phone, HardPhone, Feeder };
constexpr Kind kKinds[] = {Kind::Clean,     Kind::Degraded, Kind::Scan300,   Kind::Flatbed200,
                           Kind::Copier150, Kind::Phone,    Kind::HardPhone, Kind::Feeder};

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Clean: return "clean";
        case Kind::Degraded: return "degraded";
        case Kind::Scan300: return "scan300";
        case Kind::Flatbed200: return "flatbed200";
        case Kind::Copier150: return "copier150";
        case Kind::Phone: return "phone";
        case Kind::HardPhone: return "hardphone";
        case Kind::Feeder: return "feeder";
    }
    return "?";
}

std::optional<Kind> KindNamed(const std::string& name) {
    for (Kind kind : kKinds) {
        if (name == KindName(kind)) return kind;
    }
    return std::nullopt;
}

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

enum class Encoding { Bmp, JpegGray, JpegColour };

// Everything that makes one sheet, drawn from the run's seed, the kind and the sheet's index
// alone, so any sheet can be made again without the others.
struct SheetPlan {
    Kind kind = Kind::Clean;
    std::uint64_t seed = 0;
    int index = 0;
    FilledSheetRecipe recipe;
    Encoding encoding = Encoding::Bmp;
    int quality = 0;
    std::vector<int> everyOptionFilled;  // questions with every option filled
};

class Planner {
public:
    Planner(Kind kind, std::uint64_t seed, int index)
        : random_(SplitMix(seed * 1000003ULL + static_cast<std::uint64_t>(index)) ^
                  (kind == Kind::Clean || kind == Kind::Degraded ? 0 : SplitMix(static_cast<std::uint64_t>(kind)))) {}

    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random_); }
    bool Chance(double p) { return Uniform(0, 1) < p; }
    int Pick(int n) { return static_cast<int>(random_() % static_cast<std::uint64_t>(n)); }
    std::uint64_t Next() { return random_(); }

    // The examinee's number and answers; some questions have every option filled.
    void Answers(SheetPlan& plan, bool everyFilled) {
        FilledSheetRecipe& recipe = plan.recipe;
        const SheetLayout& layout = *recipe.layout;
        for (int n = 0; n < SheetLayout::kDigits; ++n) recipe.number += static_cast<char>('0' + Pick(10));
        if (Chance(0.12)) recipe.number[static_cast<std::size_t>(Pick(SheetLayout::kDigits))] = ' ';
        for (int q = 1; q <= layout.questions; ++q) {
            double r = Uniform(0, 1);
            std::string answer;
            if (r < 0.05) {
                // left blank
            } else if (r < 0.09) {
                int a = Pick(layout.options), b = (a + 1 + Pick(layout.options - 1)) % layout.options;
                answer = std::to_string(std::min(a, b) + 1) + std::to_string(std::max(a, b) + 1);
            } else if (r < 0.093 && everyFilled) {
                for (int k = 1; k <= layout.options; ++k) answer += static_cast<char>('0' + k);
                plan.everyOptionFilled.push_back(q);
            } else {
                answer = std::to_string(Pick(layout.options) + 1);
            }
            recipe.answers.push_back(answer);
        }
    }

    // What hands leave on real sheets, at the rates seen on them.
    void HandFilling(FilledSheetRecipe& recipe) {
        recipe.lightMarkShare = Uniform(0, 0.05);
        recipe.erasedMarkShare = Uniform(0, 0.015);
        recipe.numberCorrectionShare = 0.04;
        recipe.faintShare = Uniform(0, 0.03);
        recipe.tickShare = Uniform(0, 0.015);
        recipe.crossShare = Uniform(0, 0.008);
        recipe.nameInBox = Chance(0.9);
        recipe.nameInMargin = Chance(0.7);
        recipe.cornerNumbers = Chance(0.35) ? 1 + Pick(2) : 0;
        recipe.frameStrokes = Chance(0.25) ? 1 + Pick(2) : 0;
        recipe.strayStrokes = Chance(0.3) ? 1 + Pick(3) : 0;
    }

    void Shift(FilledSheetRecipe& recipe, double mm) {
        double dotsPerMm = recipe.dpi / 25.4;
        recipe.shiftX = Uniform(-mm, mm) * dotsPerMm;
        recipe.shiftY = Uniform(-mm, mm) * dotsPerMm;
    }

private:
    std::mt19937_64 random_;
};

// The generated corpus as it always was: clean sheets, or slightly degraded scans.
void PlanGenerated(SheetPlan& plan, Planner& p) {
    bool clean = plan.kind == Kind::Clean;
    FilledSheetRecipe& recipe = plan.recipe;
    static constexpr double kDpis[] = {150, 200, 240, 300};
    recipe.dpi = kDpis[p.Pick(4)];
    recipe.quarterTurns = p.Pick(4);
    p.Answers(plan, !clean);
    recipe.seed = p.Next();
    if (clean) return;
    recipe.rotateDegrees = p.Uniform(-3, 3);
    recipe.scale = p.Uniform(0.97, 1.0);
    p.Shift(recipe, 3);
    recipe.blurRadius = p.Chance(0.5) ? 1 : 0;
    recipe.noise = p.Uniform(0, 8);
    recipe.unevenLight = p.Uniform(0, 0.25);
    recipe.lightMarkShare = p.Uniform(0, 0.05);
    recipe.erasedMarkShare = p.Uniform(0, 0.015);
    recipe.strayStrokes = p.Chance(0.3) ? 1 + p.Pick(3) : 0;
    plan.encoding = p.Chance(0.8) ? Encoding::JpegGray : Encoding::Bmp;
    plan.quality = 60 + p.Pick(36);
}

void PlanScan300(SheetPlan& plan, Planner& p) {
    FilledSheetRecipe& r = plan.recipe;
    r.dpi = 300;
    r.rotateDegrees = p.Uniform(-1, 1);
    r.scale = p.Uniform(0.98, 1.0);
    p.Shift(r, 2);
    r.blurRadius = p.Chance(0.3) ? 1 : 0;
    r.noise = p.Uniform(1, 4);
    r.unevenLight = p.Uniform(0, 0.08);
    plan.encoding = Encoding::JpegGray;
    plan.quality = 85 + p.Pick(11);
    r.paperWhite = static_cast<int>(p.Uniform(228, 250));
    r.printBlack = static_cast<int>(p.Uniform(10, 35));
}

void PlanFlatbed200(SheetPlan& plan, Planner& p) {
    FilledSheetRecipe& r = plan.recipe;
    r.dpi = 200;
    r.colour = true;
    r.rotateDegrees = p.Uniform(-2, 2);
    r.scale = p.Uniform(0.96, 1.0);
    p.Shift(r, 4);
    r.blurRadius = p.Chance(0.5) ? 1 : 0;
    r.noise = p.Uniform(2, 5);
    r.unevenLight = p.Uniform(0, 0.15);
    r.curl = p.Chance(0.3) ? p.Uniform(2, 6) : 0;
    r.lidShadow = p.Chance(0.2) ? p.Uniform(0.2, 0.5) : 0;
    plan.encoding = Encoding::JpegColour;
    plan.quality = 75 + p.Pick(18);
    r.paperWhite = static_cast<int>(p.Uniform(220, 248));
    r.printBlack = static_cast<int>(p.Uniform(15, 45));
}

void PlanCopier150(SheetPlan& plan, Planner& p) {
    FilledSheetRecipe& r = plan.recipe;
    r.dpi = 150;
    r.quarterTurns = p.Chance(0.3) ? 3 : 0;
    r.rotateDegrees = p.Uniform(-1.5, 1.5);
    r.scale = p.Uniform(0.97, 1.0);
    p.Shift(r, 4);
    r.blurRadius = p.Chance(0.5) ? 1 : 0;
    r.noise = p.Uniform(2, 6);
    r.unevenLight = p.Uniform(0, 0.1);
    r.copierStreaks = p.Chance(0.7) ? 1 + p.Pick(4) : 0;
    r.harshContrast = p.Chance(0.35) ? p.Uniform(4, 10) : 1;
    r.lidShadow = p.Chance(0.3) ? p.Uniform(0.3, 0.7) : 0;
    plan.encoding = Encoding::JpegGray;
    plan.quality = 65 + p.Pick(26);
    r.paperWhite = static_cast<int>(p.Uniform(235, 255));
    r.printBlack = static_cast<int>(p.Uniform(0, 30));
}

// A phone held over the sheet: turned any way, tilted, in perspective, the sheet filling most
// of the picture.
void PlanHandHeldCamera(FilledSheetRecipe& r, Planner& p) {
    r.colour = true;
    r.quarterTurns = p.Pick(4);
    r.rotateDegrees = p.Uniform(-15, 15);
    r.keystone = p.Uniform(0, 0.1);
    r.scale = p.Uniform(0.72, 0.84);
    p.Shift(r, 5);
}

void PlanPhone(SheetPlan& plan, Planner& p) {
    FilledSheetRecipe& r = plan.recipe;
    static constexpr double kDpis[] = {140, 200, 240};  // 1637, 2339 and 2806 pixels on the long side
    r.dpi = kDpis[p.Pick(3)];
    PlanHandHeldCamera(r, p);
    r.background = static_cast<int>(p.Uniform(90, 200));
    r.unevenLight = p.Uniform(0.2, 0.5);
    r.vignette = p.Uniform(0.15, 0.4);
    r.blurRadius = p.Chance(0.5) ? 1 : 0;
    r.noise = p.Uniform(3, 8);
    plan.encoding = Encoding::JpegColour;
    plan.quality = 70 + p.Pick(23);
    r.paperWhite = static_cast<int>(p.Uniform(215, 245));
    r.printBlack = static_cast<int>(p.Uniform(25, 55));
}

void PlanHardPhone(SheetPlan& plan, Planner& p) {
    FilledSheetRecipe& r = plan.recipe;
    r.dpi = p.Uniform(90, 130);  // 1050-1520 pixels on the long side
    PlanHandHeldCamera(r, p);
    r.background = static_cast<int>(p.Uniform(60, 200));
    r.deskGrain = p.Uniform(0.3, 1);
    r.unevenLight = p.Uniform(0.4, 0.65);
    r.vignette = p.Uniform(0.3, 0.55);
    r.blurRadius = p.Chance(0.5) ? 1 : 0;
    r.noise = p.Uniform(4, 10);
    plan.encoding = Encoding::JpegColour;
    plan.quality = 30 + p.Pick(21);
    r.paperWhite = static_cast<int>(p.Uniform(205, 240));
    r.printBlack = static_cast<int>(p.Uniform(30, 65));
}

void PlanFeeder(SheetPlan& plan, Planner& p) {
    FilledSheetRecipe& r = plan.recipe;
    r.dpi = p.Chance(0.5) ? 200 : 300;
    r.quarterTurns = p.Chance(0.2) ? 3 : 0;
    r.rotateDegrees = p.Uniform(-3, 3);
    r.scale = p.Chance(0.6) ? p.Uniform(0.93, 0.97) : p.Uniform(0.985, 1.0);
    p.Shift(r, 4);
    r.blurRadius = p.Chance(0.3) ? 1 : 0;
    r.noise = p.Uniform(1, 5);
    r.unevenLight = p.Uniform(0, 0.08);
    r.folds = p.Chance(0.5) ? 2 : 0;
    r.punchHoles = p.Chance(0.4) ? (p.Chance(0.5) ? 2 : 4) : 0;
    r.punchBacking = p.Chance(0.5) ? static_cast<int>(p.Uniform(10, 60)) : 250;
    r.showThrough = p.Chance(0.4) ? p.Uniform(0.05, 0.15) : 0;
    plan.encoding = Encoding::JpegGray;
    plan.quality = 75 + p.Pick(16);
    r.paperWhite = static_cast<int>(p.Uniform(228, 250));
    r.printBlack = static_cast<int>(p.Uniform(10, 35));
}

// How photos are taken and sent: a camera resolution for the phone kind (its sheets then fill
// the same share of a larger picture), and the long side the phone page shrinks them to.
struct PhoneCapture {
    double dpi = 0;  // 0: the kind's own
    int shrinkTo = 0;
};
PhoneCapture phoneCapture;

SheetPlan PlanSheet(Kind kind, std::uint64_t seed, int index, const std::vector<SheetLayout>& layouts) {
    Planner p(kind, seed, index);
    SheetPlan plan;
    plan.kind = kind;
    plan.seed = seed;
    plan.index = index;
    plan.recipe.layout = &layouts[static_cast<std::size_t>(index) % layouts.size()];
    if (kind == Kind::Clean || kind == Kind::Degraded) {
        PlanGenerated(plan, p);
        return plan;
    }
    p.Answers(plan, true);
    plan.recipe.seed = p.Next();
    p.HandFilling(plan.recipe);
    if (kind == Kind::Scan300) PlanScan300(plan, p);
    else if (kind == Kind::Flatbed200) PlanFlatbed200(plan, p);
    else if (kind == Kind::Copier150) PlanCopier150(plan, p);
    else if (kind == Kind::HardPhone) PlanHardPhone(plan, p);
    else if (kind == Kind::Feeder) PlanFeeder(plan, p);
    else PlanPhone(plan, p);
    if (kind == Kind::Phone && phoneCapture.dpi > 0) plan.recipe.dpi = phoneCapture.dpi;
    return plan;
}

std::string Describe(const SheetPlan& plan) {
    const FilledSheetRecipe& s = plan.recipe;
    std::string file = plan.encoding == Encoding::Bmp ? "bmp" : "jpeg q" + std::to_string(plan.quality);
    if (plan.encoding == Encoding::JpegColour) file += " colour";
    char text[700];
    std::snprintf(text, sizeof text,
                  "%s #%d %s code %s dpi %.0f turns %d rot %+.2f scale %.3f shift %+.0f,%+.0f blur %.0f noise %.1f "
                  "shade %.2f %s lightmarks %.3f erased %.3f strokes %d number \"%s\"",
                  KindName(plan.kind), plan.index, s.layout->entry->name, s.layout->entry->code, s.dpi, s.quarterTurns,
                  s.rotateDegrees, s.scale, s.shiftX, s.shiftY, s.blurRadius, s.noise, s.unevenLight, file.c_str(),
                  s.lightMarkShare, s.erasedMarkShare, s.strayStrokes, s.number.c_str());
    std::string out = text;
    auto add = [&](bool on, const char* format, double value) {
        if (!on) return;
        std::snprintf(text, sizeof text, format, value);
        out += text;
    };
    add(s.keystone > 0, " keystone %.3f", s.keystone);
    add(s.paperWhite < 255, " paper %.0f", s.paperWhite);
    add(s.printBlack > 0, " black %.0f", s.printBlack);
    add(s.background != 255, " background %.0f", s.background);
    add(s.vignette > 0, " vignette %.2f", s.vignette);
    add(s.curl > 0, " curl %.1fmm", s.curl);
    add(s.lidShadow > 0, " lid shadow %.2f", s.lidShadow);
    add(s.copierStreaks > 0, " streaks %.0f", s.copierStreaks);
    add(s.harshContrast > 1, " contrast x%.1f", s.harshContrast);
    add(s.nameInMargin, " name in margin%.0s", 0);
    add(s.cornerNumbers > 0, " corner numbers %.0f", s.cornerNumbers);
    add(s.folds > 0, " folds %.0f", s.folds);
    add(s.punchHoles > 0, " holes %.0f", s.punchHoles);
    add(s.showThrough > 0, " show-through %.2f", s.showThrough);
    add(s.deskGrain > 0, " desk grain %.2f", s.deskGrain);
    add(s.frameStrokes > 0, " frame strokes %.0f", s.frameStrokes);
    return out;
}

// The conditions a sheet was made under that can throw the fit, to sort lost and misfit sheets.
std::vector<std::string> Conditions(const SheetPlan& plan, const FilledSheet& sheet) {
    const FilledSheetRecipe& r = plan.recipe;
    std::vector<std::string> out;
    auto add = [&](bool on, const char* name) {
        if (on && std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
    };
    for (const test::Scribble& s : sheet.scribbles) {
        add(s.touchesFrame && s.kind == test::ScribbleKind::NameInMargin, "name over the frame line");
        add(s.touchesFrame && s.kind == test::ScribbleKind::CornerNumber, "corner number over the frame line");
        add(s.touchesFrame && s.kind == test::ScribbleKind::FrameStroke, "stroke across the frame");
    }
    add(r.lidShadow > 0, "lid shadow");
    add(r.curl > 0, "page curl");
    add(r.harshContrast > 1, "harsh contrast");
    add(r.copierStreaks > 0, "copier streaks");
    add(r.quarterTurns == 3, "upside down");
    add(std::fabs(r.rotateDegrees) > 10, "tilt over 10 degrees");
    add(r.keystone > 0.05, "keystone over 5%");
    add(r.folds > 0, "folded");
    add(r.punchHoles > 0, "punched");
    add(r.showThrough > 0, "back page showing through");
    add(r.scale < 0.975 && r.background == 255, "printed fit to page");
    add(r.deskGrain > 0, "wood-grained desk");
    add(r.dpi < 140, "under 140 dpi");
    add(plan.quality > 0 && plan.quality <= 50, "JPEG quality 50 or less");
    add(out.empty(), "none of these");
    return out;
}

// What a flagged question holds when it holds nothing a person need decide.
constexpr char kFirmMarksAlone[] = "firm marks alone";

struct MarkError {
    std::string cause;
    std::string detail;
    std::string where;  // the cell's centre on the image, to look at it
};

struct Outcome {
    Kind kind = Kind::Clean;
    bool measured = false;
    bool normal = false;           // measured with status 正常
    bool right = false;            // the number and every answer right, status 正常
    bool rightOrFlagged = false;   // right, or every wrong reading flagged, or a sheet doubt, or not 正常
    bool numberWrongNormal = false;
    bool answersWrongUnflagged = false;  // status 正常, some wrong answer neither flagged nor under a sheet doubt
    std::string lostCause;         // set when the sheet was not measured or read as another type
    bool misfit = false;           // more than 10 marks wrong: the grid placed wrong
    std::vector<std::string> conditions;
    std::string stageDetail;
    int marksMeant = 0;
    int marksRead = 0;  // meant marks that were read
    int falseMarks = 0;
    int ambiguous = 0, ambiguousRead = 0;
    int everyFilled = 0;  // questions with every option filled
    int everyFilledReadNone = 0;
    int everyFilledFalseMarks = 0;
    int questions = 0;
    int questionsRight = 0;
    int questionsFlagged = 0;
    std::vector<std::string> flagReasons;  // per flagged question, what it holds
    std::vector<std::string> sheetFindings;
    std::string fitDetail;  // how the calibration dots judged the frame
    int wrongReadings = 0, wrongReadingsFlagged = 0;  // questions and digits
    std::vector<MarkError> errors;
    std::string description;
};

struct SheetFile {
    std::string bytes;
    std::string extension;
};

SheetFile Encode(const SheetPlan& plan, const PixelBuffer& image) {
    switch (plan.encoding) {
        case Encoding::JpegGray: return {test::EncodeJpegGray(image, plan.quality), ".jpg"};
        case Encoding::JpegColour: return {test::EncodeJpegColour(image, plan.quality), ".jpg"};
        case Encoding::Bmp: break;
    }
    return {test::EncodeBmp(image), ".bmp"};
}

bool Contains(const std::vector<int>& list, int value) { return std::find(list.begin(), list.end(), value) != list.end(); }

class Judge {
public:
    Judge(const SheetPlan& plan, const FilledSheet& sheet, const SheetReading& reading)
        : plan_(plan), sheet_(sheet), reading_(reading) {}

    std::optional<MarkKind> KindAt(GridPosition cell) const {
        for (const test::PencilMark& mark : sheet_.marks) {
            if (mark.cell.column == cell.column && mark.cell.row == cell.row) return mark.kind;
        }
        return std::nullopt;
    }

    bool AmbiguousAt(GridPosition cell) const {
        std::optional<MarkKind> kind = KindAt(cell);
        return kind && test::IsAmbiguous(*kind);
    }

    std::string MissedCause(GridPosition cell) const {
        std::string cause = KindAt(cell) == MarkKind::Light ? "missed light mark" : "missed firm mark";
        return cause + Context(cell);
    }

    std::string FalseCause(GridPosition cell, bool everyOptionFilled) const {
        if (everyOptionFilled) return "every option filled, read as an answer";
        for (const test::Scribble& s : sheet_.scribbles) {
            if (std::any_of(s.cells.begin(), s.cells.end(), [&](const GridPosition& c) { return Same(c, cell); })) {
                return std::string(ScribbleName(s.kind)) + " read";
            }
        }
        if (Crosses(sheet_.strokeCells, cell)) return "stray stroke read";
        if (UnderStreak(cell)) return "copier streak read";
        return "other false mark" + Context(cell);
    }

    std::string Where(GridPosition cell) const {
        std::optional<Point> centre = Centre(cell);
        if (!centre) return "?";
        return "column " + std::to_string(cell.column) + " row " + std::to_string(cell.row) + ", image " +
               std::to_string(static_cast<int>(centre->x)) + "," + std::to_string(static_cast<int>(centre->y));
    }

    // What a flagged question holds, the most telling first: a wrong reading, something a
    // reader may take either way, a light mark, writing or a streak, or firm marks alone.
    std::string FlagReason(const SheetLayout& layout, int q, bool wrong, bool everyFilled) const {
        if (wrong) return "read wrong";
        if (everyFilled) return "every option filled";
        std::string found;
        int rank = 99;
        auto note = [&](int r, const std::string& what) {
            if (r < rank) rank = r, found = what;
        };
        for (int k = 1; k <= layout.options; ++k) {
            GridPosition cell = layout.OptionCell(q, k);
            std::optional<MarkKind> kind = KindAt(cell);
            if (kind && test::IsAmbiguous(*kind)) note(1, std::string(test::KindName(*kind)) + " mark");
            else if (kind == MarkKind::Light) note(2, "light mark");
            if (Crosses(sheet_.strokeCells, cell)) note(3, "stroke or writing");
            if (UnderStreak(cell)) note(4, "copier streak");
        }
        return rank < 99 ? found : kFirmMarksAlone;
    }

    // Scores and what was drawn, cell by cell: "100- 12firm 97- 45light 80tick".
    std::string Cells(const std::vector<GridPosition>& cells) const {
        std::string text;
        for (const GridPosition& cell : cells) {
            if (!text.empty()) text += ' ';
            std::optional<MarkKind> kind = KindAt(cell);
            text += std::to_string(reading_.grid.at(cell.column, cell.row)) + (kind ? test::KindName(*kind) : "-");
            if (Crosses(sheet_.strokeCells, cell)) text += "+stroke";
            if (UnderStreak(cell)) text += "+streak";
        }
        return text;
    }

private:
    static bool Same(const GridPosition& a, const GridPosition& b) { return a.column == b.column && a.row == b.row; }

    static bool Crosses(const std::vector<GridPosition>& cells, GridPosition cell) {
        return std::any_of(cells.begin(), cells.end(), [&](const GridPosition& c) { return Same(c, cell); });
    }

    static const char* ScribbleName(test::ScribbleKind kind) {
        switch (kind) {
            case test::ScribbleKind::Stray: return "stray stroke";
            case test::ScribbleKind::NameInBox: return "name box writing";
            case test::ScribbleKind::NameInMargin: return "margin name";
            case test::ScribbleKind::CornerNumber: return "corner number";
            case test::ScribbleKind::FrameStroke: return "stroke across the frame";
        }
        return "writing";
    }

    std::optional<Point> Centre(GridPosition cell) const {
        ImageGrid grid = ImageGridOf(reading_.type, reading_.frame.orientation);
        for (int i = 1; i <= grid.down; ++i) {
            for (int j = 1; j <= grid.across; ++j) {
                if (Same(SheetCell(grid, reading_.frame.orientation, i, j), cell)) {
                    return CellCentre(reading_.frame, grid, i, j);
                }
            }
        }
        return std::nullopt;
    }

    bool UnderStreak(GridPosition cell) const {
        if (sheet_.streakColumns.empty()) return false;
        std::optional<Point> centre = Centre(cell);
        if (!centre) return false;
        RectMm rect = plan_.recipe.layout->Cell(cell);
        double reach = 0.4 * std::max(rect.width, rect.height) * plan_.recipe.dpi / 25.4;
        return std::any_of(sheet_.streakColumns.begin(), sheet_.streakColumns.end(), [&](int x) {
            return std::fabs(centre->x - (x + sheet_.streakWidth / 2.0)) < reach;
        });
    }

    std::string Context(GridPosition cell) const {
        const FilledSheetRecipe& r = plan_.recipe;
        if (UnderStreak(cell)) return " under a copier streak";
        if (r.harshContrast > 1) return " (harsh contrast)";
        if (r.curl > 0) return " (curled page)";
        if (r.lidShadow > 0) return " (lid shadow)";
        if (r.keystone > 0) return " (photo)";
        return "";
    }

    const SheetPlan& plan_;
    const FilledSheet& sheet_;
    const SheetReading& reading_;
};

// The number digit by digit, through the engine's own rule on a one-digit copy of the type.
void JudgeNumber(const SheetPlan& plan, const FilledSheet& sheet, const SheetReading& reading, const Judge& judge,
                 Outcome& out, std::vector<int>& wrongDigits) {
    const SheetLayout& layout = *plan.recipe.layout;
    for (int n = 1; n <= SheetLayout::kDigits; ++n) {
        char got = n <= static_cast<int>(reading.marks.digitByPosition.size()) ? reading.marks.digitByPosition[static_cast<std::size_t>(n - 1)] : ' ';
        std::string read = got == ' ' ? "" : std::string(1, got);
        char meant = plan.recipe.number[static_cast<std::size_t>(n - 1)];
        std::string want = meant >= '0' && meant <= '9' ? std::string(1, meant) : "";
        if (read == want) {
            out.marksRead += want.empty() ? 0 : 1;
            continue;
        }
        wrongDigits.push_back(n);
        std::vector<GridPosition> cells;
        for (int v = 0; v <= 9; ++v) cells.push_back(layout.DigitCell(n, v));
        std::string detail = "digit " + std::to_string(n) + " meant \"" + want + "\" read \"" + read +
                             "\" cells 0-9: " + judge.Cells(cells);
        if (!read.empty()) {
            GridPosition cell = layout.DigitCell(n, read[0] - '0');
            bool rubbed = judge.AmbiguousAt(cell);
            out.falseMarks += rubbed ? 0 : 1;
            out.errors.push_back({"number: " + (rubbed ? std::string("corrected digit's erasure read")
                                                       : judge.FalseCause(cell, false)),
                                  detail, judge.Where(cell)});
        }
        if (!want.empty()) {
            GridPosition cell = layout.DigitCell(n, want[0] - '0');
            // The reader takes the first clear value from 0 down, so a mark above hides this one.
            std::string cause = !read.empty() && read < want ? "hidden by a mark above it" : judge.MissedCause(cell);
            out.errors.push_back({"number: " + cause, detail, judge.Where(cell)});
        }
    }
    (void)sheet;
}

// One question: right when every filled option is read and nothing read but those and the
// ambiguous ones.
bool JudgeQuestion(const SheetPlan& plan, const FilledSheet& sheet, const SheetReading& reading, const Judge& judge,
                   int q, Outcome& out) {
    const SheetLayout& layout = *plan.recipe.layout;
    const std::string& want = sheet.expectedAnswers[static_cast<std::size_t>(q - 1)];
    const std::string& read = reading.marks.answers[static_cast<std::size_t>(q - 1)];
    bool everyFilled = Contains(plan.everyOptionFilled, q);
    out.everyFilled += everyFilled ? 1 : 0;
    std::vector<MarkError> errors;
    int readRight = 0;
    std::vector<GridPosition> cells;
    for (int k = 1; k <= layout.options; ++k) cells.push_back(layout.OptionCell(q, k));
    auto detail = [&] {
        bool silent = reading.status.ok() && !Contains(reading.doubts.questions, q);
        return "question " + std::to_string(q) + " meant \"" + want + "\" read \"" + read + "\" cells: " +
               judge.Cells(cells) + (silent ? " [NOT FLAGGED]" : "");
    };
    for (int k = 1; k <= layout.options; ++k) {
        char option = static_cast<char>('0' + k);
        bool meant = want.find(option) != std::string::npos, got = read.find(option) != std::string::npos;
        GridPosition cell = layout.OptionCell(q, k);
        if (!meant && judge.AmbiguousAt(cell)) {
            ++out.ambiguous;
            out.ambiguousRead += got ? 1 : 0;
            continue;
        }
        if (meant && got) ++readRight;
        if (meant && !got) errors.push_back({"answer: " + judge.MissedCause(cell), detail(), judge.Where(cell)});
        if (!meant && got) {
            ++(everyFilled ? out.everyFilledFalseMarks : out.falseMarks);
            errors.push_back({"answer: " + judge.FalseCause(cell, everyFilled), detail(), judge.Where(cell)});
        }
    }
    out.marksRead += readRight;
    if (errors.empty()) {
        ++out.questionsRight;
        out.everyFilledReadNone += everyFilled ? 1 : 0;
        return true;
    }
    out.errors.insert(out.errors.end(), errors.begin(), errors.end());
    return false;
}

Outcome Compare(const SheetPlan& plan, const FilledSheet& sheet, const SheetReading& reading) {
    const SheetLayout& layout = *plan.recipe.layout;
    Outcome out;
    out.kind = plan.kind;
    out.description = Describe(plan);
    out.conditions = Conditions(plan, sheet);
    out.questions = layout.questions;
    for (const std::string& answer : sheet.expectedAnswers) out.marksMeant += static_cast<int>(answer.size());
    out.marksMeant += static_cast<int>(sheet.expectedNumber.size());
    out.sheetFindings = reading.doubts.sheet;
    char fit[160];
    std::snprintf(fit, sizeof fit, "dots %d/%d, residual %.2f cells, corner moved %.2f cells, code %s",
                  reading.fit.dotsFound, reading.fit.dotsExpected, reading.fit.residual, reading.fit.cornerShift,
                  reading.fit.codeConfirmed ? "confirmed" : "not confirmed");
    out.fitDetail = fit;

    if (reading.reached != SheetReading::Measured) {
        out.lostCause = "lost, " + reading.status.message();
        out.rightOrFlagged = true;  // not 正常: a person looks at it
        return out;
    }
    out.measured = true;
    out.normal = reading.status.ok();
    if (reading.typeCode != layout.entry->code) {
        out.lostCause = "read as another type (正常)";
        out.stageDetail = "read " + reading.typeCode;
        out.numberWrongNormal = true;
        out.answersWrongUnflagged = true;
        return out;
    }
    Judge judge(plan, sheet, reading);
    std::vector<int> wrongDigits, wrongQuestions;
    JudgeNumber(plan, sheet, reading, judge, out, wrongDigits);
    for (int q = 1; q <= layout.questions; ++q) {
        if (!JudgeQuestion(plan, sheet, reading, judge, q, out)) wrongQuestions.push_back(q);
    }
    out.questionsFlagged = static_cast<int>(reading.doubts.questions.size());
    for (int q : reading.doubts.questions) {
        out.flagReasons.push_back(
            judge.FlagReason(layout, q, Contains(wrongQuestions, q), Contains(plan.everyOptionFilled, q)));
    }
    bool allFlagged = true, answersUnflagged = false;
    for (int n : wrongDigits) {
        // A digit read as none leaves the number incomplete: marking asks a person for it.
        bool blank = reading.marks.digitByPosition.size() < static_cast<std::size_t>(n) ||
                     reading.marks.digitByPosition[static_cast<std::size_t>(n - 1)] == ' ';
        bool flagged = blank || Contains(reading.doubts.digits, n);
        out.wrongReadingsFlagged += flagged ? 1 : 0;
        allFlagged = allFlagged && flagged;
    }
    for (int q : wrongQuestions) {
        bool flagged = Contains(reading.doubts.questions, q);
        out.wrongReadingsFlagged += flagged ? 1 : 0;
        allFlagged = allFlagged && flagged;
        answersUnflagged = answersUnflagged || !flagged;
    }
    out.wrongReadings = static_cast<int>(wrongDigits.size() + wrongQuestions.size());
    out.right = out.wrongReadings == 0;
    out.rightOrFlagged = allFlagged;
    // A number with a digit left out goes to the user; a complete one is taken unless flagged.
    bool numberFlagged = !reading.doubts.digits.empty();
    out.numberWrongNormal = !wrongDigits.empty() && reading.marks.numberComplete && !numberFlagged;
    out.answersWrongUnflagged = answersUnflagged;
    // Many wrong marks on one sheet come from one cause: the grid placed wrong.
    out.misfit = out.errors.size() > 10;
    return out;
}

struct Corpus {
    std::filesystem::path home;
    SheetTypeCatalog types;
    std::vector<SheetLayout> layouts;
    RecognitionSettings settings;
};

// Averages each box of source pixels, as a browser's canvas does when it draws a photo smaller.
PixelBuffer ShrinkTo(const PixelBuffer& source, int longSide) {
    int longest = std::max(source.width, source.height);
    if (longest <= longSide) return source;
    double factor = static_cast<double>(longest) / longSide;
    int width = std::max(1, static_cast<int>(source.width / factor)), height = std::max(1, static_cast<int>(source.height / factor));
    int channels = source.format == PixelFormat::Gray8 ? 1 : source.format == PixelFormat::Rgb24 ? 3 : 4;
    PixelBuffer out = PixelBuffer::Blank(width, height, source.format);
    for (int y = 0; y < height; ++y) {
        int y0 = static_cast<int>(y * factor), y1 = std::max(y0 + 1, static_cast<int>((y + 1) * factor));
        for (int x = 0; x < width; ++x) {
            int x0 = static_cast<int>(x * factor), x1 = std::max(x0 + 1, static_cast<int>((x + 1) * factor));
            for (int c = 0; c < channels; ++c) {
                long sum = 0;
                for (int v = y0; v < y1 && v < source.height; ++v) {
                    for (int u = x0; u < x1 && u < source.width; ++u) {
                        sum += source.bytes[static_cast<std::size_t>(v) * source.stride + static_cast<std::size_t>(u * channels + c)];
                    }
                }
                int count = (std::min(y1, source.height) - y0) * (std::min(x1, source.width) - x0);
                out.bytes[static_cast<std::size_t>(y) * out.stride + static_cast<std::size_t>(x * channels + c)] =
                    static_cast<std::uint8_t>(sum / std::max(1, count));
            }
        }
    }
    return out;
}

Outcome RunSheet(const Corpus& corpus, Kind kind, std::uint64_t seed, int index, const std::filesystem::path& saveFolder) {
    SheetPlan plan = PlanSheet(kind, seed, index, corpus.layouts);
    FilledSheet sheet = test::MakeFilledSheet(plan.recipe);
    SheetFile file = Encode(plan, sheet.image);
    sheet.image = PixelBuffer();
    if (phoneCapture.shrinkTo > 0) {
        // The camera's JPEG, decoded, drawn smaller and sent as JPEG quality 90 by the page.
        DecodedImage taken = DecodeImageBytes(file.bytes, "photo");
        if (taken.ok() && std::max(taken.pixels.width, taken.pixels.height) > phoneCapture.shrinkTo) {
            PixelBuffer smaller = ShrinkTo(taken.pixels, phoneCapture.shrinkTo);
            file.bytes = smaller.format == PixelFormat::Gray8 ? test::EncodeJpegGray(smaller, 90) : test::EncodeJpegColour(smaller, 90);
        }
    }
    std::string name = std::string(KindName(kind)) + "-" + std::to_string(seed) + "-" + std::to_string(index) + file.extension;
    if (!saveFolder.empty()) {
        std::filesystem::create_directories(saveFolder);
        std::ofstream(saveFolder / name, std::ios::binary) << file.bytes;
    }
    DecodedImage decoded = DecodeImageBytes(file.bytes, name);
    if (!decoded.ok()) {
        Outcome out;
        out.kind = kind;
        out.description = Describe(plan);
        out.lostCause = "not decoded: " + decoded.status.message();
        return out;
    }
    SheetReading reading = ReadSheet(SheetImage(decoded.pixels), corpus.settings, corpus.types, std::nullopt);
    return Compare(plan, sheet, reading);
}

struct Tally {
    int sheets = 0, sheetsRight = 0, rightOrFlagged = 0, numberWrongNormal = 0, answersWrongUnflagged = 0, lost = 0;
    long long marksMeant = 0, marksRead = 0, falseMarks = 0, questions = 0, questionsRight = 0;
    long long normalMarksMeant = 0, normalMarksRead = 0, normalFalseMarks = 0;  // on sheets read 正常
    long long measuredQuestions = 0, questionsFlagged = 0, wrongReadings = 0, wrongReadingsFlagged = 0;
    long long ambiguous = 0, ambiguousRead = 0;
    long long everyFilled = 0, everyFilledReadNone = 0, everyFilledFalseMarks = 0;
    std::map<std::string, int> causes;  // lost and misfit sheets per sheet, other wrong marks per mark
    std::map<std::string, int> flagReasons;
    std::map<std::string, int> sheetFindings;  // sheets with each sheet-level doubt
    int sheetsDoubted = 0;                      // sheets with any sheet-level doubt
    std::map<std::string, std::pair<int, int>> conditions;  // sheets made under it: lost or misfit, all

    void Add(const Outcome& o) {
        ++sheets;
        sheetsRight += o.right ? 1 : 0;
        rightOrFlagged += o.rightOrFlagged ? 1 : 0;
        numberWrongNormal += o.numberWrongNormal ? 1 : 0;
        answersWrongUnflagged += o.answersWrongUnflagged ? 1 : 0;
        lost += o.measured ? 0 : 1;
        marksMeant += o.marksMeant;
        marksRead += o.marksRead;
        if (o.normal) {
            normalMarksMeant += o.marksMeant;
            normalMarksRead += o.marksRead;
            normalFalseMarks += o.falseMarks;
        }
        falseMarks += o.falseMarks;
        questions += o.questions;
        questionsRight += o.questionsRight;
        measuredQuestions += o.measured ? o.questions : 0;
        questionsFlagged += o.questionsFlagged;
        wrongReadings += o.wrongReadings;
        wrongReadingsFlagged += o.wrongReadingsFlagged;
        ambiguous += o.ambiguous;
        ambiguousRead += o.ambiguousRead;
        everyFilled += o.everyFilled;
        everyFilledReadNone += o.everyFilledReadNone;
        everyFilledFalseMarks += o.everyFilledFalseMarks;
        for (const std::string& reason : o.flagReasons) ++flagReasons[reason];
        for (const std::string& finding : o.sheetFindings) ++sheetFindings[finding];
        sheetsDoubted += o.sheetFindings.empty() ? 0 : 1;
        if (!o.lostCause.empty()) ++causes["sheet " + o.lostCause];
        if (o.misfit) ++causes["sheet misfit: more than 10 marks wrong"];
        else for (const MarkError& e : o.errors) ++causes[e.cause];
        bool bad = !o.lostCause.empty() || o.misfit;
        for (const std::string& c : o.conditions) {
            conditions[c].first += bad ? 1 : 0;
            ++conditions[c].second;
        }
    }

    static double Percent(long long part, long long whole) { return whole ? 100.0 * part / whole : 100.0; }
};

void PrintTable(const std::vector<std::pair<std::string, Tally>>& rows) {
    std::printf("%-11s %6s %9s %9s %8s %9s %8s %9s %5s %8s %8s %8s %9s\n", "kind", "sheets", "marks%", "marks%ok", "sheets%",
                "right|flg%", "num-bad", "ans-bad", "lost", "q-flag%", "bad-flg%", "s-doubt%", "idle-flg%");
    for (const auto& [name, t] : rows) {
        auto idle = t.flagReasons.find(kFirmMarksAlone);
        std::printf("%-11s %6d %9.3f %9.3f %8.1f %9.1f %8d %9d %5d %8.2f %8.1f %8.1f %9.2f\n", name.c_str(), t.sheets,
                    Tally::Percent(t.marksRead, t.marksMeant + t.falseMarks),
                    Tally::Percent(t.normalMarksRead, t.normalMarksMeant + t.normalFalseMarks),
                    Tally::Percent(t.sheetsRight, t.sheets),
                    Tally::Percent(t.rightOrFlagged, t.sheets), t.numberWrongNormal, t.answersWrongUnflagged, t.lost,
                    Tally::Percent(t.questionsFlagged, t.measuredQuestions),
                    t.wrongReadings ? Tally::Percent(t.wrongReadingsFlagged, t.wrongReadings) : 0.0,
                    t.sheets > t.lost ? Tally::Percent(t.sheetsDoubted, t.sheets - t.lost) : 0.0,
                    Tally::Percent(idle == t.flagReasons.end() ? 0 : idle->second, t.measuredQuestions));
    }
    std::printf(
        "  marks%%: marks read right / (marks meant + false marks); ambiguous marks count neither way;\n"
        "    marks%%ok: the same over the sheets read 正常 only\n"
        "  sheets%%: number and every answer right; right|flg%%: that, or every wrong reading flagged, or a\n"
        "    status other than 正常 (a sheet-level note is no flag)\n"
        "  num-bad: sheets read with a complete, wrong examinee number, status 正常 and no flag (must be 0); ans-bad: sheets with a\n"
        "    wrong answer, status 正常 and no flag on it; lost: sheets not measured\n"
        "  q-flag%%: questions flagged among those of measured sheets; bad-flg%%: wrong questions and digits\n"
        "    flagged on that question or digit; s-doubt%%: measured sheets carrying a sheet-level doubt\n"
        "  idle-flg%%: questions flagged that hold firm marks alone (or nothing) and were read right,\n"
        "    among those of measured sheets: a flag with nothing for a person to decide\n");
}

void PrintDetails(const std::string& name, const Tally& t) {
    std::printf("%s: marks meant %lld, missed %lld, false %lld; questions right %lld/%lld; ambiguous marks %lld, read "
                "as marked %lld",
                name.c_str(), t.marksMeant, t.marksMeant - t.marksRead, t.falseMarks, t.questionsRight, t.questions,
                t.ambiguous, t.ambiguousRead);
    if (t.everyFilled) {
        std::printf("; every option filled %lld/%lld read as no answer", t.everyFilledReadNone, t.everyFilled);
    }
    std::printf("\n");
    std::vector<std::pair<int, std::string>> sorted;
    for (const auto& [cause, n] : t.causes) sorted.emplace_back(n, cause);
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (sorted.empty()) std::printf("  no errors\n");
    for (std::size_t i = 0; i < sorted.size() && i < 10; ++i) std::printf("  %5d  %s\n", sorted[i].first, sorted[i].second.c_str());
    if (!t.flagReasons.empty()) {
        std::printf("  flagged questions holding:");
        for (const auto& [reason, n] : t.flagReasons) std::printf(" %s %d;", reason.c_str(), n);
        std::printf("\n");
    }
    if (!t.sheetFindings.empty()) {
        std::printf("  sheets with a sheet-level doubt:");
        for (const auto& [finding, n] : t.sheetFindings) std::printf(" %s %d;", finding.c_str(), n);
        std::printf("\n");
    }
    if (t.conditions.empty()) return;
    std::printf("  lost or misfit sheets among those made under:");
    for (const auto& [condition, counts] : t.conditions) std::printf(" %s %d/%d;", condition.c_str(), counts.first, counts.second);
    std::printf("\n");
}

void PrintSheet(const Outcome& o) {
    std::printf("  %s\n", o.description.c_str());
    if (!o.lostCause.empty()) std::printf("      %s %s\n", o.lostCause.c_str(), o.stageDetail.c_str());
    for (const MarkError& e : o.errors) {
        std::printf("      %s: %s; cell %s\n", e.cause.c_str(), e.detail.c_str(), e.where.c_str());
    }
}

struct Job {
    Kind kind;
    std::uint64_t seed;
    int index;
};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Quillmark reading accuracy on generated corpora of filled, captured sheets"};
    std::vector<std::uint64_t> seeds{1};
    std::vector<std::string> kindNames{"clean", "degraded", "scan300", "flatbed200", "copier150", "phone", "hardphone", "feeder"};
    int count = static_cast<int>(3 * kSheetTypes.size());
    int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::optional<int> only;
    bool list = false;
    std::string save;
    std::string home = ProgramFolderOfExecutable().string();
    app.add_option("--kind", kindNames, "capture kinds: clean, degraded, scan300, flatbed200, copier150, phone, hardphone, feeder")
        ->delimiter(',');
    app.add_option("--seed", seeds, "corpus seeds")->delimiter(',');
    app.add_option("--count", count, "sheets of each kind and seed")->check(CLI::PositiveNumber);
    app.add_option("--threads", threads, "worker threads")->check(CLI::Range(1, 64));
    app.add_option("--sheet", only, "make and read only this sheet (of the first kind and seed)")->check(CLI::NonNegativeNumber);
    app.add_flag("--list", list, "list every sheet read wrong (otherwise the first three of each kind)");
    app.add_option("--save", save, "write the sheet images (JPEG or BMP) into this folder");
    app.add_option("--photo-dpi", phoneCapture.dpi, "phone photos at this resolution (340: a 12-megapixel camera)")
        ->check(CLI::Range(50.0, 600.0));
    app.add_option("--shrink", phoneCapture.shrinkTo, "shrink every image to this long side before reading, as the phone page does (2400)")
        ->check(CLI::Range(500, 10000));
    app.add_option("--home", home, "program folder with DaTiKa and sys (default: beside the executable)");
    CLI11_PARSE(app, argc, argv);

    std::vector<Kind> kinds;
    for (const std::string& name : kindNames) {
        std::optional<Kind> kind = KindNamed(name);
        if (!kind) {
            std::fprintf(stderr, "accuracy_bench: no capture kind %s\n", name.c_str());
            return 2;
        }
        kinds.push_back(*kind);
    }
    Corpus corpus;
    corpus.home = home;
    corpus.settings = ReadRecognitionSettings(corpus.home);
    corpus.types = LoadInstalledSheetTypes(corpus.home);
    if (corpus.settings.预计图像宽度与线比例 <= 0 || !corpus.types.Find(kSheetTypes[0].code)) {
        std::fprintf(stderr, "accuracy_bench: no program folder with sys/sys.cho and DaTiKa at %s\n", home.c_str());
        return 2;
    }
    for (const SheetTypeEntry& entry : kSheetTypes) corpus.layouts.push_back(LayoutOf(entry));
    PaintingApplication application(argc, argv);  // Qt wants its application made on the main thread

    if (only) {
        Outcome o = RunSheet(corpus, kinds.front(), seeds.front(), *only, save);
        PrintSheet(o);
        std::printf("  %s\n", o.right ? "read right" : "read wrong");
        if (!save.empty()) std::printf("  image in %s\n", save.c_str());
        return 0;
    }

    std::vector<Job> jobs;
    for (Kind kind : kinds) {
        for (std::uint64_t seed : seeds) {
            for (int i = 0; i < count; ++i) jobs.push_back({kind, seed, i});
        }
    }
    auto started = std::chrono::steady_clock::now();
    std::vector<Outcome> outcomes(jobs.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            outcomes[i] = RunSheet(corpus, jobs[i].kind, jobs[i].seed, jobs[i].index, save);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::vector<std::pair<std::string, Tally>> rows;
    for (Kind kind : kinds) rows.emplace_back(KindName(kind), Tally());
    for (const Outcome& o : outcomes) {
        for (auto& [name, tally] : rows) {
            if (name == KindName(o.kind)) tally.Add(o);
        }
    }
    std::string seedText;
    for (std::uint64_t seed : seeds) seedText += (seedText.empty() ? "" : ",") + std::to_string(seed);
    std::printf("Quillmark reading accuracy: seeds %s, %d sheets of each kind and seed over %zu types, %d threads, %.0f s\n",
                seedText.c_str(), count, kSheetTypes.size(), threads, seconds);
    PrintTable(rows);
    std::printf("\nTop error causes per kind (lost sheets per sheet, wrong marks per mark):\n");
    for (const auto& [name, tally] : rows) PrintDetails(name, tally);
    std::printf("\nSheets read wrong (make one again with --kind K --seed N --sheet I --save DIR):\n");
    for (Kind kind : kinds) {
        int shown = 0, wrong = 0;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].kind != kind || outcomes[i].right) continue;
            ++wrong;
            if (list || shown < 3) {
                std::printf(" seed %llu:", static_cast<unsigned long long>(jobs[i].seed));
                PrintSheet(outcomes[i]);
                ++shown;
            }
        }
        if (wrong > shown) std::printf("  ... %d more %s sheets read wrong (--list shows all)\n", wrong - shown, KindName(kind));
    }
    if (!list) return 0;
    std::printf("\nSheets with a sheet-level doubt:\n");
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const Outcome& o = outcomes[i];
        if (o.sheetFindings.empty()) continue;
        std::printf(" seed %llu:  %s\n", static_cast<unsigned long long>(jobs[i].seed), o.description.c_str());
        for (const std::string& finding : o.sheetFindings) std::printf("      %s (%s)\n", finding.c_str(), o.fitDetail.c_str());
    }
    return 0;
}

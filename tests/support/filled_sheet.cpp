#include "support/filled_sheet.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>
#include <turbojpeg.h>

#include "platform/sheet_renderer.h"
#include "support/handwriting.h"
#include "support/sheet_pixels.h"

namespace quillmark::test {
namespace {

// Hand-filling and capture draw from streams of their own, so the older options draw the
// same numbers whether the newer ones are on or off.
constexpr std::uint64_t kHandStream = 0x68616E6477726974ULL;
constexpr std::uint64_t kCaptureStream = 0x6361707475726521ULL;
constexpr std::uint64_t kPaperStream = 0x7061706572212121ULL;

PixelBuffer FromQImage(const QImage& source, bool colour) {
    QImage converted = source.convertToFormat(colour ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    PixelBuffer buffer = PixelBuffer::Blank(converted.width(), converted.height(),
                                            colour ? PixelFormat::Rgb24 : PixelFormat::Gray8);
    for (int y = 0; y < converted.height(); ++y) {
        std::copy_n(converted.constScanLine(y), buffer.stride, PixelAt(buffer, 0, y));
    }
    return buffer;
}

// A hand-filled bubble: an ellipse with a wobbly outline, off centre, with grain.
void DrawNeatMark(PixelBuffer& image, const RectMm& cell, double dotsPerMm) {
    double cx = cell.centreX() * dotsPerMm, cy = cell.centreY() * dotsPerMm;
    double a = cell.width * 0.36 * dotsPerMm, b = cell.height * 0.30 * dotsPerMm;
    for (int y = static_cast<int>(cy - b) - 1; y <= static_cast<int>(cy + b) + 1; ++y) {
        for (int x = static_cast<int>(cx - a) - 1; x <= static_cast<int>(cx + a) + 1; ++x) {
            double dx = (x - cx) / a, dy = (y - cy) / b;
            if (dx * dx + dy * dy <= 1) Darken(image, x, y, 50);
        }
    }
}

void DrawMark(PixelBuffer& image, const RectMm& cell, double dotsPerMm, MarkKind kind, Random& random) {
    double cx = (cell.centreX() + Uniform(random, -0.08, 0.08) * cell.width) * dotsPerMm;
    double cy = (cell.centreY() + Uniform(random, -0.08, 0.08) * cell.height) * dotsPerMm;
    double a = cell.width * 0.36 * Uniform(random, 0.85, 1.1) * dotsPerMm;
    double b = cell.height * 0.30 * Uniform(random, 0.85, 1.15) * dotsPerMm;
    double phase1 = Uniform(random, 0, 6.3), phase2 = Uniform(random, 0, 6.3);
    double grey = kind == MarkKind::Firm ? Uniform(random, 35, 95)
                  : kind == MarkKind::Light ? Uniform(random, 135, 160)
                                            : Uniform(random, 205, 225);
    if (kind == MarkKind::Erased) {  // rubbing spreads the rest thinly
        a *= 1.1;
        b *= 1.1;
    }
    std::uniform_real_distribution<double> grain(-22, 22);
    for (int y = static_cast<int>(cy - b * 1.3); y <= static_cast<int>(cy + b * 1.3); ++y) {
        for (int x = static_cast<int>(cx - a * 1.3); x <= static_cast<int>(cx + a * 1.3); ++x) {
            double dx = (x - cx) / a, dy = (y - cy) / b;
            double angle = std::atan2(dy, dx);
            double edge = 1 + 0.08 * std::sin(3 * angle + phase1) + 0.05 * std::sin(5 * angle + phase2);
            if (dx * dx + dy * dy <= edge * edge) Darken(image, x, y, grey + grain(random));
        }
    }
}

// A light grey touch partly inside a bubble, smaller than a fill.
void DrawFaint(PixelBuffer& image, const RectMm& cell, double dotsPerMm, Random& random) {
    double cx = (cell.centreX() + Uniform(random, -0.25, 0.25) * cell.width) * dotsPerMm;
    double cy = (cell.centreY() + Uniform(random, -0.2, 0.2) * cell.height) * dotsPerMm;
    double a = cell.width * 0.36 * Uniform(random, 0.3, 0.6) * dotsPerMm;
    double b = cell.height * 0.30 * Uniform(random, 0.3, 0.6) * dotsPerMm;
    double grey = Uniform(random, 170, 205);
    std::uniform_real_distribution<double> grain(-15, 15);
    for (int y = static_cast<int>(cy - b); y <= static_cast<int>(cy + b); ++y) {
        for (int x = static_cast<int>(cx - a); x <= static_cast<int>(cx + a); ++x) {
            double dx = (x - cx) / a, dy = (y - cy) / b;
            if (dx * dx + dy * dy <= 1) Darken(image, x, y, grey + grain(random));
        }
    }
}

// A pencil tick or cross over the bubble.
void DrawTickOrCross(PixelBuffer& image, const RectMm& cell, double dotsPerMm, bool tick, Random& random) {
    double cx = cell.centreX(), cy = cell.centreY(), a = cell.width * 0.36, b = cell.height * 0.30;
    auto at = [&](double u, double v) {
        return PointMm{cx + (u + Uniform(random, -0.08, 0.08)) * a, cy + (v + Uniform(random, -0.08, 0.08)) * b};
    };
    std::vector<PenPath> paths;
    if (tick) paths.push_back({at(-0.45, -0.05), at(-0.1, 0.55), at(0.6, -0.75)});
    else paths = {{at(-0.55, -0.6), at(0.55, 0.6)}, {at(0.55, -0.6), at(-0.55, 0.6)}};
    DrawPen(image, paths, Uniform(random, 0.3, 0.5), Ink::Grey(Uniform(random, 40, 90)), dotsPerMm);
}

bool SameCell(const GridPosition& a, const GridPosition& b) { return a.column == b.column && a.row == b.row; }

void AddCell(std::vector<GridPosition>& cells, const GridPosition& cell) {
    if (std::none_of(cells.begin(), cells.end(), [&](const GridPosition& c) { return SameCell(c, cell); })) {
        cells.push_back(cell);
    }
}


// Records the cell when the point lies in its middle, where the reader samples it.
void NoteCrossedCell(const SheetLayout& layout, double xMm, double yMm, std::vector<GridPosition>& crossed) {
    double u = (xMm - page::kGridLeft) / (page::kGridRight - page::kGridLeft) * layout.across;
    double v = (yMm - page::kGridTop) / (page::kGridBottom - page::kGridTop) * layout.down;
    if (u < 0 || v < 0 || u >= layout.across || v >= layout.down) return;
    if (std::fabs(u - std::floor(u) - 0.5) > 0.3 || std::fabs(v - std::floor(v) - 0.5) > 0.3) return;
    AddCell(crossed, GridPosition{static_cast<int>(u) + 1, static_cast<int>(v) + 1});
}

void DrawStroke(PixelBuffer& image, Random& random, double dotsPerMm, const SheetLayout& layout,
                std::vector<GridPosition>& crossed) {
    double x0 = Uniform(random, 0, image.width), y0 = Uniform(random, 0, image.height);
    double length = Uniform(random, 10, 40) * dotsPerMm, angle = Uniform(random, 0, 6.3);
    double width = 0.3 * dotsPerMm;
    int steps = static_cast<int>(length);
    for (int i = 0; i <= steps; ++i) {
        double x = x0 + std::cos(angle) * i, y = y0 + std::sin(angle) * i + 3 * std::sin(i / 25.0);
        NoteCrossedCell(layout, x / dotsPerMm, y / dotsPerMm, crossed);
        for (int oy = -static_cast<int>(width); oy <= static_cast<int>(width); ++oy) {
            for (int ox = -static_cast<int>(width); ox <= static_cast<int>(width); ++ox) {
                Darken(image, static_cast<int>(x) + ox, static_cast<int>(y) + oy, 90);
            }
        }
    }
}

// A ballpoint (blue or black) or a pencil.
Ink WritingInk(Random& random) {
    double pick = Uniform(random, 0, 1);
    if (pick < 0.5) return {Uniform(random, 30, 60), Uniform(random, 45, 75), Uniform(random, 120, 170)};
    if (pick < 0.75) return Ink::Grey(Uniform(random, 30, 50));
    return Ink::Grey(Uniform(random, 80, 110));
}

// Draws the pencil marks and writing of one examinee on the upright page.
class Filler {
public:
    Filler(const FilledSheetRecipe& recipe, PixelBuffer& image, FilledSheet& sheet)
        : recipe_(recipe), layout_(*recipe.layout), image_(image), sheet_(sheet), random_(recipe.seed),
          hand_(recipe.seed ^ kHandStream), dotsPerMm_(recipe.dpi / 25.4) {}

    Random& random() { return random_; }

    void FillNumber() {
        for (int n = 1; n <= static_cast<int>(recipe_.number.size()) && n <= SheetLayout::kDigits; ++n) {
            char digit = recipe_.number[static_cast<std::size_t>(n - 1)];
            if (digit < '0' || digit > '9') continue;
            Mark(layout_.DigitCell(n, digit - '0'));
            sheet_.expectedNumber += digit;
            if (Chance(hand_, recipe_.numberCorrectionShare)) {
                int first = (digit - '0' + 1 + static_cast<int>(Uniform(hand_, 0, 9))) % 10;
                Ambiguous(layout_.DigitCell(n, first), MarkKind::Erased);
            }
        }
    }

    void FillQuestion(int q) {
        std::string answer = q <= static_cast<int>(recipe_.answers.size()) ? recipe_.answers[static_cast<std::size_t>(q - 1)] : "";
        MarkKind style = MarkKind::Firm;
        if (!answer.empty() && static_cast<int>(answer.size()) < layout_.options) {
            if (Chance(hand_, recipe_.tickShare)) style = MarkKind::Tick;
            else if (Chance(hand_, recipe_.crossShare)) style = MarkKind::Cross;
        }
        std::string expected;
        for (int k = 1; k <= layout_.options; ++k) {
            GridPosition cell = layout_.OptionCell(q, k);
            if (answer.find(static_cast<char>('0' + k)) == std::string::npos) {
                if (Uniform(random_, 0, 1) < recipe_.erasedMarkShare) {
                    DrawMark(image_, layout_.Cell(cell), dotsPerMm_, MarkKind::Erased, random_);
                    sheet_.marks.push_back({cell, MarkKind::Erased});
                }
                continue;
            }
            if (style != MarkKind::Firm) {
                Ambiguous(cell, style);
                continue;
            }
            Mark(cell);
            expected += static_cast<char>('0' + k);
        }
        // Every option filled leaves no spread between them: no answer.
        if (static_cast<int>(expected.size()) == layout_.options) expected.clear();
        sheet_.expectedAnswers.push_back(expected);
        if (!answer.empty() && Chance(hand_, recipe_.faintShare)) AddFaintBeside(q);
    }

    void StrayStrokes() {
        for (int i = 0; i < recipe_.strayStrokes; ++i) DrawStroke(image_, random_, dotsPerMm_, layout_, sheet_.strokeCells);
    }

    void Write() {
        if (recipe_.nameInBox) WriteInBoxes();
        if (recipe_.nameInMargin) {
            double height = Uniform(hand_, 6, 10);
            Scribble(ScribbleKind::NameInMargin,
                     HandwrittenGlyphs(hand_, Uniform(hand_, 25, 120), Uniform(hand_, 19, 23), height,
                                       2 + static_cast<int>(Uniform(hand_, 0, 2)), false));
        }
        for (int i = 0; i < recipe_.cornerNumbers; ++i) WriteInCorner();
        for (int i = 0; i < recipe_.frameStrokes; ++i) Scribble(ScribbleKind::FrameStroke, {StrokeAcrossFrame(hand_)});
    }

private:
    void Mark(GridPosition cell) {
        MarkKind kind = Uniform(random_, 0, 1) < recipe_.lightMarkShare ? MarkKind::Light : MarkKind::Firm;
        if (recipe_.neatMarks) DrawNeatMark(image_, layout_.Cell(cell), dotsPerMm_);
        else DrawMark(image_, layout_.Cell(cell), dotsPerMm_, kind, random_);
        sheet_.marks.push_back({cell, kind});
    }

    void Ambiguous(GridPosition cell, MarkKind kind) {
        RectMm rect = layout_.Cell(cell);
        if (kind == MarkKind::Erased) DrawMark(image_, rect, dotsPerMm_, kind, hand_);
        else if (kind == MarkKind::Faint) DrawFaint(image_, rect, dotsPerMm_, hand_);
        else DrawTickOrCross(image_, rect, dotsPerMm_, kind == MarkKind::Tick, hand_);
        sheet_.marks.push_back({cell, kind});
    }

    bool Drawn(GridPosition cell) const {
        return std::any_of(sheet_.marks.begin(), sheet_.marks.end(), [&](const PencilMark& m) { return SameCell(m.cell, cell); });
    }

    void AddFaintBeside(int q) {
        std::vector<GridPosition> empty;
        for (int k = 1; k <= layout_.options; ++k) {
            if (!Drawn(layout_.OptionCell(q, k))) empty.push_back(layout_.OptionCell(q, k));
        }
        if (empty.empty()) return;
        Ambiguous(empty[static_cast<std::size_t>(Uniform(hand_, 0, static_cast<double>(empty.size())))], MarkKind::Faint);
    }

    // Name, class and room in the three boxes of row 4.
    void WriteInBoxes() {
        RectMm row = layout_.Cell({1, 4});
        double baseline = row.y + row.height * Uniform(hand_, 0.8, 0.95), height = row.height * Uniform(hand_, 0.6, 0.9);
        double box = page::kGridLeft + 13;
        std::vector<PenPath> paths = HandwrittenGlyphs(hand_, box + Uniform(hand_, 1, 8), baseline, height,
                                                       2 + static_cast<int>(Uniform(hand_, 0, 2)), false);
        for (int i = 1; i <= 2; ++i) {
            std::vector<PenPath> digits = HandwrittenGlyphs(hand_, box + 52 * i + Uniform(hand_, 2, 15), baseline, height,
                                                            1 + static_cast<int>(Uniform(hand_, 0, 2)), true);
            paths.insert(paths.end(), digits.begin(), digits.end());
        }
        Scribble(ScribbleKind::NameInBox, paths);
    }

    void WriteInCorner() {
        bool right = Chance(hand_, 0.5), bottom = Chance(hand_, 0.5);
        double height = Uniform(hand_, 5, 8), width = height * 1.5;
        double x = Uniform(hand_, 4, 22 - width * 0.3), baseline = Uniform(hand_, 4 + height, 24);
        if (right) x = page::kWidth - x - width;
        if (bottom) baseline = page::kHeight - baseline + height;
        Scribble(ScribbleKind::CornerNumber,
                 HandwrittenGlyphs(hand_, x, baseline, height, 1 + static_cast<int>(Uniform(hand_, 0, 3)), true));
    }

    void Scribble(ScribbleKind kind, const std::vector<PenPath>& paths) {
        double width = Uniform(hand_, 0.3, 0.6);
        DrawPen(image_, paths, width, WritingInk(hand_), dotsPerMm_);
        test::Scribble scribble{kind, TouchesFrameLine(paths, width), {}};
        for (const PointMm& p : Trace(paths, 0.2)) NoteCrossedCell(layout_, p.x, p.y, scribble.cells);
        for (const GridPosition& cell : scribble.cells) AddCell(sheet_.strokeCells, cell);
        sheet_.scribbles.push_back(std::move(scribble));
    }

    const FilledSheetRecipe& recipe_;
    const SheetLayout& layout_;
    PixelBuffer& image_;
    FilledSheet& sheet_;
    Random random_;
    Random hand_;
    double dotsPerMm_;
};

// The light falls on the whole scan, the backing around a shifted or turned sheet too.
void UnevenLight(PixelBuffer& image, double strength, Random& random) {
    if (strength <= 0) return;
    double corner = Uniform(random, 0, 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            double u = (corner < 2 ? x : image.width - x) / static_cast<double>(image.width);
            double v = (static_cast<int>(corner) % 2 ? y : image.height - y) / static_cast<double>(image.height);
            Darken(image, x, y, 255 * (1 - strength * (u + v) / 2));
        }
    }
}

PixelBuffer Place(const PixelBuffer& image, const FilledSheetRecipe& recipe, Random& capture) {
    if (recipe.keystone == 0 && recipe.background == 255) {
        return Transform(image, recipe.rotateDegrees, recipe.scale, recipe.shiftX, recipe.shiftY);
    }
    CameraView view;
    view.degrees = recipe.rotateDegrees;
    view.scale = recipe.scale;
    view.shiftX = recipe.shiftX;
    view.shiftY = recipe.shiftY;
    view.keystone = recipe.keystone;
    view.keystoneSide = static_cast<int>(Uniform(capture, 0, 4));
    view.background = recipe.background;
    view.deskGrain = recipe.deskGrain;
    return Photograph(image, view);
}

void AddStreaks(PixelBuffer& image, const FilledSheetRecipe& recipe, Random& capture, FilledSheet& sheet) {
    sheet.streakWidth = std::max(1, static_cast<int>(std::lround(recipe.dpi / 150)));
    for (int i = 0; i < recipe.copierStreaks; ++i) {
        int x = static_cast<int>(Uniform(capture, 0, image.width - sheet.streakWidth));
        Streak(image, x, sheet.streakWidth, Uniform(capture, 60, 160));
        sheet.streakColumns.push_back(x);
    }
}

// Show-through, creases and punched holes, drawn from a stream of their own so that the
// recipes without them make the same images as before.
void PaperBeforeCapture(PixelBuffer& page, const FilledSheetRecipe& recipe, double dotsPerMm) {
    Random paper(recipe.seed ^ kPaperStream);
    ShowThrough(page, recipe.showThrough);
    std::vector<int> creases;
    for (int k = 1; k <= recipe.folds; ++k) {
        double share = static_cast<double>(k) / (recipe.folds + 1);
        creases.push_back(static_cast<int>((share * page::kHeight + Uniform(paper, -5, 5)) * dotsPerMm));
    }
    FoldCreases(page, creases, dotsPerMm);
    ToneRange(page, recipe.printBlack, recipe.paperWhite);
    std::vector<int> holes;
    double middle = page::kHeight / 2 + Uniform(paper, -3, 3);
    if (recipe.punchHoles == 2) holes = {static_cast<int>((middle - 40) * dotsPerMm), static_cast<int>((middle + 40) * dotsPerMm)};
    if (recipe.punchHoles == 4) {
        for (double offset : {-120.0, -40.0, 40.0, 120.0}) holes.push_back(static_cast<int>((middle + offset) * dotsPerMm));
    }
    PunchHoles(page, holes, recipe.punchBacking, dotsPerMm);
}

// Everything between the filled page and the file: the order of the older steps and of their
// random draws is kept.
PixelBuffer Capture(PixelBuffer image, const FilledSheetRecipe& recipe, Random& random, FilledSheet& sheet) {
    Random capture(recipe.seed ^ kCaptureStream);
    double dotsPerMm = recipe.dpi / 25.4;
    if (recipe.curl > 0) {
        bool right = Chance(capture, 0.5);
        CurlPage(image, right, recipe.curl * dotsPerMm, Uniform(capture, 30, 50) * dotsPerMm);
    }
    PaperBeforeCapture(image, recipe, dotsPerMm);
    image = Place(Turn(image, recipe.quarterTurns), recipe, capture);
    UnevenLight(image, recipe.unevenLight, random);
    Vignette(image, recipe.vignette);
    if (recipe.lidShadow > 0) {
        int edge = static_cast<int>(Uniform(capture, 0, 4));
        LidShadow(image, edge, recipe.lidShadow, Uniform(capture, 0.04, 0.1) * std::min(image.width, image.height));
    }
    BoxBlur(image, static_cast<int>(std::lround(recipe.blurRadius)));
    AddStreaks(image, recipe, capture, sheet);
    if (recipe.noise > 0) {
        std::normal_distribution<double> noise(0, recipe.noise);
        for (std::uint8_t& pixel : image.bytes) pixel = static_cast<std::uint8_t>(std::clamp(std::lround(pixel + noise(random)), 0L, 255L));
    }
    if (recipe.harshContrast > 1) HarshContrast(image, recipe.harshContrast, Uniform(capture, 120, 165));
    return image;
}

}  // namespace

bool IsAmbiguous(MarkKind kind) { return kind != MarkKind::Firm && kind != MarkKind::Light; }

const char* KindName(MarkKind kind) {
    switch (kind) {
        case MarkKind::Firm: return "firm";
        case MarkKind::Light: return "light";
        case MarkKind::Erased: return "erased";
        case MarkKind::Faint: return "faint";
        case MarkKind::Tick: return "tick";
        case MarkKind::Cross: return "cross";
    }
    return "?";
}

PixelBuffer BlankSheet(const SheetLayout& layout, double dpi, bool colour) {
    static std::mutex mutex;
    static std::map<std::tuple<std::string, double, bool>, PixelBuffer> cache;
    std::lock_guard<std::mutex> lock(mutex);
    // A layout may be printed with another type's code (tests of refused codes): both name it.
    auto key = std::make_tuple(std::string(layout.entry->code) + "/" + layout.entry->name, dpi, colour);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, FromQImage(RenderBlankSheet(layout, dpi), colour)).first;
    return it->second;
}

FilledSheet MakeFilledSheet(const FilledSheetRecipe& recipe) {
    if (!recipe.layout) throw std::invalid_argument("no layout");
    FilledSheet sheet;
    PixelBuffer image = BlankSheet(*recipe.layout, recipe.dpi, recipe.colour);
    Filler filler(recipe, image, sheet);
    filler.FillNumber();
    for (int q = 1; q <= recipe.layout->questions; ++q) filler.FillQuestion(q);
    filler.StrayStrokes();
    filler.Write();
    sheet.image = Capture(std::move(image), recipe, filler.random(), sheet);
    return sheet;
}

namespace {

std::string EncodeJpeg(const PixelBuffer& image, int quality, int pixelFormat, int subsampling) {
    tjhandle handle = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(handle, image.bytes.data(), image.width, image.stride, image.height, pixelFormat, &data, &size,
                         subsampling, quality, TJFLAG_ACCURATEDCT);
    std::string bytes = rc == 0 ? std::string(reinterpret_cast<char*>(data), size) : std::string();
    tjFree(data);
    tjDestroy(handle);
    return bytes;
}

}  // namespace

std::string EncodeJpegGray(const PixelBuffer& image, int quality) { return EncodeJpeg(image, quality, TJPF_GRAY, TJSAMP_GRAY); }

// Cameras and scanners subsample the colour 2 by 2.
std::string EncodeJpegColour(const PixelBuffer& image, int quality) { return EncodeJpeg(image, quality, TJPF_RGB, TJSAMP_420); }

std::string EncodeBmp(const PixelBuffer& image) {
    int rowBytes = (image.width * 3 + 3) / 4 * 4;
    std::uint32_t pixelBytes = static_cast<std::uint32_t>(rowBytes) * static_cast<std::uint32_t>(image.height);
    std::string bytes(54 + pixelBytes, '\0');
    auto put = [&](std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54 + pixelBytes, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(image.width), 4);
    put(22, static_cast<std::uint32_t>(image.height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, pixelBytes, 4);
    for (int y = 0; y < image.height; ++y) {
        std::size_t row = 54 + static_cast<std::size_t>(image.height - 1 - y) * static_cast<std::size_t>(rowBytes);
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* pixel = &image.bytes[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.stride) +
                                                     static_cast<std::size_t>(x * Channels(image))];
            int last = Channels(image) - 1;
            bytes[row + 3 * static_cast<std::size_t>(x)] = static_cast<char>(pixel[last]);  // blue, green, red
            bytes[row + 3 * static_cast<std::size_t>(x) + 1] = static_cast<char>(pixel[last / 2]);
            bytes[row + 3 * static_cast<std::size_t>(x) + 2] = static_cast<char>(pixel[0]);
        }
    }
    return bytes;
}

}  // namespace quillmark::test

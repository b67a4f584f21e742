#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/sheet_image.h"
#include "marking/sheet_layouts.h"

namespace quillmark::test {

// How a pencil mark was made.
enum class MarkKind : std::uint8_t {
    Firm,    // a normal filled bubble
    Light,   // pressed lightly: paler, still meant as a mark
    Erased,  // rubbed out: a grey residue that should not count
    Faint,   // a faint touch in an empty bubble beside the answer, never filled
    Tick,    // a tick in the bubble instead of a fill
    Cross,   // a cross in the bubble instead of a fill
};

// Marks a reader may take either way: reading them or passing them over is no error.
bool IsAmbiguous(MarkKind kind);
const char* KindName(MarkKind kind);

// Writing and strokes that are no marks.
enum class ScribbleKind : std::uint8_t {
    Stray,         // a pencil stroke anywhere
    NameInBox,     // name, class and room written in their boxes
    NameInMargin,  // a name in the top margin, often down over the outer frame line
    CornerNumber,  // a number in a corner of the page
    FrameStroke,   // a stroke from the margin across a frame side
};

struct Scribble {
    ScribbleKind kind = ScribbleKind::Stray;
    bool touchesFrame = false;       // over the outer or the inner frame line
    std::vector<GridPosition> cells;  // cells whose middle it crosses
};

struct PencilMark {
    GridPosition cell;
    MarkKind kind = MarkKind::Firm;
};

// A filled sheet of one printed layout with everything that happens between the pencil
// and the file: deterministic from the seed.
struct FilledSheetRecipe {
    const SheetLayout* layout = nullptr;
    double dpi = 200;
    std::string number;                // the examinee's digits; a space leaves a digit blank
    std::vector<std::string> answers;  // per question, option digits "1".."5"
    std::uint64_t seed = 1;

    bool neatMarks = false;      // every mark fills its printed bubble exactly, firmly
    double lightMarkShare = 0;   // share of marks made lightly
    double erasedMarkShare = 0;  // share of questions with an extra erased mark
    int strayStrokes = 0;        // pencil strokes across the sheet that are no marks

    int quarterTurns = 0;       // 1: sheet top at the image left, 2: at the right, 3: upside down
    double rotateDegrees = 0;   // positive counter-clockwise
    double scale = 1;           // the sheet's size in the image
    double shiftX = 0, shiftY = 0;  // in pixels
    double blurRadius = 0;      // box blur, pixels
    double noise = 0;           // standard deviation, grey levels
    double unevenLight = 0;     // darkening towards one corner, 0..1

    // Hand-filling as on real sheets; all off by default.
    double faintShare = 0;             // share of answered questions with a faint touch beside the answer
    double tickShare = 0;              // share of answered questions ticked instead of filled
    double crossShare = 0;             // share of answered questions crossed instead of filled
    double numberCorrectionShare = 0;  // share of digits first marked at another value, then rubbed out
    bool nameInBox = false;
    bool nameInMargin = false;
    int cornerNumbers = 0;
    int frameStrokes = 0;

    // Capture; all off by default.
    bool colour = false;       // RGB image: the bubbles stay pink
    double curl = 0;           // page lifted near its left or right side: mm of displacement at the side
    double keystone = 0;       // one edge of the sheet shorter than the opposite, 0..0.1 (a tilted camera)
    int background = 255;      // grey around the sheet, such as a desk under a phone
    double vignette = 0;       // darkening towards the image corners, 0..1
    double lidShadow = 0;      // darkness 0..1 of a band along one image edge
    int copierStreaks = 0;     // thin dark lines down the image's whole height
    double harshContrast = 1;  // tone curve gain; large: little but black and white
    int paperWhite = 255;      // the paper's grey as captured (recycled paper, a scanner's white point)
    int printBlack = 0;        // the darkest print and pencil as captured (toner, a camera's black level)

    // The paper before capture, and the desk under a photographed sheet; all off by default.
    int folds = 0;             // creases across the page: 2 for a sheet folded in three
    int punchHoles = 0;        // 2 or 4 holes punched along the left edge
    int punchBacking = 30;     // the grey seen through the holes (a feeder's dark backing)
    double showThrough = 0;    // the back page's print seen through the paper, 0..1
    double deskGrain = 0;      // wood grain of the desk around the sheet, 0..1
};

struct FilledSheet {
    PixelBuffer image;  // Gray8, or Rgb24 for a colour recipe
    // What a perfect reader returns: the digits and per question the marked options.
    std::string expectedNumber;
    std::vector<std::string> expectedAnswers;
    std::vector<PencilMark> marks;
    std::vector<GridPosition> strokeCells;  // cells whose middle a stroke or writing crosses
    std::vector<Scribble> scribbles;
    std::vector<int> streakColumns;  // image x of each copier streak's left edge
    int streakWidth = 0;             // pixels
};

FilledSheet MakeFilledSheet(const FilledSheetRecipe& recipe);

// The blank printed sheet at a resolution, as the renderer prints it (Gray8 or Rgb24).
PixelBuffer BlankSheet(const SheetLayout& layout, double dpi, bool colour = false);

// JPEG (quality 1..100) or 24-bit BMP bytes of a grey image; JPEG of an RGB image.
std::string EncodeJpegGray(const PixelBuffer& image, int quality);
std::string EncodeJpegColour(const PixelBuffer& image, int quality);
std::string EncodeBmp(const PixelBuffer& image);

}  // namespace quillmark::test

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
    Erased,  // rubbed out: a faint smudge that must not count
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
};

struct FilledSheet {
    PixelBuffer image;  // Gray8
    // What a perfect reader returns: the digits and per question the marked options.
    std::string expectedNumber;
    std::vector<std::string> expectedAnswers;
    std::vector<PencilMark> marks;
    std::vector<GridPosition> strokeCells;  // cells whose middle a stray stroke crosses
};

FilledSheet MakeFilledSheet(const FilledSheetRecipe& recipe);

// The blank printed sheet at a resolution, as the renderer prints it (Gray8).
PixelBuffer BlankSheet(const SheetLayout& layout, double dpi);

// JPEG (quality 1..100) or 24-bit BMP bytes of a grey image.
std::string EncodeJpegGray(const PixelBuffer& image, int quality);
std::string EncodeBmp(const PixelBuffer& image);

}  // namespace quillmark::test

#pragma once

// What a hand leaves on a sheet besides the marks: words, numbers and strokes drawn with a
// pen or a pencil, in millimetres on the upright page.
#include <vector>

#include "support/sheet_pixels.h"

namespace quillmark::test {

struct PointMm {
    double x = 0, y = 0;
};
using PenPath = std::vector<PointMm>;

// One pass of the pen: the ink covers the path once, however often the path crosses itself.
void DrawPen(PixelBuffer& page, const std::vector<PenPath>& paths, double widthMm, const Ink& ink, double dotsPerMm);

// The strokes of `characters` written glyphs from x, sitting on the baseline. Numbers take
// fewer strokes a glyph than words.
std::vector<PenPath> HandwrittenGlyphs(Random& random, double x, double baseline, double height, int characters,
                                       bool numbers);

// A stroke from the margin across one side of the frame into the sheet.
PenPath StrokeAcrossFrame(Random& random);

// The points along the paths, about `stepMm` apart.
std::vector<PointMm> Trace(const std::vector<PenPath>& paths, double stepMm);

// Whether a pen of this width drawn along the paths touches the outer or the inner frame line.
bool TouchesFrameLine(const std::vector<PenPath>& paths, double widthMm);

}  // namespace quillmark::test

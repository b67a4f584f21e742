#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame.h"
#include "grid_map.h"
#include "sheet_image.h"

namespace quillmark {

inline constexpr char kFindingFitCorrected[] = "定位已按校准点校正";
inline constexpr char kFindingNoDots[] = "未找到校准点，定位未经核对";

// The printed sheet carries a small dot on a grid corner of every fourth cell both ways
// (the corner towards the middle of the sheet). The fit of the frame is checked against
// those dots before any cell is read: a frame side pulled askew by writing in the margin, or
// a photographed sheet whose perspective the four corners cannot follow, puts the dots
// away from where the frame says; the dots then place the grid themselves.
struct FitCheck {
    enum Verdict { Trusted, Corrected, NoDots, Mismatch };
    Verdict verdict = NoDots;
    GridMap map;             // where to measure the cells
    FrameGeometry frame;     // the frame, with corners from the dots when corrected
    int dotsExpected = 0;
    int dotsFound = 0;
    // Dots looked for: every other one when those confirmed the frame at once, else all.
    int dotsSearched = 0;
    double residual = 0;     // 90th percentile of the found dots' distances from the map, in cells
    double cornerShift = 0;  // when corrected: the farthest the dots moved a frame corner, in cells
    // When corrected: the type code read where the dots put the frame is clear and the one
    // the sheet is measured as (a lattice caught a step off reads the code strip off it).
    bool codeConfirmed = false;
    // When corrected: dots found that lie away from where the correction puts them.
    int dotsAstray = 0;

    // A correction the dots agree with closely: at least 80 % of them when no frame corner
    // moved more than 2.5 cells or the type code confirms where they put the frame, 95 % when
    // one moved farther unconfirmed (the dots' lattice repeats every fourth cell, so a large
    // move may be a lattice caught one step off); 60 % for a small move the code confirms,
    // with hardly any dot found astray.
    bool CorrectionAgreed() const;
    // The share of the dots looked for that were found, on a fit they confirm or correct in
    // close agreement; 0 on any other.
    double ConfirmingShare() const;
};

FitCheck CheckFit(const SheetImage& image, const FrameGeometry& frame, int sheetAcross, int sheetDown);

namespace fit_detail {

// Grid-corner positions (in cells from the grid's first edge) of the dots along one axis of
// the upright sheet with `cells` cells.
std::vector<double> DotLines(int cells);

struct FoundDot {
    Point at;
    int contrast = 0;  // luminance of the paper around it minus that of the dot
};

// The darkest dot-sized blob within `radius` pixels of `near`, if it stands out from the
// paper around it.
std::optional<FoundDot> FindDot(const SheetImage& image, Point near, double cellPx, double radius);

}  // namespace fit_detail
}  // namespace quillmark

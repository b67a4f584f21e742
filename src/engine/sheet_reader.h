#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame.h"
#include "grid.h"
#include "mark_reading.h"
#include "recognition_settings.h"
#include "sheet_image.h"
#include "sheet_type.h"
#include "sheet_type_catalog.h"

namespace quillmark {

// What a person should look at: readings close to the decision, and checks of the fit
// that needed a correction.
struct ReadingDoubts {
    std::vector<int> questions;       // question numbers, ascending
    std::vector<int> digits;          // examinee-number digits (1-based), ascending
    std::vector<std::string> sheet;   // sheet-level findings, such as "fit corrected"

    bool any() const { return !questions.empty() || !digits.empty() || !sheet.empty(); }
};

// Everything the engine reads from one sheet without a paper or a roster: the stages run
// until the first that fails, and `reached` tells how far it got.
struct SheetReading {
    enum Stage { None, Frame, Measured };

    Stage reached = None;
    Status status;  // of the first stage that failed, if one did
    FrameGeometry frame;  // the frame found, as the frame search placed it
    std::string typeCode;
    SheetType type;
    CellGrid grid;
    FitCheck fit;
    bool codeClear = true;  // every block of the code strip clearly dark or light
    MarkReading marks;      // once measured
    ReadingDoubts doubts;   // once measured
    // What the checks of the fit found and settled, such as a correction the dots agree
    // with: shown beside the reading, no doubt.
    std::vector<std::string> checks;

    // The frame the cells were placed by: the one the calibration dots corrected, if they did.
    const FrameGeometry& PlacedFrame() const { return fit.verdict == FitCheck::Corrected ? fit.frame : frame; }
};

inline constexpr char kFindingCodeUnclear[] = "类型码不清晰";
inline constexpr char kFindingTonesCut[] = "图像几乎只有黑白两色，浅色填涂可能丢失";

MarkRule MarkRuleOf(const RecognitionSettings& settings);

// Frame, type code (or the fixed code when one is given), the fit checked against the
// calibration dots, cells, digits and answers. When the frame found leads nowhere (no
// frame, an unknown type, a grid the dots refuse), the frame is looked for again carefully
// (a shadow or a streak at the image's edge, writing over the frame line) and that is kept
// if it measures; otherwise the first search's failure stands.
SheetReading ReadSheet(const SheetImage& image, const RecognitionSettings& settings, const SheetTypeCatalog& catalog,
                       const std::optional<std::string>& fixedTypeCode);

// Measures and reads a sheet whose frame was found with the type a person chose for it.
// The reading's status says whether that type could measure the sheet.
void ReadSheetAs(const SheetImage& image, const RecognitionSettings& settings, const SheetTypeCatalog& catalog,
                 const std::string& typeCode, SheetReading& reading);

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frame.h"
#include "grid.h"
#include "sheet_image.h"
#include "sheet_type.h"

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
    std::string status;  // "正常" when every stage passed
    FrameGeometry frame;
    std::string typeCode;
    SheetType type;
    CellGrid grid;
    FitCheck fit;
    bool codeClear = true;
    std::string examineeDigits;
    std::string digitByPosition;  // digit n at index n - 1, a blank where none is clear
    bool numberComplete = false;
    std::vector<std::string> answers;
    ReadingDoubts doubts;
};

// The type code (read from the sheet, or the fixed code), the definition, the fit checked
// against the calibration dots and the cell scores, for a sheet whose frame was found.
// When the dots corrected the fit, the code is read again through the corrected frame, in
// case the askew frame had misread it.
struct MeasuredSheet {
    std::string status;
    std::string typeCode;
    SheetType type;
    CellGrid grid;
    FitCheck fit;
    bool codeClear = true;  // every block of the code strip clearly dark or light
};
MeasuredSheet MeasureFramedSheet(const SheetImage& image, const FrameGeometry& frame,
                                 const std::filesystem::path& programFolder,
                                 const std::optional<std::string>& fixedTypeCode);

// MeasureFramedSheet for a detection that succeeded, or failed only its deformation check:
// such a frame (the converging sides of a photographed sheet) is kept, and the detection
// turned to "正常", when the calibration dots confirm or correct it.
MeasuredSheet MeasureDetectedSheet(const SheetImage& image, FrameDetection& detection,
                                   const std::filesystem::path& programFolder,
                                   const std::optional<std::string>& fixedTypeCode);

// A sheet's frame and, when one was found, its measuring.
struct FramedSheet {
    FrameDetection detection;
    MeasuredSheet measured;
    bool measuredOk() const { return detection.ok() && measured.status == kStatusNormal; }
};

// Finds the frame and measures the sheet. When that leads nowhere (no frame, an unknown
// type, a grid the dots refuse), the frame is looked for again carefully (a shadow or a
// streak at the image's edge, writing over the frame line) and that is kept if it measures;
// otherwise the first search's failure stands.
FramedSheet FindAndMeasureSheet(const SheetImage& image, const RecognitionSettings& settings,
                                const std::filesystem::path& programFolder,
                                const std::optional<std::string>& fixedTypeCode);

// The fixed type was refused: the sheet's own code or its calibration dots say otherwise.
inline constexpr char kStatusFixedTypeContradicted[] = "答题卡与指定的答题卡类型不符";

inline constexpr char kFindingCodeUnclear[] = "类型码不清晰";
inline constexpr char kFindingTonesCut[] = "图像几乎只有黑白两色，浅色填涂可能丢失";

// The sheet-level findings of the measuring, for the doubts; with the cells, also whether
// the image's middle tones were cut off.
void AddSheetFindings(const FitCheck& fit, bool codeClear, ReadingDoubts& doubts);
void AddSheetFindings(const FitCheck& fit, bool codeClear, const CellGrid& grid, ReadingDoubts& doubts);

// Frame, type code (or the fixed code when one is given), cells, digits and answers.
SheetReading ReadSheet(const SheetImage& image, const RecognitionSettings& settings,
                       const std::filesystem::path& programFolder, const std::optional<std::string>& fixedTypeCode);

}  // namespace quillmark

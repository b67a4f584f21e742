#include "sheet_reader.h"

#include <algorithm>
#include <set>

#include "data/text_fns.h"
#include "type_code.h"

namespace quillmark {

namespace {

// Dots found of those looked for, on the grid of the reading that settles an unclear code,
// and at most on the grids of the readings it rules out.
constexpr double kSettlingShare = 0.8;
constexpr double kRefutedShare = 0.5;

// The type code (read from the sheet, or the fixed code), the definition, the fit checked
// against the calibration dots and the cell scores, for a sheet whose frame was found.
struct Measured {
    Status status;
    std::string typeCode;
    SheetType type;
    CellGrid grid;
    FitCheck fit;
    bool codeClear = true;
};

Measured MeasureAs(const SheetImage& image, const FrameGeometry& frame, const SheetTypeCatalog& catalog,
                   const std::string& typeCode, bool codeClear) {
    Measured sheet;
    sheet.typeCode = typeCode;
    sheet.codeClear = codeClear;
    sheet.status = MeasureSheet(image, frame, catalog, typeCode, sheet.type, sheet.grid, &sheet.fit);
    return sheet;
}

// Reads the code where the dots put the frame, when they moved it.
void ConfirmCorrectionByCode(const SheetImage& image, Measured& sheet) {
    if (sheet.fit.verdict != FitCheck::Corrected) return;
    TypeCodeReading code = ReadTypeCodeChecked(image, sheet.fit.frame);
    sheet.fit.codeConfirmed = code.clear && code.code == sheet.typeCode;
}

// The code read through a frame the dots corrected, measured, when it names a definition.
std::optional<Measured> MeasureWithCodeReadAgain(const SheetImage& image, const FrameGeometry& frame,
                                                 const FrameGeometry& corrected, const SheetTypeCatalog& catalog,
                                                 const std::string& codeRead) {
    TypeCodeReading again = ReadTypeCodeChecked(image, corrected);
    if (again.code == codeRead || !catalog.Find(again.code)) return std::nullopt;
    Measured sheet = MeasureAs(image, frame, catalog, again.code, CodeKnown(again, catalog));
    if (!sheet.status.ok()) return std::nullopt;
    ConfirmCorrectionByCode(image, sheet);
    return sheet;
}

// A code that might be read as another installed type is settled by the calibration dots
// when they fit the grid of one reading nearly everywhere and the others' hardly at all:
// types of other sizes place their dots on other lattices.
void SettleCodeByDots(const SheetImage& image, const FrameGeometry& frame, const SheetTypeCatalog& catalog,
                      const TypeCodeReading& code, Measured& sheet) {
    std::vector<Measured> readings{sheet};
    for (const std::string& other : OtherInstalledReadings(code, catalog)) {
        readings.push_back(MeasureAs(image, frame, catalog, other, false));
    }
    auto share = [](const Measured& m) { return m.status.ok() ? m.fit.ConfirmingShare() : 0.0; };
    auto best = std::max_element(readings.begin(), readings.end(),
                                 [&](const Measured& a, const Measured& b) { return share(a) < share(b); });
    if (share(*best) < kSettlingShare) return;
    for (const Measured& m : readings) {
        if (&m != &*best && share(m) > kRefutedShare) return;
    }
    sheet = std::move(*best);
    sheet.codeClear = true;
}

// A frame askew enough to misread the code names no type, and without a type the dots
// cannot be checked: try the grids of the installed definitions, each size once.
std::optional<Measured> MeasureByInstalledGrids(const SheetImage& image, const FrameGeometry& frame,
                                                const SheetTypeCatalog& catalog, const std::string& codeRead) {
    std::set<std::pair<int, int>> tried;
    for (const SheetTypeDefinition& definition : catalog.All()) {
        const SheetType& type = definition.type;
        if (!definition.problem.ok() || !tried.insert({type.水平单元格数, type.垂直单元格数}).second) continue;
        FitCheck fit = CheckFit(image, frame, type.水平单元格数, type.垂直单元格数);
        if (fit.verdict != FitCheck::Corrected) continue;
        if (auto sheet = MeasureWithCodeReadAgain(image, frame, fit.frame, catalog, codeRead)) return sheet;
    }
    return std::nullopt;
}

// When the dots corrected the fit, the code is read again through the corrected frame, in
// case the askew frame had misread it.
Measured MeasureFramedSheet(const SheetImage& image, const FrameGeometry& frame, const SheetTypeCatalog& catalog,
                            const std::optional<std::string>& fixedTypeCode) {
    TypeCodeReading code;
    if (!fixedTypeCode) code = ReadTypeCodeChecked(image, frame);
    Measured sheet = fixedTypeCode ? MeasureAs(image, frame, catalog, TrimSpaces(*fixedTypeCode), true)
                                   : MeasureAs(image, frame, catalog, code.code, CodeKnown(code, catalog));
    if (!sheet.codeClear) SettleCodeByDots(image, frame, catalog, code, sheet);
    if (fixedTypeCode) {
        // A fixed type stands in for a code that cannot be read, never against dots that
        // refuse its grid or a code that clearly names another installed type (read where
        // the dots put the frame): that grid would score the sheet as nonsense.
        if (Is(sheet.status, kGridMismatch)) sheet.status = Failed(kFixedTypeContradicted);
        const FrameGeometry& placed = sheet.fit.verdict == FitCheck::Corrected ? sheet.fit.frame : frame;
        TypeCodeReading placedCode = ReadTypeCodeChecked(image, placed);
        if (placedCode.clear && placedCode.code != sheet.typeCode && catalog.Find(placedCode.code)) {
            sheet.status = Failed(kFixedTypeContradicted);
        }
        return sheet;
    }
    ConfirmCorrectionByCode(image, sheet);
    std::optional<Measured> again;
    if (sheet.fit.verdict == FitCheck::Corrected) {
        again = MeasureWithCodeReadAgain(image, frame, sheet.fit.frame, catalog, sheet.typeCode);
    } else if (Is(sheet.status, kWrongType) || Is(sheet.status, kGridMismatch)) {
        again = MeasureByInstalledGrids(image, frame, catalog, sheet.typeCode);
    }
    return again ? *again : sheet;
}

// A detection that succeeded, or failed only its deformation check: such a frame (the
// converging sides of a photographed sheet) is kept, and the detection turned to "正常",
// when the calibration dots confirm or correct it.
Measured MeasureDetectedSheet(const SheetImage& image, FrameDetection& detection, const SheetTypeCatalog& catalog,
                              const std::optional<std::string>& fixedTypeCode) {
    Measured sheet = MeasureFramedSheet(image, detection.frame, catalog, fixedTypeCode);
    if (detection.ok()) return sheet;
    bool confirmed = sheet.status.ok() &&
                     (sheet.fit.verdict == FitCheck::Trusted || sheet.fit.verdict == FitCheck::Corrected);
    if (confirmed) detection.status = Status::Ok();
    else sheet.status = detection.status;
    return sheet;
}

struct Framed {
    FrameDetection detection;
    Measured measured;
    bool measuredOk() const { return detection.ok() && measured.status.ok(); }
};

Framed FindAndMeasureSheet(const SheetImage& image, const RecognitionSettings& settings, const SheetTypeCatalog& catalog,
                           const std::optional<std::string>& fixedTypeCode) {
    auto attempt = [&](FrameSearch search) {
        Framed sheet;
        sheet.detection = DetectFrame(image, settings, search);
        if (sheet.detection.ok() || sheet.detection.deformedOnly) {
            sheet.measured = MeasureDetectedSheet(image, sheet.detection, catalog, fixedTypeCode);
        }
        return sheet;
    };
    Framed first = attempt(FrameSearch::AsPrinted);
    // A frame whose fit the dots could not check is worth a careful look as well.
    if (first.measuredOk() && first.measured.fit.verdict != FitCheck::NoDots) return first;
    Framed careful = attempt(FrameSearch::Careful);
    if (!careful.measuredOk()) return first;
    if (!first.measuredOk() || careful.measured.fit.verdict != FitCheck::NoDots) return careful;
    return first;
}

// What a grid placed part of a cell off reads like: many cells half covered, in the number
// or the questions; a digit left blank counts only beside such cells, as examinees do leave
// digits blank.
bool LooksMisplaced(const SheetType& type, const MarkReading& marks) {
    int questions = std::max(1, type.答题卡总题数);
    double doubtfulShare = static_cast<double>(marks.doubtfulQuestions.size()) / questions;
    if (marks.doubtfulDigits.size() >= 2 || (marks.doubtfulQuestions.size() >= 3 && doubtfulShare >= 0.1)) return true;
    return !marks.numberComplete && (!marks.doubtfulDigits.empty() || (marks.doubtfulQuestions.size() >= 2 && doubtfulShare >= 0.05));
}

// The marks and what a person should look at, once the sheet is measured. Without the dots
// the position is unchecked: a reading that looks misplaced is not given as one.
void ReadMeasured(const RecognitionSettings& settings, SheetReading& reading) {
    reading.reached = SheetReading::Measured;
    reading.marks = ReadMarks(reading.type, reading.grid, MarkRuleOf(settings));
    // A sheet read again (with a type a person chose) keeps nothing of its earlier reading.
    ReadingDoubts& doubts = reading.doubts;
    doubts = ReadingDoubts();
    reading.checks.clear();
    if (reading.fit.verdict == FitCheck::NoDots && LooksMisplaced(reading.type, reading.marks)) {
        reading.reached = SheetReading::Frame;
        reading.status = Failed(kPositionUnchecked);
        reading.marks = MarkReading();
        return;
    }
    // Blanks on cut tones are not evidence of a misplaced grid: they join the doubts after it.
    doubts.questions = reading.marks.doubtfulQuestions;
    doubts.questions.insert(doubts.questions.end(), reading.marks.blankOnCutTones.begin(),
                            reading.marks.blankOnCutTones.end());
    std::sort(doubts.questions.begin(), doubts.questions.end());
    doubts.digits = reading.marks.doubtfulDigits;
    if (reading.fit.verdict == FitCheck::Corrected) {
        (reading.fit.CorrectionAgreed() ? reading.checks : doubts.sheet).push_back(kFindingFitCorrected);
    }
    if (reading.fit.verdict == FitCheck::NoDots) doubts.sheet.push_back(kFindingNoDots);
    if (!reading.codeClear) doubts.sheet.push_back(kFindingCodeUnclear);
    // Cut light tones matter only where a light fill may be gone, and those questions are
    // flagged themselves: the sheet as a whole is not a doubt for it.
    if (reading.grid.tonesCut) reading.checks.push_back(kFindingTonesCut);
}

}  // namespace

MarkRule MarkRuleOf(const RecognitionSettings& settings) {
    return settings.填涂判定 == 0 ? MarkRule::Spread : MarkRule::EmptyReference;
}

SheetReading ReadSheet(const SheetImage& image, const RecognitionSettings& settings, const SheetTypeCatalog& catalog,
                       const std::optional<std::string>& fixedTypeCode) {
    SheetReading reading;
    Framed framed = FindAndMeasureSheet(image, settings, catalog, fixedTypeCode);
    const FrameDetection& detection = framed.detection;
    Measured& measured = framed.measured;
    reading.status = detection.status;
    if (!detection.ok()) return reading;
    reading.frame = detection.frame;
    reading.reached = SheetReading::Frame;

    reading.status = measured.status;
    reading.typeCode = measured.typeCode;
    reading.type = std::move(measured.type);
    reading.grid = measured.grid;
    reading.fit = measured.fit;
    reading.codeClear = measured.codeClear;
    if (reading.status.ok()) ReadMeasured(settings, reading);
    return reading;
}

void ReadSheetAs(const SheetImage& image, const RecognitionSettings& settings, const SheetTypeCatalog& catalog,
                 const std::string& typeCode, SheetReading& reading) {
    // A type that cannot measure the sheet leaves no earlier sheet's cells behind.
    reading.grid = CellGrid();
    reading.typeCode = typeCode;
    reading.codeClear = true;  // a person chose the type
    reading.status = MeasureSheet(image, reading.frame, catalog, typeCode, reading.type, reading.grid, &reading.fit);
    if (reading.status.ok()) ReadMeasured(settings, reading);
}

}  // namespace quillmark

#include "sheet_reader.h"

#include "answers.h"
#include <set>

#include "data/program_paths.h"
#include "data/text_fns.h"
#include "examinee_number.h"
#include "mark_reading.h"
#include "type_code.h"

namespace quillmark {

namespace {

// The code read through a frame the dots corrected, measured, when it names a definition.
std::optional<MeasuredSheet> MeasureWithCodeReadAgain(const SheetImage& image, const FrameGeometry& frame,
                                                      const FrameGeometry& corrected,
                                                      const std::filesystem::path& programFolder,
                                                      const std::string& codeRead) {
    TypeCodeReading again = ReadTypeCodeChecked(image, corrected);
    if (again.code == codeRead || SheetTypePath(programFolder, again.code).empty()) return std::nullopt;
    MeasuredSheet sheet;
    sheet.typeCode = again.code;
    sheet.codeClear = again.clear;
    sheet.status = MeasureSheet(image, frame, programFolder, again.code, sheet.type, sheet.grid, &sheet.fit);
    if (sheet.status != kStatusNormal) return std::nullopt;
    return sheet;
}

// A frame askew enough to misread the code names no type, and without a type the dots
// cannot be checked: try the grids of the installed definitions, each size once.
std::optional<MeasuredSheet> MeasureByInstalledGrids(const SheetImage& image, const FrameGeometry& frame,
                                                     const std::filesystem::path& programFolder,
                                                     const std::string& codeRead) {
    std::filesystem::path folder = ResolvePath(programFolder, "DaTiKa");
    std::set<std::pair<int, int>> tried;
    for (const std::string& name : ListFiles(folder, "*.CAR")) {
        SheetType type = LoadSheetType(folder / name);
        if (!CheckSheetType(type).empty() || !tried.insert({type.水平单元格数, type.垂直单元格数}).second) continue;
        FitCheck fit = CheckFit(image, frame, type.水平单元格数, type.垂直单元格数);
        if (fit.verdict != FitCheck::Corrected) continue;
        if (auto sheet = MeasureWithCodeReadAgain(image, frame, fit.frame, programFolder, codeRead)) return sheet;
    }
    return std::nullopt;
}

}  // namespace

MeasuredSheet MeasureFramedSheet(const SheetImage& image, const FrameGeometry& frame,
                                 const std::filesystem::path& programFolder,
                                 const std::optional<std::string>& fixedTypeCode) {
    MeasuredSheet sheet;
    if (fixedTypeCode) {
        sheet.typeCode = TrimSpaces(*fixedTypeCode);
    } else {
        TypeCodeReading code = ReadTypeCodeChecked(image, frame);
        sheet.typeCode = code.code;
        sheet.codeClear = code.clear;
    }
    sheet.status = MeasureSheet(image, frame, programFolder, sheet.typeCode, sheet.type, sheet.grid, &sheet.fit);
    if (fixedTypeCode) {
        // A fixed type stands in for a code that cannot be read, never against dots that
        // refuse its grid or a code that clearly names another installed type (read where
        // the dots put the frame): that grid would score the sheet as nonsense.
        if (sheet.status == kStatusGridMismatch) sheet.status = kStatusFixedTypeContradicted;
        const FrameGeometry& placed = sheet.fit.verdict == FitCheck::Corrected ? sheet.fit.frame : frame;
        TypeCodeReading code = ReadTypeCodeChecked(image, placed);
        if (code.clear && code.code != sheet.typeCode && !SheetTypePath(programFolder, code.code).empty()) {
            sheet.status = kStatusFixedTypeContradicted;
        }
        return sheet;
    }
    std::optional<MeasuredSheet> again;
    if (sheet.fit.verdict == FitCheck::Corrected) {
        again = MeasureWithCodeReadAgain(image, frame, sheet.fit.frame, programFolder, sheet.typeCode);
    } else if (sheet.status == kStatusWrongType || sheet.status == kStatusGridMismatch) {
        again = MeasureByInstalledGrids(image, frame, programFolder, sheet.typeCode);
    }
    return again ? *again : sheet;
}

MeasuredSheet MeasureDetectedSheet(const SheetImage& image, FrameDetection& detection,
                                   const std::filesystem::path& programFolder,
                                   const std::optional<std::string>& fixedTypeCode) {
    MeasuredSheet sheet = MeasureFramedSheet(image, detection.frame, programFolder, fixedTypeCode);
    if (detection.ok()) return sheet;
    bool confirmed = sheet.status == kStatusNormal &&
                     (sheet.fit.verdict == FitCheck::Trusted || sheet.fit.verdict == FitCheck::Corrected);
    if (confirmed) detection.status = kStatusNormal;
    else sheet.status = detection.status;
    return sheet;
}

FramedSheet FindAndMeasureSheet(const SheetImage& image, const RecognitionSettings& settings,
                                const std::filesystem::path& programFolder,
                                const std::optional<std::string>& fixedTypeCode) {
    auto attempt = [&](FrameSearch search) {
        FramedSheet sheet;
        sheet.detection = DetectFrame(image, settings, search);
        if (sheet.detection.ok() || sheet.detection.deformedOnly) {
            sheet.measured = MeasureDetectedSheet(image, sheet.detection, programFolder, fixedTypeCode);
        }
        return sheet;
    };
    FramedSheet first = attempt(FrameSearch::AsPrinted);
    if (first.measuredOk()) return first;
    FramedSheet careful = attempt(FrameSearch::Careful);
    return careful.measuredOk() ? careful : first;
}

void AddSheetFindings(const FitCheck& fit, bool codeClear, ReadingDoubts& doubts) {
    if (fit.verdict == FitCheck::Corrected) doubts.sheet.push_back(kFindingFitCorrected);
    if (fit.verdict == FitCheck::NoDots) doubts.sheet.push_back(kFindingNoDots);
    if (!codeClear) doubts.sheet.push_back(kFindingCodeUnclear);
}

void AddSheetFindings(const FitCheck& fit, bool codeClear, const CellGrid& grid, ReadingDoubts& doubts) {
    AddSheetFindings(fit, codeClear, doubts);
    if (grid.tonesCut) doubts.sheet.push_back(kFindingTonesCut);
}

SheetReading ReadSheet(const SheetImage& image, const RecognitionSettings& settings,
                       const std::filesystem::path& programFolder, const std::optional<std::string>& fixedTypeCode) {
    SheetReading reading;
    FramedSheet framed = FindAndMeasureSheet(image, settings, programFolder, fixedTypeCode);
    const FrameDetection& detection = framed.detection;
    const MeasuredSheet& measured = framed.measured;
    reading.status = detection.status;
    if (!detection.ok()) return reading;
    reading.frame = detection.frame;
    reading.reached = SheetReading::Frame;

    reading.status = measured.status;
    reading.typeCode = measured.typeCode;
    reading.type = measured.type;
    reading.grid = measured.grid;
    reading.fit = measured.fit;
    reading.codeClear = measured.codeClear;
    if (reading.status != kStatusNormal) return reading;
    reading.reached = SheetReading::Measured;
    MarkReading marks =
        ReadMarks(reading.type, reading.grid, settings.填涂判定 == 0 ? MarkRule::Spread : MarkRule::EmptyReference);
    reading.examineeDigits = marks.number;
    reading.digitByPosition = marks.digitByPosition;
    reading.numberComplete = marks.numberComplete;
    reading.answers = std::move(marks.answers);
    reading.doubts.questions = std::move(marks.doubtfulQuestions);
    reading.doubts.digits = std::move(marks.doubtfulDigits);
    AddSheetFindings(reading.fit, reading.codeClear, reading.grid, reading.doubts);
    return reading;
}

}  // namespace quillmark

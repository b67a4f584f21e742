#include "sheet_reader.h"

#include "answers.h"
#include "data/text_fns.h"
#include "examinee_number.h"
#include "mark_reading.h"
#include "type_code.h"

namespace quillmark {

MeasuredSheet MeasureFramedSheet(const SheetImage& image, const FrameGeometry& frame,
                                 const std::filesystem::path& programFolder,
                                 const std::optional<std::string>& fixedTypeCode) {
    MeasuredSheet sheet;
    sheet.typeCode = fixedTypeCode ? TrimSpaces(*fixedTypeCode) : ReadTypeCode(image, frame);
    sheet.status = MeasureSheet(image, frame, programFolder, sheet.typeCode, sheet.type, sheet.grid, &sheet.fit);
    if (fixedTypeCode || sheet.fit.verdict != FitCheck::Corrected) return sheet;
    std::string again = ReadTypeCode(image, sheet.fit.frame);
    if (again == sheet.typeCode || SheetTypePath(programFolder, again).empty()) return sheet;
    MeasuredSheet reread;
    reread.typeCode = again;
    reread.status = MeasureSheet(image, frame, programFolder, again, reread.type, reread.grid, &reread.fit);
    return reread.status == kStatusNormal ? reread : sheet;
}

void AddFitFindings(const FitCheck& fit, ReadingDoubts& doubts) {
    if (fit.verdict == FitCheck::Corrected) doubts.sheet.push_back(kFindingFitCorrected);
    if (fit.verdict == FitCheck::NoDots) doubts.sheet.push_back(kFindingNoDots);
}

SheetReading ReadSheet(const SheetImage& image, const RecognitionSettings& settings,
                       const std::filesystem::path& programFolder, const std::optional<std::string>& fixedTypeCode) {
    SheetReading reading;
    FrameDetection detection = DetectFrame(image, settings);
    reading.status = detection.status;
    if (!detection.ok()) return reading;
    reading.frame = detection.frame;
    reading.reached = SheetReading::Frame;

    MeasuredSheet measured = MeasureFramedSheet(image, reading.frame, programFolder, fixedTypeCode);
    reading.status = measured.status;
    reading.typeCode = measured.typeCode;
    reading.type = measured.type;
    reading.grid = measured.grid;
    reading.fit = measured.fit;
    if (reading.status != kStatusNormal) return reading;
    reading.reached = SheetReading::Measured;
    MarkReading marks =
        ReadMarks(reading.type, reading.grid, settings.填涂判定 == 0 ? MarkRule::Spread : MarkRule::EmptyReference);
    reading.examineeDigits = marks.number;
    reading.answers = std::move(marks.answers);
    reading.doubts.questions = std::move(marks.doubtfulQuestions);
    reading.doubts.digits = std::move(marks.doubtfulDigits);
    AddFitFindings(reading.fit, reading.doubts);
    return reading;
}

}  // namespace quillmark

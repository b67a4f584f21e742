#include "sheet_reader.h"

#include "answers.h"
#include "data/text_fns.h"
#include "examinee_number.h"
#include "mark_reading.h"
#include "type_code.h"

namespace quillmark {

SheetReading ReadSheet(const SheetImage& image, const RecognitionSettings& settings,
                       const std::filesystem::path& programFolder, const std::optional<std::string>& fixedTypeCode) {
    SheetReading reading;
    FrameDetection detection = DetectFrame(image, settings);
    reading.status = detection.status;
    if (!detection.ok()) return reading;
    reading.frame = detection.frame;
    reading.typeCode = fixedTypeCode ? TrimSpaces(*fixedTypeCode) : ReadTypeCode(image, reading.frame);
    reading.reached = SheetReading::Frame;

    reading.status = MeasureSheet(image, reading.frame, programFolder, reading.typeCode, reading.type, reading.grid);
    if (reading.status != kStatusNormal) return reading;
    reading.reached = SheetReading::Measured;
    MarkReading marks =
        ReadMarks(reading.type, reading.grid, settings.填涂判定 == 0 ? MarkRule::Spread : MarkRule::EmptyReference);
    reading.examineeDigits = marks.number;
    reading.answers = std::move(marks.answers);
    reading.doubts.questions = std::move(marks.doubtfulQuestions);
    reading.doubts.digits = std::move(marks.doubtfulDigits);
    return reading;
}

}  // namespace quillmark

#include "sheet_reader.h"

#include "answers.h"
#include "data/text_fns.h"
#include "examinee_number.h"
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
    reading.examineeDigits = ReadExamineeDigits(reading.type, reading.grid);
    reading.answers = ReadAllAnswers(reading.type, reading.grid);
    return reading;
}

}  // namespace quillmark

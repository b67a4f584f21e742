#include "read_command.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include <algorithm>

#include "engine/recognition_settings.h"
#include "engine/sheet_reader.h"
#include "platform/image_decoder.h"

namespace quillmark::cli {
namespace {

using Json = nlohmann::ordered_json;

Json ReadingToJson(const std::string& file, const SheetReading& reading, bool withScores) {
    Json line;
    line["file"] = file;
    line["status"] = reading.status;
    if (reading.reached == SheetReading::None) return line;

    const FrameGeometry& frame = reading.frame;
    line["type_code"] = reading.typeCode;
    line["orientation"] = frame.orientation;
    Json corners = Json::array();
    for (const Point& corner : frame.corners) corners.push_back({corner.x, corner.y});
    line["corners"] = corners;
    line["gaps"] = {{"left", frame.gapLeft}, {"right", frame.gapRight}, {"top", frame.gapTop}, {"bottom", frame.gapBottom}};
    static constexpr const char* kVerdicts[] = {"trusted", "corrected", "no_dots", "mismatch"};
    const FitCheck& fit = reading.fit;
    if (fit.dotsExpected > 0) {
        line["checks"] = {{"fit", kVerdicts[fit.verdict]},
                          {"dots_found", fit.dotsFound},
                          {"dots_expected", fit.dotsExpected},
                          {"residual", std::round(fit.residual * 1000) / 1000},
                          {"findings", reading.doubts.sheet}};
    }
    if (reading.reached != SheetReading::Measured) return line;

    line["examinee"] = reading.examineeDigits;
    line["answers"] = reading.answers;
    line["doubtful"] = reading.doubts.questions;
    line["doubtful_digits"] = reading.doubts.digits;
    if (withScores) {
        Json rows = Json::array();
        for (int row = 1; row <= reading.type.垂直单元格数; ++row) {
            Json columns = Json::array();
            for (int column = 1; column <= reading.type.水平单元格数; ++column) {
                columns.push_back(reading.grid.at(column, row));
            }
            rows.push_back(columns);
        }
        line["scores"] = rows;
    }
    return line;
}

}  // namespace

int RunRead(const ReadOptions& options, std::ostream& out) {
    RecognitionSettings settings = ReadRecognitionSettings(options.programFolder);
    for (const std::string& file : options.images) {
        // Every page of a file of several pages is a sheet of its own, "FILE#N".
        PageCount count = CountImagePages(file);
        for (int page = 1; page <= std::max(count.pages, 1); ++page) {
            const std::string name = count.pages > 1 ? file + "#" + std::to_string(page) : file;
            DecodedImage decoded = count.ok() ? DecodeImageFile(file, page) : DecodedImage{PixelBuffer(), count.error};
            if (!decoded.ok()) {
                Json line;
                line["file"] = name;
                line["error"] = decoded.error;
                out << line.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
                continue;
            }
            SheetReading reading = ReadSheet(SheetImage(decoded.pixels), settings, options.programFolder, options.fixedType);
            out << ReadingToJson(name, reading, options.scores).dump(-1, ' ', false, Json::error_handler_t::replace)
                << '\n';
        }
    }
    return 0;
}

}  // namespace quillmark::cli

#include "read_command.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <thread>

#include "engine/recognition_settings.h"
#include "marking/batch_preparer.h"
#include "marking/installed_sheet_types.h"
#include "platform/image_decoder.h"

namespace quillmark::cli {
namespace {

using Json = nlohmann::ordered_json;

Json ReadingToJson(const std::string& file, const SheetReading& reading, bool withScores) {
    Json line;
    line["file"] = file;
    line["status"] = StatusText(reading.status);
    line["code"] = StatusCode(reading.status);
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
                          {"corner_shift", std::round(fit.cornerShift * 100) / 100},
                          {"findings", reading.doubts.sheet},
                          {"notes", reading.checks}};
    }
    if (reading.reached != SheetReading::Measured) return line;

    line["examinee"] = reading.marks.number;
    line["answers"] = reading.marks.answers;
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
    // The stages a marking run prepares a sheet with, without a paper or a roster.
    MarkingSettings settings;
    settings.recognition = ReadRecognitionSettings(options.programFolder);
    settings.sheetTypes = LoadInstalledSheetTypes(options.programFolder);
    settings.fixedTypeEnabled = options.fixedType.has_value();
    settings.fixedTypeCode = options.fixedType.value_or("");
    std::vector<std::filesystem::path> files(options.images.begin(), options.images.end());
    // Every page of a file of several pages is a sheet of its own, "FILE#N".
    FileFeed feed(SheetsOf(files, CountImagePages),
                  [](const SheetSource& sheet) { return DecodeImageFile(sheet.file, sheet.page); });
    // Read ahead on every core; the lines still come in input order.
    BatchPreparer preparer(feed, settings, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    while (std::optional<PreparedFile> prepared = preparer.Next()) {
        Json line;
        if (!prepared->problem.ok()) {
            line["file"] = prepared->source.Name();
            line["error"] = prepared->problem.message();
            line["code"] = "unreadable";
        } else {
            line = ReadingToJson(prepared->source.Name(), prepared->sheet.reading, options.scores);
        }
        out << line.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    }
    return 0;
}

}  // namespace quillmark::cli

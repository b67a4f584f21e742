#include "marking_pipeline.h"

#include "data/text_fns.h"
#include "engine/answers.h"
#include "engine/examinee_number.h"
#include "engine/type_code.h"

namespace quillmark {
namespace {

MarkRule MarkRuleOf(const MarkingSettings& settings) {
    return settings.recognition.填涂判定 == 0 ? MarkRule::Spread : MarkRule::EmptyReference;
}

}  // namespace

PreparedSheet PrepareSheet(PixelBuffer image, const MarkingSettings& settings, const std::filesystem::path& programFolder) {
    PreparedSheet sheet;
    sheet.image = std::move(image);
    SheetImage view(sheet.image);
    std::optional<std::string> fixedType;
    if (settings.fixedTypeEnabled) fixedType = settings.fixedTypeCode;
    FramedSheet framed = FindAndMeasureSheet(view, settings.recognition, programFolder, fixedType);
    sheet.detection = framed.detection;
    if (!sheet.detection.ok()) return sheet;
    const MeasuredSheet& measured = framed.measured;
    sheet.typeCode = measured.typeCode;
    sheet.measureStatus = measured.status;
    sheet.type = measured.type;
    sheet.grid = measured.grid;
    sheet.fit = measured.fit;
    sheet.codeClear = measured.codeClear;
    if (sheet.measureStatus == kStatusNormal) sheet.marks = ReadMarks(sheet.type, sheet.grid, MarkRuleOf(settings));
    return sheet;
}

// What a person checking this sheet later needs: its source, its frame, its cells' scores
// and what was read and doubted.
static SheetReview ReviewOf(const PreparedSheet& sheet, const SheetOutcome& outcome, const SheetSource* source) {
    SheetReview review;
    review.examinee = outcome.examineeNumber;
    if (source) {
        review.file = source->file.string();
        review.page = source->page;
    }
    review.typeCode = outcome.typeCode;
    const FrameGeometry& frame = sheet.fit.verdict == FitCheck::Corrected ? sheet.fit.frame : sheet.detection.frame;
    review.orientation = frame.orientation;
    for (std::size_t c = 0; c < 4; ++c) {
        review.corners[2 * c] = frame.corners[c].x;
        review.corners[2 * c + 1] = frame.corners[c].y;
    }
    const SheetType& type = sheet.type;
    for (int q = 1; q <= type.答题卡总题数; ++q) {
        std::vector<int> scores;
        for (int k = 1; k <= type.每题选项数; ++k) {
            GridPosition cell = type.OptionCell(q, k);
            scores.push_back(sheet.grid.at(cell.column, cell.row));
        }
        review.optionScores.push_back(std::move(scores));
    }
    review.answersRead = sheet.marks.answers;
    review.doubtfulQuestions = outcome.doubts.questions;
    review.numberRead = sheet.marks.digitByPosition;
    for (int n = 1; n <= type.考号位数; ++n) {
        std::vector<int> scores;
        for (int v = 0; v <= 9; ++v) {
            GridPosition cell = type.DigitCell(n, v);
            scores.push_back(sheet.grid.at(cell.column, cell.row));
        }
        review.digitScores.push_back(std::move(scores));
    }
    review.doubtfulDigits = outcome.doubts.digits;
    review.findings = outcome.doubts.sheet;
    return review;
}

SheetOutcome FinishSheet(PreparedSheet& sheet, const MarkingSettings& settings, const std::filesystem::path& programFolder,
                         ResultSet& records, MarkingUi& ui, const SheetSource* source) {
    SheetOutcome outcome;
    SheetImage view(sheet.image);
    if (!sheet.detection.ok()) {
        ui.SheetShown(view);
        ui.ShowMessage(sheet.detection.status + kCheckDeviceSuffix);
        outcome.kind = SheetOutcome::FrameFailed;
        outcome.status = sheet.detection.status;
        return outcome;
    }
    outcome.typeCode = sheet.typeCode;

    ui.LetEventsRun();
    if (sheet.measureStatus != kStatusNormal && sheet.measureStatus != kStatusWrongType) {
        // The type was found but the sheet cannot be measured with it (a broken definition,
        // a grid outside the image): choosing a type would not help.
        ui.ShowMessage(sheet.measureStatus + kCheckDeviceSuffix);
        outcome.kind = SheetOutcome::TypeFailed;
        outcome.status = sheet.measureStatus;
        return outcome;
    }
    if (sheet.measureStatus != kStatusNormal) {
        outcome.status = sheet.measureStatus;
        ui.ProgressPaused();
        std::string chosen = TrimSpaces(ui.ChooseSheetType());
        ui.ProgressResumed();
        if (chosen.empty()) {
            outcome.kind = SheetOutcome::TypeAbandoned;
            return outcome;
        }
        outcome.typeCode = chosen;
        // A chosen type that cannot measure the sheet would leave the previous grid in
        // place and record garbage: tell the user and record nothing.
        sheet.grid = CellGrid();
        std::string status = MeasureSheet(view, sheet.detection.frame, programFolder, chosen, sheet.type, sheet.grid, &sheet.fit);
        if (status != kStatusNormal) {
            ui.ShowMessage(status + kCheckDeviceSuffix);
            outcome.kind = SheetOutcome::TypeFailed;
            outcome.status = status;
            return outcome;
        }
        sheet.marks = ReadMarks(sheet.type, sheet.grid, MarkRuleOf(settings));
        sheet.codeClear = true;  // the user chose the type
    }
    outcome.doubts.questions = sheet.marks.doubtfulQuestions;
    outcome.doubts.digits = sheet.marks.doubtfulDigits;
    AddSheetFindings(sheet.fit, sheet.codeClear, sheet.grid, outcome.doubts);

    ui.LetEventsRun();
    ExamineeLookup lookup =
        LookUpReadNumber(sheet.marks.number, sheet.marks.numberComplete, records.roster, settings.checkExamineeNumber);
    std::string number = lookup.number;
    if (lookup.status != kStatusNormal) {
        if (outcome.status.empty()) outcome.status = lookup.status;
        ui.ProgressPaused();
        number = TrimSpaces(ui.ChooseExamineeNumber(records.roster, NumberReading{lookup.number, lookup.complete}));
        ui.ProgressResumed();
        if (number.empty()) {
            outcome.kind = SheetOutcome::NumberAbandoned;
            return outcome;
        }
    }

    ui.LetEventsRun();
    outcome.rosterRow = RecordAnswers(number, sheet.marks.answers, records);
    outcome.examineeNumber = number;
    if (outcome.rosterRow == 0) {
        ui.ShowMessage(kStatusRosterFull);
        outcome.kind = SheetOutcome::NotRecorded;
        outcome.status = kStatusRosterFull;
        return outcome;
    }
    outcome.score = records.roster.Row(outcome.rosterRow)[Examinee::Score];
    outcome.kind = SheetOutcome::Marked;
    records.review.Put(ReviewOf(sheet, outcome, source));
    return outcome;
}

SheetOutcome 阅卷全过程(PixelBuffer image, const MarkingSettings& settings, const std::filesystem::path& programFolder,
                        ResultSet& records, MarkingUi& ui) {
    PreparedSheet sheet = PrepareSheet(std::move(image), settings, programFolder);
    return FinishSheet(sheet, settings, programFolder, records, ui);
}

}  // namespace quillmark

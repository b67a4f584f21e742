#include "marking_pipeline.h"

#include <cstdio>
#include <cstring>

#include "data/stored_path.h"
#include "data/text_fns.h"
#include "data/ui_text.h"
#include "engine/image_fingerprint.h"
#include "grading.h"
#include "status_texts.h"

namespace quillmark {
namespace {

// The examinee's row when results for the paper held were recorded in it: a sheet's review
// record, or answers in the answer table (a set saved before review records existed). A
// score left in the roster from another paper is no result of this one.
int RowWithResults(const ResultSet& records, const std::string& number) {
    const Roster& roster = records.roster;
    for (int r = 1; r <= roster.RowCount(); ++r) {
        std::string own = TrimSpaces(roster.Row(r)[Examinee::考号]);
        if (!EqualsIgnoringCase(own, number)) continue;
        if (records.review.Find(own)) return r;
        for (int q = 1; q <= records.paper.总题数; ++q) {
            if (!records.answers.Cell(q, r).empty()) return r;
        }
        return 0;
    }
    return 0;
}

// In the window's language: it is no stored status (a duplicate is not recorded).
std::string DuplicateText(const DuplicateSheet& duplicate) {
    std::string text = FillForm(UiText("SheetStatus", "考号%1已有成绩"), {duplicate.number});
    const bool named = duplicate.earlier && !duplicate.earlier->file.empty();
    if (duplicate.sameImage) {
        text += named ? FillForm(UiText("SheetStatus", "（与“%1”是同一图像）"), {duplicate.earlier->file})
                      : UiText("SheetStatus", "（与先前阅过的答题卡是同一图像）");
    } else if (named) {
        text += FillForm(UiText("SheetStatus", "（先前的答题卡：%1）"), {duplicate.earlier->file});
    }
    return text;
}

// A sheet that cannot be measured: what stopped it, and what to do.
std::string CheckDeviceMessage(const Status& status) {
    return FillForm(UiText("MarkingPipeline", "%1 请检查答题卡和图像输入设备，再重新输入！"), {ShownStatus(status.message())});
}

}  // namespace

PreparedSheet PrepareSheet(PixelBuffer image, const MarkingSettings& settings) {
    PreparedSheet sheet;
    sheet.image = std::move(image);
    sheet.fingerprint = ImageFingerprint(sheet.image);
    std::optional<std::string> fixedType;
    if (settings.fixedTypeEnabled) fixedType = settings.fixedTypeCode;
    sheet.reading = ReadSheet(SheetImage(sheet.image), settings.recognition, settings.sheetTypes, fixedType);
    return sheet;
}

// What a person checking this sheet later needs: its source, its frame, its cells' scores
// and what was read and doubted.
static SheetReview ReviewOf(const PreparedSheet& sheet, const SheetOutcome& outcome, const SheetSource* source,
                           const std::filesystem::path& programFolder) {
    SheetReview review;
    review.examinee = outcome.examineeNumber;
    if (source) {
        review.file = StoredImagePath(source->file, programFolder);
        review.page = source->page;
    }
    review.typeCode = outcome.typeCode;
    const SheetReading& reading = sheet.reading;
    const FrameGeometry& frame = reading.PlacedFrame();
    review.orientation = frame.orientation;
    for (std::size_t c = 0; c < 4; ++c) {
        review.corners[2 * c] = frame.corners[c].x;
        review.corners[2 * c + 1] = frame.corners[c].y;
    }
    const SheetType& type = reading.type;
    for (int q = 1; q <= type.答题卡总题数; ++q) {
        std::vector<int> scores;
        for (int k = 1; k <= type.每题选项数; ++k) {
            GridPosition cell = type.OptionCell(q, k);
            scores.push_back(reading.grid.at(cell.column, cell.row));
        }
        review.optionScores.push_back(std::move(scores));
    }
    review.answersRead = reading.marks.answers;
    review.doubtfulQuestions = outcome.doubts.questions;
    review.numberRead = reading.marks.digitByPosition;
    for (int n = 1; n <= type.考号位数; ++n) {
        std::vector<int> scores;
        for (int v = 0; v <= 9; ++v) {
            GridPosition cell = type.DigitCell(n, v);
            scores.push_back(reading.grid.at(cell.column, cell.row));
        }
        review.digitScores.push_back(std::move(scores));
    }
    review.doubtfulDigits = outcome.doubts.digits;
    review.findings = outcome.doubts.sheet;
    review.checks = reading.checks;
    review.fingerprint = sheet.fingerprint;
    return review;
}

SheetOutcome FinishSheet(PreparedSheet& sheet, const MarkingSettings& settings, const std::filesystem::path& programFolder,
                         ResultSet& records, MarkingUi& ui, const SheetSource* source) {
    SheetOutcome outcome;
    SheetReading& reading = sheet.reading;
    // Whatever the user is asked about this sheet, the sheet is in view first (once).
    bool shown = false;
    auto showSheet = [&] {
        if (!shown) ui.ShowSheet(sheet.image);
        shown = true;
    };
    auto tell = [&](const std::string& text) {
        showSheet();
        ui.ShowMessage(text);
    };
    if (reading.reached == SheetReading::None) {
        tell(CheckDeviceMessage(reading.status));
        outcome.kind = SheetOutcome::FrameFailed;
        outcome.status = reading.status;
        return outcome;
    }
    outcome.typeCode = reading.typeCode;

    if (!reading.status.ok() && !Is(reading.status, kWrongType)) {
        // The type was found but the sheet cannot be measured with it (a broken definition,
        // a grid outside the image, a fixed type the sheet contradicts): choosing a type
        // would not help.
        tell(CheckDeviceMessage(reading.status));
        outcome.kind = SheetOutcome::TypeFailed;
        outcome.status = reading.status;
        return outcome;
    }
    if (!reading.status.ok()) {
        outcome.status = reading.status;
        showSheet();
        ui.ProgressPaused();
        std::string chosen = TrimSpaces(ui.ChooseSheetType());
        ui.ProgressResumed();
        if (chosen.empty()) {
            outcome.kind = SheetOutcome::TypeAbandoned;
            return outcome;
        }
        outcome.typeCode = chosen;
        // A chosen type that cannot measure the sheet would record garbage: tell the user
        // and record nothing.
        ReadSheetAs(SheetImage(sheet.image), settings.recognition, settings.sheetTypes, chosen, reading);
        if (!reading.status.ok()) {
            tell(CheckDeviceMessage(reading.status));
            outcome.kind = SheetOutcome::TypeFailed;
            outcome.status = reading.status;
            return outcome;
        }
    }
    outcome.doubts = reading.doubts;

    ExamineeLookup lookup =
        LookUpReadNumber(reading.marks.number, reading.marks.numberComplete, records.roster, settings.checkExamineeNumber);
    std::string number = lookup.number;
    auto askNumber = [&] {
        showSheet();
        ui.ProgressPaused();
        number = TrimSpaces(ui.ChooseExamineeNumber(records.roster, NumberReading{lookup.number, lookup.complete}));
        ui.ProgressResumed();
        return !number.empty();
    };
    if (!lookup.status.ok()) {
        if (outcome.status.ok()) outcome.status = lookup.status;
        if (!askNumber()) {
            outcome.kind = SheetOutcome::NumberAbandoned;
            return outcome;
        }
    }

    // An examinee's results are never recorded over without the user's word.
    DuplicatePolicy policy = settings.onDuplicate;
    while (int row = RowWithResults(records, number)) {
        DuplicateSheet duplicate;
        duplicate.number = TrimSpaces(records.roster.Row(row)[Examinee::考号]);
        duplicate.name = TrimSpaces(records.roster.Row(row)[Examinee::姓名]);
        duplicate.sheetName = source ? source->Name() : "";
        duplicate.earlier = records.review.Find(duplicate.number);
        duplicate.sameImage = duplicate.earlier && !sheet.fingerprint.empty() && duplicate.earlier->fingerprint == sheet.fingerprint;
        DuplicateDecision decision;
        if (policy == DuplicatePolicy::Ask) {
            showSheet();
            ui.ProgressPaused();
            decision = ui.ResolveDuplicate(duplicate, sheet.image);
            ui.ProgressResumed();
            if (decision.forAllRemaining && decision.action != DuplicateDecision::OtherNumber) {
                policy = decision.action == DuplicateDecision::Keep ? DuplicatePolicy::Keep : DuplicatePolicy::Replace;
                outcome.duplicatesFromNowOn = policy;
            }
        } else {
            decision.action = policy == DuplicatePolicy::Replace ? DuplicateDecision::Replace : DuplicateDecision::Keep;
        }
        if (decision.action == DuplicateDecision::Replace) {
            outcome.replacedEarlier = true;
            break;
        }
        if (decision.action == DuplicateDecision::Keep) {
            outcome.kind = SheetOutcome::DuplicateKept;
            outcome.examineeNumber = duplicate.number;
            outcome.status = Status::Error(policy == DuplicatePolicy::Refuse ? "duplicate_refused" : "duplicate_kept",
                                           DuplicateText(duplicate) + (policy == DuplicatePolicy::Refuse ? UiText("SheetStatus", "，未记录")
                                                                                                         : UiText("SheetStatus", "，保留了先前的成绩")));
            return outcome;
        }
        if (!askNumber()) {
            outcome.kind = SheetOutcome::NumberAbandoned;
            return outcome;
        }
    }

    outcome.rosterRow = RecordAnswers(number, reading.marks.answers, records);
    outcome.examineeNumber = number;
    if (outcome.rosterRow == 0) {
        tell(ShownStatus(kRosterFull.text));
        outcome.kind = SheetOutcome::NotRecorded;
        outcome.status = Failed(kRosterFull);
        return outcome;
    }
    outcome.score = records.roster.Row(outcome.rosterRow)[Examinee::Score];
    outcome.kind = SheetOutcome::Marked;
    records.review.Put(ReviewOf(sheet, outcome, source, programFolder));
    return outcome;
}

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "data/result_set.h"
#include "engine/sheet_image.h"
#include "engine/sheet_reader.h"
#include "engine/sheet_type_catalog.h"
#include "marking_ui.h"
#include "sheet_source.h"

namespace quillmark {

// A sheet for an examinee who already has results: ask the user, keep the earlier result
// (the sheet is not recorded), record the sheet over it, or refuse the sheet as a failure.
enum class DuplicatePolicy { Ask, Keep, Replace, Refuse };

// The shared marking values that outlive one sheet.
struct MarkingSettings {
    RecognitionSettings recognition;
    bool fixedTypeEnabled = false;
    std::string fixedTypeCode = "1000111001";
    bool checkExamineeNumber = false;
    DuplicatePolicy onDuplicate = DuplicatePolicy::Ask;
    // The installed sheet types, loaded when a run is set up.
    SheetTypeCatalog sheetTypes;
};


// The image-only stages of one sheet (frame, type code, cell scores, marks). They depend on
// nothing but the image, the settings and the type definitions, so they may run on any
// thread ahead of the sheet's turn.
struct PreparedSheet {
    PixelBuffer image;
    std::string fingerprint;  // of the image's pixels: the same picture marked again is known
    SheetReading reading;
};

PreparedSheet PrepareSheet(PixelBuffer image, const MarkingSettings& settings);

// What became of one sheet.
struct SheetOutcome {
    enum Kind {
        Marked,
        FrameFailed,      // the message was shown
        TypeAbandoned,    // the user chose to re-enter the image in the type dialog
        TypeFailed,       // the chosen type could not measure the sheet; the message was shown
        NumberAbandoned,  // the user chose to re-enter the image in the number dialog
        NotRecorded,      // the roster is full and cannot take the examinee; the message was shown
        DuplicateKept,    // the examinee already had results, which were kept
        Unreadable,       // the image could not be decoded or recognised
    };
    Kind kind = Marked;
    Status status;               // the first stage that did not pass, if one did
    std::string typeCode;
    std::string examineeNumber;  // as recorded
    int rosterRow = 0;
    std::string score;
    ReadingDoubts doubts;  // what a person should look at, for a sheet that was measured
    bool replacedEarlier = false;  // recorded over the examinee's earlier results
    // The user's answer to a duplicate, to be given for every further one of the run.
    std::optional<DuplicatePolicy> duplicatesFromNowOn;
};

// The stages that need the user and the records, strictly in sheet order: the dialogs
// for an unknown type or number, then the answers and the score.
// A marked sheet's review record (see ReviewLog) is kept in the records, with its source when given.
SheetOutcome FinishSheet(PreparedSheet& sheet, const MarkingSettings& settings, const std::filesystem::path& programFolder,
                         ResultSet& records, MarkingUi& ui, const SheetSource* source = nullptr);

}  // namespace quillmark

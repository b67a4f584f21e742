#include "session.h"

#include "engine/recognition_settings.h"
#include "platform/image_decoder.h"

namespace quillmark {

Session::Session(std::filesystem::path programFolder, Prompt& prompt)
    : programFolder_(std::move(programFolder)),
      prompt_(prompt),
      paper_(programFolder_, records_, prompt),
      roster_(programFolder_, records_, prompt),
      sets_(programFolder_) {
    marking_.recognition = ReadRecognitionSettings(programFolder_);
}

void Session::FillFileLists() {
    paper_.FillEntries();
    roster_.FillEntries();
}

StartMarkingState Session::RefreshMarkingStart() {
    StartMarkingState state = 刷新开始阅卷按钮(paper_.Chosen() > 0, roster_.Chosen() > 0, programFolder_);
    if (state.start) marking_.recognition = state.start->recognition;
    return state;
}

void Session::ReloadChosen() {
    paper_.Choose(paper_.Chosen());
    roster_.Choose(roster_.Chosen());
}

MarkingContext Session::NewMarkingContext(MarkingUi& ui) {
    MarkingContext context;
    context.programFolder = programFolder_;
    context.settings = marking_;
    context.records = &records_;
    context.ui = &ui;
    context.load = [](const SheetSource& sheet) { return DecodeImageFile(sheet.file, sheet.page); };
    context.countPages = CountImagePages;
    return context;
}

}  // namespace quillmark

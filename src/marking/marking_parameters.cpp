#include "marking_parameters.h"

#include "data/key_file.h"
#include "data/number_text.h"
#include "data/program_paths.h"
#include "engine/recognition_settings.h"

namespace quillmark {

namespace {
bool InZoomRange(double value) { return value >= ZoomBox::kMinZoom && value <= ZoomBox::kMaxZoom; }
}  // namespace

bool ZoomBox::TextChanged(std::string text) {
    text_ = std::move(text);
    double value = NumericValue(text_);
    if (!InZoomRange(value)) return false;
    text_ = ShortestDecimalText(value);
    previewZoom_ = value;
    return true;
}

bool ZoomBox::FocusLost() {
    if (NumericValue(text_) > kMaxZoom) text_ = ShortestDecimalText(kMaxZoom);
    if (NumericValue(text_) < kMinZoom) text_ = ShortestDecimalText(kMinZoom);
    double value = NumericValue(text_);
    text_ = ShortestDecimalText(value);
    previewZoom_ = value;
    return true;
}

StartMarkingState 刷新开始阅卷按钮(bool paperChosen, bool rosterChosen, const std::filesystem::path& programFolder) {
    StartMarkingState state;
    bool both = paperChosen && rosterChosen;
    state.paperNextEnabled = paperChosen;
    state.rosterNextEnabled = both;
    state.markingPageAvailable = both;
    state.Mnu_Scan_阅卷 = both;
    if (both) {
        MarkingStart start;
        start.recognition = ReadRecognitionSettings(programFolder);
        KeyFile settings = KeyFile::Load(ResolvePath(programFolder, "\\SYS\\SYS.CHO"));
        start.线与单元格比例 = ToInt16(NumericValue(settings.Read("DATIKA", "线与单元格比例", "0")));
        state.start = start;
    }
    return state;
}

}  // namespace quillmark

#include "status_texts.h"

#include <string_view>

#include "data/roster.h"
#include "data/ui_text.h"
#include "engine/fit_check.h"
#include "engine/sheet_reader.h"
#include "engine/sheet_status.h"
#include "grading.h"
#include "marking_run.h"

namespace quillmark {
namespace {

// What the engine and marking write down about a sheet, for the translation catalog: the
// statuses, the sheet-level findings and checks, the reasons a sheet was not marked.
// Composed ones are translated where they are made (marking_run.cpp, marking_pipeline.cpp).
constexpr std::string_view kStoredTexts[] = {
    UI_TEXT_NOOP("SheetStatus", "正常"),
    UI_TEXT_NOOP("SheetStatus", "预计图像宽度与线比例设置错误"),
    UI_TEXT_NOOP("SheetStatus", "无法确定左边框"),
    UI_TEXT_NOOP("SheetStatus", "无法确定右边框"),
    UI_TEXT_NOOP("SheetStatus", "无法确定上边框"),
    UI_TEXT_NOOP("SheetStatus", "无法确定下边框"),
    UI_TEXT_NOOP("SheetStatus", "边框出错"),
    UI_TEXT_NOOP("SheetStatus", "边框变形"),
    UI_TEXT_NOOP("SheetStatus", "答题卡类型错误"),
    UI_TEXT_NOOP("SheetStatus", "答题卡类型定义错误"),
    UI_TEXT_NOOP("SheetStatus", "网格与答题卡不符"),
    UI_TEXT_NOOP("SheetStatus", "答题卡超出图像范围"),
    UI_TEXT_NOOP("SheetStatus", "找不到校准点，无法核对定位"),
    UI_TEXT_NOOP("SheetStatus", "答题卡与指定的答题卡类型不符"),
    UI_TEXT_NOOP("SheetStatus", "定位已按校准点校正"),
    UI_TEXT_NOOP("SheetStatus", "未找到校准点，定位未经核对"),
    UI_TEXT_NOOP("SheetStatus", "类型码不清晰"),
    UI_TEXT_NOOP("SheetStatus", "图像几乎只有黑白两色，浅色填涂可能丢失"),
    UI_TEXT_NOOP("SheetStatus", "考号不在名册内!"),
    UI_TEXT_NOOP("SheetStatus", "考号填涂不完整"),
    UI_TEXT_NOOP("SheetStatus", "名册已满，无法添加考生"),
    UI_TEXT_NOOP("SheetStatus", "考号无法识别"),
    UI_TEXT_NOOP("SheetStatus", "阅卷已停止，未阅"),
};

constexpr bool Listed(std::string_view text) {
    for (std::string_view listed : kStoredTexts) {
        if (listed == text) return true;
    }
    return false;
}

// The texts as the engine and marking write them: a changed one must be listed again.
static_assert(Listed(kStatusNormal));
static_assert(Listed(kImageScaleSetting.text) && Listed(kNoLeftSide.text) && Listed(kNoRightSide.text) &&
              Listed(kNoTopSide.text) && Listed(kNoBottomSide.text) && Listed(kFrameError.text) &&
              Listed(kFrameDeformed.text) && Listed(kWrongType.text) && Listed(kBadTypeDefinition.text) &&
              Listed(kGridMismatch.text) && Listed(kOutsideImage.text) && Listed(kPositionUnchecked.text) &&
              Listed(kFixedTypeContradicted.text));
static_assert(Listed(kFindingFitCorrected) && Listed(kFindingNoDots) && Listed(kFindingCodeUnclear) &&
              Listed(kFindingTonesCut));
static_assert(Listed(kNumberNotInRoster.text) && Listed(kNumberIncomplete.text) && Listed(kRosterFull.text) &&
              Listed(kNumberUnreadable) && Listed(kStoppedReason));

}  // namespace

std::string ShownStatus(const std::string& stored) { return UiText("SheetStatus", stored); }

}  // namespace quillmark

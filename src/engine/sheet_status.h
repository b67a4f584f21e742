#pragma once

#include <string>

#include "data/status.h"

namespace quillmark {

// What stops a sheet on its way: a stable code and the text a person reads (on screen, in
// the review file and in the command line's output).
struct SheetProblem {
    const char* code;
    const char* text;
};

inline constexpr char kStatusNormal[] = "正常";

inline constexpr SheetProblem kImageScaleSetting{"image_scale_setting", "预计图像宽度与线比例设置错误"};
inline constexpr SheetProblem kNoLeftSide{"no_left_side", "无法确定左边框"};
inline constexpr SheetProblem kNoRightSide{"no_right_side", "无法确定右边框"};
inline constexpr SheetProblem kNoTopSide{"no_top_side", "无法确定上边框"};
inline constexpr SheetProblem kNoBottomSide{"no_bottom_side", "无法确定下边框"};
inline constexpr SheetProblem kFrameError{"frame_error", "边框出错"};
inline constexpr SheetProblem kFrameDeformed{"frame_deformed", "边框变形"};
inline constexpr SheetProblem kWrongType{"unknown_type", "答题卡类型错误"};
inline constexpr SheetProblem kBadTypeDefinition{"bad_type_definition", "答题卡类型定义错误"};
inline constexpr SheetProblem kGridMismatch{"grid_mismatch", "网格与答题卡不符"};
inline constexpr SheetProblem kOutsideImage{"outside_image", "答题卡超出图像范围"};
// The calibration dots were not found and the reading looks like a grid placed wrong.
inline constexpr SheetProblem kPositionUnchecked{"position_unchecked", "找不到校准点，无法核对定位"};
inline constexpr SheetProblem kFixedTypeContradicted{"fixed_type_contradicted", "答题卡与指定的答题卡类型不符"};

inline Status Failed(const SheetProblem& problem) { return Status::Error(problem.code, problem.text); }
inline bool Is(const Status& status, const SheetProblem& problem) { return status.code() == problem.code; }

// What a person reads about a status: "正常" when it passed.
inline std::string StatusText(const Status& status) { return status.ok() ? kStatusNormal : status.message(); }
// The same in stable English for scripts: "ok" for 正常, otherwise the problem's code.
inline std::string StatusCode(const Status& status) { return status.ok() ? "ok" : status.code(); }

}  // namespace quillmark

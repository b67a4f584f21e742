#pragma once

#include "engine/sheet_image.h"

namespace quillmark {

// Orientations of the preview, as the orientation list offers them.
enum PreviewOrientation : int { 向上 = 0, 向下 = 1, 向左 = 2, 向右 = 3 };

// Paints the preview of a sheet: a previewWidth × previewHeight Bgrx32 picture (the unused
// byte is 255), cleared to `background`, the sheet drawn over it. z is `zoom` when
// `fixedZoom` is on and 1 otherwise; every rounding goes to the nearest integer, halves to
// the even one. Preview pixels outside the picture are clipped.
//
// 向上: preview pixel (px, py) with px·z < source width and py·z < source height takes the
//       source pixel (round(px·z), round(py·z)), a coordinate that rounds up to the width
//       (height) held to the last column (row).
// 向下: the same copy turned half round, its origin at the fixed preview point (400, 500):
//       preview pixel (px, py) with px ≤ 400, (400 − px)·z < width, py ≤ 500 and
//       (500 − py)·z < height takes
//       the source pixel (round((400 − px)·z), round((500 − py)·z)), held the same way.
// 向左, 向右: for y = 0..H and x = 0..W (both bounds included) the source pixel
//       (round(y·z), round(x·z)) goes to preview pixel (x, H − y) for 向左 and (W − x, y)
//       for 向右; a source position outside the sheet paints nothing.
//
// Any other orientation, and a zoom that is negative or not finite, leave the background.
// With no sheet the preview keeps its old picture: callers skip the call.
PixelBuffer RefreshPreview(const SheetImage& source, int previewWidth, int previewHeight, int orientation,
                           double zoom, bool fixedZoom, Colour background);

}  // namespace quillmark

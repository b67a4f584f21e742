#pragma once

#include <array>
#include <string>

#include "sheet_image.h"
#include "sheet_status.h"

namespace quillmark {

struct RecognitionSettings {
    int 边框线数 = 0;              // 2: the orientation is detected from the frame gaps
    int 预计图像宽度与线比例 = 0;  // the image's longer side over the expected line width
    int 填涂判定 = 1;              // how a cell counts as marked: 0 the spread rule, 1 the empty-bubble reference
};

struct Point {
    double x = 0;
    double y = 0;
};

// Where the sheet's top side lies on the image.
enum Orientation : int { TopAtLeft = 1, TopAtRight = 2, Upright = 3, UpsideDown = 4 };

struct FrameGeometry {
    // Inner frame corners: top-left, top-right, bottom-left, bottom-right of the image.
    std::array<Point, 4> corners{};
    int orientation = Upright;
    int gapLeft = 0;
    int gapRight = 0;
    int gapTop = 0;
    int gapBottom = 0;
};

// What one run of frame detection found; `status` is "正常" on success.
struct FrameDetection {
    Status status;
    FrameGeometry frame;
    bool deformedOnly = false;  // refused as "边框变形" alone; the corners are filled in all the same
    bool ok() const;
};

// How the sides are looked for. `AsPrinted` takes, on each scan line, the first thick dark
// run followed by a thin one. `Careful` also wants paper outside the thick run (so a lid
// shadow or a dark band at the image's edge is not taken for the outer line) and fits each
// side to the largest set of samples that lie on one line (so writing or a streak that
// caught a few scan lines does not tilt it).
enum class FrameSearch { AsPrinted, Careful };

// Finds the four sides of the printed double frame, fits and checks them, and decides the
// corners and the orientation. The type code is read separately (ReadTypeCode).
FrameDetection DetectFrame(const SheetImage& image, const RecognitionSettings& settings,
                           FrameSearch search = FrameSearch::AsPrinted);


namespace frame_detail {

enum Side : int { Left = 0, Right = 1, Top = 2, Bottom = 3 };
inline constexpr int kSamples = 40;
inline constexpr int kCarefulSamples = 12;

struct BorderSample {
    double x = 0;
    double y = 0;
    bool valid = false;
};

struct SideScan {
    std::array<BorderSample, kSamples + 1> samples{};  // 1..40
    int found = 0;
    int gap = 0;
};

struct Line {
    double slope = 0;
    double intercept = 0;
};

// Scans one side on its 40 scan lines; a side with fewer than 20 samples has failed.
SideScan ScanBorder(const SheetImage& image, Side side, double lineWidth,
                    FrameSearch search = FrameSearch::AsPrinted);
// Keeps the samples that lie within `tolerance` pixels of the line through the pair of
// samples that most others agree with.
void KeepConsensus(SideScan& scan, Side side, double tolerance);
Line FitLine(const SideScan& scan);
void DropOutliers(SideScan& scan, const Line& line);
int ValidCount(const SideScan& scan);
int OrientationFromGaps(int left, int right, int top, int bottom);
bool IsDeformed(const Line& left, const Line& right, const Line& top, const Line& bottom);
Point Intersect(const Line& a, const Line& b);

}  // namespace frame_detail
}  // namespace quillmark

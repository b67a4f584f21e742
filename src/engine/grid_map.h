#pragma once

#include <array>
#include <vector>

#include "frame.h"

namespace quillmark {

// Where the sheet's grid lies on the image. Positions are in image-grid units: t across
// (0 at the left edge of the grid as it lies on the image, `across` at the right), s down.
// From the frame, a point is interpolated between the four corners; from the calibration
// dots, between the dots around it, which follows perspective and a curled page too.
class GridMap {
public:
    GridMap() = default;
    GridMap(const FrameGeometry& frame, double across, double down);
    // Dots at image-grid positions ts[a] x ss[b], found at points[b * ts.size() + a].
    GridMap(std::vector<double> ts, std::vector<double> ss, std::vector<Point> points);

    Point At(double t, double s) const;
    bool FromDots() const { return !points_.empty(); }

private:
    FrameGeometry frame_;
    double across_ = 1, down_ = 1;
    std::vector<double> ts_, ss_;
    std::vector<Point> points_;
};

// A projective map from image-grid positions to image points, fitted by least squares.
struct Homography {
    std::array<double, 9> h{};
    Point At(double t, double s) const;
};

// Needs at least four pairs that are not on one line; false when the fit is degenerate.
// Without `projective` the map is affine (parallel lines stay parallel), which extrapolates
// more safely from points that cover only part of the sheet.
bool FitHomography(const std::vector<Point>& grid, const std::vector<Point>& image, Homography& result,
                   bool projective = true);

}  // namespace quillmark

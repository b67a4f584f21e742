#pragma once

#include <vector>

#include "fit_check.h"
#include "grid.h"
#include "sheet_type.h"

namespace quillmark {

// Where the cells of a measured sheet lie on its image, to show them to a person: the same
// fit the measuring used (through the calibration dots when they were found).
class CellLocator {
public:
    CellLocator(const SheetImage& image, const FrameGeometry& frame, const SheetType& type);

    // The image point at the centre of the upright sheet's cell (column, row).
    Point Centre(GridPosition cell) const;
    CellSizePx CellSize() const { return size_; }

private:
    FitCheck fit_;
    ImageGrid grid_;
    CellSizePx size_;
    std::vector<std::pair<int, int>> imageCellOf_;  // (i, j) by column * (rows + 1) + row
    int rows_ = 0;
};

}  // namespace quillmark

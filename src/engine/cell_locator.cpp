#include "cell_locator.h"

namespace quillmark {

CellLocator::CellLocator(const SheetImage& image, const FrameGeometry& frame, const SheetType& type)
    : fit_(CheckFit(image, frame, type.水平单元格数, type.垂直单元格数)),
      grid_(ImageGridOf(type, frame.orientation)),
      size_(quillmark::CellSize(fit_.frame, grid_)),
      rows_(type.垂直单元格数) {
    imageCellOf_.assign(static_cast<std::size_t>((type.水平单元格数 + 1) * (rows_ + 1)), {0, 0});
    for (int i = 1; i <= grid_.down; ++i) {
        for (int j = 1; j <= grid_.across; ++j) {
            GridPosition cell = SheetCell(grid_, frame.orientation, i, j);
            std::size_t index = static_cast<std::size_t>(cell.column * (rows_ + 1) + cell.row);
            if (index < imageCellOf_.size()) imageCellOf_[index] = {i, j};
        }
    }
}

Point CellLocator::Centre(GridPosition cell) const {
    std::size_t index = static_cast<std::size_t>(cell.column * (rows_ + 1) + cell.row);
    if (cell.column < 0 || cell.row < 0 || index >= imageCellOf_.size()) return {};
    auto [i, j] = imageCellOf_[index];
    if (fit_.map.FromDots()) return fit_.map.At(j - 0.5, i - 0.5);
    return CellCentre(fit_.frame, grid_, i, j);
}

}  // namespace quillmark

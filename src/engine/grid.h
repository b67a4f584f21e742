#pragma once

#include <array>
#include <string>
#include <string_view>

#include "fit_check.h"
#include "frame.h"
#include "sheet_image.h"
#include "sheet_type.h"
#include "sheet_status.h"
#include "sheet_type_catalog.h"

namespace quillmark {

// Cell scores by grid (column, row) of the upright sheet, 0..100 each: 100 is an empty
// cell, 0 a fully dark one. Cells outside a type's grid keep what an earlier sheet left.
struct CellGrid {
    std::array<std::array<int, kMaxGridCells + 1>, kMaxGridCells + 1> scores{};
    // The image around the cells has its dark tones pushed to black: a steep tone curve (a
    // copier's harsh contrast, a bi-level scan) that wipes the light tones, light pencil
    // among them, so a mark may be gone without a trace in its cell.
    bool tonesCut = false;
    // The dark samples of a cell's middle lie along a line, as a stroke drawn across the cell
    // leaves them, not spread over it as a fill does.
    std::array<std::array<bool, kMaxGridCells + 1>, kMaxGridCells + 1> lineShaped{};
    // Cells so few pixels across that a stroke drawn over a bubble, widened by blur, darkens
    // its middle like a fill and shows no line.
    bool coarse = false;
    // On a coarse grid: the cell seen whole holds a long thin line, a stroke drawn across it.
    std::array<std::array<bool, kMaxGridCells + 1>, kMaxGridCells + 1> strokeAcross{};

    int& at(int column, int row) { return scores[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)]; }
    int at(int column, int row) const { return scores[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)]; }
    bool isLine(int column, int row) const {
        return lineShaped[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    }
    bool isStroke(int column, int row) const {
        return strokeAcross[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    }
};

// The grid as it lies on the image: `across` cells in x, `down` cells in y.
struct ImageGrid {
    int across = 0;
    int down = 0;
};

ImageGrid ImageGridOf(const SheetType& type, int orientation);

struct CellSizePx {
    double width = 0;
    double height = 0;
};

CellSizePx CellSize(const FrameGeometry& frame, ImageGrid grid);
// Integer pixel centre of image cell (i = image row, j = image column), both from 1.
Point CellCentre(const FrameGeometry& frame, ImageGrid grid, int i, int j);
// Grid (column, row) of the upright sheet for image cell (i, j).
GridPosition SheetCell(ImageGrid grid, int orientation, int i, int j);

// Takes the definition named after the type from the catalog, checks the frame's fit
// against the printed calibration dots and scores every cell of its grid. "答题卡类型错误"
// when no definition exists, "网格与答题卡不符" when the dots contradict the fit and cannot
// place the grid either. `fit` receives the check.
Status MeasureSheet(const SheetImage& image, const FrameGeometry& frame, const SheetTypeCatalog& catalog,
                    std::string_view typeName, SheetType& type, CellGrid& grid, FitCheck* fit = nullptr);

// Scores the cells of an already loaded type (the part of MeasureSheet after loading),
// with the cells placed by the frame alone, or by the map of a fit check.
Status MeasureCells(const SheetImage& image, const FrameGeometry& frame, const SheetType& type, CellGrid& grid);
Status MeasureCells(const SheetImage& image, const FitCheck& fit, const SheetType& type, CellGrid& grid);

}  // namespace quillmark

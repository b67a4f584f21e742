#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/sheet_image.h"

namespace quillmark::test {

// Positions are pixel-centre coordinates: (3, 7) is the centre of pixel column 3, row 7.
using Point = std::pair<double, double>;

// One mark in a grid cell, for marks that differ from SheetDrawing's defaults.
struct CellMark {
    int column = 1;  // from 1
    int row = 1;     // from 1
    int grey = 30;
    double width = 0.6;   // ellipse size as a fraction of the cell
    double height = 0.6;
    double dx = 0;        // offset from the cell centre, upright pixels
    double dy = 0;
};

enum class Corner : std::uint8_t { TopLeft, TopRight, BottomLeft, BottomRight };

struct SheetDrawing {
    int width = 1654, height = 2339;  // upright image size (A4 at 200 dpi)
    double margin = 157;              // paper edge to the outer edge of the outer line
    double outerLine = 9, innerLine = 3, sideGap = 28, topGap = 47;
    int across = 29, down = 45;

    std::string typeCode = "1000111001";  // bit 1 first; drawn from the right, '1' dark
    double codeSpan = 1.0 / 3;            // of the inner width
    double codeHeight = 1.0 / 40;         // of the inner height

    std::vector<std::pair<int, int>> filled;  // (column, row) from 1
    int fillGrey = 30;
    double fillSize = 0.6;  // ellipse width and height as a fraction of the cell
    double fillDx = 0, fillDy = 0;
    std::vector<CellMark> marks;

    bool cellOutlines = false;  // a printed bubble ring in every cell
    int outlineGrey = 200;
    double outlineSize = 0.6;
    double outlineThickness = 1.2;

    std::vector<std::pair<int, int>> calibrationDots;  // (column, row) from 1
    double dotSize = 0.2;  // side as a fraction of the smaller cell dimension
    Corner dotCorner = Corner::TopLeft;

    int paper = 255, ink = 0;

    // 0 upright; 1 sheet top at the image left (turned 90 degrees counter-clockwise);
    // 2 sheet top at the image right (90 degrees clockwise); 3 upside down.
    int quarterTurns = 0;
    // Applied after the quarter turns, about the image centre; positive is counter-clockwise
    // on screen. Resampled bilinearly, paper outside.
    double rotateDegrees = 0;

    double noise = 0;  // standard deviation in grey levels; 0 draws no noise
    std::uint64_t noiseSeed = 1;
};

// The sheet's grid as the engine should find it, in the upright image.
struct SheetGeometry {
    double innerLeft = 0, innerTop = 0, innerRight = 0, innerBottom = 0;  // first dark pixels
    double cellWidth = 0, cellHeight = 0;
    double codeBitWidth = 0;  // the strip starts right below the top inner line
};

struct DrawnSheet {
    PixelBuffer image;  // Gray8
    // In the final image: top-left, top-right, bottom-left, bottom-right as seen in it.
    std::array<Point, 4> innerCorners;
};

// The default A4 sheet drawn at another resolution (the defaults are 200 dpi).
SheetDrawing DrawingAtDpi(double dpi);

SheetGeometry Geometry(const SheetDrawing& drawing);
DrawnSheet DrawSheet(const SheetDrawing& drawing);

Point CellCentreUpright(const SheetDrawing& drawing, int column, int row);
// Centre of bit `bit` (from 1, rightmost) of the type code strip, at a fraction of the
// inner height below innerTop.
Point CodeBitUpright(const SheetDrawing& drawing, int bit, double fractionOfInnerHeight = 1.0 / 100);
// Where an upright position lands in the final image (after the turns and the rotation).
Point UprightToImage(const SheetDrawing& drawing, Point upright);
Point CellCentre(const SheetDrawing& drawing, int column, int row);

}  // namespace quillmark::test

#pragma once

#include <string>
#include <vector>

#include "frame.h"
#include "sheet_image.h"
#include "sheet_type_catalog.h"

namespace quillmark {

// Reads the ten-bit type code strip that runs from the sheet's top-right inner corner
// along its top side (dark bit = "1").
std::string ReadTypeCode(const SheetImage& image, const FrameGeometry& frame);

// The code, and the blocks that were not clearly dark or clearly light: a block whose mean
// lies near the threshold (a shadow, a stroke, a block half off the strip) might be read
// the other way.
struct TypeCodeReading {
    std::string code;
    bool clear = true;
    std::vector<int> unclearBlocks;  // indices into the code
};
TypeCodeReading ReadTypeCodeChecked(const SheetImage& image, const FrameGeometry& frame);

// A code with blocks near the threshold is known all the same when no other reading of
// those blocks names an installed type.
bool CodeKnown(const TypeCodeReading& code, const SheetTypeCatalog& catalog);
// The installed types those blocks read the other way would name.
std::vector<std::string> OtherInstalledReadings(const TypeCodeReading& code, const SheetTypeCatalog& catalog);

namespace type_code_detail {
// The luminance at step k along the strip line, moved into the sheet by 1/f of the frame.
int SampleAt(const SheetImage& image, const FrameGeometry& frame, double k, double f);
// The first light step after the last dark run of more than 10 steps (0 when none).
int FindCodeEnd(const int (&luminance)[301], int threshold);
}  // namespace type_code_detail

}  // namespace quillmark

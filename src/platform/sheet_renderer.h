#pragma once

#include <QImage>
#include <filesystem>
#include <vector>

#include "data/status.h"
#include "marking/sheet_layouts.h"

namespace quillmark {

// Painting needs the program's Qt application (a PaintingApplication where there are no
// windows); without one the functions below paint nothing and say so.

// A blank sheet at the given resolution (white paper, RGB); a null image without an application.
QImage RenderBlankSheet(const SheetLayout& layout, double dpi);

// Vector PDF, one A4 page per layout in the given order, written atomically.
Status WriteBlankSheetsPdf(const std::vector<SheetLayout>& layouts, const std::filesystem::path& path);

// PNG at the given resolution, written atomically.
Status WriteBlankSheetPng(const SheetLayout& layout, double dpi, const std::filesystem::path& path);

}  // namespace quillmark

#pragma once

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "marking/sheet_layouts.h"

namespace quillmark {

// Painting needs the program's Qt application (a PaintingApplication where there are no
// windows); without one the functions below paint nothing and say so.

// A blank sheet at the given resolution (white paper, RGB); a null image without an application.
QImage RenderBlankSheet(const SheetLayout& layout, double dpi);

// Vector PDF, one A4 page per layout in the given order. Empty on success, otherwise a
// message naming the file.
std::string WriteBlankSheetsPdf(const std::vector<SheetLayout>& layouts, const std::filesystem::path& path);

// PNG at the given resolution, written atomically. Empty on success, otherwise a message.
std::string WriteBlankSheetPng(const SheetLayout& layout, double dpi, const std::filesystem::path& path);

}  // namespace quillmark

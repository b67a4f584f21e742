#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "engine/sheet_type_catalog.h"

namespace quillmark {

// Fills a type from its ".CAR" definition file.
SheetType LoadSheetType(const std::filesystem::path& path);

// Every "*.CAR" definition of the folder DaTiKa of the program folder, by name, each
// checked: the catalog a run reads its sheets with.
SheetTypeCatalog LoadInstalledSheetTypes(const std::filesystem::path& programFolder);

// The one definition installed under a name (blanks trimmed, letter case ignored), when
// there is one: for drawing a sheet already marked.
std::optional<SheetTypeDefinition> LoadInstalledSheetType(const std::filesystem::path& programFolder, std::string_view name);

}  // namespace quillmark

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheet_type.h"

namespace quillmark {

// One installed sheet-type definition, by the name it is installed under (its code).
struct SheetTypeDefinition {
    std::string name;
    SheetType type;
    Status problem;  // what makes the definition unusable, if anything
};

// The installed sheet types a run reads with, loaded once before its first sheet: the
// engine is handed them and never looks for a definition on disk.
class SheetTypeCatalog {
public:
    SheetTypeCatalog() = default;
    explicit SheetTypeCatalog(std::vector<SheetTypeDefinition> definitions) : definitions_(std::move(definitions)) {}

    // The definition installed under a name (blanks trimmed, letter case ignored), or none.
    const SheetTypeDefinition* Find(std::string_view name) const;
    // Every definition, in the order they were installed (listed).
    const std::vector<SheetTypeDefinition>& All() const { return definitions_; }

private:
    std::vector<SheetTypeDefinition> definitions_;
};

}  // namespace quillmark

#include "sheet_type_catalog.h"

#include "data/text_fns.h"

namespace quillmark {

const SheetTypeDefinition* SheetTypeCatalog::Find(std::string_view name) const {
    std::string wanted = TrimSpaces(name);
    if (wanted.empty()) return nullptr;
    for (const SheetTypeDefinition& definition : definitions_) {
        if (EqualsIgnoringCase(definition.name, wanted)) return &definition;
    }
    return nullptr;
}

}  // namespace quillmark

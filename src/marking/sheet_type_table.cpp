#include "sheet_type_table.h"

#include "data/text_fns.h"

namespace quillmark {

const SheetTypeEntry* FindSheetType(std::string_view codeOrName) {
    std::string wanted = TrimSpaces(codeOrName);
    for (const SheetTypeEntry& entry : kSheetTypes) {
        std::string name = entry.name;
        std::string shortName = name.size() > 3 && name.ends_with("型") ? name.substr(0, name.size() - 3) : name;
        if (wanted == entry.code || EqualsIgnoringCase(wanted, name) || EqualsIgnoringCase(wanted, shortName) ||
            wanted == entry.caption) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace quillmark

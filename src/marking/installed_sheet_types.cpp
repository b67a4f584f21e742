#include "installed_sheet_types.h"

#include <cmath>

#include "data/key_file.h"
#include "data/number_text.h"
#include "data/program_paths.h"
#include "data/text_fns.h"

namespace quillmark {
namespace {

// Values that do not fit 16 bits are kept out of range so CheckSheetType refuses them.
int IntegerValue(const std::string& text) {
    double value = RoundHalfEven(LeadingNumber(text));
    if (value < -32768) return -32769;
    if (value > 32767) return 32768;
    return static_cast<int>(value);
}

}  // namespace

SheetType LoadSheetType(const std::filesystem::path& path) {
    KeyFile file = KeyFile::Load(path);
    auto integer = [&](const char* section, const std::string& key) {
        return IntegerValue(file.Read(section, key, "0"));
    };
    SheetType type;
    type.水平单元格数 = integer("MAIN", "水平单元格数");
    type.垂直单元格数 = integer("MAIN", "垂直单元格数");
    type.考号位数 = integer("MAIN", "考号位数");
    type.每题选项数 = integer("MAIN", "每题选项数");
    type.考号方向 = TrimSpaces(file.Read("MAIN", "考号方向", "0"));
    type.答案方向 = TrimSpaces(file.Read("MAIN", "答案方向", "0"));
    type.答题卡总题数 = integer("MAIN", "答题卡总题数");

    // The key names are written with the number form's leading space, which key lookup
    // ignores.
    auto positions = [&](const char* section, int count) {
        std::vector<GridPosition> list(1);
        for (int n = 1; n <= count; ++n) {
            std::string number = NumberForm(n);
            list.push_back({integer(section, number + "X"), integer(section, number + "Y")});
        }
        return list;
    };
    type.numberPositions = positions("考号位置", IsInt16(type.考号位数) ? type.考号位数 : 0);
    type.answerPositions = positions("答案位置", IsInt16(type.答题卡总题数) ? type.答题卡总题数 : 0);
    return type;
}

SheetTypeCatalog LoadInstalledSheetTypes(const std::filesystem::path& programFolder) {
    std::filesystem::path folder = ResolvePath(programFolder, "DaTiKa");
    std::vector<SheetTypeDefinition> definitions;
    for (const std::string& file : ListFiles(folder, "*.CAR")) {
        SheetTypeDefinition definition;
        definition.name = file.substr(0, file.size() - 4);
        definition.type = LoadSheetType(folder / file);
        definition.problem = CheckSheetType(definition.type);
        definitions.push_back(std::move(definition));
    }
    return SheetTypeCatalog(std::move(definitions));
}

std::optional<SheetTypeDefinition> LoadInstalledSheetType(const std::filesystem::path& programFolder, std::string_view name) {
    std::filesystem::path folder = ResolvePath(programFolder, "DaTiKa");
    std::string wanted = TrimSpaces(name);
    for (const std::string& file : ListFiles(folder, "*.CAR")) {
        if (wanted.empty() || !EqualsIgnoringCase(file.substr(0, file.size() - 4), wanted)) continue;
        SheetTypeDefinition definition{wanted, LoadSheetType(folder / file), Status()};
        definition.problem = CheckSheetType(definition.type);
        return definition;
    }
    return std::nullopt;
}

}  // namespace quillmark

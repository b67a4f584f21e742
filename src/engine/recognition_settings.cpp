#include "recognition_settings.h"

#include "data/key_file.h"
#include "data/number_text.h"
#include "data/program_paths.h"

namespace quillmark {

RecognitionSettings ReadRecognitionSettings(const std::filesystem::path& programFolder) {
    KeyFile file = KeyFile::Load(ResolvePath(programFolder, "\\SYS\\SYS.CHO"));
    RecognitionSettings settings;
    settings.边框线数 = ToInt16(NumericValue(file.Read("DATIKA", "边框线数", "0")));
    settings.预计图像宽度与线比例 = ToInt16(NumericValue(file.Read("DATIKA", "预计图像宽度与线比例", "0")));
    settings.填涂判定 = ToInt16(NumericValue(file.Read("DATIKA", "填涂判定", "1"))) == 0 ? 0 : 1;
    return settings;
}

}  // namespace quillmark

#pragma once

#include <filesystem>

#include "frame.h"

namespace quillmark {

// Reads 边框线数 and 预计图像宽度与线比例 from section DATIKA of the system settings file
// ("\SYS\SYS.CHO" in the program folder); missing values read as 0, but 填涂判定, which
// reads as 1 (the empty-bubble reference) unless it is 0.
RecognitionSettings ReadRecognitionSettings(const std::filesystem::path& programFolder);

}  // namespace quillmark

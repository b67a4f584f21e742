#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "data/status.h"

namespace quillmark::cli {

// Whether `target` may be written: not when it exists and `overwrite` was not given, nor
// when it is no plain file (a folder, a device).
Status OutputRefusal(const std::filesystem::path& target, bool overwrite);

// Writes the bytes to a hidden temporary file beside the target, flushes it to the disk and
// renames it over the target (without `overwrite` never over a file that appeared meanwhile),
// then syncs the folder: the target is the old file or the whole new one, never half of one.
Status WriteOutputFile(const std::filesystem::path& target, std::string_view bytes, bool overwrite);

}  // namespace quillmark::cli

#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace quillmark::cli {

// Writes the workbook of a saved results set: into ChengJi as NAME.xlsx, or to `out`.
int RunExport(const std::filesystem::path& programFolder, const std::string& name,
              const std::optional<std::string>& out, bool overwrite, std::ostream& output, std::ostream& err);

}  // namespace quillmark::cli

#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillmark::cli {

struct ReadOptions {
    std::filesystem::path programFolder;
    std::optional<std::string> fixedType;
    bool scores = false;
    std::vector<std::string> images;
};

// One JSON object a line for each image, in input order.
int RunRead(const ReadOptions& options, std::ostream& out);

}  // namespace quillmark::cli

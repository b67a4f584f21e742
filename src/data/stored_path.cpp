#include "stored_path.h"

namespace quillmark {

std::string StoredImagePath(const std::filesystem::path& image, const std::filesystem::path& programFolder) {
    if (image.empty()) return "";
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::weakly_canonical(std::filesystem::absolute(image, ec), ec);
    if (ec) return image.string();
    std::filesystem::path folder = std::filesystem::weakly_canonical(std::filesystem::absolute(programFolder, ec), ec);
    if (!ec && !folder.empty()) {
        std::filesystem::path inside = absolute.lexically_relative(folder);
        if (!inside.empty() && *inside.begin() != "..") return inside.generic_string();
    }
    return absolute.string();
}

std::filesystem::path ResolveStoredImagePath(const std::string& stored, const std::filesystem::path& programFolder) {
    std::filesystem::path path(stored);
    if (stored.empty() || path.is_absolute()) return path;
    return programFolder / path;
}

}  // namespace quillmark

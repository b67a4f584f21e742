#include "program_paths.h"

#include <algorithm>
#include <system_error>

#include "text_fns.h"

namespace quillmark {

std::filesystem::path ProgramFolderOfExecutable() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec);
    return exe.parent_path();
}

namespace {

std::vector<std::string_view> SplitComponents(std::string_view relative) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= relative.size(); ++i) {
        if (i == relative.size() || relative[i] == '\\' || relative[i] == '/') {
            if (i > start) parts.push_back(relative.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// The entry of `folder` whose name equals `name` ignoring case; the exact spelling wins.
std::string MatchEntry(const std::filesystem::path& folder, std::string_view name) {
    std::error_code ec;
    if (std::filesystem::exists(folder / std::string(name), ec)) return std::string(name);
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return std::string(name);
    std::vector<std::string> matches;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string entry = it->path().filename().string();
        if (EqualsIgnoringCase(entry, name)) matches.push_back(entry);
    }
    if (matches.empty()) return std::string(name);
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::filesystem::path ResolvePath(const std::filesystem::path& programFolder,
                                  std::string_view relative) {
    std::filesystem::path result = programFolder;
    for (std::string_view part : SplitComponents(relative)) {
        if (part == "." || part == "..") {
            result /= std::string(part);
            continue;
        }
        result /= MatchEntry(result, part);
    }
    return result;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    // Iterative glob with backtracking to the last "*".
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> ListFiles(const std::filesystem::path& folder, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return names;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        if (!it->is_regular_file(ec)) continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(name, pattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if (LessIgnoringCase(a, b)) return true;
        if (LessIgnoringCase(b, a)) return false;
        return a < b;
    });
    return names;
}

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "status.h"

namespace quillmark {

// An INI-style key file held in memory. Reading and writing follow the Windows profile
// functions: sections and keys matched without regard to case, values trimmed of spaces
// and cut to 255 bytes, a written key replaced in place or appended at the end of its
// section, missing sections appended at the end, every other line kept as it was.
class KeyFile {
public:
    static constexpr std::size_t kMaxValueBytes = 255;

    KeyFile() = default;
    static KeyFile Parse(std::string_view fileBytes);
    // A missing or unreadable file gives an empty key file.
    static KeyFile Load(const std::filesystem::path& path);

    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const;
    void Write(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes in code page 936 with CR LF line ends; fails on text the code page lacks.
    Status Serialize(std::string& bytes) const;
    Status Save(const std::filesystem::path& path) const;

private:
    struct Line {
        std::string raw;   // bytes as read, without line end
        std::string text;  // UTF-8
        bool keepRaw = false;
    };
    struct Section {
        Line header;
        std::vector<Line> body;
        std::unordered_map<std::string, std::size_t> keys;  // lower-case key -> body index
    };

    const Section* FindSection(std::string_view name) const;
    void AddBodyLine(Section& section, Line line);

    std::vector<Line> preamble_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // lower-case name -> first
};

// One value from a key file; the default when the file, section or key is missing.
std::string ReadKeyValue(const std::filesystem::path& path, std::string_view section,
                         std::string_view key, std::string_view defaultValue);

// Writes one value into a key file (creating the file and section when missing).
Status WriteKeyValue(const std::filesystem::path& path, std::string_view section,
                     std::string_view key, std::string_view value);

}  // namespace quillmark

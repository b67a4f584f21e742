#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillmark::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Creates the program folder's subfolders (ShiJuan, MingCe, ChengJi, DaTiKa, sys, sample).
    void MakeProgramFolders() const;
    void WriteBytes(const std::string& relative, std::string_view bytes) const;
    std::string ReadBytes(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

// Code page 936 bytes of UTF-8 text (the test's expectations are written in UTF-8).
std::string Gbk(std::string_view utf8);

}  // namespace quillmark::test

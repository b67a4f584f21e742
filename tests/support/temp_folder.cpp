#include "support/temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "data/text_codec.h"

namespace quillmark::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillmark-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::MakeProgramFolders() const {
    for (const char* name : {"ShiJuan", "MingCe", "ChengJi", "DaTiKa", "sys", "sample"}) {
        std::filesystem::create_directories(path_ / name);
    }
}

void TempFolder::WriteBytes(const std::string& relative, std::string_view bytes) const {
    std::filesystem::path target = path_ / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::ReadBytes(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Gbk(std::string_view utf8) {
    GbkEncoding encoded = EncodeGbk(utf8);
    if (!encoded.ok()) throw std::runtime_error("not encodable in GBK");
    return encoded.bytes;
}

}  // namespace quillmark::test

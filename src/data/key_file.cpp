#include "key_file.h"

#include "file_io.h"
#include "text_codec.h"
#include "text_fns.h"
#include "ui_text.h"

namespace quillmark {
namespace {

std::string TrimBlanks(std::string_view text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    std::size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

// The section name when the line is a section header.
bool ParseHeader(std::string_view text, std::string& name) {
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos || text[start] != '[') return false;
    std::size_t close = text.rfind(']');
    std::size_t end = (close == std::string_view::npos || close < start) ? text.size() : close;
    name = TrimBlanks(text.substr(start + 1, end - start - 1));
    return true;
}

// The key name when the line is a key line ("key=value"; comment lines are not).
bool ParseKey(std::string_view text, std::string& key) {
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    std::string name = TrimBlanks(text.substr(0, equals));
    if (name.empty() || name[0] == ';') return false;
    key = std::move(name);
    return true;
}

bool IsBlankLine(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

KeyFile KeyFile::Parse(std::string_view fileBytes) {
    KeyFile file;
    bool utf8 = false;
    std::string_view content = fileBytes;
    if (content.substr(0, 3) == "\xEF\xBB\xBF" && IsValidUtf8(content.substr(3))) {
        content.remove_prefix(3);
        utf8 = true;
    } else {
        utf8 = IsUtf8FileText(content);
    }

    for (std::string_view raw : SplitLines(content)) {
        Line line;
        line.raw = std::string(raw);
        line.text = utf8 ? line.raw : DecodeGbk(raw);
        line.keepRaw = !utf8;
        std::string name;
        if (ParseHeader(line.text, name)) {
            Section section;
            section.header = std::move(line);
            file.sectionIndex_.try_emplace(LowerAscii(name), file.sections_.size());
            file.sections_.push_back(std::move(section));
        } else if (file.sections_.empty()) {
            file.preamble_.push_back(std::move(line));
        } else {
            file.AddBodyLine(file.sections_.back(), std::move(line));
        }
    }
    return file;
}

void KeyFile::AddBodyLine(Section& section, Line line) {
    std::string key;
    if (ParseKey(line.text, key)) section.keys.try_emplace(LowerAscii(key), section.body.size());
    section.body.push_back(std::move(line));
}

KeyFile KeyFile::Load(const std::filesystem::path& path) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    return bytes ? Parse(*bytes) : KeyFile();
}

const KeyFile::Section* KeyFile::FindSection(std::string_view name) const {
    auto it = sectionIndex_.find(LowerAscii(TrimBlanks(name)));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

std::string KeyFile::Read(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const {
    const Section* found = FindSection(section);
    if (!found) return std::string(defaultValue);
    auto it = found->keys.find(LowerAscii(TrimBlanks(key)));
    if (it == found->keys.end()) return std::string(defaultValue);
    const std::string& text = found->body[it->second].text;
    std::string value = TrimSpaces(std::string_view(text).substr(text.find('=') + 1));
    return GbkPrefix(value, kMaxValueBytes);
}

void KeyFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    std::string sectionName = TrimBlanks(section);
    std::string keyName = TrimBlanks(key);
    auto [where, added] = sectionIndex_.try_emplace(LowerAscii(sectionName), sections_.size());
    if (added) {
        Section fresh;
        fresh.header.text = "[" + sectionName + "]";
        sections_.push_back(std::move(fresh));
    }
    Section& target = sections_[where->second];

    auto keyIt = target.keys.find(LowerAscii(keyName));
    if (keyIt != target.keys.end()) {
        Line& line = target.body[keyIt->second];
        std::string storedKey = TrimBlanks(line.text.substr(0, line.text.find('=')));
        line.text = storedKey + "=" + std::string(value);
        line.keepRaw = false;
        return;
    }

    // After the last non-blank line of the section, so blank separators stay below it.
    std::size_t insertAt = target.body.size();
    while (insertAt > 0 && IsBlankLine(target.body[insertAt - 1].text)) --insertAt;
    Line line;
    line.text = keyName + "=" + std::string(value);
    target.body.insert(target.body.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
    for (auto& [name, index] : target.keys) {
        if (index >= insertAt) ++index;
    }
    target.keys.emplace(LowerAscii(keyName), insertAt);
}

Status KeyFile::Serialize(std::string& bytes) const {
    bytes.clear();
    auto append = [&bytes](const Line& line) -> bool {
        if (line.keepRaw) {
            bytes += line.raw;
        } else {
            GbkEncoding encoded = EncodeGbk(line.text);
            if (!encoded.ok()) return false;
            bytes += encoded.bytes;
        }
        bytes += "\r\n";
        return true;
    };
    auto failure = [](const Line& line) {
        return Status::Error(FillForm(UiText("KeyFile", "其中的字符“%1”不能以GBK编码保存。"), {EncodeGbk(line.text).unencodable}));
    };
    for (const Line& line : preamble_) {
        if (!append(line)) return failure(line);
    }
    for (const Section& section : sections_) {
        if (!append(section.header)) return failure(section.header);
        for (const Line& line : section.body) {
            if (!append(line)) return failure(line);
        }
    }
    return Status::Ok();
}

Status KeyFile::Save(const std::filesystem::path& path) const {
    std::string bytes;
    Status encoded = Serialize(bytes);
    if (!encoded.ok()) {
        return Status::Error(FillForm(UiText("KeyFile", "无法保存文件“%1”：%2"), {DisplayPath(path), encoded.message()}));
    }
    return WriteFileAtomically(path, bytes);
}

std::string ReadKeyValue(const std::filesystem::path& path, std::string_view section,
                         std::string_view key, std::string_view defaultValue) {
    return KeyFile::Load(path).Read(section, key, defaultValue);
}

Status WriteKeyValue(const std::filesystem::path& path, std::string_view section,
                     std::string_view key, std::string_view value) {
    KeyFile file = KeyFile::Load(path);
    file.Write(section, key, value);
    return file.Save(path);
}

}  // namespace quillmark

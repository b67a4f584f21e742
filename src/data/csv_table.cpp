#include "csv_table.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_io.h"
#include "system_error_text.h"
#include "text_codec.h"
#include "ui_text.h"

namespace quillmark {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD


// UTF-8 with every invalid byte replaced by U+FFFD.
std::string ReplaceInvalid(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t n = Utf8CharLength(bytes, pos);
        std::string_view ch = bytes.substr(pos, n);
        if (n == 1 && static_cast<unsigned char>(ch[0]) >= 0x80) {
            out += kReplacement;
        } else {
            out += ch;
        }
        pos += n;
    }
    return out;
}

// UTF-16 after its byte-order mark; a lone surrogate or an odd last byte becomes U+FFFD.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) {
        auto a = static_cast<unsigned char>(bytes[i]);
        auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            out += kReplacement;
        } else {
            AppendUtf8(out, c);
        }
    }
    if (i < bytes.size()) out += kReplacement;
    return out;
}

// Splits decoded text into records of fields. `onRecord` gets each record and returns false to
// stop. Returns the line (1-based) where an unclosed quote opens, or 0.
template <typename OnRecord>
std::size_t SplitRecords(std::string_view text, char delimiter, OnRecord onRecord) {
    std::vector<std::string> fields;
    std::string field;
    std::size_t line = 1, quoteLine = 0;
    bool quoted = false;       // inside quotes
    bool fieldStart = true;    // nothing of the field read yet
    std::size_t i = 0;
    auto endRecord = [&]() {
        fields.push_back(std::move(field));
        field.clear();
        bool goOn = onRecord(fields);
        fields.clear();
        fieldStart = true;
        return goOn;
    };
    while (i < text.size()) {
        char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    i += 2;
                    continue;
                }
                quoted = false;
                ++i;
                continue;
            }
            if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
            field += c;
            ++i;
            continue;
        }
        if (c == '"' && fieldStart) {
            quoted = true;
            quoteLine = line;
            fieldStart = false;
            ++i;
            continue;
        }
        if (c == delimiter) {
            fields.push_back(std::move(field));
            field.clear();
            fieldStart = true;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            ++line;
            if (!endRecord()) return 0;
            continue;
        }
        field += c;
        fieldStart = false;
        ++i;
    }
    if (quoted) return quoteLine;
    // Text that ends without a line end still ends a record; a final line end adds none.
    if (!fieldStart || !fields.empty()) endRecord();
    return 0;
}

// Records of the first lines with more than one field, and how many fields most of them have.
struct Split {
    std::size_t consistent = 0;  // records with the most common field count
    std::size_t fields = 0;      // that count
};

Split MeasureSplit(std::string_view text, char delimiter) {
    constexpr std::size_t kSampleRecords = 20;
    std::vector<std::size_t> counts;
    SplitRecords(text, delimiter, [&](const std::vector<std::string>& fields) {
        bool empty = fields.size() == 1 && fields[0].empty();
        if (!empty) counts.push_back(fields.size());
        return counts.size() < kSampleRecords;
    });
    Split best;
    for (std::size_t count : counts) {
        std::size_t same = 0;
        for (std::size_t other : counts) same += other == count ? 1 : 0;
        if (same > best.consistent || (same == best.consistent && count > best.fields)) best = {same, count};
    }
    if (best.fields < 2) return {};
    return best;
}

char DetectDelimiter(std::string_view text) {
    char chosen = ',';
    Split best;
    for (char delimiter : {',', '\t', ';'}) {
        Split split = MeasureSplit(text, delimiter);
        if (split.consistent > best.consistent ||
            (split.consistent == best.consistent && split.fields > best.fields)) {
            best = split;
            chosen = delimiter;
        }
    }
    return chosen;
}

std::string Megabytes(std::uintmax_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ValidUtf8Text(std::string_view bytes) { return ReplaceInvalid(bytes); }

std::string TextEncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8: return "UTF-8";
        case TextEncoding::Utf8Bom: return UiText("CsvTable", "UTF-8（带BOM）");
        case TextEncoding::Utf16Le: return "UTF-16LE";
        case TextEncoding::Utf16Be: return "UTF-16BE";
        case TextEncoding::Gbk: return "GBK";
    }
    return "";
}

std::string DelimiterName(char delimiter) {
    switch (delimiter) {
        case '\t': return UiText("CsvTable", "制表符");
        case ';': return UiText("CsvTable", "分号");
        default: return UiText("CsvTable", "逗号");
    }
}

std::string DecodeTableText(std::string_view bytes, TextEncoding& encoding) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        encoding = TextEncoding::Utf8Bom;
        return ReplaceInvalid(bytes.substr(3));
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        encoding = TextEncoding::Utf16Le;
        return DecodeUtf16(bytes.substr(2), false);
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        encoding = TextEncoding::Utf16Be;
        return DecodeUtf16(bytes.substr(2), true);
    }
    if (IsValidUtf8(bytes)) {
        encoding = TextEncoding::Utf8;
        return std::string(bytes);
    }
    encoding = TextEncoding::Gbk;
    return DecodeGbk(bytes);
}

Status ParseCsvTable(std::string_view bytes, CsvTable& table) {
    table = CsvTable();
    if (bytes.size() > kMaxCsvFileBytes) {
        return Status::Error("too_large", FillForm(UiText("CsvTable", "文件太大（超过 %1）"), {Megabytes(kMaxCsvFileBytes)}));
    }
    std::string text = DecodeTableText(bytes, table.encoding);
    table.delimiter = DetectDelimiter(text);

    Status failure;
    std::size_t cells = 0;
    std::size_t emptyRows = 0;  // empty rows not yet added: they count only before a later row
    std::size_t unclosed = SplitRecords(text, table.delimiter, [&](std::vector<std::string>& fields) {
        while (!fields.empty() && fields.back().empty()) fields.pop_back();
        if (fields.empty()) {
            ++emptyRows;
            return true;
        }
        if (table.rows.size() + emptyRows >= kMaxTableRows) {
            failure = Status::Error("too_large", FillForm(UiText("CsvTable", "表格超过 %1 行"), {std::to_string(kMaxTableRows)}));
            return false;
        }
        if (fields.size() > kMaxTableColumns) {
            failure = Status::Error("too_large", FillForm(UiText("CsvTable", "第 %1 行超过 %2 列"),
                                                          {std::to_string(table.rows.size() + emptyRows + 1),
                                                           std::to_string(kMaxTableColumns)}));
            return false;
        }
        cells += fields.size();
        if (cells > kMaxTableCells) {
            failure = Status::Error("too_large", FillForm(UiText("CsvTable", "表格超过 %1 个单元格"), {std::to_string(kMaxTableCells)}));
            return false;
        }
        table.rows.resize(table.rows.size() + emptyRows);
        emptyRows = 0;
        table.rows.push_back(std::move(fields));
        return true;
    });
    if (failure.ok() && unclosed != 0) {
        failure = Status::Error("malformed", FillForm(UiText("CsvTable", "文件第 %1 行的引号没有配对的结束引号（从此处到文件末尾都在引号内）"),
                                                      {std::to_string(unclosed)}));
    }
    if (!failure.ok()) table.rows.clear();
    return failure;
}

Status ReadBoundedFile(const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes) {
    bytes.clear();
    auto failure = [&](const std::string& why) {
        return Status::Error(FillForm(UiText("CsvTable", "无法读取文件“%1”：%2"), {DisplayPath(path), why}));
    };
    // Not blocking on open, so a pipe is refused rather than waited on.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failure(SystemErrorText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failure(S_ISDIR(info.st_mode) ? UiText("CsvTable", "这是一个文件夹") : UiText("CsvTable", "不是普通文件"));
    }
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        ::close(fd);
        return failure(FillForm(UiText("CsvTable", "文件太大（超过 %1）"), {Megabytes(limit)}));
    }
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    // A file that grows while it is read is read up to the limit, and one byte more to tell.
    std::array<char, 1> extra{};
    while (true) {
        char* target = done < bytes.size() ? bytes.data() + done : extra.data();
        std::size_t room = done < bytes.size() ? bytes.size() - done : 1;
        ssize_t n = ::read(fd, target, room);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            ::close(fd);
            bytes.clear();
            return failure(SystemErrorText(error));
        }
        if (n == 0) break;
        if (done >= bytes.size()) {
            if (bytes.size() >= limit) {
                ::close(fd);
                bytes.clear();
                return failure(FillForm(UiText("CsvTable", "文件太大（超过 %1）"), {Megabytes(limit)}));
            }
            bytes.push_back(extra[0]);
            done = bytes.size();
            continue;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return Status::Ok();
}

Status ReadCsvFile(const std::filesystem::path& path, CsvTable& table) {
    table = CsvTable();
    std::string bytes;
    if (Status read = ReadBoundedFile(path, kMaxCsvFileBytes, bytes); !read.ok()) return read;
    Status parsed = ParseCsvTable(bytes, table);
    if (!parsed.ok()) {
        return Status::Error(parsed.code(), FillForm(UiText("CsvTable", "无法读取文件“%1”：%2"), {DisplayPath(path), parsed.message()}));
    }
    return parsed;
}

}  // namespace quillmark

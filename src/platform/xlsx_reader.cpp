#include "xlsx_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <minizip/unzip.h>
#include <optional>
#include <pugixml.hpp>
#include <vector>

#include "data/file_io.h"
#include "data/text_codec.h"
#include "data/ui_text.h"

namespace quillmark {
namespace {

// ---- The zip archive, read from memory.

struct MemoryStream {
    std::string_view bytes;
    ZPOS64_T position = 0;
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    auto* stream = static_cast<MemoryStream*>(opaque);
    stream->position = 0;
    return stream;
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf handle, void* buffer, uLong size) {
    auto* stream = static_cast<MemoryStream*>(handle);
    if (stream->position >= stream->bytes.size()) return 0;
    std::size_t n = std::min<std::size_t>(size, stream->bytes.size() - static_cast<std::size_t>(stream->position));
    std::memcpy(buffer, stream->bytes.data() + stream->position, n);
    stream->position += n;
    return static_cast<uLong>(n);
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf handle) { return static_cast<MemoryStream*>(handle)->position; }

long ZCALLBACK SeekMemory(voidpf, voidpf handle, ZPOS64_T offset, int origin) {
    auto* stream = static_cast<MemoryStream*>(handle);
    ZPOS64_T size = stream->bytes.size();
    ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_SET ? 0 : origin == ZLIB_FILEFUNC_SEEK_CUR ? stream->position : size;
    if (offset > size || base > size - offset) return -1;
    stream->position = base + offset;
    return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) { return 0; }
int ZCALLBACK ErrorMemory(voidpf, voidpf) { return 0; }

class ZipArchive {
public:
    explicit ZipArchive(std::string_view bytes) : stream_{bytes} {
        zlib_filefunc64_def functions{};
        functions.zopen64_file = OpenMemory;
        functions.zread_file = ReadMemory;
        functions.zwrite_file = WriteMemory;
        functions.ztell64_file = TellMemory;
        functions.zseek64_file = SeekMemory;
        functions.zclose_file = CloseMemory;
        functions.zerror_file = ErrorMemory;
        functions.opaque = &stream_;
        zip_ = unzOpen2_64("workbook", &functions);
    }
    ~ZipArchive() {
        if (zip_) unzClose(zip_);
    }
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool ok() const { return zip_ != nullptr; }

    bool Has(const std::string& name) { return unzLocateFile(zip_, name.c_str(), 2) == UNZ_OK; }

    // The part decompressed, its size checked against the bound before and while inflating.
    Status Read(const std::string& name, std::string& out, std::uint64_t limit = kMaxXlsxEntryBytes) {
        out.clear();
        if (unzLocateFile(zip_, name.c_str(), 2) != UNZ_OK) return Status::Error("malformed", FillForm(UiText("XlsxReader", "缺少“%1”"), {name}));
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”已损坏"), {name}));
        }
        if (info.flag & 1) return Status::Error("encrypted", UiText("XlsxReader", "工作簿有密码保护"));
        if (info.uncompressed_size > limit) return TooLarge(name, limit);
        // Deflate expands at most 1032 times: a larger size recorded is false, and is not
        // allocated for.
        if (info.uncompressed_size > info.compressed_size * 1032 + 1024) {
            return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”已损坏（记录的大小不符）"), {name}));
        }
        if (unzOpenCurrentFile(zip_) != UNZ_OK) return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”无法解压"), {name}));
        out.reserve(static_cast<std::size_t>(info.uncompressed_size));
        std::vector<char> buffer(std::size_t{1} << 16);
        Status status;
        while (true) {
            int n = unzReadCurrentFile(zip_, buffer.data(), static_cast<unsigned>(buffer.size()));
            if (n < 0) {
                status = Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”已损坏，无法解压"), {name}));
                break;
            }
            if (n == 0) break;
            if (out.size() + static_cast<std::size_t>(n) > limit) {
                status = TooLarge(name, limit);
                break;
            }
            out.append(buffer.data(), static_cast<std::size_t>(n));
        }
        int closed = unzCloseCurrentFile(zip_);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        if (closed == UNZ_CRCERROR) closed = UNZ_OK;  // so mutated text reaches the XML readers
#endif
        if (status.ok() && (closed != UNZ_OK || out.size() != info.uncompressed_size)) {
            status = Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”已损坏（校验不符）"), {name}));
        }
        if (!status.ok()) out.clear();
        return status;
    }

private:
    static Status TooLarge(const std::string& name, std::uint64_t limit) {
        return Status::Error("too_large", FillForm(UiText("XlsxReader", "“%1”解压后超过 %2 MB"), {name, std::to_string(limit >> 20)}));
    }

    MemoryStream stream_;
    unzFile zip_ = nullptr;
};

// ---- Entry names and relationships.

std::string_view LocalName(const char* name) {
    std::string_view view(name);
    std::size_t colon = view.rfind(':');
    return colon == std::string_view::npos ? view : view.substr(colon + 1);
}

bool Named(const pugi::xml_node& node, std::string_view local) { return LocalName(node.name()) == local; }

pugi::xml_node Child(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element && Named(child, local)) return child;
    }
    return {};
}

// The relationship id attribute (r:id, whatever its prefix).
const char* RelationshipId(const pugi::xml_node& node) {
    for (pugi::xml_attribute attribute : node.attributes()) {
        std::string_view name = attribute.name();
        if (name.size() > 3 && name.substr(name.size() - 3) == ":id") return attribute.value();
    }
    return "";
}

std::string FolderOf(const std::string& part) {
    std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

// A relationship's target as a part name: absolute ("/xl/a.xml") or relative to the source's
// folder, "." and ".." resolved.
std::string ResolveTarget(const std::string& sourceFolder, std::string_view target) {
    std::string joined = !target.empty() && target[0] == '/' ? std::string(target.substr(1)) : sourceFolder + std::string(target);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t slash = joined.find('/', start);
        std::string part = joined.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::string name;
    for (const std::string& part : parts) name += (name.empty() ? "" : "/") + part;
    return name;
}

// The workbook and relationship parts are read whole as one document tree, which takes several
// times their size: they are small in any real workbook, so a tighter bound holds for them.
constexpr std::uint64_t kMaxSmallEntryBytes = std::uint64_t{8} << 20;

Status ParseDocument(const std::string& name, std::string& xml, pugi::xml_document& document) {
    pugi::xml_parse_result parsed = document.load_buffer_inplace(xml.data(), xml.size(), pugi::parse_default);
    if (!parsed) return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”不是有效的 XML（%2）"), {name, parsed.description()}));
    return Status::Ok();
}

struct Relationship {
    std::string type;  // the last segment of the type URI: "worksheet", "sharedStrings", ...
    std::string target;
};

// The relationships of a part (from its _rels file), by id; none when there is no such file.
Status ReadRelationships(ZipArchive& zip, const std::string& part,
                         std::vector<std::pair<std::string, Relationship>>& relationships) {
    relationships.clear();
    std::string folder = FolderOf(part);
    std::string relsName = folder + "_rels/" + part.substr(folder.size()) + ".rels";
    if (!zip.Has(relsName)) return Status::Ok();
    std::string xml;
    if (Status read = zip.Read(relsName, xml, kMaxSmallEntryBytes); !read.ok()) return read;
    pugi::xml_document document;
    if (Status parsed = ParseDocument(relsName, xml, document); !parsed.ok()) return parsed;
    for (pugi::xml_node node : document.document_element().children()) {
        if (node.type() != pugi::node_element || !Named(node, "Relationship")) continue;
        if (std::string_view(node.attribute("TargetMode").value()) == "External") continue;
        std::string_view type = node.attribute("Type").value();
        std::size_t slash = type.rfind('/');
        Relationship relationship{std::string(slash == std::string_view::npos ? type : type.substr(slash + 1)),
                                  ResolveTarget(folder, node.attribute("Target").value())};
        relationships.emplace_back(node.attribute("Id").value(), std::move(relationship));
    }
    return Status::Ok();
}

// ---- Cell text.

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The UTF-16 unit of an escape "_xHHHH_" at pos, or -1.
long EscapedUnit(std::string_view text, std::size_t pos) {
    if (pos + 7 > text.size() || text[pos] != '_' || text[pos + 1] != 'x' || text[pos + 6] != '_') return -1;
    long unit = 0;
    for (std::size_t i = pos + 2; i < pos + 6; ++i) {
        int digit = HexValue(text[i]);
        if (digit < 0) return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// Spreadsheet text escapes characters XML cannot hold as "_xHHHH_" (UTF-16 units; "_x005F_"
// is the underscore itself).
std::string Unescape(std::string_view text) {
    if (text.find("_x") == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        long unit = EscapedUnit(text, pos);
        if (unit < 0) {
            out += text[pos++];
            continue;
        }
        pos += 7;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            long low = EscapedUnit(text, pos);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                pos += 7;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? char32_t{0xFFFD} : static_cast<char32_t>(unit));
    }
    return out;
}

// The text of a string item (<si> or <is>): its <t>, or the <t> of each rich-text run; the
// phonetic runs (<rPh>) are not part of it.
std::string ItemText(const pugi::xml_node& item) {
    std::string text;
    for (pugi::xml_node child : item.children()) {
        if (child.type() != pugi::node_element) continue;
        if (Named(child, "t")) {
            text += child.text().get();
        } else if (Named(child, "r")) {
            if (pugi::xml_node t = Child(child, "t")) text += t.text().get();
        }
    }
    return Unescape(text);
}

// A number as the general format shows it: whole numbers without a fraction.
std::string NumberText(std::string_view value) {
    std::string_view trimmed = value;
    while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '+')) trimmed.remove_prefix(1);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
    double number = 0;
    auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
    if (error != std::errc() || end != trimmed.data() + trimmed.size() || !std::isfinite(number)) {
        return std::string(value);
    }
    if (number == std::floor(number) && std::fabs(number) < 9007199254740992.0) {
        return std::to_string(static_cast<long long>(number));
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15G", number);
    return buffer;
}

// ---- Large parts, a piece at a time.

// Where an element named `local` (any prefix) starts, with its prefix ("x:" or ""); npos when
// there is none.
std::size_t FindElement(std::string_view xml, std::string_view local, std::size_t from, std::string& prefix) {
    for (std::size_t at = xml.find(local, from); at != std::string_view::npos; at = xml.find(local, at + 1)) {
        std::size_t after = at + local.size();
        if (after >= xml.size() || !(xml[after] == '>' || xml[after] == '/' || xml[after] == ' ' ||
                                     xml[after] == '\t' || xml[after] == '\r' || xml[after] == '\n'))
            continue;
        std::size_t open = at;
        if (open > 0 && xml[open - 1] == ':') {
            --open;
            while (open > 0 && (std::isalnum(static_cast<unsigned char>(xml[open - 1])) || xml[open - 1] == '_' ||
                                xml[open - 1] == '-' || xml[open - 1] == '.'))
                --open;
        }
        if (open == 0 || xml[open - 1] != '<') continue;
        prefix = std::string(xml.substr(open, at - open));
        return open - 1;
    }
    return std::string_view::npos;
}

// The end of the tag that starts at `open` (just past its '>'), quoted values skipped; npos
// when it does not end.
std::size_t TagEnd(std::string_view xml, std::size_t open) {
    char quote = 0;
    for (std::size_t i = open; i < xml.size(); ++i) {
        char c = xml[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// Calls `onItems` with the top-level elements of each piece (about `pieceBytes` of XML, cut
// after an item's end tag) of the element `container`'s content, so a large part is never
// held as one document tree. A part without the container has no items.
Status ForEachPiece(const std::string& name, std::string_view xml, std::string_view container, std::string_view item,
                    const std::function<Status(const pugi::xml_node&)>& onItems) {
    constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
    if (xml.size() >= 2 && ((xml[0] == '\xFF' && xml[1] == '\xFE') || (xml[0] == '\xFE' && xml[1] == '\xFF'))) {
        return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”使用了不支持的 UTF-16 编码"), {name}));
    }
    std::string prefix;
    std::size_t open = FindElement(xml, container, 0, prefix);
    if (open == std::string_view::npos) return Status::Ok();
    std::size_t begin = TagEnd(xml, open);
    if (begin == std::string_view::npos) return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”不是有效的 XML"), {name}));
    if (xml[begin - 2] == '/') return Status::Ok();  // <sheetData/>
    std::size_t close = xml.find("</" + prefix + std::string(container), begin);
    if (close == std::string_view::npos) return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”不完整"), {name}));
    const std::string itemEnd = "</" + prefix + std::string(item);
    for (std::size_t start = begin; start < close;) {
        std::size_t end = close;
        if (close - start > kPieceBytes) {
            std::size_t cut = xml.find(itemEnd, start + kPieceBytes);
            if (cut != std::string_view::npos && cut < close) {
                std::size_t after = TagEnd(xml, cut);
                if (after != std::string_view::npos && after <= close) end = after;
            }
        }
        pugi::xml_document piece;
        pugi::xml_parse_result parsed = piece.load_buffer(xml.data() + start, end - start,
                                                          pugi::parse_default | pugi::parse_fragment |
                                                              pugi::parse_ws_pcdata_single,
                                                          pugi::encoding_utf8);
        if (!parsed) {
            return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”不是有效的 XML（%2）"), {name, parsed.description()}));
        }
        if (Status status = onItems(piece); !status.ok()) return status;
        start = end;
    }
    return Status::Ok();
}

// Shared strings, end to end in one buffer.
struct SharedStrings {
    std::string text;
    std::vector<std::uint32_t> ends;  // parts are at most kMaxXlsxEntryBytes

    std::size_t size() const { return ends.size(); }
    std::string_view at(std::size_t i) const {
        std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(text).substr(begin, ends[i] - begin);
    }
};

Status ReadSharedStrings(const std::string& name, std::string_view xml, SharedStrings& strings) {
    return ForEachPiece(name, xml, "sst", "si", [&](const pugi::xml_node& piece) {
        for (pugi::xml_node si : piece.children()) {
            if (si.type() != pugi::node_element || !Named(si, "si")) continue;
            strings.text += ItemText(si);
            strings.ends.push_back(static_cast<std::uint32_t>(strings.text.size()));
        }
        return Status::Ok();
    });
}

// "C7" → column 3 (1-based), row 7; 0 for a part missing or malformed.
void ParseReference(std::string_view reference, std::size_t& column, std::size_t& row) {
    column = 0;
    row = 0;
    std::size_t i = 0;
    for (; i < reference.size() && std::isalpha(static_cast<unsigned char>(reference[i])); ++i) {
        if (column > kMaxTableColumns * 100) return;
        column = column * 26 + static_cast<std::size_t>(std::toupper(static_cast<unsigned char>(reference[i])) - 'A' + 1);
    }
    std::size_t rowStart = i;
    for (; i < reference.size() && std::isdigit(static_cast<unsigned char>(reference[i])); ++i) {
        if (row > kMaxTableRows * 100) return;
        row = row * 10 + static_cast<std::size_t>(reference[i] - '0');
    }
    if (i != reference.size() || rowStart == i) row = 0;
}

class SheetBuilder {
public:
    SheetBuilder(const std::string& part, const SharedStrings& strings, TableRows& rows)
        : part_(part), strings_(strings), rows_(rows) {}

    Status AddRows(const pugi::xml_node& piece) {
        for (pugi::xml_node row : piece.children()) {
            if (row.type() != pugi::node_element || !Named(row, "row")) continue;
            std::size_t number = row.attribute("r").as_ullong(0);
            row_ = number > 0 ? number : row_ + 1;
            column_ = 0;
            for (pugi::xml_node cell : row.children()) {
                if (cell.type() != pugi::node_element || !Named(cell, "c")) continue;
                if (Status status = AddCell(cell); !status.ok()) return status;
            }
        }
        return Status::Ok();
    }

private:
    Status AddCell(const pugi::xml_node& cell) {
        std::size_t column = 0, ignoredRow = 0;
        const char* reference = cell.attribute("r").value();
        if (*reference) ParseReference(reference, column, ignoredRow);
        column_ = column > 0 ? column : column_ + 1;
        std::string text;
        if (Status status = CellText(cell, text); !status.ok()) return status;
        if (text.empty()) return Status::Ok();
        if (!IsValidUtf8(text)) text = ValidUtf8Text(text);
        if (row_ > kMaxTableRows) {
            return Status::Error("too_large", FillForm(UiText("XlsxReader", "工作表超过 %1 行"), {std::to_string(kMaxTableRows)}));
        }
        if (column_ > kMaxTableColumns) {
            return Status::Error("too_large", FillForm(UiText("XlsxReader", "工作表第 %1 行超过 %2 列"), {std::to_string(row_), std::to_string(kMaxTableColumns)}));
        }
        if (rows_.size() < row_) rows_.resize(row_);
        std::vector<std::string>& cells = rows_[row_ - 1];
        if (cells.size() < column_) {
            cells_ += column_ - cells.size();
            if (cells_ > kMaxTableCells) {
                return Status::Error("too_large", FillForm(UiText("XlsxReader", "工作表超过 %1 个单元格"), {std::to_string(kMaxTableCells)}));
            }
            cells.resize(column_);
        }
        cells[column_ - 1] = std::move(text);
        return Status::Ok();
    }

    Status CellText(const pugi::xml_node& cell, std::string& text) const {
        std::string_view type = cell.attribute("t").value();
        if (type == "inlineStr") {
            text = ItemText(Child(cell, "is"));
            return Status::Ok();
        }
        pugi::xml_node value = Child(cell, "v");
        std::string_view raw = value.text().get();
        if (!value || raw.empty()) return Status::Ok();
        if (type == "s") {
            unsigned long long index = 0;
            auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), index);
            if (error != std::errc() || end != raw.data() + raw.size() || index >= strings_.size()) {
                return Status::Error("malformed", FillForm(UiText("XlsxReader", "“%1”的单元格引用了不存在的共享文本"), {part_}));
            }
            text = strings_.at(static_cast<std::size_t>(index));
        } else if (type == "b") {
            text = raw == "1" || raw == "true" ? "TRUE" : "FALSE";
        } else if (type == "str" || type == "e" || type == "d") {
            text = Unescape(raw);
        } else {
            text = NumberText(raw);
        }
        return Status::Ok();
    }

    const std::string& part_;
    const SharedStrings& strings_;
    TableRows& rows_;
    std::size_t row_ = 0, column_ = 0, cells_ = 0;
};

// The part of the workbook's first sheet and its name, and the shared strings' part.
struct WorkbookEntries {
    std::string sheet, sheetName, sharedStrings;
};

Status FindEntries(ZipArchive& zip, WorkbookEntries& parts) {
    std::vector<std::pair<std::string, Relationship>> relationships;
    if (Status status = ReadRelationships(zip, "", relationships); !status.ok()) return status;
    std::string workbook = "xl/workbook.xml";
    for (const auto& [id, relationship] : relationships) {
        if (relationship.type == "officeDocument") workbook = relationship.target;
    }
    if (!zip.Has(workbook)) return Status::Error("malformed", FillForm(UiText("XlsxReader", "不是 Excel 工作簿（.xlsx）：缺少“%1”"), {workbook}));

    std::string xml;
    if (Status status = zip.Read(workbook, xml, kMaxSmallEntryBytes); !status.ok()) return status;
    pugi::xml_document document;
    if (Status status = ParseDocument(workbook, xml, document); !status.ok()) return status;
    pugi::xml_node first = Child(Child(document.document_element(), "sheets"), "sheet");
    std::string id = RelationshipId(first);
    parts.sheetName = first.attribute("name").value();

    if (Status status = ReadRelationships(zip, workbook, relationships); !status.ok()) return status;
    for (const auto& [relationshipId, relationship] : relationships) {
        if (relationship.type == "sharedStrings") parts.sharedStrings = relationship.target;
        if (!id.empty() && relationshipId == id) parts.sheet = relationship.target;
    }
    std::string folder = FolderOf(workbook);
    if (parts.sheet.empty()) {
        // Without relationships, the first sheet's usual name.
        parts.sheet = folder + "worksheets/sheet1.xml";
        if (!zip.Has(parts.sheet)) return Status::Error("malformed", UiText("XlsxReader", "工作簿中找不到工作表"));
    }
    if (parts.sharedStrings.empty()) parts.sharedStrings = folder + "sharedStrings.xml";
    // A workbook without text cells may have no shared strings, whatever its relationships say.
    if (!zip.Has(parts.sharedStrings)) parts.sharedStrings.clear();
    return Status::Ok();
}

}  // namespace

Status ParseXlsx(std::string_view bytes, XlsxSheet& sheet) {
    sheet = XlsxSheet();
    if (bytes.size() > kMaxXlsxFileBytes) {
        return Status::Error("too_large", FillForm(UiText("XlsxReader", "文件太大（超过 %1 MB）"), {std::to_string(kMaxXlsxFileBytes >> 20)}));
    }
    ZipArchive zip(bytes);
    if (!zip.ok()) return Status::Error("malformed", UiText("XlsxReader", "不是 Excel 工作簿（.xlsx），或文件已损坏"));
    WorkbookEntries parts;
    if (Status status = FindEntries(zip, parts); !status.ok()) return status;

    SharedStrings strings;
    if (!parts.sharedStrings.empty()) {
        std::string xml;
        if (Status status = zip.Read(parts.sharedStrings, xml); !status.ok()) return status;
        if (Status status = ReadSharedStrings(parts.sharedStrings, xml, strings); !status.ok()) return status;
    }
    std::string xml;
    if (Status status = zip.Read(parts.sheet, xml); !status.ok()) return status;
    TableRows rows;
    SheetBuilder builder(parts.sheet, strings, rows);
    Status built = ForEachPiece(parts.sheet, xml, "sheetData", "row",
                                [&](const pugi::xml_node& piece) { return builder.AddRows(piece); });
    if (!built.ok()) return built;
    sheet.rows = std::move(rows);
    sheet.name = std::move(parts.sheetName);
    return Status::Ok();
}

Status ReadTableFile(const std::filesystem::path& path, TableFile& table) {
    table = TableFile();
    std::string bytes;
    if (Status read = ReadBoundedFile(path, kMaxXlsxFileBytes, bytes); !read.ok()) return read;
    auto failure = [&](const Status& status) {
        return Status::Error(status.code(), FillForm(UiText("XlsxReader", "无法读取文件“%1”：%2"), {DisplayPath(path), status.message()}));
    };
    std::string_view magic = std::string_view(bytes).substr(0, 8);
    if (magic == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        return failure(Status::Error("unsupported",
                                     UiText("XlsxReader", "这是旧版 Excel（.xls）文件或有密码保护的工作簿，请在 Excel 中另存为 .xlsx 或 CSV 文件后再导入")));
    }
    if (magic.substr(0, 4) == std::string_view("PK\x03\x04", 4) || magic.substr(0, 4) == std::string_view("PK\x05\x06", 4)) {
        XlsxSheet sheet;
        if (Status parsed = ParseXlsx(bytes, sheet); !parsed.ok()) return failure(parsed);
        table.rows = std::move(sheet.rows);
        table.format = FillForm(UiText("XlsxReader", "Excel 工作簿，工作表“%1”"), {sheet.name});
        return Status::Ok();
    }
    CsvTable csv;
    if (Status parsed = ParseCsvTable(bytes, csv); !parsed.ok()) return failure(parsed);
    table.rows = std::move(csv.rows);
    table.format = FillForm(UiText("XlsxReader", "CSV 文本，%1，%2分隔"), {TextEncodingName(csv.encoding), DelimiterName(csv.delimiter)});
    return Status::Ok();
}

}  // namespace quillmark

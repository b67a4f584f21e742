#include "roster_import.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "data/text_codec.h"
#include "data/text_fns.h"
#include "data/ui_text.h"

namespace quillmark {
namespace {

constexpr int kHeaderSearchRows = 10;    // a title or a blank line may stand above the headers
constexpr std::size_t kSampleRows = 200;  // rows looked at to tell digits from text

// Without surrounding blanks: spaces, tabs, line breaks, the no-break and the ideographic space.
std::string Trim(std::string_view text) {
    auto blankAt = [&](bool end) -> std::size_t {
        for (std::string_view blank : {" ", "\t", "\r", "\n", "\xC2\xA0", "\xE3\x80\x80"}) {
            if (end ? text.ends_with(blank) : text.starts_with(blank)) return blank.size();
        }
        return 0;
    };
    while (std::size_t n = blankAt(false)) text.remove_prefix(n);
    while (std::size_t n = blankAt(true)) text.remove_suffix(n);
    return std::string(text);
}

std::string Cell(const TableRows& rows, std::size_t row, int column) {
    if (row >= rows.size() || column < 1 || static_cast<std::size_t>(column) > rows[row].size()) return "";
    return Trim(rows[row][static_cast<std::size_t>(column - 1)]);
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A header's text compared: letter case, blanks and the separators of "Student_ID" ignored.
std::string HeaderKey(std::string_view text) {
    std::string key;
    for (char c : LowerAscii(Trim(text))) {
        if (c != ' ' && c != '_' && c != '-' && c != '.' && c != '\t') key += c;
    }
    return key;
}

// How well a header names the column: 0 not at all, higher better.
int NumberHeaderRank(std::string_view text) {
    std::string key = HeaderKey(text);
    if (key.empty()) return 0;
    if (key == "考号" || key == "考生号" || key == "准考证号") return 6;
    if (key == "学号") return 5;
    if (key == "编号" || key == "考生编号" || key == "学生编号") return 4;
    for (const char* english : {"number", "no", "id", "studentid", "studentnumber", "studentno", "examno",
                                "examnumber", "candidatenumber", "candidateno"}) {
        if (key == english) return 4;
    }
    if (key.find("考号") != std::string::npos) return 3;
    if (key.find("学号") != std::string::npos) return 2;
    if (key.find("编号") != std::string::npos) return 1;
    return 0;
}

int NameHeaderRank(std::string_view text) {
    std::string key = HeaderKey(text);
    if (key.empty()) return 0;
    if (key == "姓名" || key == "名字" || key == "name") return 3;
    for (const char* other : {"学生姓名", "考生姓名", "studentname", "fullname"}) {
        if (key == other) return 2;
    }
    if (key.find("姓名") != std::string::npos) return 1;
    return 0;
}

// The column whose header ranks best in the row; 0 when none ranks.
int BestHeader(const std::vector<std::string>& cells, int (*rank)(std::string_view), int except) {
    int best = 0, bestRank = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        int column = static_cast<int>(i) + 1;
        int r = column == except ? 0 : rank(cells[i]);
        if (r > bestRank) {
            best = column;
            bestRank = r;
        }
    }
    return best;
}

// Share of a column's non-empty cells (in the first sample rows after the header) that are
// all digits; -1 when the column has none.
double DigitShare(const TableRows& rows, int headerRow, int column) {
    std::size_t filled = 0, digits = 0, seen = 0;
    for (std::size_t row = static_cast<std::size_t>(headerRow); row < rows.size() && seen < kSampleRows; ++row) {
        std::string cell = Cell(rows, row, column);
        if (cell.empty()) continue;
        ++seen;
        ++filled;
        digits += AllDigits(cell) ? 1 : 0;
    }
    return filled == 0 ? -1 : static_cast<double>(digits) / static_cast<double>(filled);
}

std::size_t WidestRow(const TableRows& rows) {
    std::size_t widest = 0;
    for (const auto& row : rows) widest = std::max(widest, row.size());
    return widest;
}

int GuessNumberColumn(const TableRows& rows, int headerRow, int except) {
    int columns = static_cast<int>(WidestRow(rows));
    for (int column = 1; column <= columns; ++column) {
        if (column != except && DigitShare(rows, headerRow, column) > 0.5) return column;
    }
    return 0;
}

int GuessNameColumn(const TableRows& rows, int headerRow, int numberColumn) {
    int columns = static_cast<int>(WidestRow(rows));
    auto isText = [&](int column) {
        double share = DigitShare(rows, headerRow, column);
        return column != numberColumn && share >= 0 && share < 0.5;
    };
    for (int column = numberColumn + 1; column <= columns; ++column) {
        if (isText(column)) return column;
    }
    for (int column = 1; column < numberColumn; ++column) {
        if (isText(column)) return column;
    }
    return 0;
}

// The characters of the text code page 936 cannot hold, each once, in order.
std::vector<std::string> UnencodableCharacters(std::string_view text) {
    std::vector<std::string> found;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t n = Utf8CharLength(text, pos);
        std::string ch(text.substr(pos, n));
        if (!EncodeGbk(ch).ok() && std::find(found.begin(), found.end(), ch) == found.end()) found.push_back(ch);
        pos += n;
    }
    return found;
}

// “𠀀”（U+20000）: the code tells apart characters that show as nothing or as a box.
std::string NamedCharacter(std::string_view ch) {
    char32_t code = static_cast<unsigned char>(ch[0]);
    if (ch.size() > 1) {
        code &= ch.size() == 2 ? 0x1F : ch.size() == 3 ? 0x0F : 0x07;
        for (std::size_t i = 1; i < ch.size(); ++i) code = (code << 6) | (static_cast<unsigned char>(ch[i]) & 0x3F);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
    return FillForm(UiText("RosterImport", "“%1”（%2）"), {ch, hex});
}

std::string WithoutCommasAndLineBreaks(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != ',' && c != '\r' && c != '\n') out += c;
    }
    return Trim(out);
}

struct Candidate {
    int row = 0;  // spreadsheet row
    std::string number, name;
    bool ownProblems = false;  // problems of its own that remain
    bool kept = true;
};

}  // namespace

ImportColumns GuessImportColumns(const TableRows& rows) {
    ImportColumns columns;
    int searched = std::min<int>(kHeaderSearchRows, static_cast<int>(rows.size()));
    for (int row = 0; row < searched; ++row) {
        const std::vector<std::string>& cells = rows[static_cast<std::size_t>(row)];
        // A title above the table ("高一(3)班学生姓名表") stands alone in its row.
        if (std::count_if(cells.begin(), cells.end(), [](const std::string& cell) { return !Trim(cell).empty(); }) < 2) continue;
        int number = BestHeader(cells, NumberHeaderRank, 0);
        int name = BestHeader(cells, NameHeaderRank, number);
        if (number == 0 && name == 0) continue;
        columns = {number, name, row + 1};
        break;
    }
    if (columns.number == 0) columns.number = GuessNumberColumn(rows, columns.headerRow, columns.name);
    if (columns.name == 0) columns.name = GuessNameColumn(rows, columns.headerRow, columns.number);
    return columns;
}

int FindImportColumn(const TableRows& rows, std::string_view choice, int& headerRow) {
    std::string text = Trim(choice);
    if (AllDigits(text) && text.size() <= 4) {
        int column = std::stoi(text);
        return column >= 1 && static_cast<std::size_t>(column) <= kMaxTableColumns ? column : 0;
    }
    std::string key = LowerAscii(text);
    if (key.empty()) return 0;
    auto findIn = [&](int row) {
        const std::vector<std::string>& cells = rows[static_cast<std::size_t>(row - 1)];
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (LowerAscii(Trim(cells[i])) == key) return static_cast<int>(i) + 1;
        }
        return 0;
    };
    if (headerRow > 0) return static_cast<std::size_t>(headerRow) <= rows.size() ? findIn(headerRow) : 0;
    int searched = std::min<int>(kHeaderSearchRows, static_cast<int>(rows.size()));
    for (int row = 1; row <= searched; ++row) {
        if (int column = findIn(row)) {
            headerRow = row;
            return column;
        }
    }
    return 0;
}

std::string ImportColumnHeader(const TableRows& rows, const ImportColumns& columns, int column) {
    return columns.headerRow > 0 ? Cell(rows, static_cast<std::size_t>(columns.headerRow - 1), column) : "";
}

int RosterImport::Remaining() const {
    return static_cast<int>(std::count_if(problems.begin(), problems.end(), [](const ImportProblem& p) { return p.Remains(); }));
}

std::string ImportProblemLine(const ImportProblem& problem) {
    if (problem.row == 0) return problem.message;
    return FillForm(UiText("RosterImport", "第 %1 行：%2"), {std::to_string(problem.row), problem.message});
}

RosterImport ImportRoster(const TableRows& rows, const ImportColumns& columns, const ImportFixes& fixes) {
    RosterImport result;
    auto add = [&](int row, ImportProblemKind kind, std::string message, ImportFix fix, bool fixed) {
        result.problems.push_back({row, kind, std::move(message), fix, fixed, false});
        return fixed;
    };
    if (columns.number == 0) {
        add(0, ImportProblemKind::NoColumn, UiText("RosterImport", "找不到考号列，请指定考号所在的列"), ImportFix::None, false);
        return result;
    }

    // Each row's own problems, fixed as asked.
    std::vector<Candidate> candidates;
    for (std::size_t index = static_cast<std::size_t>(std::max(columns.headerRow, 0)); index < rows.size(); ++index) {
        Candidate c;
        c.row = static_cast<int>(index) + 1;
        c.number = Cell(rows, index, columns.number);
        c.name = columns.name > 0 ? Cell(rows, index, columns.name) : "";
        if (c.number.empty() && c.name.empty()) continue;  // a blank line between classes

        std::size_t before = result.problems.size();
        if (c.number.empty()) {
            add(c.row, ImportProblemKind::NumberNotFourDigits, UiText("RosterImport", "缺少考号"), ImportFix::None, false);
        } else if (AllDigits(c.number) && c.number.size() < 4) {
            std::string padded = std::string(4 - c.number.size(), '0') + c.number;
            if (add(c.row, ImportProblemKind::NumberNotFourDigits,
                    FillForm(UiText("RosterImport", "考号“%1”不足4位，可补零为“%2”"), {c.number, padded}), ImportFix::Pad,
                    fixes.pad)) {
                c.number = padded;
                ++result.padded;
            }
        } else if (!AllDigits(c.number) || c.number.size() != 4) {
            add(c.row, ImportProblemKind::NumberNotFourDigits, FillForm(UiText("RosterImport", "考号“%1”不是4位数字"), {c.number}),
                ImportFix::None, false);
        }

        if (c.name.find_first_of(",\r\n") != std::string::npos) {
            bool comma = c.name.find(',') != std::string::npos;
            std::string form = comma ? UiText("RosterImport", "姓名“%1”含有逗号，会破坏名册文件（可去掉逗号）")
                                     : UiText("RosterImport", "姓名“%1”含有换行符，会破坏名册文件（可去掉换行符）");
            if (add(c.row, ImportProblemKind::CommaInName, FillForm(form, {c.name}), ImportFix::Strip, fixes.strip)) {
                c.name = WithoutCommasAndLineBreaks(c.name);
                ++result.stripped;
            }
        }
        if (std::vector<std::string> lacking = UnencodableCharacters(c.name); !lacking.empty()) {
            std::string named;
            for (const std::string& ch : lacking) named += NamedCharacter(ch);
            add(c.row, ImportProblemKind::UnencodableName,
                FillForm(UiText("RosterImport", "姓名“%1”含有名册文件（GBK）无法保存的字符%2"), {c.name, named}), ImportFix::None,
                false);
        }
        if (GbkByteLength(c.name) > kMaxRosterNameBytes) {
            std::string cut = Trim(GbkPrefix(c.name, kMaxRosterNameBytes));
            if (add(c.row, ImportProblemKind::NameTooLong,
                    FillForm(UiText("RosterImport", "姓名“%1”超过%2个字节，截短后为“%3”"),
                             {c.name, std::to_string(kMaxRosterNameBytes), cut}),
                    ImportFix::Cut, fixes.cut)) {
                c.name = cut;
                ++result.cut;
            }
        }
        c.ownProblems = std::any_of(result.problems.begin() + static_cast<std::ptrdiff_t>(before), result.problems.end(),
                                    [](const ImportProblem& p) { return !p.fixed; });
        candidates.push_back(std::move(c));
    }

    std::vector<bool> skipped(rows.size() + 1, false);  // by spreadsheet row
    auto skipRow = [&](Candidate& c) {
        c.kept = false;
        ++result.skippedRows;
        skipped[static_cast<std::size_t>(c.row)] = true;
    };
    if (fixes.skip) {
        for (Candidate& c : candidates) {
            if (c.ownProblems) skipRow(c);
        }
    }

    // Numbers twice among the rows kept; the first of them stays.
    std::map<std::string, int> firstRow;
    for (Candidate& c : candidates) {
        if (!c.kept || c.number.size() != 4 || !AllDigits(c.number)) continue;
        auto [at, inserted] = firstRow.emplace(c.number, c.row);
        if (inserted) continue;
        add(c.row, ImportProblemKind::DuplicateNumber,
            FillForm(UiText("RosterImport", "考号“%1”与第 %2 行重复"), {c.number, std::to_string(at->second)}), ImportFix::None,
            false);
        if (fixes.skip) skipRow(c);
    }

    int kept = 0;
    for (Candidate& c : candidates) {
        if (!c.kept) continue;
        if (++kept == Roster::kMaxRows + 1) {
            int over = static_cast<int>(std::count_if(&c, candidates.data() + candidates.size(),
                                                      [](const Candidate& later) { return later.kept; }));
            add(c.row, ImportProblemKind::TooManyExaminees,
                FillForm(UiText("RosterImport", "名册最多 %1 名考生，从此行起的 %2 名考生超出"),
                         {std::to_string(Roster::kMaxRows), std::to_string(over)}),
                ImportFix::None, false);
        }
        if (kept > Roster::kMaxRows && fixes.skip) skipRow(c);
    }

    for (const Candidate& c : candidates) {
        if (!c.kept) continue;
        int row = result.roster.AppendRow();
        if (row == 0) break;
        result.roster.Row(row)[Examinee::考号] = c.number;
        result.roster.Row(row)[Examinee::姓名] = c.name;
        result.sourceRows.push_back(c.row);
    }
    for (ImportProblem& p : result.problems) p.skipped = skipped[static_cast<std::size_t>(p.row)];
    if (result.roster.RowCount() == 0) {
        add(0, ImportProblemKind::NoColumn, UiText("RosterImport", "没有可导入的考生"), ImportFix::None, false);
    }
    std::stable_sort(result.problems.begin(), result.problems.end(),
                     [](const ImportProblem& a, const ImportProblem& b) { return a.row < b.row; });
    return result;
}

}  // namespace quillmark

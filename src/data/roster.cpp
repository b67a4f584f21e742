#include "roster.h"

#include "file_io.h"
#include "text_codec.h"
#include "text_fns.h"
#include "ui_text.h"

namespace quillmark {

int Roster::AppendRow() {
    if (RowCount() >= kMaxRows) return 0;
    rows_.emplace_back();
    return RowCount();
}

void Roster::InsertRow(int before) {
    if (RowCount() >= kMaxRows || before < 1 || before > RowCount() + 1) return;
    rows_.insert(rows_.begin() + before, Examinee());
}

void Roster::RemoveRow(int row) {
    if (row < 1 || row > RowCount()) return;
    rows_.erase(rows_.begin() + row);
}

namespace {

// Column k is the text between comma k-1 and comma k; a column whose closing comma is
// missing stays empty.
void ReadColumns(std::string_view line, Examinee& row, int columns) {
    std::size_t start = 0;
    for (int k = 1; k <= columns; ++k) {
        std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) return;
        row[k] = std::string(line.substr(start, comma - start));
        start = comma + 1;
    }
}

// Fills the roster with the file's lines; false when it holds more than a roster can, and
// the roster then holds the first kMaxRows of them.
template <typename ReadLine>
bool ParseLines(std::string_view fileBytes, Roster& roster, ReadLine readLine) {
    roster = Roster();
    std::string text = DecodeFileText(fileBytes);
    for (std::string_view line : SplitLines(text)) {
        int row = roster.AppendRow();
        if (row == 0) return false;
        readLine(line, roster.Row(row));
    }
    return true;
}

void ReadNumberAndName(std::string_view line, Examinee& row) {
    std::size_t first = line.find(',');
    if (first == std::string_view::npos) {
        row[Examinee::姓名] = std::string(line);
        return;
    }
    row[Examinee::考号] = std::string(line.substr(0, first));
    std::size_t second = line.find(',', first + 1);
    std::size_t end = second == std::string_view::npos ? line.size() : second;
    row[Examinee::姓名] = std::string(line.substr(first + 1, end - first - 1));
}

void ReadSixColumns(std::string_view line, Examinee& row) { ReadColumns(line, row, Examinee::Spare); }

template <typename ReadLine>
Status ParseRosterFile(std::string_view fileBytes, const std::filesystem::path& path, Roster& roster,
                       ReadLine readLine) {
    if (ParseLines(fileBytes, roster, readLine)) return Status::Ok();
    // Keeping the first rows would lose the rest for good when the roster is saved again.
    roster = Roster();
    return Status::Error(FillForm(UiText("Roster", "名册文件“%1”的行数超过了名册最多 %2 名考生的限制，不能打开。"),
                                  {DisplayPath(path), std::to_string(Roster::kMaxRows)}));
}

template <typename ReadLine>
Status ReadRosterFile(const std::filesystem::path& path, Roster& roster, ReadLine readLine) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (bytes) return ParseRosterFile(*bytes, path, roster, readLine);
    roster = Roster();
    return Status::Ok();
}

}  // namespace

Roster ParseRoster(std::string_view fileBytes) {
    Roster roster;
    ParseLines(fileBytes, roster, ReadNumberAndName);
    return roster;
}

Roster ParseResultRoster(std::string_view fileBytes) {
    Roster roster;
    ParseLines(fileBytes, roster, ReadSixColumns);
    return roster;
}

Status ReadRoster(const std::filesystem::path& path, Roster& roster) {
    return ReadRosterFile(path, roster, ReadNumberAndName);
}

Status ReadResultRoster(const std::filesystem::path& path, Roster& roster) {
    return ReadRosterFile(path, roster, ReadSixColumns);
}

Status ParseResultRosterFile(std::string_view fileBytes, const std::filesystem::path& path, Roster& roster) {
    return ParseRosterFile(fileBytes, path, roster, ReadSixColumns);
}

Status SerializeRoster(const Roster& roster, std::string& utf8Text) {
    utf8Text.clear();
    for (int i = 1; i <= roster.RowCount(); ++i) {
        const Examinee& row = roster.Row(i);
        for (int k = Examinee::考号; k <= Examinee::Spare; ++k) {
            std::string field = TrimSpaces(row[k]);
            if (field.find_first_of(",\r\n") != std::string::npos) {
                return Status::Error(FillForm(UiText("Roster", "名册第%1行（考号“%2”）含有逗号或换行符，这样的名册无法正确保存。"),
                                              {std::to_string(i), TrimSpaces(row[Examinee::考号])}));
            }
            utf8Text += field;
            utf8Text += ',';
        }
        utf8Text += "\r\n";
    }
    return Status::Ok();
}

Status WriteRoster(const std::filesystem::path& path, const Roster& roster) {
    std::string text;
    Status serialized = SerializeRoster(roster, text);
    if (!serialized.ok()) {
        return Status::Error(FillForm(UiText("Roster", "无法保存文件“%1”：%2"), {DisplayPath(path), serialized.message()}));
    }
    if (int error = MakeFolder(path.parent_path())) return SaveFailure(path, error);
    return WriteGbkFile(path, text);
}

}  // namespace quillmark

#include "answer_table.h"

#include "file_io.h"
#include "text_codec.h"
#include "text_fns.h"

namespace quillmark {

const std::string& AnswerTable::Cell(int question, int row) const {
    static const std::string kEmpty;
    if (question < 0 || question >= kQuestions || row < 0 || row >= RowCapacity()) return kEmpty;
    return cells_[static_cast<std::size_t>(row) * kQuestions + static_cast<std::size_t>(question)];
}

void AnswerTable::SetCell(int question, int row, std::string text) {
    if (question < 0 || question >= kQuestions || row < 0) return;
    EnsureRow(row);
    cells_[static_cast<std::size_t>(row) * kQuestions + static_cast<std::size_t>(question)] = std::move(text);
}

void AnswerTable::Reset(int rows) {
    cells_.clear();
    if (rows >= 0) EnsureRow(rows);
}

void AnswerTable::EnsureRow(int row) {
    std::size_t needed = (static_cast<std::size_t>(row) + 1) * kQuestions;
    if (cells_.size() < needed) cells_.resize(needed);
}

std::string SerializeAnswerTable(const AnswerTable& table, int rowCount) {
    std::string text;
    for (int row = 1; row <= rowCount; ++row) {
        for (int q = 1; q < AnswerTable::kFileFields; ++q) {
            text += TrimSpaces(table.Cell(q, row));
            text += ',';
        }
        text += table.Cell(AnswerTable::kFileFields, row);
        text += "\r\n";
    }
    return text;
}

Status WriteAnswerTable(const std::filesystem::path& path, const AnswerTable& table, int rowCount) {
    return WriteGbkFile(path, SerializeAnswerTable(table, rowCount));
}

void ParseAnswerTable(std::string_view fileBytes, AnswerTable& table, int rowCount) {
    std::string text = DecodeFileText(fileBytes);
    std::string_view rest = text;
    // Every comma and every line end closes one field.
    auto nextField = [&rest](std::string_view& field) {
        if (rest.empty()) return false;
        std::size_t end = rest.find_first_of(",\r\n");
        if (end == std::string_view::npos) {
            field = rest;
            rest = {};
            return true;
        }
        field = rest.substr(0, end);
        std::size_t skip = (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1;
        rest.remove_prefix(end + skip);
        return true;
    };
    std::string_view field;
    for (int row = 1; row <= rowCount; ++row) {
        for (int q = 1; q <= AnswerTable::kFileFields; ++q) {
            if (!nextField(field)) return;
            table.SetCell(q, row, TrimSpaces(field));
        }
    }
}

void ReadAnswerTable(const std::filesystem::path& path, AnswerTable& table, int rowCount) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (bytes) ParseAnswerTable(*bytes, table, rowCount);
}

}  // namespace quillmark

#include "result_set.h"

#include "program_paths.h"
#include "text_fns.h"

namespace quillmark {

void LoadExamPaper(const std::filesystem::path& path, ResultSet& records) {
    if (ReadExamPaper(path, records.paper)) records.answers.Reset(records.roster.RowCount() + 100);
}

Status SaveResultSet(const std::filesystem::path& programFolder, std::string_view name,
                     const ResultSet& records) {
    std::string base = "\\CHENGJI\\" + std::string(name);
    Status status = WriteRoster(ResolvePath(programFolder, base + ".txt"), records.roster);
    if (!status.ok()) return status;
    status = WriteExamPaper(ResolvePath(programFolder, base + ".CHO"), records.paper);
    if (!status.ok()) return status;
    return WriteAnswerTable(ResolvePath(programFolder, base + ".DAN"), records.answers,
                            records.roster.RowCount());
}

std::string ResultSetNameFromEntry(std::string_view entryText) {
    std::string lower = LowerAscii(entryText);
    std::size_t at = lower.find(".cho");
    return TrimSpaces(at == std::string::npos ? entryText : entryText.substr(0, at));
}

void OpenResultSet(const std::filesystem::path& programFolder, std::string_view entryText,
                   ResultSet& records) {
    std::string base = "\\ChengJi\\" + ResultSetNameFromEntry(entryText);
    ReadResultRoster(ResolvePath(programFolder, base + ".TXT"), records.roster);
    LoadExamPaper(ResolvePath(programFolder, base + ".CHO"), records);
    ReadAnswerTable(ResolvePath(programFolder, base + ".DAN"), records.answers, records.roster.RowCount());
}

}  // namespace quillmark

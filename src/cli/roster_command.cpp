#include "roster_command.h"

#include <algorithm>

#include "data/file_io.h"
#include "data/program_paths.h"
#include "data/roster.h"
#include "data/save_as_name.h"
#include "data/text_fns.h"
#include "editors/roster_import.h"
#include "platform/xlsx_reader.h"

namespace quillmark::cli {
namespace {

// The roster's file name: NAME.TXT, or NAME as given when it ends in .txt; nothing when the
// name is no plain file name of MingCe.
std::optional<std::string> RosterFileName(const std::string& given) {
    std::string name = TrimSpaces(given);
    if (!IsPlainFileName(name) || name.find(':') != std::string::npos) return std::nullopt;
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return name + ".TXT";
    if (dot == 0 || !EqualsIgnoringCase(name.substr(dot), ".txt")) return std::nullopt;
    return name;
}

// "第 2 列“姓名”", or "无".
std::string ColumnText(const TableRows& rows, const ImportColumns& columns, int column) {
    if (column == 0) return "无";
    std::string header = ImportColumnHeader(rows, columns, column);
    return "第 " + std::to_string(column) + " 列" + (header.empty() ? "" : "“" + header + "”");
}

// The header texts (or the first row's cells) the user may name a column by.
std::string ColumnChoices(const TableRows& rows, int headerRow) {
    std::size_t row = headerRow > 0 ? static_cast<std::size_t>(headerRow - 1) : 0;
    std::string list;
    if (row < rows.size()) {
        for (const std::string& cell : rows[row]) {
            if (TrimSpaces(cell).empty()) continue;
            list += (list.empty() ? "" : "、") + TrimSpaces(cell);
        }
    }
    return list.empty() ? "表格第一行是空的" : "可选的列：" + list;
}

bool ChooseColumn(const TableRows& rows, const std::optional<std::string>& choice, const char* flag, int& column,
                  int& headerRow, std::ostream& err) {
    if (!choice) return true;
    column = FindImportColumn(rows, *choice, headerRow);
    std::size_t widest = 0;
    for (const auto& row : rows) widest = std::max(widest, row.size());
    if (static_cast<std::size_t>(column) > widest) {
        err << flag << ": 表格只有 " << widest << " 列，没有第 " << column << " 列\n";
        return false;
    }
    if (column > 0) return true;
    err << flag << ": 找不到列“" << *choice << "”（" << ColumnChoices(rows, headerRow) << "；也可以写列号，从 1 开始）\n";
    return false;
}

std::string FixSummary(const RosterImport& imported) {
    std::vector<std::string> parts;
    if (imported.padded) parts.push_back("补零 " + std::to_string(imported.padded) + " 个考号");
    if (imported.cut) parts.push_back("截短 " + std::to_string(imported.cut) + " 个姓名");
    if (imported.stripped) parts.push_back("去掉 " + std::to_string(imported.stripped) + " 个姓名中的逗号或换行符");
    if (imported.skippedRows) parts.push_back("跳过 " + std::to_string(imported.skippedRows) + " 行");
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "，") + part;
    return text.empty() ? "" : "（" + text + "）";
}

// What --fix would resolve among the problems that remain.
std::string FixHint(const RosterImport& imported) {
    bool pad = false, cut = false, strip = false;
    for (const ImportProblem& problem : imported.problems) {
        if (!problem.Remains()) continue;
        pad = pad || problem.fix == ImportFix::Pad;
        cut = cut || problem.fix == ImportFix::Cut;
        strip = strip || problem.fix == ImportFix::Strip;
    }
    std::string fixes;
    for (auto [wanted, name] : {std::pair{pad, "pad"}, {cut, "cut"}, {strip, "strip"}}) {
        if (wanted) fixes += (fixes.empty() ? "" : ",") + std::string(name);
    }
    std::string hint = "名册未写入。";
    if (!fixes.empty()) hint += "可用 --fix " + fixes + " 修正其中一部分问题；";
    return hint + "--fix skip 会略过仍有问题的行。";
}

}  // namespace

int RunRosterImport(const RosterImportOptions& options, std::ostream& out, std::ostream& err) {
    std::optional<std::string> fileName = RosterFileName(options.save);
    if (!fileName) {
        err << "--save 必须是名册文件夹中的文件名（不带路径，后缀可省略或为 .TXT）: \"" << options.save << "\"\n";
        return 2;
    }
    ImportFixes fixes;
    for (const std::string& fix : options.fixes) {
        if (fix == "pad") fixes.pad = true;
        else if (fix == "cut") fixes.cut = true;
        else if (fix == "strip") fixes.strip = true;
        else if (fix == "skip") fixes.skip = true;
        else {
            err << "--fix 只能是 pad、cut、strip、skip: " << fix << "\n";
            return 2;
        }
    }

    TableFile table;
    if (Status read = ReadTableFile(options.file, table); !read.ok()) {
        err << read.message() << "\n";
        return 2;
    }
    ImportColumns columns = GuessImportColumns(table.rows);
    if (!ChooseColumn(table.rows, options.numberColumn, "--number-column", columns.number, columns.headerRow, err) ||
        !ChooseColumn(table.rows, options.nameColumn, "--name-column", columns.name, columns.headerRow, err))
        return 2;
    if (columns.number != 0 && columns.number == columns.name) {
        err << "考号列和姓名列不能是同一列（第 " << columns.number << " 列）\n";
        return 2;
    }
    err << "读取 " << options.file << "：" << table.format << "，" << table.rows.size() << " 行；考号列："
        << ColumnText(table.rows, columns, columns.number) << "，姓名列：" << ColumnText(table.rows, columns, columns.name)
        << (columns.headerRow > 0 ? "，表头在第 " + std::to_string(columns.headerRow) + " 行" : "，没有表头") << "\n";

    RosterImport imported = ImportRoster(table.rows, columns, fixes);
    if (!imported.ok()) {
        for (const ImportProblem& problem : imported.problems) {
            if (problem.Remains()) err << ImportProblemLine(problem) << "\n";
        }
        err << FixHint(imported) << "\n";
        return 1;
    }

    std::filesystem::path target = ResolvePath(options.programFolder, "\\MingCe\\" + *fileName);
    std::error_code ec;
    if (!options.overwrite && std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
        err << "名册“" << target.filename().string() << "”已存在，未导入（使用 --overwrite 替换）\n";
        return 1;
    }
    if (Status written = WriteRoster(target, imported.roster); !written.ok()) {
        err << written.message() << "\n";
        return 1;
    }
    for (const ImportProblem& problem : imported.problems) {
        if (problem.skipped && !problem.fixed) err << "已跳过 " << ImportProblemLine(problem) << "\n";
    }
    out << "已导入 " << imported.roster.RowCount() << " 名考生到名册“" << target.filename().string() << "”"
        << FixSummary(imported) << "\n";
    return 0;
}

}  // namespace quillmark::cli

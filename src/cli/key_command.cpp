#include "key_command.h"

#include "data/exam_paper.h"
#include "data/key_table.h"
#include "data/program_paths.h"
#include "data/save_as_name.h"
#include "data/text_fns.h"
#include "output_file.h"
#include "platform/xlsx_reader.h"

namespace quillmark::cli {
namespace {

// NAME.CHO, or NAME as given when it ends in .CHO; nothing when it is no plain file name.
std::optional<std::string> PaperFileName(const std::string& given) {
    std::string name = TrimSpaces(given);
    if (!IsPlainFileName(name) || name.find(':') != std::string::npos) return std::nullopt;
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return name + ".CHO";
    if (dot == 0 || !EqualsIgnoringCase(name.substr(dot), ".cho")) return std::nullopt;
    return name;
}

}  // namespace

int RunKeyExport(const std::filesystem::path& programFolder, const std::string& paperName,
                 const std::optional<std::string>& out, bool overwrite, std::ostream& output, std::ostream& err) {
    std::optional<std::string> fileName = PaperFileName(paperName);
    if (!fileName) {
        err << "--paper 必须是试卷文件夹中的文件名: \"" << paperName << "\"\n";
        return 2;
    }
    std::filesystem::path path = ResolvePath(programFolder, "\\ShiJuan\\" + *fileName);
    std::error_code ec;
    ExamPaper paper;
    if (!std::filesystem::is_regular_file(path, ec)) {
        err << "找不到试卷文件: " << path.string() << "\n";
        return 1;
    }
    if (!ReadExamPaper(path, paper)) {
        err << "试卷“" << path.filename().string() << "”没有试题\n";
        return 1;
    }
    std::string csv = KeyTableCsv(paper);
    if (!out) {
        output << csv;
        return output.good() ? 0 : 1;
    }
    if (Status written = WriteOutputFile(*out, csv, overwrite); !written.ok()) {
        err << written.message() << "\n";
        return 1;
    }
    output << *out << "\n";
    return 0;
}

int RunKeyImport(const KeyImportCommand& command, std::ostream& output, std::ostream& err) {
    std::optional<std::string> fileName = PaperFileName(command.save);
    if (!fileName) {
        err << "--save 必须是试卷文件夹中的文件名（不带路径，后缀可省略或为 .CHO）: \"" << command.save << "\"\n";
        return 2;
    }
    TableFile table;
    if (Status read = ReadTableFile(command.file, table); !read.ok()) {
        err << read.message() << "\n";
        return 2;
    }
    KeyImportOptions options;
    options.options = command.options;
    KeyImport imported = ImportKeyTable(table.rows, options);
    if (!imported.status.ok()) {
        err << imported.status.message() << "\n试卷未写入。\n";
        return 1;
    }

    std::filesystem::path target = ResolvePath(command.programFolder, "\\ShiJuan\\" + *fileName);
    std::error_code ec;
    if (!command.overwrite && std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
        err << "试卷“" << target.filename().string() << "”已存在，未导入（使用 --overwrite 替换）\n";
        return 1;
    }
    if (Status written = WriteExamPaper(target, imported.paper); !written.ok()) {
        err << written.message() << "\n";
        return 1;
    }
    output << "已导入 " << imported.paper.总题数 << " 题到试卷“" << target.filename().string() << "”（"
           << table.format << "）\n";
    // A new paper starts without grade thresholds, as in the paper editor.
    err << "优秀、良好、中等、及格的分数线为 0，请在“选择试卷”页设定\n";
    return 0;
}

}  // namespace quillmark::cli

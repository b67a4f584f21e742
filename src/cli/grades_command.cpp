#include "grades_command.h"

#include "data/file_io.h"
#include "data/result_set.h"
#include "output_file.h"
#include "platform/xlsx_reader.h"
#include "results/grade_export.h"
#include "results/results_page.h"
#include "stats_command.h"

namespace quillmark::cli {

int RunGradeExport(const GradeExportCommand& command, std::ostream& output, std::ostream& err) {
    GradeFormat format = command.format == "moodle"   ? GradeFormat::Moodle
                         : command.format == "canvas" ? GradeFormat::Canvas
                                                      : GradeFormat::Csv;
    std::string title = ResultSetNameFromEntry(command.results);
    GradeExportOptions options;
    options.title = title;
    if (command.map) {
        if (format == GradeFormat::Csv) {
            err << "--map 只用于 --format moodle 或 canvas\n";
            return 2;
        }
        TableFile table;
        Status read = ReadTableFile(*command.map, table);
        if (read.ok()) read = ReadPlatformIdentities(table.rows, format, options);
        if (!read.ok()) {
            err << read.message() << "\n";
            return 2;
        }
    }

    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(command.programFolder, command.results, records, page, err, ReviewFile::Skip)) return 1;
    std::filesystem::path target =
        command.out ? std::filesystem::path(*command.out) : DefaultGradeFilePath(command.programFolder, title, format);
    if (!command.out) MakeFolder(target.parent_path());  // a failure shows in the write's message

    GradeFile file = BuildGradeFile(records, format, options);
    if (Status written = WriteOutputFile(target, file.bytes, command.overwrite); !written.ok()) {
        err << written.message() << "\n";
        return 1;
    }
    if (!file.unmatched.empty()) {
        err << "对照表中没有以下考号，未导出（" << file.unmatched.size() << " 人）：";
        for (const std::string& number : file.unmatched) err << " " << number;
        err << "\n";
    }
    output << target.string() << "\n";
    return 0;
}

}  // namespace quillmark::cli

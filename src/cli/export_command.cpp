#include "export_command.h"

#include "data/file_io.h"
#include "data/result_set.h"
#include "platform/xlsx_writer.h"
#include "results/results_page.h"
#include "results/results_workbook.h"
#include "results/spreadsheet_export.h"
#include "stats_command.h"

namespace quillmark::cli {

int RunExport(const std::filesystem::path& programFolder, const std::string& name,
              const std::optional<std::string>& out, bool overwrite, std::ostream& output, std::ostream& err) {
    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(programFolder, name, records, page, err, ReviewFile::Skip)) return 1;
    std::string title = ResultSetNameFromEntry(name);
    std::filesystem::path target = out ? std::filesystem::path(*out) : DefaultExportPath(programFolder, title);
    if (!out) MakeFolder(target.parent_path());  // a failure shows in the write's message
    std::error_code ec;
    if (!overwrite && std::filesystem::exists(target, ec)) {
        // Another class marked against the same paper exports to the same name.
        err << "“" << target.string() << "”已存在，未导出（使用 --overwrite 替换）\n";
        return 1;
    }
    Status status = WriteResultsWorkbook(BuildResultsWorkbook(records, page.Statistics(), title), target);
    if (!status.ok()) {
        err << status.message() << "\n";
        return 1;
    }
    output << target.string() << "\n";
    return 0;
}

}  // namespace quillmark::cli

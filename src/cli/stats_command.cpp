#include "stats_command.h"

#include "data/program_paths.h"
#include "data/result_set.h"
#include "results/results_page.h"

namespace quillmark::cli {

bool ResultSetExists(const std::filesystem::path& programFolder, const std::string& name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(
        ResolvePath(programFolder, "\\ChengJi\\" + ResultSetNameFromEntry(name) + ".CHO"), ec);
}

bool OpenAnalysed(const std::filesystem::path& programFolder, const std::string& name, ResultSet& records,
                  ResultsPage& page, std::ostream& err) {
    if (!ResultSetExists(programFolder, name)) {
        err << "找不到成绩文件: " << name << "\n";
        return false;
    }
    if (Status status = OpenResultSet(programFolder, name, records); !status.ok()) {
        err << status.message() << "\n";
        return false;
    }
    page.Analyse(records);
    return true;
}

int RunStats(const std::filesystem::path& programFolder, const std::string& name, std::ostream& out, std::ostream& err) {
    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(programFolder, name, records, page, err)) return 1;
    out << "统计：\n";
    for (const std::string& line : page.StatisticsLines()) out << line << "\n";
    out << "\n考生：\n";
    for (const std::string& row : page.ExamineeRows(records)) out << row << "\n";
    out << "\n试题：\n";
    for (const std::string& row : page.QuestionRows(records)) out << row << "\n";
    return 0;
}

}  // namespace quillmark::cli

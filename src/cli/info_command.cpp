#include "info_command.h"

#include "data/exam_paper.h"
#include "data/file_lists.h"
#include "data/number_text.h"
#include "data/program_paths.h"
#include "data/result_set.h"
#include "data/roster.h"
#include "data/text_fns.h"

namespace quillmark::cli {
namespace {

void PrintPaper(const std::filesystem::path& path, const std::string& name, std::ostream& out) {
    ExamPaper paper;
    ReadExamPaper(path, paper);
    out << "  " << name << ": 总题数" << NumberForm(paper.总题数) << ", 分值" << NumberForm(paper.分值)
        << ", 优秀" << NumberForm(paper.优秀) << ", 良好" << NumberForm(paper.良好) << ", 中等"
        << NumberForm(paper.中等) << ", 及格" << NumberForm(paper.及格) << "\n    答案:";
    for (int q = 1; q <= paper.总题数; ++q) {
        const ExamQuestion& question = paper.questions[static_cast<std::size_t>(q)];
        out << ' ' << q << '=' << question[ExamQuestion::DA];
        if (!question[ExamQuestion::Z].empty()) out << '(' << question[ExamQuestion::Z] << ')';
    }
    out << '\n';
}

void PrintRoster(const std::filesystem::path& path, const std::string& name, std::ostream& out) {
    Roster roster;
    if (Status status = ReadRoster(path, roster); !status.ok()) {
        out << "  " << name << ": " << status.message() << "\n";
        return;
    }
    out << "  " << name << ": " << roster.RowCount() << " 名考生\n";
    for (int i = 1; i <= roster.RowCount(); ++i) {
        out << "    " << PadToGbkWidth(TrimSpaces(roster.Row(i)[Examinee::考号]), 4) << " | "
            << TrimSpaces(roster.Row(i)[Examinee::姓名]) << '\n';
    }
}

}  // namespace

int RunInfo(const std::filesystem::path& programFolder, const std::string& folderOrigin, std::ostream& out) {
    out << "程序文件夹: " << programFolder.string() << '\n';

    std::vector<std::string> papers = ExamPaperEntries(programFolder);
    out << "试卷 (ShiJuan): " << papers.size() - 1 << '\n';
    for (int i = 1; i < static_cast<int>(papers.size()); ++i) {
        PrintPaper(ExamPaperPath(programFolder, papers, i), papers[static_cast<std::size_t>(i)], out);
    }

    std::vector<std::string> rosters = RosterEntries(programFolder);
    out << "名册 (MingCe): " << rosters.size() - 1 << '\n';
    for (int i = 1; i < static_cast<int>(rosters.size()); ++i) {
        PrintRoster(RosterPath(programFolder, rosters, i), rosters[static_cast<std::size_t>(i)], out);
    }

    std::vector<std::string> results = ListResultSets(programFolder);
    out << "成绩 (ChengJi): " << results.size() << '\n';
    for (const std::string& name : results) out << "  " << name << '\n';
    out << "程序文件夹来源: " << folderOrigin << '\n';
    return 0;
}

}  // namespace quillmark::cli

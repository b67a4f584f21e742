// Reading and writing the data files at their largest: a full roster, its answer table, and
// a 200-question exam paper. Files go to a fresh folder under the system's temporary folder.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "data/answer_table.h"
#include "data/exam_paper.h"
#include "data/number_text.h"
#include "data/roster.h"

namespace fs = std::filesystem;
namespace qm = quillmark;

namespace {

constexpr int kRows = qm::Roster::kMaxRows;

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "quillmark-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

const BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

std::string ChineseName(int i) {
    static const char* const kFamily[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                          "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "欧阳"};
    static const char* const kGiven[] = {"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军",
                                         "洋", "勇", "艳", "杰", "娟", "涛", "明", "超", "秀兰", "霞"};
    return std::string(kFamily[i % 20]) + kGiven[(i / 20) % 20] + kGiven[(i / 400) % 20];
}

const qm::Roster& FullRoster() {
    static const qm::Roster roster = [] {
        qm::Roster r;
        for (int i = 1; i <= kRows; ++i) {
            int row = r.AppendRow();
            qm::Examinee& e = r.Row(row);
            e[qm::Examinee::考号] = std::to_string(2024000000 + i);
            e[qm::Examinee::姓名] = ChineseName(i);
            e[qm::Examinee::Score] = qm::NumberForm((i * 37) % 1500 / 10.0);
            e[qm::Examinee::名次] = std::to_string(i);
            e[qm::Examinee::AnswerSummary] = std::to_string(i % 200) + "/200";
        }
        return r;
    }();
    return roster;
}

const qm::AnswerTable& FullAnswers() {
    static const qm::AnswerTable table = [] {
        static const char* const kAnswers[] = {"A", "B", "C", "D", "AB", "ACD", "", "BD"};
        qm::AnswerTable t;
        t.Reset(kRows);
        unsigned seed = 12345;
        for (int row = 1; row <= kRows; ++row) {
            for (int q = 1; q <= qm::AnswerTable::kFileFields; ++q) {
                seed = seed * 1103515245u + 12345u;
                t.SetCell(q, row, kAnswers[(seed >> 16) % 8]);
            }
        }
        return t;
    }();
    return table;
}

qm::ExamPaper FullPaper() {
    qm::ExamPaper paper;
    paper.总题数 = qm::ExamPaper::kMaxQuestions;
    paper.分值 = 2;
    paper.优秀 = 360;
    paper.良好 = 320;
    paper.中等 = 280;
    paper.及格 = 240;
    for (int n = 1; n <= qm::ExamPaper::kMaxQuestions; ++n) {
        qm::ExamQuestion& q = paper.questions[static_cast<std::size_t>(n)];
        q[qm::ExamQuestion::DA] = std::string(1, static_cast<char>('A' + n % 4));
        if (n % 10 == 0) q[qm::ExamQuestion::Z] = std::string("3");
        q[qm::ExamQuestion::DFL] = qm::NumberForm(0.5 + (n % 7) / 10.0);
        for (int c = qm::ExamQuestion::A; c <= qm::ExamQuestion::E; ++c) q[c] = std::to_string(n * c % 97);
    }
    return paper;
}

void Check(const qm::Status& status, benchmark::State& state) {
    if (!status.ok()) state.SkipWithError(status.message().c_str());
}

void BM_WriteRoster(benchmark::State& state) {
    const qm::Roster& roster = FullRoster();
    fs::path path = Folder().path() / "write.TXT";
    for (auto _ : state) Check(qm::WriteRoster(path, roster), state);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}

void BM_ReadRoster(benchmark::State& state) {
    fs::path path = Folder().path() / "read.TXT";
    Check(qm::WriteRoster(path, FullRoster()), state);
    qm::Roster roster;
    for (auto _ : state) {
        qm::ReadRoster(path, roster);
        benchmark::DoNotOptimize(roster);
    }
    if (roster.RowCount() != kRows) state.SkipWithError("wrong row count");
}

void BM_ReadResultRoster(benchmark::State& state) {
    fs::path path = Folder().path() / "read_result.TXT";
    Check(qm::WriteRoster(path, FullRoster()), state);
    qm::Roster roster;
    for (auto _ : state) {
        qm::ReadResultRoster(path, roster);
        benchmark::DoNotOptimize(roster);
    }
    if (roster.RowCount() != kRows) state.SkipWithError("wrong row count");
}

void BM_WriteAnswerTable(benchmark::State& state) {
    const qm::AnswerTable& table = FullAnswers();
    fs::path path = Folder().path() / "write.DAN";
    for (auto _ : state) Check(qm::WriteAnswerTable(path, table, kRows), state);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}

void BM_ReadAnswerTable(benchmark::State& state) {
    fs::path path = Folder().path() / "read.DAN";
    Check(qm::WriteAnswerTable(path, FullAnswers(), kRows), state);
    qm::AnswerTable table;
    table.Reset(kRows + 100);
    for (auto _ : state) {
        qm::ReadAnswerTable(path, table, kRows);
        benchmark::DoNotOptimize(table);
    }
    if (table.Cell(200, kRows) != FullAnswers().Cell(200, kRows)) state.SkipWithError("wrong last cell");
}

void BM_WriteExamPaper(benchmark::State& state) {
    qm::ExamPaper paper = FullPaper();
    fs::path path = Folder().path() / "write.CHO";
    for (auto _ : state) {
        // A fresh file each time, as when a new paper is saved.
        state.PauseTiming();
        fs::remove(path);
        state.ResumeTiming();
        Check(qm::WriteExamPaper(path, paper), state);
    }
}

void BM_RewriteExamPaper(benchmark::State& state) {
    qm::ExamPaper paper = FullPaper();
    fs::path path = Folder().path() / "rewrite.CHO";
    Check(qm::WriteExamPaper(path, paper), state);
    for (auto _ : state) Check(qm::WriteExamPaper(path, paper), state);
}

void BM_ReadExamPaper(benchmark::State& state) {
    fs::path path = Folder().path() / "read.CHO";
    Check(qm::WriteExamPaper(path, FullPaper()), state);
    qm::ExamPaper paper;
    for (auto _ : state) {
        qm::ReadExamPaper(path, paper);
        benchmark::DoNotOptimize(paper);
    }
    if (paper.总题数 != qm::ExamPaper::kMaxQuestions) state.SkipWithError("wrong question count");
}

}  // namespace

BENCHMARK(BM_WriteRoster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRoster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadResultRoster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAnswerTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAnswerTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteExamPaper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RewriteExamPaper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadExamPaper)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// Exam paper reading and rewriting through a real file (in /dev/shm where it exists).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "data/exam_paper.h"
#include "data/number_text.h"
#include "fuzz_check.h"

namespace fs = std::filesystem;
using quillmark::ExamPaper;
using quillmark::ExamQuestion;

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        // scripts/run-fuzzers names a folder it removes, since a crash skips the destructor.
        const char* given = std::getenv("QUILLMARK_FUZZ_SCRATCH");
        fs::path base = given && *given ? fs::path(given)
                        : fs::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0
                            ? fs::path("/dev/shm")
                            : fs::temp_directory_path();
        std::string pattern = (base / "quillmark-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

const fs::path& PaperPath() {
    static ScratchFolder folder;
    static const fs::path path = folder.path() / "fuzz.CHO";
    return path;
}

// No value read from a file can hold a line break.
constexpr char kUntouched[] = "untouched\n";

void FillRows(ExamPaper& paper) {
    for (ExamQuestion& question : paper.questions) {
        for (std::string& column : question.columns) column = kUntouched;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& path = PaperPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FUZZ_CHECK(out.good());
    }

    ExamPaper paper;
    FillRows(paper);
    bool hasQuestions = quillmark::ReadExamPaper(path, paper);
    FUZZ_CHECK(paper.总题数 >= 0 && paper.总题数 <= ExamPaper::kMaxQuestions);
    FUZZ_CHECK(hasQuestions == (paper.总题数 > 0));
    FUZZ_CHECK(paper.questions.size() == static_cast<std::size_t>(ExamPaper::kRows));
    for (int n = 0; n < ExamPaper::kRows; ++n) {
        const ExamQuestion& question = paper.questions[static_cast<std::size_t>(n)];
        bool read = n >= 1 && n <= paper.总题数;
        for (int column = 0; column < static_cast<int>(question.columns.size()); ++column) {
            bool dataColumn = column >= ExamQuestion::DA && column <= ExamQuestion::E;
            const std::string& text = question[column];
            if (read && dataColumn) {
                FUZZ_CHECK(text != kUntouched);
                FUZZ_CHECK(text.empty() || (text.front() != ' ' && text.back() != ' '));
            } else {
                FUZZ_CHECK(text == kUntouched);
            }
        }
        if (read) (void)paper.EffectiveScore(n);
    }

    // Writing the paper back and reading it again gives the same paper.
    if (!quillmark::WriteExamPaper(path, paper).ok()) return 0;
    ExamPaper again;
    FUZZ_CHECK(quillmark::ReadExamPaper(path, again) == hasQuestions);
    FUZZ_CHECK(again.总题数 == paper.总题数);
    using quillmark::NumberForm;
    FUZZ_CHECK(NumberForm(again.分值) == NumberForm(paper.分值));
    FUZZ_CHECK(NumberForm(again.优秀) == NumberForm(paper.优秀));
    FUZZ_CHECK(NumberForm(again.良好) == NumberForm(paper.良好));
    FUZZ_CHECK(NumberForm(again.中等) == NumberForm(paper.中等));
    FUZZ_CHECK(NumberForm(again.及格) == NumberForm(paper.及格));
    for (int n = 1; n <= paper.总题数; ++n) {
        for (int column = ExamQuestion::DA; column <= ExamQuestion::E; ++column) {
            FUZZ_CHECK(again.questions[static_cast<std::size_t>(n)][column] ==
                       paper.questions[static_cast<std::size_t>(n)][column]);
        }
    }
    return 0;
}

#include "exam_paper.h"

#include <algorithm>

#include "file_io.h"
#include "key_file.h"
#include "number_text.h"
#include "text_fns.h"
#include "ui_text.h"

namespace quillmark {
namespace {

constexpr const char* kColumnSuffixes[] = {"DA", "Z", "DFL", "A", "B", "C", "D", "E"};

std::string QuestionKey(int question, int column) {
    return std::to_string(question) + kColumnSuffixes[column - ExamQuestion::DA];
}

}  // namespace

double ExamPaper::EffectiveScore(int question) const {
    if (question < 0 || question >= kRows) return 分值;
    double own = NumericValue(questions[static_cast<std::size_t>(question)][ExamQuestion::Z]);
    return own != 0 ? own : 分值;
}

bool ReadExamPaper(const std::filesystem::path& path, ExamPaper& paper) {
    return ReadExamPaper(KeyFile::Load(path), paper);
}

bool ReadExamPaper(const KeyFile& file, ExamPaper& paper) {
    auto number = [&](const char* key) { return NumericValue(file.Read(kPaperMainSection, key, "0")); };

    std::int16_t count = ToInt16(number("总题数"));
    paper.总题数 = std::clamp<std::int16_t>(count, 0, ExamPaper::kMaxQuestions);
    paper.分值 = number("分值");
    paper.优秀 = number("优秀");
    paper.良好 = number("良好");
    paper.中等 = number("中等");
    paper.及格 = number("及格");
    if (paper.总题数 <= 0) return false;

    for (int n = 1; n <= paper.总题数; ++n) {
        ExamQuestion& question = paper.questions[static_cast<std::size_t>(n)];
        for (int column = ExamQuestion::DA; column <= ExamQuestion::E; ++column) {
            question[column] = TrimSpaces(file.Read(kPaperQuestionSection, QuestionKey(n, column), ""));
        }
    }
    return true;
}

Status WriteExamPaper(const std::filesystem::path& path, const ExamPaper& paper) {
    std::string bytes;
    Status status = ExamPaperFileBytes(path, paper, bytes);
    if (!status.ok()) return status;
    if (int error = MakeFolder(path.parent_path())) return SaveFailure(path, error);
    return WriteFileAtomically(path, bytes);
}

Status ExamPaperFileBytes(const std::filesystem::path& path, const ExamPaper& paper, std::string& bytes) {
    KeyFile file = KeyFile::Load(path);
    file.Write(kPaperMainSection, "总题数", NumberForm(paper.总题数));
    file.Write(kPaperMainSection, "分值", NumberForm(paper.分值));
    file.Write(kPaperMainSection, "优秀", NumberForm(paper.优秀));
    file.Write(kPaperMainSection, "良好", NumberForm(paper.良好));
    file.Write(kPaperMainSection, "中等", NumberForm(paper.中等));
    file.Write(kPaperMainSection, "及格", NumberForm(paper.及格));
    int count = std::min<int>(paper.总题数, ExamPaper::kMaxQuestions);
    for (int n = 1; n <= count; ++n) {
        const ExamQuestion& question = paper.questions[static_cast<std::size_t>(n)];
        for (int column = ExamQuestion::DA; column <= ExamQuestion::E; ++column) {
            file.Write(kPaperQuestionSection, QuestionKey(n, column), question[column]);
        }
    }
    Status encoded = file.Serialize(bytes);
    if (!encoded.ok()) {
        return Status::Error(FillForm(UiText("ExamPaper", "无法保存文件“%1”：%2"), {DisplayPath(path), encoded.message()}));
    }
    return Status::Ok();
}

bool AnswerIsCorrect(const std::string& answer, const std::string& key) {
    return !answer.empty() && TrimSpaces(key).find(answer) != std::string::npos;
}

}  // namespace quillmark

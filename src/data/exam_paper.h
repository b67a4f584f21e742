#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "key_file.h"
#include "status.h"

namespace quillmark {

struct ExamQuestion {
    // Columns of a question row, named by their key suffix; 0 and 9 carry no data.
    enum Column : int { DA = 1, Z = 2, DFL = 3, A = 4, B = 5, C = 6, D = 7, E = 8 };

    std::array<std::string, 10> columns;

    std::string& operator[](int column) { return columns[static_cast<std::size_t>(column)]; }
    const std::string& operator[](int column) const { return columns[static_cast<std::size_t>(column)]; }
};

struct ExamPaper {
    static constexpr int kMaxQuestions = 200;
    static constexpr int kRows = 202;  // question rows 0..201

    std::int16_t 总题数 = 0;
    double 分值 = 0;
    double 优秀 = 0;
    double 良好 = 0;
    double 中等 = 0;
    double 及格 = 0;
    std::vector<ExamQuestion> questions = std::vector<ExamQuestion>(kRows);

    // The question's own score when its number is not 0, the default score otherwise.
    double EffectiveScore(int question) const;
};

inline constexpr char kPaperMainSection[] = "MAIN";
inline constexpr char kPaperQuestionSection[] = "考题内容";

// Fills the paper from its file, field by field; a missing file reads as 0 questions.
// Rows above the question count keep what they held. A count above 200 reads the first
// 200 questions. Returns true when the paper has questions, i.e. when the answer table of
// the results must be emptied and sized for it.
bool ReadExamPaper(const std::filesystem::path& path, ExamPaper& paper);
bool ReadExamPaper(const KeyFile& file, ExamPaper& paper);

// Stores the paper into the file, keeping keys the file holds for questions above the count;
// creates the file's folder when it alone is missing.
Status WriteExamPaper(const std::filesystem::path& path, const ExamPaper& paper);
// The bytes WriteExamPaper would store into the file as it is now.
Status ExamPaperFileBytes(const std::filesystem::path& path, const ExamPaper& paper, std::string& bytes);

// True when the answer earns the question's score: a non-empty answer that occurs as a
// contiguous part of the key. No answer is never right.
bool AnswerIsCorrect(const std::string& answer, const std::string& key);

}  // namespace quillmark

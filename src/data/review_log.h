#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace quillmark {

// What marking saw on one sheet, kept so a person can check the readings later: where the
// sheet came from, how its frame lay, the darkness of its answer and number cells, what was
// read and what was doubtful, and the decisions taken by hand since.
struct SheetReview {
    std::string examinee;      // the number the answers are recorded under
    std::string file;          // the image, as given to marking; empty for a scanned page
    int page = 1;
    std::string typeCode;
    int orientation = 0;
    std::array<double, 8> corners{};  // x, y of the frame's top-left, top-right, bottom-left, bottom-right
    std::vector<std::vector<int>> optionScores;  // question q at q - 1, one score an option
    std::vector<std::string> answersRead;        // as the reader read them
    std::vector<int> doubtfulQuestions;
    std::string numberRead;                      // digit n at n - 1, a blank where none was clear
    std::vector<std::vector<int>> digitScores;   // digit n at n - 1, scores of the values 0..9
    std::vector<int> doubtfulDigits;
    std::vector<std::string> findings;           // sheet-level doubts
    std::vector<std::string> checks;             // what the checks of the fit settled, no doubt
    std::string fingerprint;                     // of the image's pixels; empty when unknown
    // Decisions by hand: the answer kept for a question (the reading itself when accepted).
    std::map<int, std::string> decisions;
    std::string numberReadAs;  // the number before a correction by hand; empty when none
    bool numberAccepted = false;

    bool NumberPending() const { return !doubtfulDigits.empty() && numberReadAs.empty() && !numberAccepted; }
    // Questions still to be looked at: doubtful and not decided.
    std::vector<int> PendingQuestions() const;
};

// The review records of one results set, one a marked sheet.
struct ReviewLog {
    std::vector<SheetReview> sheets;

    SheetReview* Find(std::string_view examinee);
    const SheetReview* Find(std::string_view examinee) const;
    // A sheet marked again for the same examinee replaces the earlier record.
    void Put(SheetReview sheet);
};

inline constexpr char kReviewFileExtension[] = ".REV";
// Larger review files are not read: a record of a 120-question sheet takes about 4 KB, so this
// holds some 16,000 sheets, and reading stays within a few times the file's size.
inline constexpr std::uintmax_t kMaxReviewFileBytes = std::uintmax_t{64} << 20;

// The review file: UTF-8 text, a header line, then one JSON object per sheet (keys in the
// README). Reading refuses a file that is not one, naming what is wrong, and a record larger
// than any sheet type makes one (a line over 256 KB, over 1000 questions or 32 digits).
std::string SerializeReviewLog(const ReviewLog& log);
Status ParseReviewLog(std::string_view text, ReviewLog& log);

// One sheet's record as one line of JSON (no line end), and back.
std::string SerializeSheetReview(const SheetReview& sheet);
Status ParseSheetReview(std::string_view line, SheetReview& sheet);

}  // namespace quillmark

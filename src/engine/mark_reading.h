#pragma once

#include <string>
#include <vector>

#include "grid.h"
#include "sheet_type.h"

namespace quillmark {

// How a cell counts as marked. The spread rule judges a question by its own cells alone
// (a mark is well below the question's lightest cell); the reference rule also asks how
// much darker a cell is than an empty bubble of this sheet, so residue, a stroke or a
// shadow over an unanswered question never turns into answers.
enum class MarkRule : int { Spread = 0, EmptyReference = 1 };

// The marks of one sheet: answers, examinee number, and what is close to the decision.
struct MarkReading {
    std::vector<std::string> answers;  // question q at index q - 1
    std::vector<int> doubtfulQuestions;
    // Questions read as unanswered on an image whose light tones were cut off: a light fill
    // may be gone without a trace, so a person looks at the paper.
    std::vector<int> blankOnCutTones;
    std::string number;                // the digits with one clear mark; others left out
    std::string digitByPosition;       // digit n at index n - 1, a blank where none is clear
    bool numberComplete = false;       // every digit of the type had one clear mark
    std::vector<int> doubtfulDigits;
};

MarkReading ReadMarks(const SheetType& type, const CellGrid& grid, MarkRule rule);

namespace mark_detail {

// Darkness above an empty bubble (empty level minus score) from which a cell is a mark,
// and the band around it where a reading is doubtful.
inline constexpr int kMarkDarkness = 40;
inline constexpr int kDoubtBelow = 28;
inline constexpr int kDoubtAbove = 62;
// Two marks of one question this far apart in darkness: one may be an erasure, or a shadow.
inline constexpr int kUnevenMarks = 35;
// Darkness from which a cell whose dark samples lie along a line is a mark all the same.
inline constexpr int kStrokeCovering = 70;

// The score of an empty bubble around question q: the median of the option cells of the
// questions near it (most of them are empty).
int EmptyLevelNear(const SheetType& type, const CellGrid& grid, int q);

}  // namespace mark_detail
}  // namespace quillmark

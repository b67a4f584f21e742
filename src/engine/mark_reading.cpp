#include "mark_reading.h"

#include <algorithm>

#include "answers.h"
#include "examinee_number.h"

namespace quillmark {
namespace mark_detail {
namespace {

int Median(std::vector<int> values) {
    if (values.empty()) return 100;
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

constexpr int kNeighbourQuestions = 6;
// Darkness above an empty bubble that shows pencil was there, too little to be a mark.
constexpr int kTouchedDarkness = 10;
// Darkness above an empty bubble from which an option's cell counts as shaded when a column
// of them is in question: lower than the doubt band, as a shadow darkens evenly.
constexpr int kShadedColumn = 22;
// Darkness of the darkest option of an unanswered question from which a light fill may be
// hidden there, on an image with its light tones intact, and on one where they were cut.
constexpr int kTraceUnanswered = 20;
constexpr int kTraceOnCutTones = 5;

bool InDoubtBand(int darkness) { return darkness >= kDoubtBelow && darkness < kDoubtAbove; }

struct CellJudgement {
    std::vector<int> marked;  // indexes into the darkness list
    bool doubtful = false;
};

// `lines`: whether each cell's darkness lies along a line. A stroke across a cell darkens
// it as much as a light fill, but it is no mark unless it covers most of the cell.
// `strokes`: on a coarse image, whether the whole cell shows a stroke drawn across it, which
// there darkens the middle like a fill.
CellJudgement Judge(const std::vector<int>& darkness, const std::vector<bool>& lines, const std::vector<bool>& strokes) {
    CellJudgement judgement;
    int darkest = 0, lightestMarked = 1000;
    for (std::size_t k = 0; k < darkness.size(); ++k) {
        if (InDoubtBand(darkness[k])) judgement.doubtful = true;
        if (darkness[k] >= kMarkDarkness && ((lines[k] && darkness[k] < kStrokeCovering) || strokes[k])) {
            judgement.doubtful = true;
            continue;
        }
        if (darkness[k] >= kMarkDarkness) {
            judgement.marked.push_back(static_cast<int>(k));
            darkest = std::max(darkest, darkness[k]);
            lightestMarked = std::min(lightestMarked, darkness[k]);
        }
    }
    if (judgement.marked.size() >= 2 && darkest - lightestMarked >= kUnevenMarks) judgement.doubtful = true;
    return judgement;
}

}  // namespace

int EmptyLevelNear(const SheetType& type, const CellGrid& grid, int q) {
    std::vector<int> scores;
    int first = std::max(1, q - kNeighbourQuestions), last = std::min(type.答题卡总题数, q + kNeighbourQuestions);
    for (int p = first; p <= last; ++p) {
        for (int k = 1; k <= type.每题选项数; ++k) {
            GridPosition cell = type.OptionCell(p, k);
            scores.push_back(grid.at(cell.column, cell.row));
        }
    }
    return Median(std::move(scores));
}

}  // namespace mark_detail

namespace {

using namespace mark_detail;

struct QuestionMarks {
    std::string answer;
    bool doubtful = false;
    bool blankOnCutTones = false;
};

// A shadow or the dark edge of a photo along one option's column: true when that option is
// dark on nearly all the questions around q (four in five), or, for a question with several
// marks, when one of them is an option that is dark beside another mark on at least half of
// the questions around. The same answer everywhere is less likely than that; and an answer
// that is merely common around q is marked alone on its questions, not beside another mark.
bool OptionColumnDark(const SheetType& type, const CellGrid& grid, int q, int empty, const std::vector<int>& marked) {
    int first = std::max(1, q - kNeighbourQuestions), last = std::min(type.答题卡总题数, q + kNeighbourQuestions);
    if (last - first < 4) return false;
    auto darkness = [&](int p, int k) {
        GridPosition cell = type.OptionCell(p, k);
        return empty - grid.at(cell.column, cell.row);
    };
    for (int k = 1; k <= type.每题选项数; ++k) {
        std::vector<int> scores;
        for (int p = first; p <= last; ++p) {
            GridPosition cell = type.OptionCell(p, k);
            scores.push_back(grid.at(cell.column, cell.row));
        }
        std::sort(scores.begin(), scores.end());
        if (empty - scores[scores.size() * 4 / 5] >= kShadedColumn) return true;
        bool markedHere = std::find(marked.begin(), marked.end(), k - 1) != marked.end();
        if (marked.size() < 2 || !markedHere) continue;
        int besideAnother = 0;
        for (int p = first; p <= last; ++p) {
            if (p == q || darkness(p, k) < kShadedColumn) continue;
            for (int j = 1; j <= type.每题选项数; ++j) {
                if (j != k && darkness(p, j) >= kMarkDarkness) {
                    ++besideAnother;
                    break;
                }
            }
        }
        if (2 * besideAnother >= last - first) return true;
    }
    return false;
}

// Every option marked but one, and that one touched: perhaps filled too, only lightly, and
// then the question counts as no answer. Where the image's light tones were cut off, a light
// fill may have left no touch at all; and four or more options marked of five or more is
// rarely meant, so there a noisy photo's faint fill is looked at whatever is left of it.
bool OneOptionShortOfAll(const std::vector<int>& darkness, const std::vector<int>& marked, bool tonesCut) {
    if (darkness.size() < 3 || marked.size() + 1 != darkness.size()) return false;
    if (tonesCut || darkness.size() >= 5) return true;
    for (std::size_t k = 0; k < darkness.size(); ++k) {
        if (std::find(marked.begin(), marked.end(), static_cast<int>(k)) == marked.end()) {
            return darkness[k] >= kTouchedDarkness;
        }
    }
    return false;
}

// A question read as unanswered that holds a trace: a light fill may lie just below the mark
// level. A trace is darker than a touch, or a touch that stands out from the question's
// other options, as a light fill does on a noisy photo where every cell is a little grey.
// Where the light tones were cut off the paper is flat white, so any trace at all may be
// what is left of one.
// A trace along a line is a stroke or a tick, which the mark band already weighs.
bool LightTraceUnanswered(const std::vector<int>& darkness, const std::vector<bool>& lines,
                          const std::vector<int>& marked, bool tonesCut) {
    if (!marked.empty()) return false;
    for (std::size_t k = 0; k < darkness.size(); ++k) {
        if (lines[k]) continue;
        int nextDarkest = 0;
        for (std::size_t j = 0; j < darkness.size(); ++j) {
            if (j != k) nextDarkest = std::max(nextDarkest, darkness[j]);
        }
        if (darkness[k] >= (tonesCut ? kTraceOnCutTones : kTraceUnanswered)) return true;
        if (darkness[k] >= kTouchedDarkness && darkness[k] - nextDarkest >= kTouchedDarkness) return true;
    }
    return false;
}

// A line through the cell that goes on down its column or along its row: a copier's streak or
// a stroke drawn across the grid. What the cut tones left of a light fill may be line-shaped
// too, but it ends at its bubble. (Two such remnants within two cells of each other would pass
// for a streak; asking for a run of three flags three times as many streaks on the bench.)
bool LineRunsOn(const SheetType& type, const CellGrid& grid, GridPosition cell) {
    if (!grid.isLine(cell.column, cell.row)) return false;
    auto line = [&](int column, int row) {
        return column >= 1 && row >= 1 && column <= type.水平单元格数 && row <= type.垂直单元格数 &&
               grid.isLine(column, row);
    };
    // A faint streak may miss the next cell's samples: look two cells on each way.
    for (int step : {-2, -1, 1, 2}) {
        if (line(cell.column, cell.row + step) || line(cell.column + step, cell.row)) return true;
    }
    return false;
}

// Where the light tones were cut off the paper is flat white: a trace beside a question's
// marks may be what is left of a light second fill.
bool TraceBesideMarksOnCutTones(const std::vector<int>& darkness, const std::vector<bool>& linesRunningOn,
                                const std::vector<int>& marked, bool tonesCut) {
    if (!tonesCut || marked.empty()) return false;
    for (std::size_t k = 0; k < darkness.size(); ++k) {
        bool markedHere = std::find(marked.begin(), marked.end(), static_cast<int>(k)) != marked.end();
        if (!markedHere && !linesRunningOn[k] && darkness[k] >= kTraceOnCutTones) return true;
    }
    return false;
}

QuestionMarks ReadQuestion(const SheetType& type, const CellGrid& grid, int q) {
    int empty = EmptyLevelNear(type, grid, q);
    std::vector<int> darkness;
    std::vector<bool> lines, strokes, linesRunningOn;
    for (int k = 1; k <= type.每题选项数; ++k) {
        GridPosition cell = type.OptionCell(q, k);
        darkness.push_back(empty - grid.at(cell.column, cell.row));
        lines.push_back(grid.isLine(cell.column, cell.row));
        strokes.push_back(grid.isStroke(cell.column, cell.row));
        linesRunningOn.push_back(LineRunsOn(type, grid, cell));
    }
    CellJudgement judgement = Judge(darkness, lines, strokes);
    QuestionMarks marks;
    marks.doubtful = judgement.doubtful || OptionColumnDark(type, grid, q, empty, judgement.marked) ||
                     OneOptionShortOfAll(darkness, judgement.marked, grid.tonesCut) ||
                     LightTraceUnanswered(darkness, lines, judgement.marked, grid.tonesCut) ||
                     TraceBesideMarksOnCutTones(darkness, linesRunningOn, judgement.marked, grid.tonesCut);
    // Where the light tones were cut off, a light fill may also have left nothing at all.
    marks.blankOnCutTones = grid.tonesCut && judgement.marked.empty() && !marks.doubtful;
    // Every option filled counts as no answer, as the printed sheet tells examinees.
    if (static_cast<int>(judgement.marked.size()) == type.每题选项数) return marks;
    for (int k : judgement.marked) marks.answer += static_cast<char>('1' + k);
    return marks;
}

int DigitEmptyLevel(const SheetType& type, const CellGrid& grid) {
    std::vector<int> scores;
    for (int n = 1; n <= type.考号位数; ++n) {
        for (int v = 0; v <= 9; ++v) {
            GridPosition cell = type.DigitCell(n, v);
            scores.push_back(grid.at(cell.column, cell.row));
        }
    }
    std::nth_element(scores.begin(), scores.begin() + static_cast<std::ptrdiff_t>(scores.size() / 2), scores.end());
    return scores.empty() ? 100 : scores[scores.size() / 2];
}

void ReadNumberByReference(const SheetType& type, const CellGrid& grid, MarkReading& reading) {
    int empty = DigitEmptyLevel(type, grid);
    reading.numberComplete = type.考号位数 > 0;
    for (int n = 1; n <= type.考号位数; ++n) {
        std::vector<int> darkness;
        std::vector<bool> lines, strokes;
        for (int v = 0; v <= 9; ++v) {
            GridPosition cell = type.DigitCell(n, v);
            darkness.push_back(empty - grid.at(cell.column, cell.row));
            lines.push_back(grid.isLine(cell.column, cell.row));
            strokes.push_back(grid.isStroke(cell.column, cell.row));
        }
        CellJudgement judgement = Judge(darkness, lines, strokes);
        if (judgement.doubtful) reading.doubtfulDigits.push_back(n);
        if (judgement.marked.size() == 1) {
            reading.number += static_cast<char>('0' + judgement.marked[0]);
            reading.digitByPosition += static_cast<char>('0' + judgement.marked[0]);
            continue;
        }
        reading.digitByPosition += ' ';
        // No mark, or several: the digit is left out and the number needs the user.
        reading.numberComplete = false;
        if (judgement.marked.size() > 1 && !judgement.doubtful) reading.doubtfulDigits.push_back(n);
    }
}

}  // namespace

MarkReading ReadMarks(const SheetType& type, const CellGrid& grid, MarkRule rule) {
    MarkReading reading;
    for (int q = 1; q <= type.答题卡总题数; ++q) {
        QuestionMarks marks = ReadQuestion(type, grid, q);
        std::string spread = ReadAnswerDigits(type, grid, q);
        // Under the spread rule a reading the reference rule would not give is doubtful too.
        bool doubtful = marks.doubtful || (rule == MarkRule::Spread && spread != marks.answer);
        reading.answers.push_back(rule == MarkRule::Spread ? spread : marks.answer);
        if (doubtful) reading.doubtfulQuestions.push_back(q);
        else if (marks.blankOnCutTones && reading.answers.back().empty()) reading.blankOnCutTones.push_back(q);
    }
    if (rule == MarkRule::EmptyReference) {
        ReadNumberByReference(type, grid, reading);
    } else {
        reading.number = ReadExamineeDigits(type, grid);
        reading.numberComplete = type.考号位数 > 0 && static_cast<int>(reading.number.size()) == type.考号位数;
        MarkReading reference;
        ReadNumberByReference(type, grid, reference);
        reading.doubtfulDigits = reference.doubtfulDigits;
        for (int n = 1; n <= type.考号位数; ++n) {
            SheetType one = type;
            one.考号位数 = 1;
            one.numberPositions = {GridPosition{}, type.numberPositions[static_cast<std::size_t>(n)]};
            std::string digit = ReadExamineeDigits(one, grid);
            reading.digitByPosition += digit.empty() ? ' ' : digit[0];
        }
    }
    return reading;
}

}  // namespace quillmark

#include "record_sort.h"

#include <algorithm>
#include <numeric>

#include "number_text.h"
#include "text_fns.h"

namespace quillmark {
namespace {

template <typename Key, typename Greater>
std::vector<int> SortByKey(const std::vector<Key>& keys, bool ascending, Greater greater) {
    int n = keys.empty() ? 0 : static_cast<int>(keys.size()) - 1;
    std::vector<int> descending(static_cast<std::size_t>(n));
    std::iota(descending.begin(), descending.end(), 1);
    std::sort(descending.begin(), descending.end(), [&](int a, int b) {
        const Key& ka = keys[static_cast<std::size_t>(a)];
        const Key& kb = keys[static_cast<std::size_t>(b)];
        if (greater(ka, kb)) return true;
        if (greater(kb, ka)) return false;
        return a > b;
    });
    std::vector<int> order(static_cast<std::size_t>(n) + 1, 0);
    for (int k = 1; k <= n; ++k) {
        int position = ascending ? n + 1 - k : k;
        order[static_cast<std::size_t>(position)] = descending[static_cast<std::size_t>(k - 1)];
    }
    return order;
}

}  // namespace

std::vector<int> SortIndex(const std::vector<double>& keys, bool ascending) {
    return SortByKey(keys, ascending, [](double a, double b) { return a > b; });
}

std::vector<int> SortIndex(const std::vector<std::string>& keys, bool ascending) {
    return SortByKey(keys, ascending,
                     [](const std::string& a, const std::string& b) { return CompareUtf16Order(a, b) > 0; });
}

std::vector<int> SortExaminees(const Roster& roster, ExamineeSortItem item, bool ascending) {
    int n = roster.RowCount();
    if (item == ExamineeSortItem::Name) {
        std::vector<std::string> keys(static_cast<std::size_t>(n) + 1);
        for (int i = 1; i <= n; ++i) keys[static_cast<std::size_t>(i)] = TrimSpaces(roster.Row(i)[Examinee::姓名]);
        return SortIndex(keys, ascending);
    }
    int column = item == ExamineeSortItem::Number ? Examinee::考号
                 : item == ExamineeSortItem::Score ? Examinee::Score
                                                   : Examinee::名次;
    std::vector<double> keys(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) keys[static_cast<std::size_t>(i)] = NumericValue(roster.Row(i)[column]);
    return SortIndex(keys, ascending);
}

std::vector<int> SortQuestions(const ExamPaper& paper, QuestionSortItem item, bool ascending) {
    int n = paper.总题数;
    std::vector<double> keys(static_cast<std::size_t>(std::max(n, 0)) + 1);
    for (int q = 1; q <= n; ++q) {
        const ExamQuestion& question = paper.questions[static_cast<std::size_t>(q)];
        double key = q;
        switch (item) {
            case QuestionSortItem::Question: key = q; break;
            case QuestionSortItem::Answer: key = NumericValue(question[ExamQuestion::DA]); break;
            case QuestionSortItem::Score: key = NumericValue(question[ExamQuestion::Z]); break;
            case QuestionSortItem::ScoreRate: key = NumericValue(question[ExamQuestion::DFL]); break;
            default:
                key = NumericValue(question[ExamQuestion::A + (static_cast<int>(item) - static_cast<int>(QuestionSortItem::A))]);
        }
        keys[static_cast<std::size_t>(q)] = key;
    }
    return SortIndex(keys, ascending);
}

std::vector<int> RankOrder(const Roster& roster) {
    return SortExaminees(roster, ExamineeSortItem::Score, false);
}

}  // namespace quillmark

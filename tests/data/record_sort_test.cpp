#include <gtest/gtest.h>

#include <random>

#include "data/record_sort.h"
#include "data/text_fns.h"

namespace quillmark {
namespace {

// The selection routine written out step by step, to check the fast sort against.
template <typename Key, typename LessEqual>
std::vector<int> ReferenceSortIndex(const std::vector<Key>& keys, bool ascending, LessEqual lessEqual) {
    int n = static_cast<int>(keys.size()) - 1;
    std::vector<int> order(static_cast<std::size_t>(n) + 1, 0);
    if (n <= 0) return order;
    auto key = [&](int i) -> const Key& { return keys[static_cast<std::size_t>(i)]; };
    Key smallest = key(1);
    for (int i = 1; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            if (lessEqual(key(j), smallest)) {
                smallest = key(j);
                break;
            }
        }
    }
    std::vector<bool> taken(static_cast<std::size_t>(n) + 1, false);
    for (int k = 1; k <= n; ++k) {
        Key candidate = smallest;
        int chosen = 0;
        for (int i = 1; i <= n; ++i) {
            for (int j = i; j <= n; ++j) {
                if (!taken[static_cast<std::size_t>(j)] && lessEqual(candidate, key(j))) {
                    chosen = j;
                    candidate = key(j);
                    break;
                }
            }
        }
        taken[static_cast<std::size_t>(chosen)] = true;
        order[static_cast<std::size_t>(ascending ? n + 1 - k : k)] = chosen;
    }
    return order;
}

std::vector<int> Reference(const std::vector<double>& keys, bool ascending) {
    return ReferenceSortIndex(keys, ascending, [](double a, double b) { return a <= b; });
}

std::vector<int> Reference(const std::vector<std::string>& keys, bool ascending) {
    return ReferenceSortIndex(keys, ascending,
                              [](const std::string& a, const std::string& b) { return CompareUtf16Order(a, b) <= 0; });
}

TEST(SortIndex, TiesGoHighestRecordFirstWhenDescending) {
    std::vector<double> keys{0, 5, 3, 5};
    EXPECT_EQ(SortIndex(keys, false), (std::vector<int>{0, 3, 1, 2}));
    EXPECT_EQ(SortIndex(keys, true), (std::vector<int>{0, 2, 1, 3}));
}

TEST(SortIndex, EmptyAndSingle) {
    EXPECT_EQ(SortIndex(std::vector<double>{0}, false), (std::vector<int>{0}));
    EXPECT_EQ(SortIndex(std::vector<double>{0, 7}, true), (std::vector<int>{0, 1}));
}

TEST(SortIndex, MatchesTheSelectionRoutineOnRandomNumbers) {
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        int n = static_cast<int>(random() % 40);
        int distinct = 1 + static_cast<int>(random() % 6);  // few values: many ties
        std::vector<double> keys(static_cast<std::size_t>(n) + 1);
        for (int i = 1; i <= n; ++i) keys[static_cast<std::size_t>(i)] = static_cast<double>(random() % distinct) * 0.5 - 1;
        for (bool ascending : {false, true}) {
            ASSERT_EQ(SortIndex(keys, ascending), Reference(keys, ascending)) << "round " << round;
        }
    }
}

TEST(SortIndex, MatchesTheSelectionRoutineOnRandomTexts) {
    std::mt19937 random(777);
    const std::vector<std::string> pieces{"", "a", "B", "b", "张", "三", " ", "😀", "！", "10", "9"};
    for (int round = 0; round < 300; ++round) {
        int n = static_cast<int>(random() % 30);
        std::vector<std::string> keys(static_cast<std::size_t>(n) + 1);
        for (int i = 1; i <= n; ++i) {
            int length = static_cast<int>(random() % 3);
            for (int c = 0; c < length; ++c) keys[static_cast<std::size_t>(i)] += pieces[random() % pieces.size()];
        }
        for (bool ascending : {false, true}) {
            ASSERT_EQ(SortIndex(keys, ascending), Reference(keys, ascending)) << "round " << round;
        }
    }
}

TEST(SortDirection, SharedSwitchStartsDescendingAndFlips) {
    SortDirection direction;
    EXPECT_FALSE(direction.Ascending());
    EXPECT_TRUE(direction.Flip());   // first click: ascending
    EXPECT_FALSE(direction.Flip());  // second click: descending
}

Roster SampleRoster() {
    Roster roster;
    const char* rows[][4] = {{"0103", "王五", "90", "1"}, {"0101", "张三", "80", "3"}, {"0102", "李四", "90", "1"}};
    for (auto& values : rows) {
        Examinee& row = roster.Row(roster.AppendRow());
        row[Examinee::考号] = values[0];
        row[Examinee::姓名] = std::string(" ") + values[1] + " ";
        row[Examinee::Score] = values[2];
        row[Examinee::名次] = values[3];
    }
    return roster;
}

TEST(SortCommands, ExamineeColumns) {
    Roster roster = SampleRoster();
    EXPECT_EQ(SortExaminees(roster, ExamineeSortItem::Number, true), (std::vector<int>{0, 2, 3, 1}));
    // 张 (U+5F20) < 李 (U+674E) < 王 (U+738B)
    EXPECT_EQ(SortExaminees(roster, ExamineeSortItem::Name, true), (std::vector<int>{0, 2, 3, 1}));
    EXPECT_EQ(SortExaminees(roster, ExamineeSortItem::Score, false), (std::vector<int>{0, 3, 1, 2}));
    EXPECT_EQ(RankOrder(roster), (std::vector<int>{0, 3, 1, 2}));
}

TEST(SortCommands, QuestionColumns) {
    ExamPaper paper;
    paper.总题数 = 3;
    paper.questions[1][ExamQuestion::DA] = "13";
    paper.questions[2][ExamQuestion::DA] = "2";
    paper.questions[3][ExamQuestion::DA] = "";
    paper.questions[1][ExamQuestion::C] = "50";
    paper.questions[2][ExamQuestion::C] = "66.6666666666667";
    EXPECT_EQ(SortQuestions(paper, QuestionSortItem::Question, false), (std::vector<int>{0, 3, 2, 1}));
    EXPECT_EQ(SortQuestions(paper, QuestionSortItem::Answer, false), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(SortQuestions(paper, QuestionSortItem::C, false), (std::vector<int>{0, 2, 1, 3}));
}

}  // namespace
}  // namespace quillmark

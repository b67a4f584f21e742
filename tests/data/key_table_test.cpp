#include <gtest/gtest.h>

#include "data/key_table.h"
#include "data/text_fns.h"

namespace quillmark {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// The key table's CSV holds no quoted cells (letters and numbers only): lines and commas.
Rows SplitCsv(const std::string& text) {
    Rows rows;
    for (std::string_view line : SplitLines(text)) {
        std::vector<std::string> row;
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string_view::npos; start = comma + 1)
            row.emplace_back(line.substr(start, comma - start));
        row.emplace_back(line.substr(start));
        rows.push_back(std::move(row));
    }
    return rows;
}

ExamPaper FourQuestions() {
    ExamPaper paper;
    paper.总题数 = 4;
    paper.分值 = 2;
    paper.questions[1][ExamQuestion::DA] = "2";
    paper.questions[2][ExamQuestion::DA] = "13";
    paper.questions[3][ExamQuestion::DA] = "12345";
    paper.questions[3][ExamQuestion::Z] = "3.5";
    paper.questions[4][ExamQuestion::DA] = "";  // no key yet
    return paper;
}

TEST(KeyTable, ExportsLettersAndEffectiveScoresAndImportsThemBack) {
    std::string csv = KeyTableCsv(FourQuestions());
    EXPECT_EQ(csv, "question,answer,score\r\n1,B,2\r\n2,AC,2\r\n3,ABCDE,3.5\r\n4,,2\r\n");

    KeyImport back = ImportKeyTable(SplitCsv(csv));
    ASSERT_TRUE(back.status.ok()) << back.status.message();
    const ExamPaper& paper = back.paper;
    EXPECT_EQ(paper.总题数, 4);
    EXPECT_EQ(paper.分值, 2);
    for (int q = 1; q <= 4; ++q) {
        EXPECT_EQ(paper.questions[q][ExamQuestion::DA], FourQuestions().questions[q][ExamQuestion::DA]) << q;
        EXPECT_EQ(paper.EffectiveScore(q), FourQuestions().EffectiveScore(q)) << q;
    }
    EXPECT_EQ(paper.questions[1][ExamQuestion::Z], "") << "the default score is not repeated per question";
    EXPECT_EQ(paper.questions[3][ExamQuestion::Z], "3.5");
    EXPECT_EQ(KeyTableCsv(paper), csv);
    EXPECT_EQ(paper.优秀, 0) << "thresholds as a new paper has them";
}

TEST(KeyTable, ReadsWhatPeopleTypeIntoSpreadsheets) {
    // Columns in another order under Chinese names, lower case and separated letters, a decimal
    // comma, blank rows, no header at all.
    KeyImport named = ImportKeyTable({{"分值", "题号", "答案"}, {"1,5", "1", "c a"}, {}, {"1", "2", "b,d"}, {"1", "3", "E"}});
    ASSERT_TRUE(named.status.ok()) << named.status.message();
    EXPECT_EQ(named.paper.总题数, 3);
    EXPECT_EQ(named.paper.分值, 1) << "the score most questions have";
    EXPECT_EQ(named.paper.questions[1][ExamQuestion::DA], "13");
    EXPECT_EQ(named.paper.questions[2][ExamQuestion::DA], "24");
    EXPECT_EQ(named.paper.EffectiveScore(1), 1.5);

    KeyImport bare = ImportKeyTable({{"1", "A", "4"}, {"2", "B", "2"}, {"3", "C", "4"}});
    ASSERT_TRUE(bare.status.ok()) << bare.status.message();
    EXPECT_EQ(bare.paper.分值, 4);
    EXPECT_EQ(bare.paper.questions[2][ExamQuestion::Z], "2");

    KeyImport tie = ImportKeyTable({{"1", "A", "3"}, {"2", "B", "2"}});
    EXPECT_EQ(tie.paper.分值, 3) << "the first of equally common scores";

    KeyImportOptions thresholds;
    thresholds.thresholds = {90, 80, 70, 60};
    EXPECT_EQ(ImportKeyTable({{"1", "A", "3"}}, thresholds).paper.及格, 60);
}

// Each problem with the row it is on (the header is row 1).
std::vector<std::pair<int, std::string>> Problems(const Rows& rows, int options = 5) {
    KeyImportOptions chosen;
    chosen.options = options;
    KeyImport result = ImportKeyTable(rows, chosen);
    EXPECT_EQ(result.status.ok(), result.problems.empty());
    std::vector<std::pair<int, std::string>> problems;
    for (const KeyTableProblem& p : result.problems) {
        problems.emplace_back(p.row, p.message);
        if (p.row > 0) {
            EXPECT_NE(result.status.message().find("第" + std::to_string(p.row) + "行：" + p.message), std::string::npos);
        }
    }
    return problems;
}

bool Mentions(const std::pair<int, std::string>& problem, int row, const std::string& words) {
    return problem.first == row && problem.second.find(words) != std::string::npos;
}

TEST(KeyTable, NamesEveryProblemByItsRow) {
    auto letters = Problems({{"question", "answer", "score"}, {"1", "AE", "2"}, {"2", "AX", "2"}, {"3", "1", "2"}}, 4);
    ASSERT_EQ(letters.size(), 3u);
    EXPECT_TRUE(Mentions(letters[0], 2, "“E”")) << letters[0].second;
    EXPECT_TRUE(Mentions(letters[0], 2, "A–D")) << letters[0].second;
    EXPECT_TRUE(Mentions(letters[1], 3, "“X”")) << letters[1].second;
    EXPECT_TRUE(Mentions(letters[2], 4, "“1”")) << "option digits are not letters";
    EXPECT_TRUE(Problems({{"question", "answer", "score"}, {"1", "E", "2"}}, 5).empty());

    auto scores = Problems({{"question", "answer", "score"}, {"1", "A", ""}, {"2", "A", "two"}, {"3", "A", "0"},
                            {"4", "A", "-1"}, {"5", "A", "inf"}, {"6", "A"}});
    ASSERT_EQ(scores.size(), 6u);
    EXPECT_TRUE(Mentions(scores[0], 2, "没有分值"));
    EXPECT_TRUE(Mentions(scores[1], 3, "不是数字"));
    EXPECT_TRUE(Mentions(scores[2], 4, "大于0"));
    EXPECT_TRUE(Mentions(scores[3], 5, "大于0"));
    EXPECT_TRUE(Mentions(scores[4], 6, "不是数字"));
    EXPECT_TRUE(Mentions(scores[5], 7, "没有分值"));

    auto numbers = Problems({{"question", "answer", "score"}, {"1", "A", "2"}, {"2", "A", "2"}, {"2", "B", "2"},
                             {"5", "A", "2"}, {"6", "A", "2"}, {"x", "A", "2"}, {"", "A", "2"}});
    ASSERT_EQ(numbers.size(), 4u);
    EXPECT_TRUE(Mentions(numbers[0], 4, "重复")) << numbers[0].second;
    EXPECT_TRUE(Mentions(numbers[1], 5, "不按顺序（应为3）")) << numbers[1].second;
    EXPECT_TRUE(Mentions(numbers[2], 7, "不是整数")) << "6 follows 5 without a complaint";
    EXPECT_TRUE(Mentions(numbers[3], 8, "没有题号"));

    Rows tooMany{{"question", "answer", "score"}};
    for (int q = 1; q <= 203; ++q) tooMany.push_back({std::to_string(q), "A", "1"});
    auto over = Problems(tooMany);
    ASSERT_EQ(over.size(), 1u);
    EXPECT_TRUE(Mentions(over[0], 202, "超过200题"));
    tooMany.resize(201);
    EXPECT_TRUE(Problems(tooMany).empty()) << "200 questions are allowed";

    auto header = Problems({{"question", "answer"}, {"1", "A"}});
    ASSERT_EQ(header.size(), 2u);
    EXPECT_TRUE(Mentions(header[0], 1, "score"));
    EXPECT_TRUE(Mentions(header[1], 2, "没有分值"));

    auto empty = Problems({{"question", "answer", "score"}, {}});
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].first, 0);
}

}  // namespace
}  // namespace quillmark

#include <gtest/gtest.h>

#include "results/results_cells.h"
#include "results/results_page.h"

namespace quillmark {
namespace {

// Three participants, two of them under one number, one name and one score longer than the
// row texts' fixed widths.
ResultSet Records() {
    ResultSet records;
    records.paper.总题数 = 1;
    records.paper.分值 = 2;
    records.paper.questions[1][ExamQuestion::DA] = "1";
    const char* rows[][4] = {{"0101", "欧阳司马长名字", " 100.5", "1"}, {"0101", "张三", " 7", "2"}, {"0103", "李四", " 2", ""}};
    records.answers.Reset(103);
    for (auto& values : rows) {
        int row = records.roster.AppendRow();
        Examinee& e = records.roster.Row(row);
        e[Examinee::考号] = values[0];
        e[Examinee::姓名] = values[1];
        e[Examinee::Score] = values[2];
        records.answers.SetCell(1, row, values[3]);
    }
    return records;
}

using Cells = std::vector<std::vector<std::string>>;

TEST(ResultsCells, RowsComeApartIntoWholeValuesInTheRowsOrder) {
    ResultSet records = Records();
    ResultsPage page;
    page.Analyse(records);
    Cells byRank = {{"0101", "欧阳司马长名字", "100.5", "1"}, {"0101", "张三", "7", "2"}, {"0103", "李四", "2", "3"}};
    EXPECT_EQ(ExamineeCells(records, page.ExamineeRows(records)), byRank);
    page.SortExaminees(records, ExamineeSortItem::Score);
    page.SortExaminees(records, ExamineeSortItem::Score);  // the other way
    EXPECT_EQ(ExamineeCells(records, page.ExamineeRows(records)), Cells(byRank.rbegin(), byRank.rend()));

    // One of three right, one chose A, one B: rates to one decimal, not cut to three characters.
    EXPECT_EQ(QuestionCells(records, page.QuestionRows(records)),
              (Cells{{"1", "1", "2", "33.3", "33.3", "33.3", "0.0", "0.0", "0.0"}}));

    // Rows the records do not hold keep their own text; a name may hold the separator.
    EXPECT_EQ(ExamineeCells(records, {"9999 | 王 | 1 | 2", "0103 | a|b | 2 | 3"}),
              (Cells{{"9999", "王", "1", "2"}, {"0103", "a|b", "2", "3"}}));
    EXPECT_EQ(QuestionCells(records, {" 5  | 2 | 3 | 50 | 1 | 2 | 3 | 4 | 5"}),
              (Cells{{"5", "2", "3", "50", "1", "2", "3", "4", "5"}}));
    EXPECT_EQ(RateText(" 66.6666666666667"), "66.7");
    EXPECT_EQ(RateText("未考"), "未考");
}

}  // namespace
}  // namespace quillmark

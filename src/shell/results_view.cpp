#include "results_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/result_set.h"
#include "editors/page_widgets.h"
#include "editors/row_list_model.h"
#include "editors/widget_prompt.h"
#include "platform/desktop.h"
#include "platform/xlsx_writer.h"
#include "results/results_workbook.h"
#include "results/spreadsheet_export.h"
#include "busy_work.h"
#include "data/text_fns.h"
#include "review_dialog.h"
#include "item_analysis_view.h"
#include "score_chart.h"

namespace quillmark {
namespace {

RowListModel* ListOf(const std::vector<std::string>& rows, QObject* parent) {
    return new RowListModel([&rows] { return static_cast<int>(rows.size()); },
                            [&rows](int row) { return rows[static_cast<std::size_t>(row)]; }, parent);
}

// A row of column buttons above a list; each sorts the list by its column.
QHBoxLayout* ColumnButtons(const std::string& name, int first, const std::vector<const char*>& captions,
                           const std::function<void(int)>& sort) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        int item = first + static_cast<int>(i);
        QPushButton* button = NamedButton(name + "_" + std::to_string(item), captions[i]);
        button->setToolTip("按此列排序（再按一次反向）");
        QObject::connect(button, &QPushButton::clicked, button, [sort, item] { sort(item); });
        row->addWidget(button);
    }
    row->addStretch(1);
    return row;
}

}  // namespace

ResultsView::ResultsView(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    questions_ = ListOf(questionRows_, this);
    examinees_ = ListOf(examineeRows_, this);
    answers_ = ListOf(answerRows_, this);

    open_ = NamedButton("Cmd打开成绩", "打开成绩");
    sets_ = Named(new QComboBox, "Cmb选择打开成绩");
    sets_->setMinimumContentsLength(20);
    delete_ = NamedButton("Cmd删除成绩", "删除成绩");
    auto* save = NamedButton("Cmd保存为成绩文件", "保存成绩");
    auto* exportButton = NamedButton("Cmd输出到EXCEL文件", "输出到EXCEL");
    exportButton->setToolTip("将成绩和统计分析结果送到EXCLE中");
    help_ = NamedButton("Cmd帮助_4", "帮助(HELP)");
    help_->setToolTip("如何查看成绩");
    auto* buttons = new QHBoxLayout;
    auto* review = NamedButton("Cmd核对存疑", "核对存疑");
    review->setToolTip("逐一核对阅卷时读数不确定的题目和考号");
    auto* view = NamedButton("Cmd查看答题卡", "查看答题卡");
    view->setToolTip("显示所选考生的答题卡及评分（也可双击考生）");
    for (QWidget* w : std::initializer_list<QWidget*>{open_, sets_, delete_, save, exportButton, review, view}) buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(help_);

    questionList_ = RowList("Lst试卷", questions_);
    examineeList_ = RowList("Lst名册", examinees_);
    answerList_ = RowList("Lst考生答案", answers_);
    statistics_ = Named(new QListWidget, "Lst统计");
    statistics_->setFont(FixedPitchFont());
    chart_ = new ScoreChart;

    auto sortQuestions = [this](int item) {
        Do([this, item] { session_.Results().SortQuestions(session_.Records(), static_cast<QuestionSortItem>(item)); });
    };
    auto sortExaminees = [this](int item) {
        Do([this, item] { session_.Results().SortExaminees(session_.Records(), static_cast<ExamineeSortItem>(item)); });
    };
    auto* questionColumn = new QVBoxLayout;
    questionColumn->addLayout(ColumnButtons("Cmd试卷排序", 0, {"题号", "答案", "分值", "得分率", "A", "B", "C", "D", "E"}, sortQuestions));
    questionColumn->addWidget(questionList_, 1);
    auto* examineeColumn = new QVBoxLayout;
    examineeColumn->addLayout(ColumnButtons("CMD名册排序", 1, {"考号", "姓名", "成绩", "名次"}, sortExaminees));
    examineeColumn->addWidget(examineeList_, 1);
    auto* answerColumn = new QVBoxLayout;
    answerColumn->addWidget(new QLabel("考生答案："));
    answerColumn->addWidget(answerList_, 1);
    auto* statisticsColumn = new QVBoxLayout;
    statisticsColumn->addWidget(new QLabel("统计："));
    statisticsColumn->addWidget(statistics_, 1);

    auto* lists = new QGridLayout;
    lists->addLayout(questionColumn, 0, 0);
    lists->addLayout(examineeColumn, 0, 1);
    lists->addLayout(answerColumn, 0, 2);
    lists->addLayout(statisticsColumn, 0, 3);
    lists->addWidget(chart_, 1, 0, 1, 4);
    lists->setColumnStretch(0, 8);
    lists->setColumnStretch(1, 6);
    lists->setColumnStretch(2, 2);
    lists->setColumnStretch(3, 3);
    lists->setRowStretch(0, 3);
    lists->setRowStretch(1, 1);

    auto* results = new QWidget;
    results->setLayout(lists);
    items_ = new ItemAnalysisView;
    auto* tabs = Named(new QTabWidget, "Tab成绩");
    tabs->addTab(results, "成绩与统计");
    tabs->addTab(items_, "项目分析");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tabs, 1);

    auto reload = [this] { session_.ReloadChosen(); };
    connect(open_, &QPushButton::clicked, this, [this, reload] {
        Do([this, reload] {
            if (session_.Sets().BrowseMode()) session_.Sets().Close(session_.Results(), reload);
            else session_.Sets().EnterBrowseMode(session_.Records(), session_.Results());
        });
    });
    connect(sets_, &QComboBox::activated, this, [this](int entry) {
        Do([this, entry] {
            Status status = session_.Sets().Open(entry, session_.Records(), session_.Results());
            if (!status.ok()) session_.prompt().ShowMessage(status.message(), "");
        });
    });
    connect(delete_, &QPushButton::clicked, this, [this, reload] {
        Do([this, reload] { session_.Sets().Delete(session_.prompt(), session_.Results(), reload); });
    });
    connect(save, &QPushButton::clicked, this, [this] { Do([this] { session_.Sets().Save(session_.Records(), session_.prompt()); }); });
    connect(exportButton, &QPushButton::clicked, this, &ResultsView::Export);
    connect(review, &QPushButton::clicked, this, [this] {
        ReviewDialog dialog(session_, this);
        dialog.exec();
        Refresh();
    });
    auto showSheet = [this] {
        QModelIndex index = examineeList_->currentIndex();
        if (!index.isValid()) return;
        // A row starts with the examinee's number.
        std::string row = examineeRows_[static_cast<std::size_t>(index.row())];
        SheetViewDialog dialog(session_, TrimSpaces(row.substr(0, row.find('|'))), this);
        dialog.exec();
    };
    connect(view, &QPushButton::clicked, this, showSheet);
    connect(examineeList_, &QListView::doubleClicked, this, showSheet);
    connect(examineeList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& index) {
        if (!refreshing_) ShowAnswers(index.isValid() ? index.row() : -1);
    });
    // Row q of the answers and row q of the questions are the same question.
    connect(answerList_, &QListView::clicked, this, [this](const QModelIndex& index) { SelectRow(questionList_, index.row() + 1); });
    Refresh();
}

void ResultsView::Do(const std::function<void()>& operation) {
    operation();
    Refresh();
}

void ResultsView::ShowAnswers(int examineeRow) {
    answerRows_.clear();
    if (examineeRow >= 0) answerRows_ = session_.Results().AnswerRows(session_.Records(), examineeRow);
    answers_->Reset();
}

void ResultsView::Export() {
    ResultsSets& sets = session_.Sets();
    const PaperEditor& paper = session_.Paper();
    std::string title = ExportTitle(sets.BrowseMode(), sets.ChosenName(),
                                    paper.Chosen() > 0 ? paper.Entries()[static_cast<std::size_t>(paper.Chosen())] : "");
    // A large set takes seconds to write; the window keeps painting meanwhile.
    auto write = [this](const ResultsWorkbook& workbook, const std::filesystem::path& target) {
        return RunOffTheGuiThread(this, "正在输出成绩……", [&] { return WriteResultsWorkbook(workbook, target); });
    };
    ExportResults(session_.ProgramFolder(), session_.Records(), session_.Results().Statistics(), title, session_.prompt(),
                  write, OpenWithDefaultApplication);
}

void ResultsView::Refresh() {
    QScopedValueRollback<bool> refreshing(refreshing_, true);
    ResultsSets& sets = session_.Sets();
    open_->setText(ToQt(sets.OpenButtonCaption()));
    sets_->setVisible(sets.BrowseMode());
    QSignalBlocker block(sets_);
    FillCombo(sets_, sets.Entries(), sets.Chosen());
    delete_->setEnabled(sets.DeleteEnabled());
    int examineeRow = examineeList_->currentIndex().row();
    questionRows_ = session_.Results().QuestionRows(session_.Records());
    examineeRows_ = session_.Results().ExamineeRows(session_.Records());
    questions_->Reset();
    examinees_->Reset();
    // The selected row stays selected through a sort; its answers follow the new order.
    examineeRow = examineeRow < static_cast<int>(examineeRows_.size()) ? examineeRow : -1;
    SelectRow(examineeList_, examineeRow + 1);
    ShowAnswers(examineeRow);
    statistics_->clear();
    for (const std::string& line : session_.Results().StatisticsLines()) statistics_->addItem(ToQt(line));
    ScoreDistribution distribution = DistributionOf(session_.Records().roster);
    chart_->SetBands(distribution.bands, distribution.counts);
    items_->Refresh(session_.Records());
}

}  // namespace quillmark

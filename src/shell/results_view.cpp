#include "results_view.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "data/result_set.h"
#include "data/ui_text.h"
#include "editors/page_widgets.h"
#include "editors/row_list_model.h"
#include "editors/widget_prompt.h"
#include "platform/desktop.h"
#include "platform/xlsx_writer.h"
#include "results/grade_export.h"
#include "results/results_workbook.h"
#include "results/spreadsheet_export.h"
#include "busy_work.h"
#include "review_dialog.h"
#include "item_analysis_view.h"
#include "score_chart.h"

namespace quillmark {
namespace {

// A text marked with UI_TEXT_NOOP("ResultsView", ...), in the window's language.
QString Shown(const char* text) { return ToQt(UiText("ResultsView", text)); }

}  // namespace

// Rows of cells under column captions, read from the view's vectors when shown.
class CellTableModel : public QAbstractTableModel {
public:
    CellTableModel(const std::vector<std::string>& captions, const CellRows& rows, std::vector<int> textColumns,
                   QObject* parent)
        : QAbstractTableModel(parent), captions_(captions), rows_(rows), textColumns_(std::move(textColumns)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(captions_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) {
            const std::vector<std::string>& row = rows_[static_cast<std::size_t>(index.row())];
            auto column = static_cast<std::size_t>(index.column());
            return column < row.size() ? ToQt(row[column]) : QString();
        }
        // Numbers line up on their last digit.
        if (role == Qt::TextAlignmentRole) {
            bool text = std::find(textColumns_.begin(), textColumns_.end(), index.column()) != textColumns_.end();
            return static_cast<int>(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
        if (role == Qt::DisplayRole) return ToQt(UiText("ResultsLists", captions_[static_cast<std::size_t>(section)]));
        if (role == Qt::ToolTipRole) {
            QString sort = ToQt(UiText("ResultsView", "单击按此列排序（再单击一次反向）"));
            // Two rates of a question exist; each place says which rule it counts by. The
            // caption compared is the untranslated one.
            if (captions_[static_cast<std::size_t>(section)] == "得分率%") {
                QString rate = ToQt(UiText("ResultsView", "答案与标准答案完全相同的考生所占百分比（“项目分析”中的难度p按计分规则：所选为标准答案中连续的一部分即得分）。"));
                return rate + "\n" + sort;
            }
            return sort;
        }
        return {};
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    const std::vector<std::string>& captions_;
    const CellRows& rows_;
    std::vector<int> textColumns_;
};

namespace {

// Where to write an export, asked in the window's language; replacing a file is asked by the
// export itself, in its own words.
std::optional<std::filesystem::path> AskSavePath(QWidget* parent, const QString& caption, const std::filesystem::path& suggested,
                                                 const QString& filter, const QString& suffix, const QString& objectName) {
    QFileDialog dialog(parent, caption, ToQt(suggested.string()), filter);
    dialog.setObjectName(objectName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // a desktop's own dialog speaks its language
    dialog.setLabelText(QFileDialog::Accept, ToQt(UiText("ResultsView", "保存")));
    dialog.setLabelText(QFileDialog::Reject, ToQt(UiText("ResultsView", "取消")));
    dialog.setLabelText(QFileDialog::FileName, ToQt(UiText("ResultsView", "文件名：")));
    dialog.setLabelText(QFileDialog::FileType, ToQt(UiText("ResultsView", "文件类型：")));
    dialog.setLabelText(QFileDialog::LookIn, ToQt(UiText("ResultsView", "保存在：")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(FromQt(dialog.selectedFiles().front()));
}

RowListModel* ListOf(const std::vector<std::string>& rows, QObject* parent) {
    return new RowListModel([&rows] { return static_cast<int>(rows.size()); },
                            [&rows](int row) { return rows[static_cast<std::size_t>(row)]; }, parent);
}

// A table whose header sections sort it by their column (item `first` for the first).
QTableView* SortedTable(const std::string& name, CellTableModel* model, const std::string& headerName, int first,
                        const std::function<void(int)>& sort) {
    auto* table = Named(new QTableView, name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    // Fixed row heights: a roster of 32,667 rows is never measured row by row.
    QHeaderView* rows = table->verticalHeader();
    rows->setVisible(false);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table->fontMetrics().height() + 6);
    QHeaderView* header = Named(table->horizontalHeader(), headerName);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setMinimumSectionSize(table->fontMetrics().horizontalAdvance("100.0") + 12);
    QObject::connect(header, &QHeaderView::sectionClicked, table, [sort, first](int section) { sort(first + section); });
    return table;
}

}  // namespace

ResultsView::ResultsView(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    questions_ = new CellTableModel(kQuestionColumnCaptions, questionCells_, {1}, this);
    examinees_ = new CellTableModel(kExamineeColumnCaptions, examineeCells_, {0, 1}, this);
    answers_ = ListOf(answerRows_, this);

    open_ = NamedButton("Cmd打开成绩", UiText("ResultsView", "打开成绩"));
    sets_ = Named(new QComboBox, "Cmb选择打开成绩");
    sets_->setMinimumContentsLength(20);
    delete_ = NamedButton("Cmd删除成绩", UiText("ResultsView", "删除成绩"));
    auto* save = NamedButton("Cmd保存为成绩文件", UiText("ResultsView", "保存成绩"));
    auto* exportButton = NamedButton("Cmd输出到EXCEL文件", UiText("ResultsView", "输出到EXCEL"));
    exportButton->setToolTip(ToQt(UiText("ResultsView", "将成绩和统计分析结果送到EXCLE中")));
    help_ = NamedButton("Cmd帮助_4", UiText("ResultsView", "帮助(HELP)"));
    help_->setToolTip(ToQt(UiText("ResultsView", "如何查看成绩")));
    auto* buttons = new QHBoxLayout;
    auto* review = NamedButton("Cmd核对存疑", UiText("ResultsView", "核对存疑"));
    review->setToolTip(ToQt(UiText("ResultsView", "逐一核对阅卷时读数不确定的题目和考号")));
    auto* view = NamedButton("Cmd查看答题卡", UiText("ResultsView", "查看答题卡"));
    view->setToolTip(ToQt(UiText("ResultsView", "显示所选考生的答题卡及评分（也可双击考生）")));
    for (QWidget* w : std::initializer_list<QWidget*>{open_, sets_, delete_, save, exportButton, review, view}) buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(help_);

    auto sortQuestions = [this](int item) {
        Do([this, item] { session_.Results().SortQuestions(session_.Records(), static_cast<QuestionSortItem>(item)); });
    };
    auto sortExaminees = [this](int item) {
        Do([this, item] { session_.Results().SortExaminees(session_.Records(), static_cast<ExamineeSortItem>(item)); });
    };
    questionList_ = SortedTable("Lst试卷", questions_, "Cmd试卷排序", 0, sortQuestions);
    examineeList_ = SortedTable("Lst名册", examinees_, "CMD名册排序", 1, sortExaminees);
    answerList_ = RowList("Lst考生答案", answers_);
    statistics_ = Named(new QListWidget, "Lst统计");
    statistics_->setFont(FixedPitchFont());
    chart_ = new ScoreChart;

    auto* answerColumn = new QVBoxLayout;
    answerColumn->addWidget(new QLabel(ToQt(UiText("ResultsView", "考生答案："))));
    answerColumn->addWidget(answerList_, 1);
    auto* statisticsColumn = new QVBoxLayout;
    statisticsColumn->addWidget(new QLabel(ToQt(UiText("ResultsView", "统计："))));
    statisticsColumn->addWidget(statistics_, 1);

    auto* lists = new QGridLayout;
    lists->addWidget(questionList_, 0, 0);
    lists->addWidget(examineeList_, 0, 1);
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
    tabs->addTab(results, ToQt(UiText("ResultsView", "成绩与统计")));
    tabs->addTab(items_, ToQt(UiText("ResultsView", "项目分析")));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tabs, 1);

    auto reload = [this] { session_.ReloadChosen(); };
    connect(open_, &QPushButton::clicked, this, [this, reload] {
        Do([this, reload] {
            if (session_.Sets().BrowseMode()) {
                if (session_.MayDiscardMarking()) session_.Sets().Close(session_.Results(), reload);
            } else {
                session_.Sets().EnterBrowseMode(session_.Records(), session_.Results());
            }
        });
    });
    connect(sets_, &QComboBox::activated, this, [this](int entry) {
        Do([this, entry] {
            // Opening a set replaces the results held.
            if (entry > 0 && !session_.MayDiscardMarking()) return;
            Status status = session_.Sets().Open(entry, session_.Records(), session_.Results());
            if (status.ok()) session_.ResultsBasedOn(session_.Sets().ChosenName());
            if (!status.ok()) session_.prompt().ShowMessage(status.message(), "");
        });
    });
    connect(delete_, &QPushButton::clicked, this, [this, reload] {
        Do([this, reload] { session_.Sets().Delete(session_.prompt(), session_.Results(), reload); });
    });
    connect(save, &QPushButton::clicked, this, [this] {
        Do([this] {
            if (session_.Sets().Save(session_.Records(), session_.prompt())) session_.MarkingSaved(session_.Sets().LastSavedName());
        });
    });
    connect(exportButton, &QPushButton::clicked, this, &ResultsView::Export);
    {
        // Grades as CSV files beside the workbook: the plain table and the learning platforms' imports.
        auto* grades = NamedButton("exportGrades", UiText("ResultsView", "导出成绩文件"));
        grades->setToolTip(ToQt(UiText("ResultsView", "将成绩导出为 CSV 文件，或 Moodle、Canvas 可导入的成绩文件")));
        auto* menu = new QMenu(grades);
        grades->setMenu(menu);
        buttons->insertWidget(buttons->indexOf(exportButton) + 1, grades);
        const std::tuple<const char*, const char*, GradeFormat> kinds[] = {
            {"exportCsv", UI_TEXT_NOOP("ResultsView", "导出 CSV"), GradeFormat::Csv},
            {"exportMoodle", UI_TEXT_NOOP("ResultsView", "导出 Moodle 成绩"), GradeFormat::Moodle},
            {"exportCanvas", UI_TEXT_NOOP("ResultsView", "导出 Canvas 成绩"), GradeFormat::Canvas}};
        for (const auto& [name, caption, format] : kinds) {
            QAction* action = menu->addAction(Shown(caption));
            action->setObjectName(name);
            connect(action, &QAction::triggered, this, [this, caption = Shown(caption), format = format] {
                ResultsSets& sets = session_.Sets();
                const PaperEditor& paper = session_.Paper();
                GradeExportOptions options;
                options.title = ExportTitle(sets.BrowseMode(), sets.ChosenName(),
                                            paper.Chosen() > 0 ? paper.Entries()[static_cast<std::size_t>(paper.Chosen())] : "");
                auto choose = [this, &caption](const std::filesystem::path& suggested) {
                    return AskSavePath(this, caption, suggested, ToQt(UiText("ResultsView", "CSV 文件")) + " (*.csv)",
                                       "csv", "Dlg导出成绩文件");
                };
                ExportGrades(session_.ProgramFolder(), session_.Records(), format, options, session_.prompt(), choose);
            });
        }
    }
    connect(review, &QPushButton::clicked, this, [this] {
        ReviewDialog dialog(session_, this);
        dialog.exec();
        Refresh();
    });
    auto showSheet = [this] {
        QModelIndex index = examineeList_->currentIndex();
        if (!index.isValid()) return;
        SheetViewDialog dialog(session_, examineeCells_[static_cast<std::size_t>(index.row())][0], this);
        dialog.exec();
    };
    connect(view, &QPushButton::clicked, this, showSheet);
    connect(examineeList_, &QTableView::doubleClicked, this, showSheet);
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
    auto choose = [this](const std::filesystem::path& suggested) {
        return AskSavePath(this, ToQt(UiText("ResultsView", "输出到EXCEL")), suggested,
                           ToQt(UiText("ResultsView", "Excel 工作簿")) + " (*.xlsx)", "xlsx", "Dlg输出到EXCEL");
    };
    // A large set takes seconds to write; the window keeps painting meanwhile.
    auto write = [this](const ResultsWorkbook& workbook, const std::filesystem::path& target) {
        return RunOffTheGuiThread(this, ToQt(UiText("ResultsView", "正在输出成绩……")),
                                  [&] { return WriteResultsWorkbook(workbook, target); });
    };
    ExportResults(session_.ProgramFolder(), session_.Records(), session_.Results().Statistics(), title, session_.prompt(),
                  choose, write, OpenWithDefaultApplication);
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
    questionCells_ = QuestionCells(session_.Records(), session_.Results().QuestionRows(session_.Records()));
    examineeCells_ = ExamineeCells(session_.Records(), session_.Results().ExamineeRows(session_.Records()));
    questions_->Reset();
    examinees_->Reset();
    // The selected row stays selected through a sort; its answers follow the new order.
    examineeRow = examineeRow < static_cast<int>(examineeCells_.size()) ? examineeRow : -1;
    SelectRow(examineeList_, examineeRow + 1);
    ShowAnswers(examineeRow);
    statistics_->clear();
    for (const std::string& line : session_.Results().StatisticsLines()) statistics_->addItem(ToQt(line));
    ScoreDistribution distribution = DistributionOf(session_.Records().roster);
    chart_->SetBands(distribution.bands, distribution.counts);
    items_->Refresh(session_.Records());
}

}  // namespace quillmark

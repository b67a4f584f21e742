#include "results_view.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "editors/page_widgets.h"
#include "editors/row_list_model.h"
#include "editors/widget_prompt.h"

namespace quillmark {
namespace {

RowListModel* ListOf(const std::vector<std::string>& rows, QObject* parent) {
    return new RowListModel([&rows] { return static_cast<int>(rows.size()); },
                            [&rows](int row) { return rows[static_cast<std::size_t>(row)]; }, parent);
}

}  // namespace

ResultsView::ResultsView(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    questions_ = ListOf(questionRows_, this);
    examinees_ = ListOf(examineeRows_, this);
    answers_ = ListOf(answerRows_, this);

    open_ = NamedButton("Cmd打开成绩", "打开成绩");
    sets_ = Named(new QComboBox, "Cmb选择打开成绩");
    delete_ = NamedButton("Cmd删除成绩", "删除成绩");
    auto* save = NamedButton("Cmd保存为成绩文件", "保存为成绩文件");
    auto* exportButton = NamedButton("Cmd输出到EXCEL文件", "输出到EXCEL文件");
    help_ = NamedButton("Cmd帮助_4", "帮助(HELP)");
    help_->setToolTip("如何查看成绩");
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{open_, sets_, delete_, save, exportButton}) buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(help_);

    examineeList_ = RowList("Lst名册", examinees_);
    statistics_ = Named(new QListWidget, "Lst统计");
    statistics_->setFont(FixedPitchFont());
    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel("试卷得分情况"), 0, 0);
    lists->addWidget(RowList("Lst试卷", questions_), 1, 0);
    lists->addWidget(new QLabel("考生成绩"), 0, 1);
    lists->addWidget(examineeList_, 1, 1);
    lists->addWidget(new QLabel("成绩统计"), 2, 0);
    lists->addWidget(statistics_, 3, 0);
    lists->addWidget(new QLabel("考生答案"), 2, 1);
    lists->addWidget(RowList("Lst考生答案", answers_), 3, 1);
    lists->setRowStretch(1, 3);
    lists->setRowStretch(3, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(lists, 1);

    connect(open_, &QPushButton::clicked, this, [this] {
        Do([this] {
            if (session_.Sets().BrowseMode()) {
                session_.Sets().Close(session_.Results(), [this] { session_.ReloadChosen(); });
                session_.Results().Analyse(session_.Records());
            } else {
                session_.Sets().EnterBrowseMode(session_.Records(), session_.Results());
            }
        });
    });
    connect(sets_, &QComboBox::activated, this, [this](int entry) {
        Do([this, entry] {
            Status status = session_.Sets().Open(entry, session_.Records(), session_.Results());
            if (!status.ok()) session_.prompt().ShowMessage(status.message(), "");
        });
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        Do([this] { session_.Sets().Delete(session_.prompt(), session_.Results(), [this] { session_.ReloadChosen(); }); });
    });
    connect(save, &QPushButton::clicked, this, [this] { Do([this] { session_.Sets().Save(session_.Records(), session_.prompt()); }); });
    exportButton->setToolTip("将成绩输出到EXCEL文件");
    exportButton->setEnabled(false);
    connect(examineeList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& index) {
        if (refreshing_) return;
        answerRows_.clear();
        if (index.isValid()) answerRows_ = session_.Results().AnswerRows(session_.Records(), index.row());
        answers_->Reset();
    });
    Refresh();
}

void ResultsView::Do(const std::function<void()>& operation) {
    operation();
    Refresh();
}

void ResultsView::Refresh() {
    QScopedValueRollback<bool> refreshing(refreshing_, true);
    ResultsSets& sets = session_.Sets();
    open_->setText(ToQt(sets.OpenButtonCaption()));
    sets_->setVisible(sets.BrowseMode());
    QSignalBlocker block(sets_);
    FillCombo(sets_, sets.Entries(), sets.Chosen());
    delete_->setEnabled(sets.DeleteEnabled());
    questionRows_ = session_.Results().QuestionRows(session_.Records());
    examineeRows_ = session_.Results().ExamineeRows(session_.Records());
    answerRows_.clear();
    questions_->Reset();
    examinees_->Reset();
    answers_->Reset();
    statistics_->clear();
    for (const std::string& line : session_.Results().StatisticsLines()) statistics_->addItem(ToQt(line));
}

}  // namespace quillmark

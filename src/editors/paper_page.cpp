#include "paper_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "data/ui_text.h"
#include "page_widgets.h"
#include "row_list_model.h"
#include "widget_prompt.h"

namespace quillmark {

PaperPage::PaperPage(PaperEditor& editor, const std::string& helpText, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    auto* choose = NamedGroup("Frm选择试卷", UiText("PaperPage", "1、选择试卷"));
    files_ = Named(new QComboBox, "Comb试卷");
    next_ = NamedButton("Cmd下一步_1", UiText("PaperPage", "下一步"));
    auto* chooseRow = new QHBoxLayout(choose);
    chooseRow->addWidget(files_, 1);
    chooseRow->addWidget(next_);

    auto* edit = NamedGroup("Frm编辑试卷", UiText("PaperPage", "编辑试卷"));
    rows_ = new RowListModel([this] { return editor_.RowCount(); }, [this](int row) { return editor_.RowText(row + 1); }, this);
    list_ = RowList("Lst选择试卷", rows_);
    auto* header = new QLabel(ToQt(UiText("PaperEditor", kPaperListHeader)));
    header->setFont(FixedPitchFont());
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(header);
    listColumn->addWidget(list_, 1);

    current_ = NamedGroup("Frm当前试题", "");
    auto* currentLayout = new QVBoxLayout(current_);
    const char* captions[] = {"1 - A", "2 - B", "3 - C", "4 - D", "5 - E"};
    auto* optionRow = new QHBoxLayout;
    for (int k = 1; k <= 5; ++k) {
        QCheckBox* box = Named(new QCheckBox(captions[k - 1]), "Chk答案_" + std::to_string(k));
        box->setAutoFillBackground(true);
        options_[static_cast<std::size_t>(k - 1)] = box;
        optionRow->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this, k](bool on) { Do([this, k, on] { editor_.OptionClicked(k, on); }); });
    }
    currentLayout->addLayout(optionRow);
    useDefault_ = Named(new QCheckBox(ToQt(UiText("PaperPage", "使用默认分值"))), "Chk使用默认分值");
    score_ = Named(new QLineEdit, "Txt本题分值");
    auto* scoreRow = new QHBoxLayout;
    scoreRow->addWidget(useDefault_);
    scoreRow->addWidget(new QLabel(ToQt(UiText("PaperPage", "本题分值"))));
    scoreRow->addWidget(score_);
    currentLayout->addLayout(scoreRow);
    connect(useDefault_, &QCheckBox::clicked, this, [this](bool on) { Do([&] { editor_.UseDefaultClicked(on); }); });
    connect(score_, &QLineEdit::textEdited, this, [this](const QString& text) { Do([&] { editor_.ScoreTyped(FromQt(text)); }); });

    auto* buttons = new QGridLayout;
    auto addButton = [&](const char* name, const char* caption, int row, int column, std::function<void(PaperEditor&)> operation) {
        QPushButton* button = NamedButton(name, UiText("PaperPage", caption));
        buttons->addWidget(button, row, column);
        connect(button, &QPushButton::clicked, this, [this, operation] { Do([this, operation] { operation(editor_); }); });
    };
    addButton("Cmd下一题", UI_TEXT_NOOP("PaperPage", "下一题"), 0, 0, [](PaperEditor& e) { e.NextQuestion(); });
    addButton("Cmd插入试题", UI_TEXT_NOOP("PaperPage", "插入试题"), 0, 1, [](PaperEditor& e) { e.InsertQuestion(); });
    addButton("Cmd删除试题", UI_TEXT_NOOP("PaperPage", "删除试题"), 0, 2, [](PaperEditor& e) { e.DeleteQuestion(); });
    addButton("cmd试题上移", UI_TEXT_NOOP("PaperPage", "试题上移"), 1, 0, [](PaperEditor& e) { e.MoveUp(); });
    addButton("cmd试题下移", UI_TEXT_NOOP("PaperPage", "试题下移"), 1, 1, [](PaperEditor& e) { e.MoveDown(); });
    addButton("Cmd保存试卷", UI_TEXT_NOOP("PaperPage", "保存试卷"), 2, 0, [](PaperEditor& e) { e.Save(); });
    addButton("Cmd试卷另存为", UI_TEXT_NOOP("PaperPage", "试卷另存为……"), 2, 1, [](PaperEditor& e) { e.SaveAs(); });
    addButton("Cmd删除试卷", UI_TEXT_NOOP("PaperPage", "删除试卷"), 2, 2, [](PaperEditor& e) { e.DeleteFile(); });

    auto* parameters = NamedGroup("Frm试卷参数", UiText("PaperPage", "试卷参数"));
    auto* form = new QFormLayout(parameters);
    defaultScore_ = Named(new QLineEdit, "Txt默认分值");
    form->addRow(ToQt(UiText("PaperPage", "默认分值")), defaultScore_);
    connect(defaultScore_, &QLineEdit::textEdited, this,
            [this](const QString& text) { Do([&] { editor_.DefaultScoreChanged(FromQt(text)); }); });
    const char* grades[][2] = {{"Txt优秀", UI_TEXT_NOOP("PaperPage", "优秀")},
                                  {"Txt良好", UI_TEXT_NOOP("PaperPage", "良好")},
                                  {"Txt中等", UI_TEXT_NOOP("PaperPage", "中等")},
                                  {"Txt及格", UI_TEXT_NOOP("PaperPage", "及格")}};
    for (int grade = 0; grade < 4; ++grade) {
        QLineEdit* box = Named(new QLineEdit, grades[grade][0]);
        thresholds_[static_cast<std::size_t>(grade)] = box;
        form->addRow(ToQt(UiText("PaperPage", grades[grade][1])), box);
        connect(box, &QLineEdit::textEdited, this,
                [this, grade](const QString& text) { Do([this, grade, &text] { editor_.ThresholdChanged(grade, FromQt(text)); }); });
    }

    auto* side = new QVBoxLayout;
    side->addWidget(current_);
    side->addLayout(buttons);
    side->addWidget(parameters);
    side->addStretch(1);
    auto* editLayout = new QHBoxLayout(edit);
    editLayout->addLayout(listColumn, 3);
    editLayout->addLayout(side, 2);

    help_ = ArrangeEditorPage(this, choose, edit, "Cmd帮助_1", "Frm选择试卷说明", "Lab选择试卷说明", helpText);

    connect(files_, &QComboBox::activated, this, [this](int entry) { Do([&] { editor_.Choose(entry); }); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (!refreshing_) Do([&] { editor_.Select(index.isValid() ? index.row() + 1 : 0); });
            });
    Refresh();
}

void PaperPage::Do(const std::function<void()>& operation) {
    operation();
    Refresh();
}

void PaperPage::Refresh() {
    QScopedValueRollback<bool> refreshing(refreshing_, true);
    QSignalBlocker blockFiles(files_);
    FillCombo(files_, editor_.Entries(), editor_.Chosen());
    next_->setEnabled(editor_.NextEnabled());
    rows_->Reset();
    SelectRow(list_, editor_.Selected());
    current_->setTitle(ToQt(editor_.FrameCaption()));
    for (int k = 1; k <= 5; ++k) {
        QCheckBox* box = options_[static_cast<std::size_t>(k - 1)];
        box->setChecked(editor_.Ticked(k));
        box->setStyleSheet(editor_.Ticked(k) ? "QCheckBox { background: rgb(0,0,255); color: white; }"
                                             : "QCheckBox { background: rgb(224,224,224); }");
    }
    useDefault_->setChecked(editor_.UsesDefaultScore());
    SetTextKeepingCursor(score_, editor_.ScoreBox());
    SetTextKeepingCursor(defaultScore_, editor_.DefaultScoreBox());
    for (int grade = 0; grade < 4; ++grade) SetTextKeepingCursor(thresholds_[static_cast<std::size_t>(grade)], editor_.ThresholdBox(grade));
}

}  // namespace quillmark

#include "page_widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "data/ui_text.h"
#include "widget_prompt.h"

namespace quillmark {

QGroupBox* NamedGroup(const std::string& name, const std::string& caption) {
    return Named(new QGroupBox(ToQt(caption)), name);
}

QPushButton* NamedButton(const std::string& name, const std::string& caption) {
    return Named(new QPushButton(ToQt(caption)), name);
}

QListView* RowList(const std::string& name, QAbstractItemModel* model) {
    auto* list = Named(new QListView, name);
    list->setFont(FixedPitchFont());
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setModel(model);
    return list;
}

void SelectRow(QAbstractItemView* list, int row) {
    if (row < 1 || row > list->model()->rowCount()) {
        list->selectionModel()->clear();
        return;
    }
    QModelIndex index = list->model()->index(row - 1, 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(index);
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& entries, int chosen) {
    bool same = combo->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < combo->count(); ++i) same = combo->itemText(i) == ToQt(entries[static_cast<std::size_t>(i)]);
    if (!same) {
        combo->clear();
        for (const std::string& entry : entries) combo->addItem(ToQt(entry));
    }
    combo->setCurrentIndex(chosen);
}

void SetTextKeepingCursor(QLineEdit* box, const std::string& text) {
    if (box->text() != ToQt(text)) box->setText(ToQt(text));
}

QPushButton* ArrangeEditorPage(QWidget* page, QWidget* choose, QWidget* edit, const std::string& helpName,
                               const std::string& frameName, const std::string& labelName, const std::string& helpText) {
    QPushButton* help = NamedButton(helpName, UiText("EditorPage", "帮助(HELP)"));
    help->setToolTip(ToQt(UiText("EditorPage", "如何查看成绩")));
    auto* left = new QVBoxLayout;
    left->addWidget(choose);
    left->addWidget(edit, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(HelpTextFrame(frameName, labelName, helpText), 1);
    right->addWidget(help, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 3);
    layout->addLayout(right, 1);
    return help;
}

QGroupBox* HelpTextFrame(const std::string& frameName, const std::string& labelName, const std::string& text) {
    auto* frame = NamedGroup(frameName, UiText("EditorPage", "说明："));
    auto* label = Named(new QLabel(ToQt(text).replace('\r', '\n')), labelName);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* scroll = new QScrollArea;
    scroll->setWidget(label);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(scroll);
    return frame;
}

}  // namespace quillmark

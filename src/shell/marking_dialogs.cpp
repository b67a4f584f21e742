#include "marking_dialogs.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "editors/page_widgets.h"
#include "editors/widget_prompt.h"

namespace quillmark {

SheetTypeDialog::SheetTypeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("选择答题卡类型");
    setWindowTitle(SheetTypeDialogModel::kCaption);
    auto* label = Named(new QLabel(SheetTypeDialogModel::kLabel), "Label1");
    auto* options = new QGridLayout;
    auto* ok = NamedButton("CmdOK", SheetTypeDialogModel::kOkCaption);
    auto* cancel = NamedButton("CmdCancel", SheetTypeDialogModel::kCancelCaption);
    ok->setEnabled(false);
    for (int option = 1; option <= SheetTypeDialogModel::kOptionCount; ++option) {
        auto* button = Named(new QRadioButton(SheetTypeDialogModel::OptionCaption(option)), "Opt类型_" + std::to_string(option));
        options->addWidget(button, (option - 1) / 4, (option - 1) % 4);
        connect(button, &QRadioButton::clicked, this, [this, ok, option] {
            model_.ClickOption(option);
            ok->setEnabled(model_.OkEnabled());
        });
    }
    connect(ok, &QPushButton::clicked, this, [this] {
        model_.Ok();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        model_.Cancel();
        reject();
    });
    // Closing by the frame re-enters the image, like the cancel button.
    connect(this, &QDialog::rejected, this, [this] { model_.CloseByFrame(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(options);
    layout->addLayout(buttons);
}

ExamineeNumberDialog::ExamineeNumberDialog(const Roster& roster, QWidget* parent) : QDialog(parent), model_(roster) {
    setObjectName("选择答题卡考号");
    setWindowTitle(ExamineeNumberDialogModel::kCaption);
    list_ = Named(new QListWidget, "LstKH");
    list_->setFont(FixedPitchFont());
    for (const std::string& row : model_.Rows()) list_->addItem(ToQt(row));
    number_ = Named(new QLineEdit, "TxtKH");
    name_ = Named(new QLineEdit, "TxtXM");
    name_->setReadOnly(true);
    auto* ok = NamedButton("CmdYES", ExamineeNumberDialogModel::kOkCaption);
    auto* cancel = NamedButton("CmdNO", ExamineeNumberDialogModel::kCancelCaption);
    auto* help = NamedButton("CmdHLP", ExamineeNumberDialogModel::kHelpCaption);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    help->setAutoDefault(false);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row == model_.SelectedRow()) return;
        model_.ClickRow(row);
        Show();
    });
    connect(number_, &QLineEdit::textEdited, this, [this](const QString& text) {
        model_.SetNumberText(FromQt(text));
        Show();
    });
    connect(number_, &QLineEdit::returnPressed, this, [this] {
        model_.PressEnter();
        if (model_.Closed()) accept();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        model_.Ok();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        model_.Cancel();
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] {
        if (!model_.Closed()) model_.CloseByFrame();
    });

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(ExamineeNumberDialogModel::kNumberLabel), 0, 0);
    form->addWidget(number_, 0, 1);
    form->addWidget(new QLabel(ExamineeNumberDialogModel::kNameLabel), 1, 0);
    form->addWidget(name_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Named(new QLabel(ExamineeNumberDialogModel::kLabel), "Label1"));
    layout->addWidget(Named(new QLabel(ExamineeNumberDialogModel::kListLabel), "Label3"));
    layout->addWidget(list_, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(420, 480);
}

void ExamineeNumberDialog::Show() {
    QSignalBlocker block(list_);
    list_->setCurrentRow(model_.SelectedRow());
    SetTextKeepingCursor(number_, model_.NumberText());
    name_->setText(ToQt(model_.NameText()));
}

}  // namespace quillmark

#include "marking_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QImage>
#include <QPixmap>
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
#include "data/ui_text.h"
#include "editors/widget_prompt.h"
#include "platform/sheet_annotation.h"

namespace quillmark {
namespace {

// The dialogs' own texts are the marking code's (marking/marking_dialogs.h), the types' the table's.
QString DialogText(const char* text) { return ToQt(UiText("MarkingDialogs", text)); }
QString TypeText(const char* text) { return ToQt(UiText("SheetTypes", text)); }

}  // namespace

SheetTypeDialog::SheetTypeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("选择答题卡类型");
    setWindowTitle(DialogText(SheetTypeDialogModel::kCaption));
    auto* label = Named(new QLabel(DialogText(SheetTypeDialogModel::kLabel)), "Label1");
    auto* options = new QGridLayout;
    auto* ok = NamedButton("CmdOK", UiText("MarkingDialogs", SheetTypeDialogModel::kOkCaption));
    auto* cancel = NamedButton("CmdCancel", UiText("MarkingDialogs", SheetTypeDialogModel::kCancelCaption));
    ok->setEnabled(false);
    for (int option = 1; option <= SheetTypeDialogModel::kOptionCount; ++option) {
        auto* button = Named(new QRadioButton(TypeText(SheetTypeDialogModel::OptionCaption(option))),
                             "Opt类型_" + std::to_string(option));
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
    setWindowTitle(DialogText(ExamineeNumberDialogModel::kCaption));
    list_ = Named(new QListWidget, "LstKH");
    list_->setFont(FixedPitchFont());
    for (const std::string& row : model_.Rows()) list_->addItem(ToQt(row));
    number_ = Named(new QLineEdit, "TxtKH");
    name_ = Named(new QLineEdit, "TxtXM");
    name_->setReadOnly(true);
    auto* ok = NamedButton("CmdYES", UiText("MarkingDialogs", ExamineeNumberDialogModel::kOkCaption));
    auto* cancel = NamedButton("CmdNO", UiText("MarkingDialogs", ExamineeNumberDialogModel::kCancelCaption));
    auto* help = NamedButton("CmdHLP", UiText("MarkingDialogs", ExamineeNumberDialogModel::kHelpCaption));
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    help->setAutoDefault(false);

    // Only a row the user selects fills the boxes: the list taking the focus makes its first
    // row current without selecting it, and that must not offer the first examinee.
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        QList<QListWidgetItem*> chosen = list_->selectedItems();
        if (chosen.isEmpty()) return;
        int row = list_->row(chosen.front());
        if (row == model_.SelectedRow()) return;
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
    form->addWidget(new QLabel(DialogText(ExamineeNumberDialogModel::kNumberLabel)), 0, 0);
    form->addWidget(number_, 0, 1);
    form->addWidget(new QLabel(DialogText(ExamineeNumberDialogModel::kNameLabel)), 1, 0);
    form->addWidget(name_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Named(new QLabel(DialogText(ExamineeNumberDialogModel::kLabel)), "Label1"));
    layout->addWidget(Named(new QLabel(DialogText(ExamineeNumberDialogModel::kListLabel)), "Label3"));
    layout->addWidget(list_, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(420, 480);
    // The dialog opens with nothing chosen: the number is typed or a row picked.
    list_->setCurrentRow(-1);
    list_->clearSelection();
    number_->setFocus(Qt::OtherFocusReason);
}

void ExamineeNumberDialog::Show() {
    QSignalBlocker block(list_);
    if (model_.SelectedRow() < 0) list_->clearSelection();
    else list_->setCurrentRow(model_.SelectedRow());
    SetTextKeepingCursor(number_, model_.NumberText());
    name_->setText(ToQt(model_.NameText()));
}

}  // namespace quillmark

namespace quillmark {

QImage PictureOf(const PixelBuffer& pixels) {
    QImage::Format format = pixels.format == PixelFormat::Gray8   ? QImage::Format_Grayscale8
                            : pixels.format == PixelFormat::Rgb24 ? QImage::Format_RGB888
                                                                  : QImage::Format_RGB32;
    return QImage(pixels.bytes.data(), pixels.width, pixels.height, pixels.stride, format).copy();
}

namespace {

QWidget* SheetColumn(const std::string& caption, const QImage& picture, const std::string& note, const char* name) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->addWidget(new QLabel(ToQt(caption)));
    auto* label = Named(new QLabel, name);
    label->setMinimumSize(300, 380);
    label->setAlignment(Qt::AlignCenter);
    if (!picture.isNull()) label->setPixmap(QPixmap::fromImage(picture.scaled(300, 380, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    else label->setText(ToQt(note));
    layout->addWidget(label, 1);
    return column;
}

}  // namespace

DuplicateSheetDialog::DuplicateSheetDialog(const DuplicateSheet& sheet, const PixelBuffer& image, const ResultSet& records,
                                           const std::filesystem::path& programFolder, QWidget* parent)
    : QDialog(parent) {
    setObjectName("答题卡考号重复");
    setWindowTitle(ToQt(UiText("DuplicateSheetDialog", "答题卡考号重复")));
    std::string who = sheet.number + (sheet.name.empty() ? "" : " " + sheet.name);
    std::string text = FillForm(UiText("DuplicateSheetDialog", "考号 %1 已有成绩。"), {who});
    if (sheet.sameImage) text += UiText("DuplicateSheetDialog", "这张答题卡与先前阅过的是同一图像。");
    text += UiText("DuplicateSheetDialog", "请选择如何处理这张答题卡：");
    auto* label = Named(new QLabel(ToQt(text)), "Lab重复说明");
    label->setWordWrap(true);

    QImage earlier;
    std::string note = UiText("DuplicateSheetDialog", "先前的答题卡没有阅卷记录，无法显示。");
    if (sheet.earlier) {
        AnnotatedSheet drawn = AnnotateSheet(*sheet.earlier, records, programFolder);
        earlier = drawn.image;
        if (!drawn.note.empty()) note = drawn.note;
    }
    std::string earlierCaption =
        sheet.earlier && !sheet.earlier->file.empty()
            ? FillForm(UiText("DuplicateSheetDialog", "先前的答题卡：%1"), {sheet.earlier->file})
            : UiText("DuplicateSheetDialog", "先前的答题卡");
    std::string currentCaption = sheet.sheetName.empty()
                                     ? UiText("DuplicateSheetDialog", "这张答题卡")
                                     : FillForm(UiText("DuplicateSheetDialog", "这张答题卡：%1"), {sheet.sheetName});
    auto* sheets = new QHBoxLayout;
    sheets->addWidget(SheetColumn(earlierCaption, earlier, note, "Pic先前答题卡"));
    sheets->addWidget(SheetColumn(currentCaption, PictureOf(image), "", "Pic当前答题卡"));

    auto* keep = NamedButton("Cmd保留先前成绩", UiText("DuplicateSheetDialog", "保留先前的成绩"));
    auto* replace = NamedButton("Cmd替换成绩", UiText("DuplicateSheetDialog", "用这张答题卡替换"));
    auto* other = NamedButton("Cmd另选考号", UiText("DuplicateSheetDialog", "另选考号……"));
    keep->setDefault(true);
    forAll_ = Named(new QCheckBox(ToQt(UiText("DuplicateSheetDialog", "本次阅卷其余考号重复的答题卡都这样处理"))),
                    "Chk其余同样处理");
    auto choose = [this](DuplicateDecision::Action action) {
        action_ = action;
        accept();
    };
    connect(keep, &QPushButton::clicked, this, [choose] { choose(DuplicateDecision::Keep); });
    connect(replace, &QPushButton::clicked, this, [choose] { choose(DuplicateDecision::Replace); });
    connect(other, &QPushButton::clicked, this, [choose] { choose(DuplicateDecision::OtherNumber); });
    // "Another number" is a choice for this sheet alone.
    connect(forAll_, &QCheckBox::toggled, other, [other](bool on) { other->setEnabled(!on); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(forAll_);
    buttons->addStretch(1);
    buttons->addWidget(keep);
    buttons->addWidget(replace);
    buttons->addWidget(other);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(sheets, 1);
    layout->addLayout(buttons);
}

DuplicateDecision DuplicateSheetDialog::Result() const {
    DuplicateDecision decision;
    decision.action = result() == QDialog::Accepted ? action_ : DuplicateDecision::Keep;
    decision.forAllRemaining = result() == QDialog::Accepted && forAll_->isChecked() && action_ != DuplicateDecision::OtherNumber;
    return decision;
}

}  // namespace quillmark

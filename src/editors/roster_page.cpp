#include "roster_page.h"

#include <QFileDialog>
#include <QMessageBox>

#include "platform/xlsx_reader.h"
#include "roster_import_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "data/ui_text.h"
#include "page_widgets.h"
#include "row_list_model.h"
#include "widget_prompt.h"

namespace quillmark {

RosterPage::RosterPage(RosterEditor& editor, const std::string& helpText, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    auto* choose = NamedGroup("Frm选择考生名册", UiText("RosterPage", "2、选择考生名册"));
    files_ = Named(new QComboBox, "Comb名册");
    next_ = NamedButton("Cmd下一步_2", UiText("RosterPage", "下一步"));
    auto* chooseRow = new QHBoxLayout(choose);
    chooseRow->addWidget(files_, 1);
    chooseRow->addWidget(next_);

    auto* edit = NamedGroup("Frm编辑名册", UiText("RosterPage", "编辑名册"));
    rows_ = new RowListModel([this] { return editor_.RowCount(); }, [this](int row) { return editor_.RowText(row + 1); }, this);
    list_ = RowList("Lst选择名册", rows_);
    auto* header = new QLabel(ToQt(UiText("RosterEditor", kRosterListHeader)));
    header->setFont(FixedPitchFont());
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(header);
    listColumn->addWidget(list_, 1);

    auto* current = NamedGroup("Frm当前考生", UiText("RosterPage", "当前考生"));
    auto* form = new QFormLayout(current);
    number_ = Named(new QLineEdit, "Txt考生考号");
    name_ = Named(new QLineEdit, "Txt考生姓名");
    number_->installEventFilter(this);
    name_->installEventFilter(this);
    form->addRow(ToQt(UiText("RosterPage", "考生考号")), number_);
    form->addRow(ToQt(UiText("RosterPage", "考生姓名")), name_);
    autoNumbering_ = Named(new QCheckBox(ToQt(UiText("RosterPage", "自动添加考号"))), "Chk自动添加考号");
    form->addRow(autoNumbering_);
    connect(autoNumbering_, &QCheckBox::toggled, this, [this](bool on) { editor_.SetAutoNumbering(on); });
    connect(number_, &QLineEdit::textEdited, this,
            [this](const QString& text) { Do([&] { editor_.NumberKeyReleased(FromQt(text), false); }); });
    connect(number_, &QLineEdit::returnPressed, this,
            [this] { Do([&] { editor_.NumberKeyReleased(FromQt(number_->text()), true); }); });
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& typed) {
        QString text = typed;
        // A comma typed or pasted would split the name's field in the roster file.
        if (text.contains(',')) {
            QApplication::beep();
            int cursor = name_->cursorPosition() - static_cast<int>(text.left(name_->cursorPosition()).count(','));
            text.remove(',');
            name_->setText(text);
            name_->setCursorPosition(cursor);
        }
        Do([&] { editor_.NameKeyReleased(FromQt(text), false); });
    });
    connect(name_, &QLineEdit::returnPressed, this, [this] { Do([&] { editor_.NameKeyReleased(FromQt(name_->text()), true); }); });

    auto* buttons = new QGridLayout;
    auto addButton = [&](const char* name, const char* caption, int row, int column, std::function<void(RosterEditor&)> operation) {
        QPushButton* button = NamedButton(name, UiText("RosterPage", caption));
        buttons->addWidget(button, row, column);
        connect(button, &QPushButton::clicked, this, [this, operation] { Do([this, operation] { operation(editor_); }); });
    };
    addButton("Cmd下一考生", UI_TEXT_NOOP("RosterPage", "下一考生"), 0, 0, [](RosterEditor& e) { e.NextExaminee(); });
    addButton("Cmd插入考生", UI_TEXT_NOOP("RosterPage", "插入考生"), 0, 1, [](RosterEditor& e) { e.InsertExaminee(); });
    addButton("Cmd删除考生", UI_TEXT_NOOP("RosterPage", "删除考生"), 0, 2, [](RosterEditor& e) { e.DeleteExaminee(); });
    addButton("Cmd考生上移", UI_TEXT_NOOP("RosterPage", "考生上移"), 1, 0, [](RosterEditor& e) { e.MoveUp(); });
    addButton("Cmd考生下移", UI_TEXT_NOOP("RosterPage", "考生下移"), 1, 1, [](RosterEditor& e) { e.MoveDown(); });
    addButton("Cmd保存名册", UI_TEXT_NOOP("RosterPage", "保存名册"), 2, 0, [](RosterEditor& e) { e.Save(); });
    addButton("Cmd名册另存为", UI_TEXT_NOOP("RosterPage", "名册另存为……"), 2, 1, [](RosterEditor& e) { e.SaveAs(); });
    addButton("Cmd删除名册", UI_TEXT_NOOP("RosterPage", "删除名册"), 2, 2, [](RosterEditor& e) { e.DeleteFile(); });
    QPushButton* importList = NamedButton("importRoster", UiText("RosterPage", "从表格导入名册……"));
    importList->setToolTip(ToQt(UiText("RosterPage", "从 Excel 工作簿（.xlsx）或 CSV 文本读入考号和姓名")));
    buttons->addWidget(importList, 3, 0, 1, 3);
    connect(importList, &QPushButton::clicked, this, &RosterPage::ImportClassList);
    askClassList = [this] {
        return std::filesystem::path(FromQt(QFileDialog::getOpenFileName(
            this, ToQt(UiText("RosterPage", "选择名单文件")), QString(),
            ToQt(UiText("RosterPage", "名单表格 (*.xlsx *.csv *.txt *.XLSX *.CSV *.TXT);;所有文件 (*)")))));
    };

    auto* side = new QVBoxLayout;
    side->addWidget(current);
    side->addLayout(buttons);
    side->addStretch(1);
    auto* editLayout = new QHBoxLayout(edit);
    editLayout->addLayout(listColumn, 3);
    editLayout->addLayout(side, 2);

    help_ = ArrangeEditorPage(this, choose, edit, "Cmd帮助_2", "Frm选择名册说明", "Lab选择名册说明", helpText);

    connect(files_, &QComboBox::activated, this, [this](int entry) { Do([&] { editor_.Choose(entry); }); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& index) {
        if (!refreshing_) Do([&] { editor_.Select(index.isValid() ? index.row() + 1 : 0); });
    });
    Refresh();
}

void RosterPage::ImportClassList() {
    std::filesystem::path file = askClassList();
    if (file.empty()) return;
    TableFile table;
    if (Status status = ReadTableFile(file, table); !status.ok()) {
        QMessageBox::warning(this, ToQt(UiText("RosterPage", "导入名册")), ToQt(status.message()));
        return;
    }
    RosterImportDialog dialog(std::move(table.rows), table.format, editor_.RosterFolder(), file.stem().string() + ".TXT", this);
    if (dialog.exec() != QDialog::Accepted) return;
    Do([&] {
        editor_.FillEntries();
        editor_.ChooseByName(dialog.SavedName());
    });
}

bool RosterPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        QString text = key->text();
        bool editing = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Backspace;
        if (!text.isEmpty() && text[0].isPrint() && !editing) {
            char32_t typed = text.toUcs4().value(0);
            bool accepted = watched == number_ ? NumberBoxAcceptsKey(typed) : NameBoxAcceptsKey(typed);
            if (!accepted) {
                QApplication::beep();
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut && watched == number_) {
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or a menu taking the focus is not the user leaving the box.
        if (!checkingNumber_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Checked once the focus has moved: a message shown while it moves would let it
            // land in the other box afterwards, and the corrected number would be typed there.
            checkingNumber_ = true;
            QTimer::singleShot(0, this, [this] {
                Do([&] { editor_.NumberBoxLeft(FromQt(number_->text())); });
                checkingNumber_ = false;
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RosterPage::Do(const std::function<void()>& operation) {
    operation();
    Refresh();
    ApplyFocusRequest();
}

void RosterPage::ApplyFocusRequest() {
    switch (editor_.TakeFocusRequest()) {
        case RosterEditor::Focus::NameBox: name_->setFocus(Qt::OtherFocusReason); break;
        case RosterEditor::Focus::NumberBox: number_->setFocus(Qt::OtherFocusReason); break;
        case RosterEditor::Focus::NumberBoxSelected:
            // After a message the window may not be active again yet; its focus must still
            // come back to the number box, with the wrong number ready to be typed over.
            window()->activateWindow();
            number_->setFocus(Qt::OtherFocusReason);
            number_->selectAll();
            break;
        case RosterEditor::Focus::Unchanged: break;
    }
}

void RosterPage::Refresh() {
    QScopedValueRollback<bool> refreshing(refreshing_, true);
    QSignalBlocker blockFiles(files_);
    FillCombo(files_, editor_.Entries(), editor_.Chosen());
    next_->setEnabled(editor_.NextEnabled());
    rows_->Reset();
    SelectRow(list_, editor_.Selected());
    SetTextKeepingCursor(number_, editor_.NumberBox());
    SetTextKeepingCursor(name_, editor_.NameBox());
    QSignalBlocker blockAuto(autoNumbering_);
    autoNumbering_->setChecked(editor_.AutoNumbering());
}

}  // namespace quillmark

#include "roster_import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "data/file_lists.h"
#include "data/roster.h"
#include "data/save_as_name.h"
#include "data/text_fns.h"
#include "data/ui_text.h"
#include "widget_prompt.h"

namespace quillmark {
namespace {

constexpr int kPreviewRows = 8;

std::size_t ColumnCount(const TableRows& rows) {
    std::size_t columns = 0;
    for (const auto& row : rows) columns = std::max(columns, row.size());
    return std::min<std::size_t>(columns, 100);
}

}  // namespace

RosterImportDialog::RosterImportDialog(TableRows rows, const std::string& format, std::filesystem::path rosterFolder,
                                       const std::string& suggestedName, QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)), rosterFolder_(std::move(rosterFolder)) {
    setObjectName("Dlg导入名册");
    setWindowTitle(ToQt(UiText("RosterImportDialog", "导入名册")));
    const std::size_t columns = ColumnCount(rows_);

    auto* preview = new QTableWidget(static_cast<int>(std::min<std::size_t>(rows_.size(), kPreviewRows)), static_cast<int>(columns));
    preview->setObjectName("importPreview");
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < preview->rowCount(); ++r) {
        for (std::size_t c = 0; c < rows_[static_cast<std::size_t>(r)].size() && c < columns; ++c) {
            preview->setItem(r, static_cast<int>(c), new QTableWidgetItem(ToQt(rows_[static_cast<std::size_t>(r)][c])));
        }
    }
    preview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    ImportColumns guess = GuessImportColumns(rows_);
    numberColumn_ = new QComboBox;
    numberColumn_->setObjectName("importNumberColumn");
    nameColumn_ = new QComboBox;
    nameColumn_->setObjectName("importNameColumn");
    nameColumn_->addItem(ToQt(UiText("RosterImportDialog", "（无姓名）")), 0);
    for (std::size_t c = 1; c <= columns; ++c) {
        ImportColumns header = guess;
        std::string title = ImportColumnHeader(rows_, header, static_cast<int>(c));
        QString label = ToQt(title.empty() ? FillForm(UiText("RosterImportDialog", "第 %1 列"), {std::to_string(c)})
                                           : FillForm(UiText("RosterImportDialog", "第 %1 列（%2）"), {std::to_string(c), title}));
        numberColumn_->addItem(label, static_cast<int>(c));
        nameColumn_->addItem(label, static_cast<int>(c));
    }
    numberColumn_->setCurrentIndex(std::max(0, guess.number - 1));
    nameColumn_->setCurrentIndex(guess.name);

    pad_ = new QCheckBox(ToQt(UiText("RosterImportDialog", "考号不足 4 位时在前面补 0")));
    pad_->setObjectName("importPad");
    cut_ = new QCheckBox(ToQt(UiText("RosterImportDialog", "截短过长的姓名")));
    cut_->setObjectName("importCut");
    strip_ = new QCheckBox(ToQt(UiText("RosterImportDialog", "去掉姓名中的逗号")));
    strip_->setObjectName("importStrip");
    skip_ = new QCheckBox(ToQt(UiText("RosterImportDialog", "跳过仍有问题的行")));
    skip_->setObjectName("importSkip");
    problems_ = new QListWidget;
    problems_->setObjectName("importProblems");
    summary_ = new QLabel;
    summary_->setObjectName("importSummary");
    name_ = new QLineEdit(ToQt(suggestedName));
    name_->setObjectName("importName");

    auto* form = new QFormLayout;
    form->addRow(ToQt(UiText("RosterImportDialog", "考号所在列：")), numberColumn_);
    form->addRow(ToQt(UiText("RosterImportDialog", "姓名所在列：")), nameColumn_);
    form->addRow(ToQt(UiText("RosterImportDialog", "保存为名册：")), name_);
    auto* buttons = new QDialogButtonBox;
    import_ = buttons->addButton(ToQt(UiText("RosterImportDialog", "导入")), QDialogButtonBox::AcceptRole);
    import_->setObjectName("importAccept");
    buttons->addButton(ToQt(UiText("RosterImportDialog", "取消")), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &RosterImportDialog::Import);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQt(FillForm(UiText("RosterImportDialog", "读取的文件：%1"), {format}))));
    layout->addWidget(preview);
    layout->addLayout(form);
    for (QCheckBox* box : {pad_, cut_, strip_, skip_}) layout->addWidget(box);
    layout->addWidget(new QLabel(ToQt(UiText("RosterImportDialog", "问题（导入前须全部解决或跳过）："))));
    layout->addWidget(problems_);
    layout->addWidget(summary_);
    layout->addWidget(buttons);

    for (QComboBox* box : {numberColumn_, nameColumn_}) connect(box, &QComboBox::currentIndexChanged, this, &RosterImportDialog::Recheck);
    for (QCheckBox* box : {pad_, cut_, strip_, skip_}) connect(box, &QCheckBox::toggled, this, &RosterImportDialog::Recheck);
    resize(720, 640);
    Recheck();
}

void RosterImportDialog::Recheck() {
    ImportColumns columns = GuessImportColumns(rows_);
    columns.number = numberColumn_->currentData().toInt();
    columns.name = nameColumn_->currentData().toInt();
    ImportFixes fixes{pad_->isChecked(), cut_->isChecked(), strip_->isChecked(), skip_->isChecked()};
    result_ = ImportRoster(rows_, columns, fixes);
    problems_->clear();
    for (const ImportProblem& problem : result_.problems) {
        if (problem.Remains()) problems_->addItem(ToQt(ImportProblemLine(problem)));
    }
    summary_->setText(ToQt(FillForm(UiText("RosterImportDialog", "可导入考生 %1 名，待解决的问题 %2 个"),
                                    {std::to_string(result_.roster.RowCount()), std::to_string(result_.Remaining())})));
    import_->setEnabled(result_.ok() && result_.roster.RowCount() > 0);
}

void RosterImportDialog::Import() {
    std::string name = TrimSpaces(FromQt(name_->text()));
    if (!IsPlainFileName(name)) {
        QMessageBox::warning(this, windowTitle(), ToQt(UiText("RosterImportDialog", "请填写名册的文件名（不含路径）。")));
        return;
    }
    if (name.find('.') == std::string::npos) name += ".TXT";
    std::filesystem::path target = rosterFolder_ / name;
    std::error_code ec;
    if (std::filesystem::exists(target, ec) &&
        QMessageBox::question(this, windowTitle(), ToQt(FillForm(UiText("RosterImportDialog", "名册“%1”已存在，要替换吗？"), {name}))) != QMessageBox::Yes) {
        return;
    }
    if (Status status = WriteRoster(target, result_.roster); !status.ok()) {
        QMessageBox::warning(this, windowTitle(), ToQt(status.message()));
        return;
    }
    savedName_ = name;
    accept();
}

}  // namespace quillmark

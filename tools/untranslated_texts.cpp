#include "untranslated_texts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QWidget>

namespace {

const QRegularExpression& ChineseRun() {
    static const QRegularExpression run(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]+"));
    return run;
}

QString Plain(const QString& text) { return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text; }

}  // namespace

UntranslatedTexts::UntranslatedTexts(const std::filesystem::path& programFolder) {
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(programFolder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        AddData(QString::fromStdString(it->path().filename().string()));
    // The language menu names each language in its own words.
    AddData(QStringLiteral("中文"));
}

void UntranslatedTexts::AddData(const QString& text) {
    for (auto match = ChineseRun().globalMatch(text); match.hasNext();) dataRuns_.insert(match.next().captured());
}

void UntranslatedTexts::Check(const QString& where, const QString& what, const QString& text) {
    const QString plain = Plain(text);
    for (auto match = ChineseRun().globalMatch(plain); match.hasNext();) {
        const QString run = match.next().captured();
        bool quoted = false;
        for (const QString& data : dataRuns_) quoted = quoted || data.contains(run);
        if (!quoted) {
            found_ << where + " " + what + ": " + plain;
            return;
        }
    }
}

void UntranslatedTexts::Look(QWidget* root, const QString& where) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    // The data first, so captions that quote it pass.
    for (QWidget* widget : widgets) {
        if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
            const QAbstractItemModel* model = view->model();
            for (int row = 0; row < std::min(model->rowCount(), 500); ++row)
                for (int column = 0; column < model->columnCount(); ++column)
                    AddData(model->index(row, column).data().toString());
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            AddData(edit->text());
        }
    }
    for (QWidget* widget : widgets) {
        if (!widget->isVisibleTo(root) && widget != root) continue;
        const QString name = widget->objectName().isEmpty() ? widget->metaObject()->className() : widget->objectName();
        Check(where, name + " tip", widget->toolTip());
        if (widget->isWindow()) Check(where, name + " title", widget->windowTitle());
        if (auto* label = qobject_cast<QLabel*>(widget)) Check(where, name, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) Check(where, name, button->text());
        if (auto* group = qobject_cast<QGroupBox*>(widget)) Check(where, name, group->title());
        if (auto* text = qobject_cast<QTextEdit*>(widget)) Check(where, name, text->toPlainText());
        if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) Check(where, name, text->toPlainText());
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) Check(where, name + " hint", edit->placeholderText());
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i) Check(where, name + " tab", tabs->tabText(i));
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i) Check(where, name + " entry", combo->itemText(i));
        if (auto* header = qobject_cast<QHeaderView*>(widget); header && header->model()) {
            for (int section = 0; section < header->count(); ++section)
                Check(where, name + " header", header->model()->headerData(section, header->orientation()).toString());
        }
        for (QAction* action : widget->actions()) {
            Check(where, action->objectName() + " action", action->text());
            if (QMenu* menu = action->menu()) Look(menu, where + " menu");
        }
    }
}

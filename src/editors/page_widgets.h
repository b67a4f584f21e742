#pragma once

#include <QString>
#include <string>
#include <vector>

class QAbstractItemModel;
class QAbstractItemView;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListView;
class QPushButton;
class QWidget;

namespace quillmark {

// Small helpers the pages share: controls carry their names as object names, so tests and
// users find them.
template <typename W>
W* Named(W* widget, const std::string& name) {
    widget->setObjectName(QString::fromStdString(name));
    return widget;
}
QGroupBox* NamedGroup(const std::string& name, const std::string& caption);
QPushButton* NamedButton(const std::string& name, const std::string& caption);
// A list of fixed-width text rows in the CJK fixed-pitch font.
QListView* RowList(const std::string& name, QAbstractItemModel* model);
// Shows `row` (from 1; 0 for none) as the list's current row.
void SelectRow(QAbstractItemView* list, int row);
void FillCombo(QComboBox* combo, const std::vector<std::string>& entries, int chosen);
// Replaces the text only when it differs, so typing keeps its cursor.
void SetTextKeepingCursor(QLineEdit* box, const std::string& text);
// The two editor pages' arrangement: the file choice above the editor on the left, the
// explanation with the help button on the right. Returns the help button.
QPushButton* ArrangeEditorPage(QWidget* page, QWidget* choose, QWidget* edit, const std::string& helpName,
                               const std::string& frameName, const std::string& labelName, const std::string& helpText);
// A frame "说明：" holding a page's explanation, whose line breaks are carriage returns.
QGroupBox* HelpTextFrame(const std::string& frameName, const std::string& labelName, const std::string& text);

}  // namespace quillmark

#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>

// moc cannot parse the core's headers and needs none of them.
#ifndef Q_MOC_RUN
#include "roster_editor.h"
#endif

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace quillmark {

class RowListModel;

// Page "2、选择名册": the controls of the roster editor.
class RosterPage : public QWidget {
    Q_OBJECT
public:
    RosterPage(RosterEditor& editor, const std::string& helpText, QWidget* parent = nullptr);
    void Refresh();
    QPushButton* NextButton() const { return next_; }
    QPushButton* HelpButton() const { return help_; }
    // Where the import asks for a class list: the file dialog, unless replaced (by tests).
    std::function<std::filesystem::path()> askClassList;
    // Reads a class list and shows it for import; the roster written is chosen.
    void ImportClassList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Do(const std::function<void()>& operation);
    void ApplyFocusRequest();

    RosterEditor& editor_;
    bool refreshing_ = false;
    bool checkingNumber_ = false;
    RowListModel* rows_;
    QComboBox* files_;
    QPushButton* next_;
    QPushButton* help_;
    QListView* list_;
    QLineEdit* number_;
    QLineEdit* name_;
    QCheckBox* autoNumbering_;
};

}  // namespace quillmark

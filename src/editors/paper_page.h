#pragma once

#include <QWidget>
#include <array>

// moc cannot parse the core's headers and needs none of them.
#ifndef Q_MOC_RUN
#include "paper_editor.h"
#endif

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace quillmark {

class RowListModel;

// Page "1、选择试卷": the controls of the paper editor. Every event is one editor call,
// after which the controls show the editor's state again.
class PaperPage : public QWidget {
    Q_OBJECT
public:
    PaperPage(PaperEditor& editor, const std::string& helpText, QWidget* parent = nullptr);
    // Shows the editor's state, after a change from outside the page.
    void Refresh();
    QPushButton* NextButton() const { return next_; }
    QPushButton* HelpButton() const { return help_; }

private:
    void Do(const std::function<void()>& operation);

    PaperEditor& editor_;
    bool refreshing_ = false;
    RowListModel* rows_;
    QComboBox* files_;
    QPushButton* next_;
    QPushButton* help_;
    QListView* list_;
    QGroupBox* current_;
    std::array<QCheckBox*, 5> options_{};
    QCheckBox* useDefault_;
    QLineEdit* score_;
    QLineEdit* defaultScore_;
    std::array<QLineEdit*, 4> thresholds_{};
};

}  // namespace quillmark

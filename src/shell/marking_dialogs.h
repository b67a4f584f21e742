#pragma once

#include <QDialog>
#include <string>

#ifndef Q_MOC_RUN
#include "marking/marking_dialogs.h"
#endif

class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillmark {

// "选择答题卡类型": a new one for every showing, over its model.
class SheetTypeDialog : public QDialog {
    Q_OBJECT
public:
    explicit SheetTypeDialog(QWidget* parent = nullptr);
    // The chosen code; empty to re-enter the image (also when closed by its frame).
    std::string Result() const { return model_.Result(); }

private:
    SheetTypeDialogModel model_;
};

// "选择答题卡考号".
class ExamineeNumberDialog : public QDialog {
    Q_OBJECT
public:
    ExamineeNumberDialog(const Roster& roster, QWidget* parent = nullptr);
    std::string Result() const { return model_.Result(); }

private:
    void Show();
    ExamineeNumberDialogModel model_;
    QListWidget* list_;
    QLineEdit* number_;
    QLineEdit* name_;
};

}  // namespace quillmark

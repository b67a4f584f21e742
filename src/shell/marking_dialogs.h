#pragma once

#include <QDialog>
#include <string>

#include <filesystem>

#ifndef Q_MOC_RUN
#include "data/result_set.h"
#include "marking/marking_dialogs.h"
#include "marking/marking_ui.h"
#endif

class QCheckBox;
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

// "答题卡考号重复": the examinee already has results; both sheets side by side, and what
// to do with the new one. Closed by its frame, the earlier result is kept.
class DuplicateSheetDialog : public QDialog {
    Q_OBJECT
public:
    DuplicateSheetDialog(const DuplicateSheet& sheet, const PixelBuffer& image, const ResultSet& records,
                         const std::filesystem::path& programFolder, QWidget* parent = nullptr);
    DuplicateDecision Result() const;

private:
    DuplicateDecision::Action action_ = DuplicateDecision::Keep;
    QCheckBox* forAll_;
};

// A picture of the pixels, for showing in a label.
QImage PictureOf(const PixelBuffer& pixels);

}  // namespace quillmark

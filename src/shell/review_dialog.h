#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <string>

#ifndef Q_MOC_RUN
#include "platform/sheet_annotation.h"
#include "results/review_dialog_model.h"
#include "app/session.h"
#endif

class QLabel;
class QListWidget;

namespace quillmark {

// "核对存疑": the readings to check, most doubtful first, each with the crop of its sheet.
// The keyboard does it all: digits toggle options (or type a number), Enter keeps what is
// shown and moves on, the arrows move, S skips. A decision rescores the examinee at once.
class ReviewDialog : public QDialog {
    Q_OBJECT
public:
    ReviewDialog(Session& session, QWidget* parent = nullptr);
    int Decided() const { return model_.Decided(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Show();
    void Refresh(ReviewDialogModel::Change change);
    void Decide();
    const SheetPicture& PictureOf(const std::string& examinee);

    Session& session_;
    ReviewDialogModel model_;
    std::map<std::string, std::unique_ptr<SheetPicture>> pictures_;
    QListWidget* list_;
    QLabel* crop_;
    QLabel* reading_;
    QLabel* note_;
};

// One examinee's sheet as marked, from the results page.
class SheetViewDialog : public QDialog {
    Q_OBJECT
public:
    SheetViewDialog(Session& session, const std::string& examinee, QWidget* parent = nullptr);
};

}  // namespace quillmark

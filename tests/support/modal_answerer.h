#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace quillmark::test {

// Answers the modal boxes a widget test opens, from a timer, and records their texts, so a
// test can check that a box appeared and what it said: message boxes with the button set,
// input dialogs with the line set, file dialogs with the file set (cancelled without one;
// the file they offered is recorded), any other dialog by closing it (its name is recorded).
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(QMessageBox::StandardButton button = QMessageBox::Yes) : button_(button) {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Answer);
        timer_.start(10);
    }
    void SetButton(QMessageBox::StandardButton button) { button_ = button; }
    void SetLine(const QString& line) { line_ = line; }
    void SetFile(const QString& file) { file_ = file; }
    QStringList texts;

private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts << box->text();
            QAbstractButton* button = box->button(button_);
            if (!button) button = box->button(QMessageBox::Ok);
            if (button) button->click();
        } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            texts << input->labelText();
            input->setTextValue(line_);
            input->accept();
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            texts << files->selectedFiles().value(0);
            if (file_.isEmpty()) {
                files->reject();
            } else {
                files->selectFile(file_);
                static_cast<QDialog*>(files)->accept();  // QFileDialog's own is protected
            }
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            texts << dialog->objectName();  // the marking dialogs: re-enter the image
            dialog->reject();
        }
    }

    QTimer timer_;
    QMessageBox::StandardButton button_;
    QString line_;
    QString file_;
};

}  // namespace quillmark::test

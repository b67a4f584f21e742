#pragma once

#include <QDialog>
#include <filesystem>

#include "password.h"

class QLineEdit;

namespace quillmark {

// "考务登录": asks for the administrator password; accepted when it is right or when
// none is stored. Rejecting it (Cancel, closing) ends the program.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(std::filesystem::path programFolder, QWidget* parent = nullptr);
    // Whether the login can be skipped: no password stored.
    bool SkipsLogin() { return model_.Reload(), model_.SkipsLogin(); }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Submit();
    std::filesystem::path programFolder_;
    LoginModel model_;
    QLineEdit* password_;
};

// "设置密码": the old password, the new one twice.
class SetPasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit SetPasswordDialog(std::filesystem::path programFolder, QWidget* parent = nullptr);

private:
    void Submit();
    std::filesystem::path programFolder_;
    SetPasswordModel model_;
    QLineEdit* old_;
    QLineEdit* new_;
    QLineEdit* repeated_;
};

// "About": the pictures, the platform line and the web site; a click on a picture or any
// key closes it.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `programFolder`: the folder in use, shown so a user knows where the data lives.
    explicit AboutDialog(QWidget* parent = nullptr, const std::filesystem::path& programFolder = {});

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace quillmark

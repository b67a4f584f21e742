#include "login_dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "artwork.h"
#include "data/ui_text.h"
#include "editors/page_widgets.h"
#include "editors/widget_prompt.h"
#include "help.h"

namespace quillmark {
namespace {

// The password messages of password.h, in the window's language.
QString PasswordText(const char* text) { return ToQt(UiText("Password", text)); }

QLineEdit* PasswordBox(const char* name) {
    auto* box = Named(new QLineEdit, name);
    box->setEchoMode(QLineEdit::Password);
    return box;
}

QPushButton* DialogButton(const char* name, const std::string& caption, const std::string& tip) {
    QPushButton* button = NamedButton(name, caption);
    button->setToolTip(ToQt(tip));
    return button;
}

// The row of both password dialogs: check, cancel (which rejects) and help (also on F1).
QHBoxLayout* CheckCancelHelp(QDialog* dialog, const std::filesystem::path& programFolder, QPushButton* ok,
                             QPushButton* cancel, QPushButton* help) {
    ok->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(help);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto openHelp = [programFolder] { OpenHelp(programFolder, kLoginHelpTopic); };
    QObject::connect(help, &QPushButton::clicked, dialog, openHelp);
    QObject::connect(new QShortcut(QKeySequence::HelpContents, dialog), &QShortcut::activated, dialog, openHelp);
    return row;
}

}  // namespace

LoginDialog::LoginDialog(std::filesystem::path programFolder, QWidget* parent)
    : QDialog(parent), programFolder_(std::move(programFolder)), model_(programFolder_) {
    setObjectName("考务登录");
    setWindowTitle(ToQt(UiText("LoginDialog", "login")));
    auto* prompt = Named(new QLabel(ToQt(UiText("LoginDialog", "Please enter your password:"))), "Label1");
    password_ = PasswordBox("Text1");
    auto* ok = DialogButton("Command1", UiText("LoginDialog", "&Ok"), UiText("LoginDialog", "进入管理系统"));
    auto* cancel = DialogButton("Command2", UiText("LoginDialog", "&Cancel"), UiText("LoginDialog", "退出系统"));
    auto* help = DialogButton("Command3", UiText("LoginDialog", "&Help"), UiText("LoginDialog", "查看帮助 如何登录"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(password_);
    layout->addLayout(CheckCancelHelp(this, programFolder_, ok, cancel, help));
    connect(ok, &QPushButton::clicked, this, &LoginDialog::Submit);
    password_->setFocus();
}

void LoginDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // The password may have been changed meanwhile; none stored lets the user straight in.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && SkipsLogin()) accept();
}

void LoginDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // It opens after the start picture, not from a click: a desktop may leave the keyboard elsewhere.
    activateWindow();
}

void LoginDialog::Submit() {
    model_.Reload();
    if (model_.StoredInvalid()) {
        QMessageBox::warning(this, PasswordText(kLoginTitle), PasswordText(kStoredPasswordInvalid));
        return;
    }
    if (model_.Accepts(FromQt(password_->text()))) {
        accept();
        return;
    }
    QMessageBox::information(this, PasswordText(kLoginTitle), PasswordText(kWrongPassword));
    password_->clear();
    password_->setFocus();
}

SetPasswordDialog::SetPasswordDialog(std::filesystem::path programFolder, QWidget* parent)
    : QDialog(parent), programFolder_(std::move(programFolder)), model_(programFolder_) {
    setObjectName("设置密码");
    setWindowTitle(ToQt(UiText("SetPasswordDialog", "设置密码")));
    old_ = PasswordBox("Text1");
    old_->setToolTip(ToQt(UiText("SetPasswordDialog", "输入旧的密码")));
    new_ = PasswordBox("Text2");
    repeated_ = PasswordBox("Text3");
    auto* form = new QFormLayout;
    form->addRow(ToQt(UiText("SetPasswordDialog", "请输入旧密码：")), old_);
    form->addRow(ToQt(UiText("SetPasswordDialog", "请输入新密码：")), new_);
    form->addRow(ToQt(UiText("SetPasswordDialog", "重新输新密码：")), repeated_);
    auto* ok = DialogButton("Command1", UiText("SetPasswordDialog", "确定"),
                            UiText("SetPasswordDialog", "设为新的密码，退出"));
    auto* cancel = DialogButton("Command2", UiText("SetPasswordDialog", "取消"),
                                UiText("SetPasswordDialog", "不改变原有密码，退出"));
    auto* help =
        DialogButton("Command3", UiText("SetPasswordDialog", "帮助"), UiText("SetPasswordDialog", "查看帮助 如何登录"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(CheckCancelHelp(this, programFolder_, ok, cancel, help));
    connect(ok, &QPushButton::clicked, this, &SetPasswordDialog::Submit);
    old_->setFocus();
}

void SetPasswordDialog::Submit() {
    switch (model_.Submit(FromQt(old_->text()), FromQt(new_->text()), FromQt(repeated_->text()))) {
        case SetPasswordModel::Outcome::Stored: accept(); return;
        case SetPasswordModel::Outcome::WrongOld:
            old_->clear();
            QMessageBox::information(this, PasswordText(kLoginTitle), PasswordText(kWrongOldPassword));
            return;
        case SetPasswordModel::Outcome::NewDiffer:
            new_->clear();
            repeated_->clear();
            QMessageBox::information(this, PasswordText(kLoginTitle), PasswordText(kNewPasswordsDiffer));
            return;
        case SetPasswordModel::Outcome::WriteFailed:
            QMessageBox::warning(this, PasswordText(kLoginTitle), ToQt(model_.WriteError()));
            return;
        case SetPasswordModel::Outcome::StoredInvalid:
            QMessageBox::warning(this, PasswordText(kLoginTitle), PasswordText(kStoredPasswordInvalid));
            return;
    }
}

AboutDialog::AboutDialog(QWidget* parent, const std::filesystem::path& programFolder) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(ToQt(UiText("AboutDialog", "About")));
    auto* pictures = new QHBoxLayout;
    const int sizes[][2] = {{240, 150}, {72, 72}, {72, 72}};
    for (int i = 0; i < 3; ++i) {
        auto* picture = Named(new QLabel, "Image" + std::to_string(i + 1));
        picture->setPixmap(ProgramArtwork(sizes[i][0], sizes[i][1], devicePixelRatioF()));
        picture->installEventFilter(this);
        pictures->addWidget(picture);
    }
    auto* platform = new QLabel(ToQt(UiText("AboutDialog", "For:windows95/98/Me/2000/NT")));
    auto* site = Named(new QLabel(ToQt(FillForm(UiText("AboutDialog", "HomePage: %1"), {kProductWebSite}))), "Lab网址");
    site->setCursor(Qt::PointingHandCursor);
    site->setStyleSheet("color: blue; text-decoration: underline;");
    site->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictures);
    layout->addWidget(new QLabel("Quillmark 2.0"));
    layout->addWidget(platform);
    layout->addWidget(site);
    if (!programFolder.empty()) {
        layout->addWidget(
            Named(new QLabel(ToQt(FillForm(UiText("AboutDialog", "程序文件夹: %1"), {programFolder.string()}))),
                  "Lab程序文件夹"));
    }
}

void AboutDialog::keyPressEvent(QKeyEvent*) { accept(); }

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched->objectName() == "Lab网址") {
            OpenProductWebSite();
        } else {
            accept();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quillmark

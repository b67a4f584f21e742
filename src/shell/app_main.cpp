// quillmark: the desktop program. Start picture, then the administrator login (skipped
// when no password is stored), then the main window.
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "data/data_home.h"
#include "login_dialogs.h"
#include "main_window.h"
#include "platform/single_instance.h"
#include "splash_window.h"
#include "translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmark");
    QGuiApplication::setDesktopFileName("quillmark");  // the installed quillmark.desktop
    if (QIcon::hasThemeIcon("quillmark")) QApplication::setWindowIcon(QIcon::fromTheme("quillmark"));
    QFont font = QApplication::font();
    font.setFamilies({font.family(), "Noto Sans CJK SC"});
    QApplication::setFont(font);
    quillmark::InstallWindowLanguage(app, quillmark::ChosenLanguage());

    // The program folder: QUILLMARK_HOME, else the executable's when the data lies beside it
    // (a build, a portable copy), else the user's data folder, made from the installed template.
    quillmark::ProgramFolderChoice choice = quillmark::ChooseProgramFolder();
    if (!choice.status.ok()) {
        QMessageBox::critical(nullptr, "Quillmark", QString::fromStdString(choice.status.message()));
        return 1;
    }
    const std::filesystem::path programFolder = choice.folder;
    auto lock = quillmark::SingleInstanceLock::Acquire(programFolder);
    if (!lock) return 0;  // another copy runs on this program folder

    // The start picture and the login close before the main window opens: only closing the
    // main window (or cancelling the login) ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<quillmark::MainWindow> window;
    auto openMainWindow = [&] {
        window = std::make_unique<quillmark::MainWindow>(programFolder);
        window->show();
        QApplication::setQuitOnLastWindowClosed(true);
        QTimer::singleShot(0, window.get(), &quillmark::MainWindow::OfferRecovery);
    };
    quillmark::SplashWindow splash;
    QPointer<quillmark::LoginDialog> login;
    QObject::connect(&splash, &quillmark::SplashWindow::finished, [&] {
        login = new quillmark::LoginDialog(programFolder);
        login->setAttribute(Qt::WA_DeleteOnClose);
        if (login->SkipsLogin()) {
            login->close();
            openMainWindow();
            return;
        }
        QObject::connect(login, &QDialog::accepted, openMainWindow);
        QObject::connect(login, &QDialog::rejected, &app, &QCoreApplication::quit);
        login->show();
    });
    splash.show();
    return app.exec();
}

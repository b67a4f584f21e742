// quillmark: the desktop program. Start picture, then the administrator login (skipped
// when no password is stored), then the main window.
#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QTimer>

#include "data/program_paths.h"
#include "login_dialogs.h"
#include "main_window.h"
#include "platform/single_instance.h"
#include "splash_window.h"
#include "translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmark");
    QFont font = QApplication::font();
    font.setFamilies({font.family(), "Noto Sans CJK SC"});
    QApplication::setFont(font);
    quillmark::InstallChineseTranslations(app);

    // The program folder is the executable's; QUILLMARK_HOME names another, for running
    // from a build or on a copy of the data.
    QByteArray home = qgetenv("QUILLMARK_HOME");
    std::filesystem::path programFolder = home.isEmpty() ? quillmark::ProgramFolderOfExecutable()
                                                         : std::filesystem::path(home.toStdString());
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

// Shows each page and dialog of the program on the bundled sample data and saves a PNG of
// each, so the window can be looked at without a desktop: screenshots PROGRAM_FOLDER OUT_FOLDER.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "shell/login_dialogs.h"
#include "shell/main_window.h"
#include "shell/splash_window.h"

namespace {

bool Save(QWidget* widget, const QString& folder, const QString& name) {
    widget->show();
    QApplication::processEvents();
    bool ok = widget->grab().save(folder + "/" + name + ".png");
    std::cout << (ok ? "saved " : "FAILED ") << name.toStdString() << ".png\n";
    return ok;
}

void Choose(QWidget* window, const char* comboName, int entry) {
    auto* combo = window->findChild<QComboBox*>(comboName);
    combo->setCurrentIndex(entry);
    emit combo->activated(entry);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setFamilies({font.family(), "Noto Sans CJK SC"});
    QApplication::setFont(font);
    if (argc != 3) {
        std::cerr << "usage: screenshots PROGRAM_FOLDER OUT_FOLDER\n";
        return 2;
    }
    std::filesystem::path programFolder = argv[1];
    QString out = argv[2];
    QDir().mkpath(out);
    bool ok = true;

    quillmark::SplashWindow splash;
    ok &= Save(&splash, out, "0-splash");
    quillmark::LoginDialog login(programFolder);
    ok &= Save(&login, out, "0-login");

    quillmark::MainWindow window(programFolder);
    window.resize(1366, 740);
    Choose(&window, "Comb试卷", 1);
    window.findChild<QListView*>("Lst选择试卷")->setCurrentIndex(
        window.findChild<QListView*>("Lst选择试卷")->model()->index(1, 0));
    ok &= Save(&window, out, "1-paper");
    window.SelectPage(1);
    Choose(&window, "Comb名册", 1);
    window.findChild<QListView*>("Lst选择名册")->setCurrentIndex(
        window.findChild<QListView*>("Lst选择名册")->model()->index(2, 0));
    ok &= Save(&window, out, "2-roster");
    window.SelectPage(2);
    ok &= Save(&window, out, "3-marking");
    window.SelectPage(3);
    ok &= Save(&window, out, "4-results");
    window.findChild<QPushButton*>("Cmd打开成绩")->click();
    Choose(&window, "Cmb选择打开成绩", 1);
    ok &= Save(&window, out, "4-results-browsing");

    quillmark::SetPasswordDialog setPassword(programFolder, &window);
    ok &= Save(&setPassword, out, "5-set-password");
    quillmark::AboutDialog about(&window);
    ok &= Save(&about, out, "5-about");
    return ok ? 0 : 1;
}

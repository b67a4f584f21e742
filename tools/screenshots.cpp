// Shows each page and dialog of the program on the bundled sample data and saves a PNG of
// each, so the window can be looked at without a desktop:
//   screenshots PROGRAM_FOLDER OUT_FOLDER [--language en|zh_CN] [--untranslated]
// --untranslated also lists every Chinese text left in what it shows, and fails if there is one
// (for the English window).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QTransform>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "data/csv_table.h"
#include "data/ui_text.h"
#include "platform/image_decoder.h"
#include "results/review_queue.h"
#include "shell/login_dialogs.h"
#include "shell/marking_dialogs.h"
#include "shell/main_window.h"
#include "shell/marking_page.h"
#include "shell/phone_panel.h"
#include "editors/roster_import_dialog.h"
#include "shell/review_dialog.h"
#include "shell/splash_window.h"
#include "shell/translations.h"
#include "untranslated_texts.h"

namespace {

std::unique_ptr<UntranslatedTexts> untranslated;

bool Save(QWidget* widget, const QString& folder, const QString& name) {
    widget->show();
    QApplication::processEvents();
    if (untranslated) untranslated->Look(widget, name);
    bool ok = widget->grab().save(folder + "/" + name + ".png");
    std::cout << (ok ? "saved " : "FAILED ") << name.toStdString() << ".png\n";
    return ok;
}

void Choose(QWidget* window, const char* comboName, int entry) {
    auto* combo = window->findChild<QComboBox*>(comboName);
    combo->setCurrentIndex(entry);
    emit combo->activated(entry);
}

// Closes the boxes a marking run opens (its messages and dialogs), as a user would who
// wants to see the run end.
void CloseModalBoxes() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && untranslated) untranslated->Look(modal, "modal");
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        // Unsaved results: give them up, so the browsing pictures can open a saved set.
        if (QAbstractButton* discard = box->button(QMessageBox::Discard)) discard->click();
        else box->accept();
    }
    else if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setFamilies({font.family(), "Noto Sans CJK SC"});
    QApplication::setFont(font);
    QStringList folders;
    std::optional<quillmark::Language> language = quillmark::Language::Chinese;
    bool checkTexts = false;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--language") language = quillmark::LanguageFromCode(args.value(++i).toStdString());
        else if (args[i] == "--untranslated") checkTexts = true;
        else folders << args[i];
    }
    if (folders.size() != 2 || !language) {
        std::cerr << "usage: screenshots PROGRAM_FOLDER OUT_FOLDER [--language en|zh_CN] [--untranslated]\n";
        return 2;
    }
    if (!quillmark::InstallWindowLanguage(app, *language)) {
        std::cerr << "screenshots: the translation could not be loaded\n";
        return 1;
    }
    std::filesystem::path programFolder = folders[0].toStdString();
    QString out = folders[1];
    if (checkTexts) untranslated = std::make_unique<UntranslatedTexts>(programFolder);
    QDir().mkpath(out);
    bool ok = true;

    quillmark::SplashWindow splash;
    ok &= Save(&splash, out, "0-splash");
    quillmark::LoginDialog login(programFolder);
    ok &= Save(&login, out, "0-login");

    quillmark::MainWindow window(programFolder);
    Choose(&window, "Comb试卷", 1);
    window.findChild<QListView*>("Lst选择试卷")->setCurrentIndex(
        window.findChild<QListView*>("Lst选择试卷")->model()->index(1, 0));
    ok &= Save(&window, out, "1-paper");
    window.SelectPage(1);
    Choose(&window, "Comb名册", 1);
    window.findChild<QListView*>("Lst选择名册")->setCurrentIndex(
        window.findChild<QListView*>("Lst选择名册")->model()->index(2, 0));
    ok &= Save(&window, out, "2-roster");
    {
        quillmark::TableRows classList = {{"学号", "姓名", "班级"},     {"101", "张伟", "初二（1）班"},
                                          {"0102", "王芳,芳", "初二（1）班"}, {"0103", "欧阳明月清风", "初二（1）班"},
                                          {"0104", "Li Lei", "初二（2）班"},   {"0104", "李雷", "初二（2）班"}};
        quillmark::RosterImportDialog import(classList, quillmark::FillForm(quillmark::UiText("XlsxReader", "CSV 文本，%1，%2分隔"),
                                                 {quillmark::TextEncodingName(quillmark::TextEncoding::Utf8), quillmark::DelimiterName(',')}), QDir::tempPath().toStdString(),
                                             "初二.TXT", &window);
        ok &= Save(&import, out, "2-roster-import");
    }
    window.SelectPage(2);
    ok &= Save(&window, out, "3-marking");
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &CloseModalBoxes);
    closer.start(50);
    QEventLoop waitForRun;
    QObject::connect(window.markingPage(), &quillmark::MarkingPage::runFinished, &waitForRun, &QEventLoop::quit);
    window.markingPage()->MarkFolder(programFolder / "sample");
    if (window.markingPage()->Running()) waitForRun.exec();
    ok &= Save(&window, out, "3-marking-done");
    {
        quillmark::ExamineeNumberDialog numbers(window.session().Records().roster, &window);
        ok &= Save(&numbers, out, "3-number-dialog");
        quillmark::DuplicateSheet duplicate;
        duplicate.number = "0102";
        duplicate.name = "王芳";
        duplicate.sheetName = (programFolder / "sample" / "sheet-0102.jpg").string();
        duplicate.earlier = window.session().Records().review.Find("0102");
        duplicate.sameImage = true;
        quillmark::DecodedImage again = quillmark::DecodeImageFile(programFolder / "sample" / "sheet-0102.jpg");
        quillmark::DuplicateSheetDialog question(duplicate, again.pixels, window.session().Records(), programFolder, &window);
        ok &= Save(&question, out, "3-duplicate-question");
        quillmark::SheetTypeDialog types(&window);
        ok &= Save(&types, out, "3-sheet-type-dialog");
        quillmark::ReviewDialog review(window.session(), &window);
        ok &= Save(&review, out, "3-review-dialog");
    }
    {
        quillmark::PhonePanel panel("http://192.168.1.23:8390/4f1c2a9be07d35816ac94e2b5d0f7c13/", &window);
        panel.SetCounts(quillmark::FillForm(quillmark::UiText("MarkingPage", "已阅 %1 张"), {"12"}));
        ok &= Save(&panel, out, "3-phone-panel");
    }
    // A scan turned a quarter, marked again over its first result, for the sheet as marked.
    QString turned = QDir::temp().filePath("quillmark-turned-0104.png");
    QImage(QString::fromStdString((programFolder / "sample" / "sheet-0104.jpg").string()))
        .transformed(QTransform().rotate(-90))
        .save(turned);
    window.session().Marking().onDuplicate = quillmark::DuplicatePolicy::Replace;
    window.markingPage()->MarkFiles({turned.toStdString()}, "");
    if (window.markingPage()->Running()) waitForRun.exec();
    window.session().Marking().onDuplicate = quillmark::DuplicatePolicy::Ask;
    window.SelectPage(3);
    auto* examinees = window.findChild<QAbstractItemView*>("Lst名册");
    examinees->setCurrentIndex(examinees->model()->index(0, 0));
    ok &= Save(&window, out, "4-results");
    window.findChild<QTabWidget*>("Tab成绩")->setCurrentIndex(1);
    ok &= Save(&window, out, "4-item-analysis");
    window.findChild<QTabWidget*>("Tab成绩")->setCurrentIndex(0);
    {
        // One answer changed by hand, to show how a change is labelled beside the key.
        quillmark::DecideAnswer(window.session().Records(), "0102", 3, "15");
        auto* sheetView = new quillmark::SheetViewDialog(window.session(), "0102", &window);
        ok &= Save(sheetView, out, "4-sheet-as-marked");
        delete sheetView;
        sheetView = new quillmark::SheetViewDialog(window.session(), "0104", &window);
        ok &= Save(sheetView, out, "4-sheet-as-marked-turned-scan");
        delete sheetView;
    }
    // The question before unsaved results would be lost, kept open long enough to be taken.
    closer.stop();
    QTimer::singleShot(300, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            ok &= Save(box, out, "4-close-question");
            box->button(QMessageBox::Cancel)->click();
        } else {
            std::cout << "FAILED 4-close-question (no question)\n";
            ok = false;
        }
    });
    window.close();
    window.show();
    closer.start(50);
    window.findChild<QPushButton*>("Cmd打开成绩")->click();
    Choose(&window, "Cmb选择打开成绩", 1);
    ok &= Save(&window, out, "4-results-browsing");
    window.findChild<QPushButton*>("Cmd打开成绩")->click();
    closer.stop();

    quillmark::SetPasswordDialog setPassword(programFolder, &window);
    ok &= Save(&setPassword, out, "5-set-password");
    quillmark::AboutDialog about(&window, programFolder);
    ok &= Save(&about, out, "5-about");
    // What the pictures marked is given up, so the next start offers nothing to recover.
    window.session().MarkingSettled();
    if (untranslated) {
        for (const QString& text : untranslated->found()) std::cout << "UNTRANSLATED " << text.toStdString() << "\n";
        ok &= untranslated->found().isEmpty();
    }
    return ok ? 0 : 1;
}

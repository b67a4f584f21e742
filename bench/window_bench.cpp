// Marking a folder through the marking page, as a user's click does, against the command
// line marking the same folder at the same thread count. The window must keep up: the run
// is stepped from its event loop, while the preview and the counts follow it.
//
// Usage: window_bench FOLDER    (sheets that need no dialog, e.g. made by `batch_bench 1000 FOLDER`)
// Runs on Qt's offscreen platform unless a platform is chosen.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "marking/sheet_feed.h"
#include "shell/main_window.h"
#include "shell/marking_page.h"

namespace fs = std::filesystem;

namespace {

// The closing message of the run (and any other box) is answered at once.
void CloseModalBoxes() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
}

// A program folder of the installed data, emptied of results, in a temporary folder.
fs::path FreshHome(const fs::path& installed, const std::string& name) {
    fs::path home = fs::temp_directory_path() / name;
    fs::remove_all(home);
    fs::create_directories(home);
    for (const char* folder : {"DaTiKa", "sys", "ShiJuan", "MingCe"}) {
        fs::copy(installed / folder, home / folder, fs::copy_options::recursive);
    }
    fs::create_directories(home / "ChengJi");
    return home;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_bench FOLDER\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const fs::path folder = fs::absolute(argv[1]);
    const fs::path installed = fs::path(QCoreApplication::applicationDirPath().toStdString());
    const std::size_t sheets = quillmark::BatchFiles(folder).size();
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());

    fs::path home = FreshHome(installed, "quillmark-window-bench");
    double windowRate = 0;
    int previews = 0, counts = 0;
    {
        quillmark::MainWindow window(home);
        window.show();
        window.session().Paper().ChooseByName("示例试卷.CHO");
        window.session().Roster().ChooseByName("示例名册.TXT");
        window.session().Marking().onDuplicate = quillmark::DuplicatePolicy::Keep;
        window.SelectPage(2);
        auto* preview = window.findChild<QLabel*>("Picture2");
        auto* countsLabel = window.findChild<QLabel*>("Lab阅卷计数");
        std::set<qint64> pictures;
        std::set<QString> texts;
        QTimer watcher;  // what a person watching the page would see change
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            pictures.insert(preview->pixmap().cacheKey());
            texts.insert(countsLabel->text());
            CloseModalBoxes();
        });
        watcher.start(20);
        QEventLoop done;
        QObject::connect(window.markingPage(), &quillmark::MarkingPage::runFinished, &done, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        window.markingPage()->MarkFolder(folder);
        if (window.markingPage()->Running()) done.exec();
        windowRate = sheets / (clock.nsecsElapsed() / 1e9);
        previews = static_cast<int>(pictures.size());
        counts = static_cast<int>(texts.size());
        window.session().MarkingSettled();  // nothing to ask about on closing
    }
    fs::remove_all(home);

    home = FreshHome(installed, "quillmark-cli-bench");
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    cli.start(QString::fromStdString((installed / "quillmark-cli").string()),
              {"mark", "--home", QString::fromStdString(home.string()), "--paper", "示例试卷.CHO", "--roster", "示例名册.TXT",
               "--on-duplicate", "keep", "--threads", QString::number(threads), QString::fromStdString(folder.string())});
    cli.waitForFinished(-1);
    double cliRate = sheets / (clock.nsecsElapsed() / 1e9);
    fs::remove_all(home);

    std::printf("%zu sheets, %u threads\n", sheets, threads);
    std::printf("window: %.1f sheets/s (preview changed %d times, counts %d times)\n", windowRate, previews, counts);
    std::printf("cli:    %.1f sheets/s\n", cliRate);
    std::printf("window / cli: %.1f %%\n", 100.0 * windowRate / cliRate);
    return cli.exitCode() == 0 ? 0 : 1;
}

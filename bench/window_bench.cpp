// Marking a folder through the marking page, as a user's click does, against the command
// line marking the same folder at the same thread count. The window must keep up: the run
// is stepped from its event loop, while the preview and the counts follow it.
//
// Usage: window_bench FOLDER    (sheets that need no dialog, e.g. made by `batch_bench 1000 FOLDER`)
// Runs on Qt's offscreen platform unless a platform is chosen.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "marking/sheet_feed.h"
#include "shell/main_window.h"
#include "shell/marking_page.h"

namespace fs = std::filesystem;

namespace {

// The run's closing message ends the clock the moment it shows, and is answered at once.
class ClosingMessage : public QObject {
public:
    explicit ClosingMessage(QElapsedTimer& clock) : clock_(clock) { qApp->installEventFilter(this); }
    ~ClosingMessage() override { qApp->removeEventFilter(this); }
    qint64 shownAfter = -1;  // nanoseconds from the start

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(object);
        if (box && event->type() == QEvent::Show) {
            if (shownAfter < 0) shownAfter = clock_.nsecsElapsed();
            QTimer::singleShot(0, box, &QMessageBox::accept);
        }
        return false;
    }

private:
    QElapsedTimer& clock_;
};

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

// Marks the folder through the marking page; sheets a second.
double RunWindow(const fs::path& installed, const fs::path& folder, std::size_t sheets, int& previews, int& counts) {
    fs::path home = FreshHome(installed, "quillmark-window-bench");
    double rate = 0;
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
        });
        watcher.start(20);
        QEventLoop done;
        QObject::connect(window.markingPage(), &quillmark::MarkingPage::runFinished, &done, &QEventLoop::quit);
        QElapsedTimer clock;
        ClosingMessage closing(clock);
        clock.start();
        window.markingPage()->MarkFolder(folder);
        if (window.markingPage()->Running()) done.exec();
        qint64 elapsed = closing.shownAfter >= 0 ? closing.shownAfter : clock.nsecsElapsed();
        rate = static_cast<double>(sheets) / (static_cast<double>(elapsed) / 1e9);
        previews = static_cast<int>(pictures.size());
        counts = static_cast<int>(texts.size());
        window.session().MarkingSettled();  // nothing to ask about on closing
    }
    fs::remove_all(home);
    return rate;
}

// Marks the folder with the command line at the same thread count; sheets a second.
double RunCli(const fs::path& installed, const fs::path& folder, std::size_t sheets, unsigned threads, bool& failed) {
    fs::path home = FreshHome(installed, "quillmark-cli-bench");
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    cli.start(QString::fromStdString((installed / "quillmark-cli").string()),
              {"mark", "--home", QString::fromStdString(home.string()), "--paper", "示例试卷.CHO", "--roster", "示例名册.TXT",
               "--on-duplicate", "keep", "--threads", QString::number(threads), QString::fromStdString(folder.string())});
    cli.waitForFinished(-1);
    double rate = static_cast<double>(sheets) / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    failed |= cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0;
    fs::remove_all(home);
    return rate;
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

    // Each side three times, taking turns, the median of each: the machine's own noise is
    // a few per cent from one run to the next.
    std::vector<double> windowRates, cliRates;
    int previews = 0, counts = 0;
    bool cliFailed = false;
    for (int round = 0; round < 3; ++round) {
        cliRates.push_back(RunCli(installed, folder, sheets, threads, cliFailed));
        windowRates.push_back(RunWindow(installed, folder, sheets, previews, counts));
    }
    std::sort(windowRates.begin(), windowRates.end());
    std::sort(cliRates.begin(), cliRates.end());
    double windowRate = windowRates[1], cliRate = cliRates[1];
    std::printf("%zu sheets, %u threads, median of 3 runs each\n", sheets, threads);
    std::printf("window: %.1f sheets/s (preview changed %d times, counts %d times in the last run)\n", windowRate, previews,
                counts);
    std::printf("cli:    %.1f sheets/s\n", cliRate);
    std::printf("window / cli: %.1f %%\n", 100.0 * windowRate / cliRate);
    return cliFailed ? 1 : 0;
}

#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <optional>
#include <thread>
#include <utility>

namespace quillmark {

// Runs `work` on a worker thread while the window keeps painting; user input waits until it is
// done, and after a moment a busy dialog with `caption` shows that something is happening.
// `work` must not touch widgets.
template <typename Work>
auto RunOffTheGuiThread(QWidget* parent, const QString& caption, Work work) -> decltype(work()) {
    std::optional<decltype(work())> result;
    QEventLoop loop;
    QProgressDialog busy(caption, QString(), 0, 0, parent);
    busy.setWindowModality(Qt::ApplicationModal);
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, &busy, [&busy] { busy.show(); });
    later.start(400);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::thread worker([&] {
        result.emplace(work());
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QApplication::restoreOverrideCursor();
    return std::move(*result);
}

}  // namespace quillmark

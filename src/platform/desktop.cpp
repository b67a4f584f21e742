#include "desktop.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace quillmark {

bool OpenWithDefaultApplication(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) absolute = path;
    QString file = QString::fromStdString(absolute.string());

    // The painting-only platforms have no desktop services; they only warn and refuse.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QString platform = QGuiApplication::platformName();
        if (platform != "offscreen" && platform != "minimal" &&
            QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
            return true;
    }
    QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty()) return false;
    return QProcess::startDetached(opener, {file});
}

}  // namespace quillmark

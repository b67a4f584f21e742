#include "desktop.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "data/file_io.h"
#include "data/ui_text.h"

namespace quillmark {

namespace {

bool OpenUrl(const QUrl& url) {
    // The painting-only platforms have no desktop services; they only warn and refuse.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QString platform = QGuiApplication::platformName();
        if (platform != "offscreen" && platform != "minimal" && QDesktopServices::openUrl(url)) return true;
    }
    QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty()) return false;
    return QProcess::startDetached(opener, {url.isLocalFile() ? url.toLocalFile() : url.toString()});
}

}  // namespace

Status OpenWithDefaultApplication(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) absolute = path;
    if (OpenUrl(QUrl::fromLocalFile(QString::fromStdString(absolute.string())))) return Status::Ok();
    return Status::Error(FillForm(UiText("Desktop", "没有找到能打开“%1”的程序。"), {DisplayPath(path)}));
}

bool OpenWebAddress(const std::string& address) { return OpenUrl(QUrl(QString::fromStdString(address))); }

}  // namespace quillmark

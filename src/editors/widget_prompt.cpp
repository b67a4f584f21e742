#include "widget_prompt.h"

#include <QFont>
#include <QFontDatabase>
#include <QInputDialog>
#include <QMessageBox>

namespace quillmark {
namespace {

QString TitleOf(const std::string& title) { return ToQt(title.empty() ? kApplicationTitle : title); }

}  // namespace

QString ToQt(const std::string& text) { return QString::fromStdString(text); }
std::string FromQt(const QString& text) { return text.toStdString(); }

std::optional<std::string> WidgetPrompt::AskLine(const std::string& text, const std::string& title) {
    bool ok = false;
    QString answer = QInputDialog::getText(parent_, TitleOf(title), ToQt(text), QLineEdit::Normal, {}, &ok);
    if (!ok) return std::nullopt;
    return FromQt(answer);
}

bool WidgetPrompt::AskYesNo(const std::string& text, const std::string& title) {
    return QMessageBox::question(parent_, TitleOf(title), ToQt(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

Prompt::UnsavedAnswer WidgetPrompt::AskSaveDiscardCancel(const std::string& text, const std::string& title) {
    auto answer = QMessageBox::question(parent_, TitleOf(title), ToQt(text),
                                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) return UnsavedAnswer::Save;
    if (answer == QMessageBox::Discard) return UnsavedAnswer::Discard;
    return UnsavedAnswer::Cancel;
}

void WidgetPrompt::ShowMessage(const std::string& text, const std::string& title) {
    QMessageBox::information(parent_, TitleOf(title), ToQt(text));
}

QFont FixedPitchFont() {
    QFont font("Noto Sans Mono CJK SC");
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

}  // namespace quillmark

#pragma once

#include <QString>

#include "data/prompt.h"

class QWidget;
class QFont;

namespace quillmark {

inline constexpr char kApplicationTitle[] = "Quillmark";

// Messages and questions as modal boxes over a window.
class WidgetPrompt : public Prompt {
public:
    explicit WidgetPrompt(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> AskLine(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    UnsavedAnswer AskSaveDiscardCancel(const std::string& text, const std::string& title) override;

private:
    QWidget* parent_;
};

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);
// The fixed-pitch font the row lists need, with Chinese characters two columns wide.
QFont FixedPitchFont();

}  // namespace quillmark

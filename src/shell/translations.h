#pragma once

class QApplication;

namespace quillmark {

// Qt's own dialogs and standard buttons (file choosers, page setup, message boxes) in
// Simplified Chinese, like the rest of the window. False when Qt's translation is missing.
bool InstallChineseTranslations(QApplication& app);

}  // namespace quillmark

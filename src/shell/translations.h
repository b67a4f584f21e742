#pragma once

#include "platform/language.h"

class QApplication;

namespace quillmark {

// The window's language for the whole program, Qt's own dialogs (file choosers, page setup,
// message boxes) included. False when a translation is missing.
bool InstallWindowLanguage(QApplication& app, Language language);
inline bool InstallChineseTranslations(QApplication& app) { return InstallWindowLanguage(app, Language::Chinese); }

}  // namespace quillmark

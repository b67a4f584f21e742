#include "translations.h"

#include <QApplication>

namespace quillmark {

bool InstallWindowLanguage(QApplication& app, Language language) {
    // A desktop's native dialogs speak the desktop's language; Qt's own speak the window's,
    // dates, sizes and file kinds in the file chooser too.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    return InstallLanguage(app, language);
}

}  // namespace quillmark

#include "painting_application.h"

#include <QGuiApplication>
#include <cstdlib>
#include <string>

namespace quillmark {

PaintingApplication::PaintingApplication(int& argc, char** argv) {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmark-runtime-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            runtimeFolder_ = pattern;
            qputenv("XDG_RUNTIME_DIR", pattern.c_str());
        }
    }
    app_ = std::make_unique<QGuiApplication>(argc, argv);
}

PaintingApplication::~PaintingApplication() {
    app_.reset();
    if (!runtimeFolder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(runtimeFolder_, ec);
        qunsetenv("XDG_RUNTIME_DIR");
    }
}

}  // namespace quillmark

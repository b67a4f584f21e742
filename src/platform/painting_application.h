#pragma once

#include <filesystem>
#include <memory>

class QGuiApplication;

namespace quillmark {

// The Qt application that fonts and painting need, for programs without windows. The
// program's main owns it, so it ends with the program: without a display it paints off
// screen, and the private runtime folder Qt asks for is made here and removed again.
// Does nothing when the program already has an application.
class PaintingApplication {
public:
    PaintingApplication(int& argc, char** argv);
    ~PaintingApplication();
    PaintingApplication(const PaintingApplication&) = delete;
    PaintingApplication& operator=(const PaintingApplication&) = delete;

private:
    std::filesystem::path runtimeFolder_;
    std::unique_ptr<QGuiApplication> app_;
};

}  // namespace quillmark

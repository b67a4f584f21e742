#pragma once

#include <QTimer>
#include <QWidget>

namespace quillmark {

// The start picture: shown until 1800 ms have passed, a key is pressed or the mouse moves
// over it, whichever comes first; then it closes and tells so once.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 1800;
    explicit SplashWindow(QWidget* parent = nullptr);

signals:
    void finished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Finish();
    QTimer timer_;
    bool done_ = false;
};

}  // namespace quillmark

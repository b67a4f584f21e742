#include "splash_window.h"

#include <QPainter>

#include "artwork.h"
#include "data/ui_text.h"
#include "window_placement.h"

namespace quillmark {

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    setFixedSize(480, 300);
    PlaceOnScreen(*this, size());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &SplashWindow::Finish);
    timer_.start(kShowMilliseconds);
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, ProgramArtwork(width(), height(), devicePixelRatioF()));
    p.setPen(Qt::white);
    p.drawText(rect().adjusted(12, 0, -12, -10), Qt::AlignBottom | Qt::AlignRight,
               QString::fromStdString(UiText("SplashWindow", "For:Windows95/98/Me/2000/Xp/NT")));
}

void SplashWindow::keyPressEvent(QKeyEvent*) { Finish(); }
void SplashWindow::mouseMoveEvent(QMouseEvent*) { Finish(); }

void SplashWindow::Finish() {
    if (done_) return;
    done_ = true;
    timer_.stop();
    close();
    emit finished();
}

}  // namespace quillmark

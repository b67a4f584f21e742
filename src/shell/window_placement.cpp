#include "window_placement.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace quillmark {

QRect FittedGeometry(const QRect& available, QSize wanted, QSize minimum, const QMargins& frame) {
    QSize room = available.marginsRemoved(frame).size();
    QSize size = wanted.boundedTo(room).expandedTo(minimum);
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveCenter(available.center());
    // A window larger than the screen keeps its title bar on it.
    if (outer.top() < available.top()) outer.moveTop(available.top());
    if (outer.left() < available.left()) outer.moveLeft(available.left());
    return outer.marginsRemoved(frame);
}

void PlaceOnScreen(QWidget& window, QSize wanted) {
    if (QScreen* screen = window.screen()) PlaceWithin(window, wanted, screen->availableGeometry());
}

void PlaceWithin(QWidget& window, QSize wanted, const QRect& available) {
    QMargins frame;
    if (!(window.windowFlags() & Qt::FramelessWindowHint)) {
        QRect outer = window.frameGeometry(), inner = window.geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
        if (!window.isVisible() || frame.isNull()) frame = kAssumedWindowFrame;
    }
    QSize minimum = window.minimumSizeHint().expandedTo(window.minimumSize());
    window.setGeometry(FittedGeometry(available, wanted.expandedTo(window.sizeHint()), minimum, frame));
}

PageScroller::PageScroller(QWidget* page) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(page);
    viewport()->setAutoFillBackground(false);  // the tab's own panel shows through
    page->setAutoFillBackground(false);
}

QSize PageScroller::sizeHint() const {
    // Wide enough for the page beside the scroll bar a short screen brings.
    QSize page = widget()->minimumSizeHint().expandedTo(widget()->minimumSize()).grownBy(contentsMargins());
    return page + QSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), 0);
}

}  // namespace quillmark

#pragma once

#include <QMargins>
#include <QRect>
#include <QScrollArea>

namespace quillmark {

// What a window manager's title bar and borders are assumed to take before a window is shown
// and its real frame is known.
inline constexpr QMargins kAssumedWindowFrame(8, 40, 8, 8);

// The geometry (frame excluded) of a window that wants `wanted` but must fit `available` with
// its frame: shrunk to fit, never below `minimum`, frame and all centred on `available`.
QRect FittedGeometry(const QRect& available, QSize wanted, QSize minimum, const QMargins& frame);

// Sizes and centres a top-level window on its screen's available geometry (the taskbar kept
// clear), taking the window's own frame when it is shown, otherwise an assumed one. The window
// gets at least its size hint where the screen has room for it.
void PlaceOnScreen(QWidget& window, QSize wanted);
// The same on the given available geometry.
void PlaceWithin(QWidget& window, QSize wanted, const QRect& available);

// Holds a page of the main window: scrolls only when the screen leaves the window less than
// the page's minimum, and asks for that minimum, so a window with room never scrolls.
class PageScroller : public QScrollArea {
public:
    explicit PageScroller(QWidget* page);
    QSize sizeHint() const override;
};

}  // namespace quillmark

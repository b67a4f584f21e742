#include "artwork.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quillmark {
namespace {

constexpr char kProductName[] = "Quillmark";

}  // namespace

QPixmap ProgramArtwork(int width, int height, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(width, height) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(28, 62, 112));
    sky.setColorAt(1, QColor(64, 120, 180));
    p.fillRect(QRectF(0, 0, width, height), sky);

    // The sheet, slightly turned, with its frame and rows of bubbles.
    QRectF sheet(width * 0.08, height * 0.14, width * 0.42, height * 0.74);
    p.save();
    p.translate(sheet.center());
    p.rotate(-4);
    p.translate(-sheet.center());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRect(sheet.translated(5, 6));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    QRectF frame = sheet.adjusted(sheet.width() * 0.07, sheet.height() * 0.06, -sheet.width() * 0.07, -sheet.height() * 0.06);
    p.setPen(QPen(QColor(220, 40, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    const int rows = 8, columns = 5;
    qreal cellW = frame.width() / (columns + 1), cellH = frame.height() / (rows + 1);
    for (int r = 0; r < rows; ++r) {
        int marked = (r * 3 + 1) % columns;
        for (int c = 0; c < columns; ++c) {
            QRectF bubble(frame.left() + cellW * (c + 0.7), frame.top() + cellH * (r + 0.7), cellW * 0.6, cellH * 0.42);
            p.setPen(QPen(QColor(230, 110, 130), 1.2));
            p.setBrush(c == marked ? QBrush(QColor(30, 30, 40)) : QBrush(Qt::NoBrush));
            p.drawRoundedRect(bubble, bubble.height() / 2, bubble.height() / 2);
        }
    }
    p.restore();

    // The quill across the sheet.
    QPainterPath feather;
    QPointF tip(width * 0.47, height * 0.70), top(width * 0.78, height * 0.10);
    feather.moveTo(tip);
    feather.cubicTo(QPointF(width * 0.55, height * 0.40), QPointF(width * 0.62, height * 0.16), top);
    feather.cubicTo(QPointF(width * 0.74, height * 0.30), QPointF(width * 0.64, height * 0.52), tip);
    p.setPen(QPen(QColor(250, 250, 255), 1.5));
    p.setBrush(QColor(245, 240, 225));
    p.drawPath(feather);
    p.setPen(QPen(QColor(120, 110, 90), 1.5));
    p.drawLine(tip, QPointF(width * 0.70, height * 0.22));

    // The name whole or not at all: a small picture leaves it to the text beside it.
    QRectF nameBox(width * 0.52, height * 0.58, width * 0.46, height * 0.2);
    QFont title = p.font();
    title.setBold(true);
    int size = height / 8;
    title.setPixelSize(std::max(1, size));
    while (size >= 10 && QFontMetricsF(title).horizontalAdvance(kProductName) > nameBox.width()) title.setPixelSize(--size);
    if (size >= 10) {
        p.setPen(Qt::white);
        p.setFont(title);
        p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, kProductName);
    }
    return pixmap;
}

}  // namespace quillmark

#include "score_chart.h"

#include <QPainter>
#include <algorithm>

#include "data/ui_text.h"

namespace quillmark {

ScoreChart::ScoreChart(QWidget* parent) : QWidget(parent) {
    setObjectName("Pic成绩分布");
    setMinimumHeight(150);
}

void ScoreChart::SetBands(std::vector<std::string> bands, std::vector<long long> counts) {
    bands_ = std::move(bands);
    counts_ = std::move(counts);
    update();
}

void ScoreChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    QFontMetrics metrics = p.fontMetrics();
    const int left = 8, right = 8, top = metrics.height() + 6, bottom = 2 * metrics.height() + 6;
    p.drawText(QRect(left, 2, width() - left - right, metrics.height()), Qt::AlignLeft,
               QString::fromStdString(UiText("ScoreChart", "成绩分布（人数）")));
    if (bands_.empty()) return;
    long long most = std::max<long long>(1, *std::max_element(counts_.begin(), counts_.end()));
    double slot = double(width() - left - right) / double(bands_.size());
    int baseline = height() - bottom;
    int room = baseline - top - metrics.height();
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(left, baseline, width() - right, baseline);
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        int x = left + int(slot * double(i));
        int barHeight = int(double(room) * double(counts_[i]) / double(most));
        QRect bar(x + int(slot * 0.15), baseline - barHeight, std::max(1, int(slot * 0.7)), barHeight);
        p.fillRect(bar, QColor(40, 90, 170));
        p.setPen(palette().color(QPalette::Text));
        if (counts_[i] > 0) {
            p.drawText(QRect(x, bar.top() - metrics.height(), int(slot), metrics.height()), Qt::AlignCenter,
                       QString::number(counts_[i]));
        }
        p.drawText(QRect(x, baseline + 2, int(slot), 2 * metrics.height()), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromStdString(bands_[i]));
    }
}

}  // namespace quillmark

#pragma once

#include <QWidget>
#include <string>
#include <vector>

namespace quillmark {

// Bars of how many examinees scored in each band, as the workbook's 成绩分布 sheet counts them.
class ScoreChart : public QWidget {
    Q_OBJECT
public:
    explicit ScoreChart(QWidget* parent = nullptr);
    void SetBands(std::vector<std::string> bands, std::vector<long long> counts);
    QSize sizeHint() const override { return {360, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::string> bands_;
    std::vector<long long> counts_;
};

}  // namespace quillmark

#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

namespace quillmark {

struct ResultSet;

// The item analysis of the results on display: the test's figures, and a row a question,
// sortable by any column (click its header), flagged questions shaded with their reasons.
class ItemAnalysisView : public QWidget {
    Q_OBJECT
public:
    explicit ItemAnalysisView(QWidget* parent = nullptr);
    void Refresh(const ResultSet& records);

private:
    QLabel* figures_;
    QTableWidget* table_;
};

}  // namespace quillmark

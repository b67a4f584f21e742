#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#ifndef Q_MOC_RUN
#include "results/results_cells.h"
#include "app/session.h"
#endif

class QComboBox;
class QListView;
class QListWidget;
class QPushButton;
class QTableView;

namespace quillmark {

class CellTableModel;
class RowListModel;
class ScoreChart;
class ItemAnalysisView;

// Page "4、成绩处理": the analysed results in two tables whose column headers sort them and
// two lists, the score chart, and the results-set and export buttons.
class ResultsView : public QWidget {
    Q_OBJECT
public:
    ResultsView(Session& session, QWidget* parent = nullptr);
    void Refresh();
    QPushButton* HelpButton() const { return help_; }

private:
    void Do(const std::function<void()>& operation);
    void ShowAnswers(int examineeRow);
    void Export();

    Session& session_;
    bool refreshing_ = false;
    CellRows questionCells_, examineeCells_;
    std::vector<std::string> answerRows_;
    CellTableModel* questions_;
    CellTableModel* examinees_;
    RowListModel* answers_;
    QTableView* questionList_;
    QTableView* examineeList_;
    QListView* answerList_;
    QListWidget* statistics_;
    ScoreChart* chart_;
    ItemAnalysisView* items_;
    QPushButton* open_;
    QComboBox* sets_;
    QPushButton* delete_;
    QPushButton* help_;
};

}  // namespace quillmark

#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

// moc cannot parse the core's headers and needs none of them.
#ifndef Q_MOC_RUN
#include "session.h"
#endif

class QComboBox;
class QListView;
class QListWidget;
class QPushButton;

namespace quillmark {

class RowListModel;

// Page "4、成绩处理": the lists of the analysed results and the results-set buttons.
class ResultsView : public QWidget {
    Q_OBJECT
public:
    ResultsView(Session& session, QWidget* parent = nullptr);
    void Refresh();
    QPushButton* HelpButton() const { return help_; }

private:
    void Do(const std::function<void()>& operation);

    Session& session_;
    bool refreshing_ = false;
    std::vector<std::string> questionRows_, examineeRows_, answerRows_;
    RowListModel* questions_;
    RowListModel* examinees_;
    RowListModel* answers_;
    QListView* examineeList_;
    QListWidget* statistics_;
    QPushButton* open_;
    QComboBox* sets_;
    QPushButton* delete_;
    QPushButton* help_;
};

}  // namespace quillmark

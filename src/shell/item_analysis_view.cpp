#include "item_analysis_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/ui_text.h"
#include "editors/page_widgets.h"
#include "editors/widget_prompt.h"
#include "results/item_analysis.h"

namespace quillmark {
namespace {

// Sorts by the number a cell starts with when it has one, by its text otherwise.
class SortableItem : public QTableWidgetItem {
public:
    explicit SortableItem(const QString& text) : QTableWidgetItem(text) {}
    bool operator<(const QTableWidgetItem& other) const override {
        bool a = false, b = false;
        double x = text().section('/', 0, 0).toDouble(&a), y = other.text().section('/', 0, 0).toDouble(&b);
        if (a && b) return x < y;
        return QTableWidgetItem::operator<(other);
    }
};

}  // namespace

ItemAnalysisView::ItemAnalysisView(QWidget* parent) : QWidget(parent) {
    setObjectName("Frm项目分析");
    figures_ = Named(new QLabel, "Lab测验统计");
    figures_->setWordWrap(true);
    table_ = Named(new QTableWidget, "Lst项目分析");
    table_->setSortingEnabled(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setToolTip(
        ToQt(UiText("ItemAnalysisView",
                    "单击列标题按该列排序。难度p按计分规则：所选为标准答案中连续的一部分即得分；"
                    "“成绩与统计”中的得分率只计与标准答案完全相同的答案。")));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(figures_);
    layout->addWidget(table_, 1);
}

void ItemAnalysisView::Refresh(const ResultSet& records) {
    ItemAnalysis analysis = AnalyseItems(records);
    QString figures;
    for (const auto& [label, value] : TestFigureRows(analysis.test))
        figures += ToQt(FillForm(UiText("ItemAnalysisView", "%1：%2"), {label, value}) + "    ");
    figures_->setText(figures);

    std::vector<std::string> captions = ItemColumnCaptions();
    table_->setSortingEnabled(false);
    table_->clear();
    table_->setColumnCount(static_cast<int>(captions.size()));
    table_->setRowCount(static_cast<int>(analysis.items.size()));
    QStringList headers;
    for (const std::string& caption : captions) headers << ToQt(caption);
    table_->setHorizontalHeaderLabels(headers);
    for (std::size_t row = 0; row < analysis.items.size(); ++row) {
        const ItemStatistics& item = analysis.items[row];
        std::vector<std::string> columns = ItemColumns(item);
        for (std::size_t column = 0; column < columns.size(); ++column) {
            auto* cell = new SortableItem(ToQt(columns[column]));
            if (item.Flagged()) cell->setBackground(QColor(255, 236, 179));
            table_->setItem(static_cast<int>(row), static_cast<int>(column), cell);
        }
    }
    table_->setSortingEnabled(true);
    table_->resizeColumnsToContents();
}

}  // namespace quillmark

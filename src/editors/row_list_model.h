#pragma once

#include <QAbstractListModel>
#include <functional>
#include <string>

namespace quillmark {

// A list whose rows are texts a model makes on demand, so a list of tens of thousands of
// rows costs nothing until it is shown.
class RowListModel : public QAbstractListModel {
public:
    RowListModel(std::function<int()> count, std::function<std::string(int)> text, QObject* parent = nullptr)
        : QAbstractListModel(parent), count_(std::move(count)), text_(std::move(text)) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : count_(); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        return QString::fromStdString(text_(index.row()));
    }
    // The rows changed in number or text.
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    std::function<int()> count_;
    std::function<std::string(int)> text_;
};

}  // namespace quillmark

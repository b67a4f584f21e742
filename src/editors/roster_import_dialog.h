#pragma once

#include <QDialog>
#include <filesystem>
#include <string>

#include "data/csv_table.h"
#include "roster_import.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace quillmark {

// A class list read from a spreadsheet, shown before it becomes a roster: its first rows,
// the number and name columns (guessed from the header, changeable), the fixes to apply and
// every problem left, by row. 导入 writes the roster only when no problem is left.
class RosterImportDialog : public QDialog {
    Q_OBJECT
public:
    RosterImportDialog(TableRows rows, const std::string& format, std::filesystem::path rosterFolder,
                       const std::string& suggestedName, QWidget* parent = nullptr);
    // The roster file written, once accepted.
    const std::string& SavedName() const { return savedName_; }

private:
    void Recheck();
    void Import();

    TableRows rows_;
    std::filesystem::path rosterFolder_;
    RosterImport result_;
    std::string savedName_;
    QComboBox* numberColumn_;
    QComboBox* nameColumn_;
    QCheckBox* pad_;
    QCheckBox* cut_;
    QCheckBox* strip_;
    QCheckBox* skip_;
    QListWidget* problems_;
    QLabel* summary_;
    QLineEdit* name_;
    QPushButton* import_;
};

}  // namespace quillmark

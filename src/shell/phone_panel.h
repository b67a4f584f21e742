#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace quillmark {

// The address phones open, as a QR code and as text, while the page takes photos. Closing
// it ends phone marking: the address's token dies with it.
class PhonePanel : public QDialog {
    Q_OBJECT
public:
    PhonePanel(const std::string& address, QWidget* parent = nullptr);
    void SetCounts(const std::string& text);

private:
    QLabel* counts_;
};

}  // namespace quillmark

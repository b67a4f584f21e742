#include "phone_panel.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/ui_text.h"
#include "phone/phone_qr.h"

namespace quillmark {
namespace {

// Eight screen pixels a module, within the four-module quiet zone readers expect.
QPixmap QrPixmap(const std::string& text) {
    constexpr int kQuiet = 4, kScale = 8;
    QrCode code = EncodeQr(text);
    QImage image(code.size + 2 * kQuiet, code.size + 2 * kQuiet, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (code.at(x, y)) image.setPixel(x + kQuiet, y + kQuiet, qRgb(0, 0, 0));
        }
    }
    return QPixmap::fromImage(image.scaled(image.width() * kScale, image.height() * kScale));
}

}  // namespace

PhonePanel::PhonePanel(const std::string& address, QWidget* parent) : QDialog(parent) {
    setObjectName("phonePanel");
    setWindowTitle(QString::fromStdString(UiText("PhonePanel", "手机拍照阅卷")));
    auto* steps = new QLabel(
        QString::fromStdString(UiText("PhonePanel", "1. 手机与电脑连接同一个无线网络。")) + "\n" +
        QString::fromStdString(UiText("PhonePanel", "2. 用手机相机扫描下面的二维码，打开阅卷页面（无需安装应用）。")) +
        "\n" +
        QString::fromStdString(UiText("PhonePanel", "3. 点“拍照”，把整张答题卡拍进画面；每张拍完即可看到成绩。")));
    auto* qr = new QLabel;
    qr->setObjectName("phoneQr");
    qr->setPixmap(QrPixmap(address));
    qr->setAlignment(Qt::AlignCenter);
    auto* link = new QLabel(QString::fromStdString(address));
    link->setObjectName("phoneAddress");
    link->setTextInteractionFlags(Qt::TextSelectableByMouse);
    link->setAlignment(Qt::AlignCenter);
    counts_ = new QLabel;
    counts_->setObjectName("phoneCounts");
    counts_->setAlignment(Qt::AlignCenter);
    auto* note = new QLabel(QString::fromStdString(UiText("PhonePanel", "关闭本窗口即结束手机阅卷，此地址随即失效。")));
    auto* buttons = new QDialogButtonBox;
    QPushButton* close =
        buttons->addButton(QString::fromStdString(UiText("PhonePanel", "结束手机阅卷")), QDialogButtonBox::RejectRole);
    close->setObjectName("phoneClose");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(steps);
    layout->addWidget(qr);
    layout->addWidget(link);
    layout->addWidget(counts_);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

void PhonePanel::SetCounts(const std::string& text) { counts_->setText(QString::fromStdString(text)); }

}  // namespace quillmark

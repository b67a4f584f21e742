#include "review_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

#include "editors/page_widgets.h"
#include "editors/widget_prompt.h"

namespace quillmark {
namespace {

std::string Letters(const std::string& digits) {
    std::string letters;
    for (char d : digits) letters += static_cast<char>('A' + (d - '1'));
    return letters.empty() ? "（未答）" : letters;
}

// The number as typed, with the roster's name for it.
std::string NumberLine(const Roster& roster, const std::string& number) {
    for (int row = 1; row <= roster.RowCount(); ++row) {
        if (roster.Row(row)[Examinee::考号] == number) return "考号：" + number + "（" + roster.Row(row)[Examinee::姓名] + "）";
    }
    return "考号：" + number + "（名册中没有此考号）";
}

std::string ItemLine(const ReviewItem& item) {
    return item.question == 0 ? item.examinee + "  考号（读为“" + item.reading + "”）"
                              : item.examinee + "  第" + std::to_string(item.question) + "题  读为 " + Letters(item.reading);
}

}  // namespace

ReviewDialog::ReviewDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    setObjectName("核对存疑");
    setWindowTitle("核对存疑");
    items_ = PendingReviewItems(session_.Records());
    list_ = Named(new QListWidget, "Lst存疑");
    list_->setFocusPolicy(Qt::NoFocus);
    for (const ReviewItem& item : items_) list_->addItem(ToQt(ItemLine(item)));
    crop_ = Named(new QLabel, "Pic存疑");
    crop_->setMinimumSize(520, 200);
    crop_->setAlignment(Qt::AlignCenter);
    reading_ = Named(new QLabel, "Lab存疑答案");
    QFont big = reading_->font();
    big.setPixelSize(22);
    big.setBold(true);
    reading_->setFont(big);
    note_ = Named(new QLabel, "Lab存疑说明");
    note_->setWordWrap(true);
    auto* keys = new QLabel("数字键：选中/取消选项（考号：输入考号）   回车：确认并到下一处   ↑↓：上一处/下一处   S：跳过   Esc：关闭");
    keys->setWordWrap(true);
    auto* right = new QVBoxLayout;
    right->addWidget(crop_, 1);
    right->addWidget(reading_);
    right->addWidget(note_);
    right->addWidget(keys);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(right, 2);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != current_) {
            current_ = row;
            Show();
        }
    });
    resize(900, 520);
    Show();
}

const SheetPicture& ReviewDialog::PictureOf(const std::string& examinee) {
    auto& picture = pictures_[examinee];
    if (!picture) picture = std::make_unique<SheetPicture>(*session_.Records().review.Find(examinee), session_.ProgramFolder());
    return *picture;
}

void ReviewDialog::Show() {
    if (items_.empty() || current_ >= static_cast<int>(items_.size())) {
        crop_->setText("没有需要核对的读数。");
        reading_->clear();
        note_->clear();
        return;
    }
    list_->blockSignals(true);
    list_->setCurrentRow(current_);
    list_->blockSignals(false);
    const ReviewItem& item = items_[static_cast<std::size_t>(current_)];
    const SheetReview* sheet = session_.Records().review.Find(item.examinee);
    answer_ = item.question == 0 ? item.examinee : item.current;
    // Coming back to a question decided meanwhile shows the answer now kept, not the old one.
    if (auto decided = sheet ? sheet->decisions.find(item.question) : decltype(sheet->decisions)::const_iterator();
        sheet && item.question > 0 && decided != sheet->decisions.end()) {
        answer_ = decided->second;
    }
    if (sheet) {
        const SheetPicture& picture = PictureOf(item.examinee);
        QImage image = picture.Draw(*sheet, session_.Records()).image;
        QRect area = picture.Area(item.question).toAlignedRect().intersected(image.rect());
        QImage cropped = area.isEmpty() ? image : image.copy(area);
        crop_->setPixmap(QPixmap::fromImage(cropped.scaled(crop_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        note_->setText(ToQt(item.why + (picture.Note().empty() ? "" : "；" + picture.Note())));
    }
    reading_->setText(ToQt(item.question == 0 ? NumberLine(session_.Records().roster, answer_) : "答案：" + Letters(answer_)));
}

void ReviewDialog::Decide() {
    const ReviewItem& item = items_[static_cast<std::size_t>(current_)];
    Status status = item.question == 0 ? (answer_ == item.examinee ? AcceptNumber(session_.Records(), item.examinee)
                                                                   : CorrectNumber(session_.Records(), item.examinee, answer_))
                                       : DecideAnswer(session_.Records(), item.examinee, item.question, answer_);
    if (!status.ok()) {
        session_.prompt().ShowMessage(status.message(), "");
        return;
    }
    session_.DecidedByHand(item.question == 0 ? answer_ : item.examinee);
    session_.Results().Analyse(session_.Records());
    ++decided_;
    list_->item(current_)->setText("✓ " + list_->item(current_)->text());
    if (current_ + 1 < static_cast<int>(items_.size())) ++current_;
    Show();
}

void ReviewDialog::keyPressEvent(QKeyEvent* event) {
    if (items_.empty()) return QDialog::keyPressEvent(event);
    const ReviewItem& item = items_[static_cast<std::size_t>(current_)];
    int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        char digit = static_cast<char>('0' + (key - Qt::Key_0));
        if (item.question == 0) {
            answer_ = answer_.size() >= 4 ? std::string(1, digit) : answer_ + digit;
        } else if (digit >= '1' && digit <= '5') {
            std::size_t at = answer_.find(digit);
            if (at == std::string::npos) answer_ += digit;
            else answer_.erase(at, 1);
            std::sort(answer_.begin(), answer_.end());
        }
        reading_->setText(ToQt(item.question == 0 ? NumberLine(session_.Records().roster, answer_) : "答案：" + Letters(answer_)));
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Decide();
    } else if (key == Qt::Key_Down || key == Qt::Key_S) {
        if (current_ + 1 < static_cast<int>(items_.size())) ++current_;
        Show();
    } else if (key == Qt::Key_Up) {
        if (current_ > 0) --current_;
        Show();
    } else {
        QDialog::keyPressEvent(event);
    }
}

SheetViewDialog::SheetViewDialog(Session& session, const std::string& examinee, QWidget* parent) : QDialog(parent) {
    setObjectName("答题卡");
    setWindowTitle(ToQt("考号 " + examinee + " 的答题卡"));
    auto* picture = Named(new QLabel, "Pic答题卡");
    auto* note = Named(new QLabel, "Lab答题卡说明");
    const SheetReview* sheet = session.Records().review.Find(examinee);
    if (!sheet) {
        note->setText("这名考生没有阅卷记录（成绩由旧版本保存，或未阅卷）。");
    } else {
        AnnotatedSheet drawn = AnnotateSheet(*sheet, session.Records(), session.ProgramFolder());
        picture->setPixmap(QPixmap::fromImage(drawn.image.scaledToWidth(860, Qt::SmoothTransformation)));
        note->setText(ToQt(drawn.note.empty() ? "绿框：得分；红框：未得分（右侧为正确答案）；黄色虚框：存疑；紫色虚框：人工改动前读到的选项" : drawn.note));
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(picture);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(scroll, 1);
    resize(920, 700);
}

}  // namespace quillmark

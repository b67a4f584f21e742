#include "review_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

#include "data/ui_text.h"
#include "editors/page_widgets.h"
#include "editors/widget_prompt.h"

namespace quillmark {
ReviewDialog::ReviewDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session), model_(session.Records()) {
    setObjectName("核对存疑");
    setWindowTitle(ToQt(UiText("ReviewDialog", "核对存疑")));
    list_ = Named(new QListWidget, "Lst存疑");
    list_->setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < static_cast<int>(model_.Items().size()); ++i) list_->addItem(ToQt(model_.ItemLine(i)));
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
    auto* keys = new QLabel(ToQt(UiText(
        "ReviewDialog",
        "数字键：选中/取消选项（考号：输入考号）   回车：确认并到下一处   ↑↓：上一处/下一处   S：跳过   Esc：关闭")));
    keys->setWordWrap(true);
    auto* right = new QVBoxLayout;
    right->addWidget(crop_, 1);
    right->addWidget(reading_);
    right->addWidget(note_);
    right->addWidget(keys);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(right, 2);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { Refresh(model_.Select(row)); });
    resize(900, 520);
    Show();
}

const SheetPicture& ReviewDialog::PictureOf(const std::string& examinee) {
    auto& picture = pictures_[examinee];
    if (!picture) picture = std::make_unique<SheetPicture>(*session_.Records().review.Find(examinee), session_.ProgramFolder());
    return *picture;
}

void ReviewDialog::Show() {
    if (model_.Empty()) {
        crop_->setText(ToQt(UiText("ReviewDialog", "没有需要核对的读数。")));
        reading_->clear();
        note_->clear();
        return;
    }
    list_->blockSignals(true);
    list_->setCurrentRow(model_.Current());
    list_->blockSignals(false);
    const ReviewItem& item = model_.CurrentItem();
    if (const SheetReview* sheet = session_.Records().review.Find(item.examinee)) {
        const SheetPicture& picture = PictureOf(item.examinee);
        QImage image = picture.Draw(*sheet, session_.Records()).image;
        QRect area = picture.Area(item.question).toAlignedRect().intersected(image.rect());
        QImage cropped = area.isEmpty() ? image : image.copy(area);
        crop_->setPixmap(QPixmap::fromImage(cropped.scaled(crop_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        std::string why = item.why;
        if (!picture.Note().empty()) why = FillForm(UiText("ReviewDialog", "%1；%2"), {why, picture.Note()});
        note_->setText(ToQt(why));
    }
    reading_->setText(ToQt(model_.AnswerLine()));
}

void ReviewDialog::Refresh(ReviewDialogModel::Change change) {
    if (change == ReviewDialogModel::Change::Item) Show();
    else if (change == ReviewDialogModel::Change::Answer) reading_->setText(ToQt(model_.AnswerLine()));
}

void ReviewDialog::Decide() {
    ReviewDialogModel::Decision decision = model_.Accept();
    if (!decision.status.ok()) {
        session_.prompt().ShowMessage(decision.status.message(), "");
        return;
    }
    if (decision.item < 0) return;
    session_.DecidedByHand(decision.examinee);
    session_.Results().Analyse(session_.Records());
    for (int i = 0; i < list_->count(); ++i) {
        // A corrected number shows on the sheet's other lines too.
        bool decided = i == decision.item || list_->item(i)->text().startsWith("✓ ");
        list_->item(i)->setText((decided ? "✓ " : "") + ToQt(model_.ItemLine(i)));
    }
    Show();
}

void ReviewDialog::keyPressEvent(QKeyEvent* event) {
    if (model_.Empty()) return QDialog::keyPressEvent(event);
    int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        Refresh(model_.TypeDigit(static_cast<char>('0' + (key - Qt::Key_0))));
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Decide();
    } else if (key == Qt::Key_Down || key == Qt::Key_S) {
        Refresh(model_.Next());
    } else if (key == Qt::Key_Up) {
        Refresh(model_.Previous());
    } else {
        QDialog::keyPressEvent(event);
    }
}

SheetViewDialog::SheetViewDialog(Session& session, const std::string& examinee, QWidget* parent) : QDialog(parent) {
    setObjectName("答题卡");
    setWindowTitle(ToQt(FillForm(UiText("SheetViewDialog", "考号 %1 的答题卡"), {examinee})));
    auto* picture = Named(new QLabel, "Pic答题卡");
    auto* note = Named(new QLabel, "Lab答题卡说明");
    const SheetReview* sheet = session.Records().review.Find(examinee);
    if (!sheet) {
        note->setText(ToQt(UiText("SheetViewDialog", "这名考生没有阅卷记录（成绩由旧版本保存，或未阅卷）。")));
    } else {
        AnnotatedSheet drawn = AnnotateSheet(*sheet, session.Records(), session.ProgramFolder());
        picture->setPixmap(QPixmap::fromImage(drawn.image.scaledToWidth(860, Qt::SmoothTransformation)));
        note->setText(ToQt(
            drawn.note.empty()
                ? UiText("SheetViewDialog",
                         "绿框：得分；红框：未得分（右侧为正确答案）；黄色虚框：存疑；紫色虚框：人工改动前读到的选项")
                : drawn.note));
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(picture);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(scroll, 1);
    resize(920, 700);
}

}  // namespace quillmark

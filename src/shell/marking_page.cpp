#include "marking_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGridLayout>
#include <QDateTime>
#include <QGroupBox>
#include <QHostAddress>
#include <QHBoxLayout>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <thread>

#include "editors/page_widgets.h"
#include "editors/widget_prompt.h"
#include "marking/preview.h"
#include "marking_dialogs.h"
#include "review_dialog.h"
#include "platform/image_decoder.h"
#include "phone/phone_card.h"
#include "phone/phone_service.h"
#include "phone_panel.h"
#include "platform/sane_device.h"
#include "data/text_fns.h"
#include "data/ui_text.h"

namespace quillmark {
namespace {

constexpr char kIdleCaption[] = UI_TEXT_NOOP("MarkingPage", "尚未阅卷!");
constexpr char kRunningCaption[] = UI_TEXT_NOOP("MarkingPage", "正在阅卷……");
constexpr char kDoneCaption[] = UI_TEXT_NOOP("MarkingPage", "阅卷完成!");
constexpr char kStoppedCaption[] = UI_TEXT_NOOP("MarkingPage", "阅卷已停止");
constexpr int kPreviewWidth = 423;
constexpr int kPreviewHeight = 509;

// A text marked with UI_TEXT_NOOP("MarkingPage", ...), in the window's language.
QString Shown(const char* text) { return ToQt(UiText("MarkingPage", text)); }

// A file chooser's entry: what the files are, then their patterns.
std::string FileKind(const std::string& what, const char* patterns) { return what + " (" + patterns + ")"; }

// The zoom box corrects its text when it is left.
class ZoomEdit : public QLineEdit {
public:
    std::function<void()> left;

protected:
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        if (left && event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) left();
    }
};

}  // namespace

MarkingPage::MarkingPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    auto* automatic = NamedGroup("Frm自动阅卷", UiText("MarkingPage", "3、自动阅卷"));
    scan_ = NamedButton("Cmd自动阅卷", UiText("MarkingPage", "从图像设备输入并阅卷"));
    next_ = NamedButton("Cmd下一步_3", UiText("MarkingPage", "下一步"));
    auto* automaticLayout = new QHBoxLayout(automatic);
    phoneButton_ = NamedButton("phoneButton", UiText("MarkingPage", "手机拍照阅卷"));
    phoneButton_->setToolTip(ToQt(UiText("MarkingPage", "手机扫描二维码后拍照上传答题卡，每张即时显示成绩")));
    automaticLayout->addWidget(scan_, 1);
    automaticLayout->addWidget(phoneButton_, 1);
    automaticLayout->addWidget(next_);

    auto* manual = NamedGroup("Frm手工阅卷", UiText("MarkingPage", "手工阅卷"));
    openFile_ = NamedButton("Cmd打开答题卡图像文件阅卷", UiText("MarkingPage", "打开单个答题卡图像文件阅卷"));
    openFolder_ = NamedButton("Cmd打开答题卡文件夹成批阅卷", UiText("MarkingPage", "打开答题卡文件夹成批阅卷"));
    stop_ = NamedButton("Cmd停止", UiText("MarkingPage", "停止"));
    stop_->setToolTip(ToQt(UiText("MarkingPage", "在当前答题卡之后停止阅卷，已阅的答题卡保留")));
    stop_->setEnabled(false);
    auto* manualLayout = new QVBoxLayout(manual);
    manualLayout->addWidget(openFile_);
    manualLayout->addWidget(openFolder_);
    review_ = NamedButton("Cmd核对存疑_3", UiText("MarkingPage", "核对存疑"));
    review_->setToolTip(ToQt(UiText("MarkingPage", "逐一核对本次阅卷中读数不确定的题目和考号")));
    review_->setEnabled(false);
    // Side by side, so the page fits a 768-pixel screen with its taskbar.
    auto* stopAndReview = new QHBoxLayout;
    stopAndReview->addWidget(stop_);
    stopAndReview->addWidget(review_);
    manualLayout->addLayout(stopAndReview);
    connect(review_, &QPushButton::clicked, this, [this] {
        ReviewDialog dialog(session_, this);
        dialog.exec();
        review_->setEnabled(!PendingReviewItems(session_.Records()).empty());
    });

    auto* parameters = NamedGroup("Frm阅卷参数设置", UiText("MarkingPage", "阅卷参数设置"));
    fixedTypeBox_ =
        Named(new QCheckBox(ToQt(UiText("MarkingDialogs", FixedTypeControls::kCheckBoxCaption))), "Chk答题卡类型");
    typeList_ = Named(new QComboBox, "Cmb答题卡类型");
    初始化答题卡类型下拉选项(fixedType_);
    for (const std::string& name : fixedType_.names) typeList_->addItem(ToQt(UiText("SheetTypes", name)));
    typeList_->setVisible(false);
    checkNumber_ = Named(new QCheckBox(ToQt(UiText("MarkingPage", "是否要检验考号的合法性"))), "Chk考号合法性");
    fixedZoom_ = Named(new QCheckBox(ToQt(UiText("MarkingPage", "固定缩放比例: 1:"))), "Chk固定缩放比例");
    fixedZoom_->setChecked(parameters_.fixedZoom);
    auto* zoom = new ZoomEdit;
    zoom_ = Named<QLineEdit>(zoom, "Txt预览大小比例");
    zoom_->setText(ToQt(parameters_.zoom.Text()));
    zoom_->setMaximumWidth(60);
    help_ = NamedButton("Cmd帮助_3", UiText("MarkingPage", "帮助(HELP)"));
    help_->setToolTip(ToQt(UiText("MarkingPage", "如何查看成绩")));
    auto* parameterLayout = new QGridLayout(parameters);
    parameterLayout->addWidget(fixedTypeBox_, 0, 0);
    parameterLayout->addWidget(typeList_, 0, 1, 1, 3);
    parameterLayout->addWidget(checkNumber_, 1, 0, 1, 4);
    parameterLayout->addWidget(fixedZoom_, 2, 0);
    parameterLayout->addWidget(zoom_, 2, 1);
    parameterLayout->addWidget(new QLabel(ToQt(UiText("MarkingPage", "预览方向"))), 3, 0);
    auto* directions = new QHBoxLayout;
    const char* captions[] = {UI_TEXT_NOOP("MarkingPage", "向上"), UI_TEXT_NOOP("MarkingPage", "向下"),
                              UI_TEXT_NOOP("MarkingPage", "向左"), UI_TEXT_NOOP("MarkingPage", "向右")};
    for (int i = 0; i < 4; ++i) {
        orientation_[static_cast<std::size_t>(i)] =
            Named(new QRadioButton(Shown(captions[i])), "Opt图形方向_" + std::to_string(i));
        directions->addWidget(orientation_[static_cast<std::size_t>(i)]);
        connect(orientation_[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            parameters_.orientation = i;
            RefreshPreview();
        });
    }
    orientation_[0]->setChecked(true);
    parameterLayout->addLayout(directions, 3, 1, 1, 3);
    parameterLayout->addWidget(help_, 4, 3, Qt::AlignRight);

    auto* state = NamedGroup("Frm阅卷状态提示", UiText("MarkingPage", "阅卷状态提示"));
    caption_ = Named(new QLabel(Shown(kIdleCaption)), "Lab阅卷提示");
    auto* stripTrack = new QWidget;
    stripTrack->setFixedHeight(12);
    stripBar_ = Named(new QWidget(stripTrack), "Lab显示阅卷进度");
    stripBar_->setStyleSheet("background: rgb(0,0,160);");
    stripBar_->setGeometry(0, 0, 1, 12);
    counts_ = Named(new QLabel, "Lab阅卷计数");
    unmarked_ = Named(new QListWidget, "Lst未阅答题卡");
    unmarked_->setToolTip(ToQt(UiText("MarkingPage", "未能阅卷的答题卡及原因；双击重新阅卷")));
    auto* stateLayout = new QVBoxLayout(state);
    stateLayout->addWidget(caption_);
    stateLayout->addWidget(stripTrack);
    stateLayout->addWidget(counts_);
    stateLayout->addWidget(new QLabel(ToQt(UiText("MarkingPage", "未阅答题卡（双击重新阅卷）："))));
    stateLayout->addWidget(unmarked_, 1);

    preview_ = Named(new QLabel, "Picture2");
    preview_->setFixedSize(kPreviewWidth + 4, kPreviewHeight + 4);
    preview_->setFrameShape(QFrame::Panel);
    preview_->setFrameShadow(QFrame::Sunken);
    preview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* left = new QVBoxLayout;
    left->addWidget(automatic);
    left->addWidget(manual);
    left->addWidget(parameters);
    left->addWidget(state, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(preview_, 0, Qt::AlignTop);

    connect(fixedTypeBox_, &QCheckBox::clicked, this, [this](bool on) {
        fixedType_.ClickCheckBox(on);
        typeList_->setVisible(fixedType_.listVisible);
        session_.Marking().fixedTypeEnabled = fixedType_.FixedTypeEnabled;
        session_.Marking().fixedTypeCode = fixedType_.FixedTypeCode;
    });
    connect(typeList_, &QComboBox::activated, this, [this](int position) {
        fixedType_.Select(position);
        session_.Marking().fixedTypeCode = fixedType_.FixedTypeCode;
    });
    session_.Marking().fixedTypeCode = fixedType_.FixedTypeCode;
    connect(checkNumber_, &QCheckBox::clicked, this, [this](bool on) { session_.Marking().checkExamineeNumber = on; });
    connect(fixedZoom_, &QCheckBox::clicked, this, [this](bool on) {
        parameters_.fixedZoom = on;
        RefreshPreview();
    });
    connect(zoom_, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool repaint = parameters_.zoom.TextChanged(FromQt(text));
        SetTextKeepingCursor(zoom_, parameters_.zoom.Text());
        if (repaint) RefreshPreview();
    });
    zoom->left = [this] {
        parameters_.zoom.FocusLost();
        zoom_->setText(ToQt(parameters_.zoom.Text()));
        RefreshPreview();
    };

    askFile = [this] {
        auto files = [](const char* kind) { return FillForm(UiText("MarkingPage", "%1 文件"), {kind}); };
        std::string filter =
            FileKind(UiText("MarkingPage", "所有答题卡图像"),
                     "*.jpg *.jpeg *.bmp *.png *.tif *.tiff *.pdf *.JPG *.JPEG *.BMP *.PNG *.TIF *.TIFF *.PDF") +
            ";;" + FileKind(files("JPEG"), "*.jpg *.jpeg *.JPG *.JPEG") + ";;" + FileKind(files("BMP"), "*.bmp *.BMP") +
            ";;" + FileKind(files("PNG"), "*.png *.PNG") + ";;" + FileKind(files("TIFF"), "*.tif *.tiff *.TIF *.TIFF") +
            ";;" + FileKind(files("PDF"), "*.pdf *.PDF") + ";;" + FileKind(UiText("MarkingPage", "所有文件"), "*");
        QString file = QFileDialog::getOpenFileName(this, ToQt(UiText("MarkingPage", "打开文件")),
                                                    ToQt((session_.ProgramFolder() / "sample").string()), ToQt(filter));
        return std::filesystem::path(FromQt(file));
    };
    askFolder = [this] {
        return std::filesystem::path(FromQt(
            QFileDialog::getExistingDirectory(this, ToQt(UiText("MarkingPage", "请选择答题卡图片文件所在的文件夹：")))
                .trimmed()));
    };
    connect(openFile_, &QPushButton::clicked, this, [this] {
        std::filesystem::path file = askFile();
        if (!file.empty()) MarkFiles({file}, kSingleDoneMessage);
    });
    connect(openFolder_, &QPushButton::clicked, this, [this] {
        std::filesystem::path folder = askFolder();
        if (!folder.empty()) MarkFolder(folder);
    });
    connect(scan_, &QPushButton::clicked, this, &MarkingPage::MarkFromScanner);
    connect(phoneButton_, &QPushButton::clicked, this, &MarkingPage::MarkFromPhones);
    phoneAddress = [] { return DefaultLanAddress(); };
    connect(stop_, &QPushButton::clicked, this, &MarkingPage::Stop);
    connect(unmarked_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        std::filesystem::path file = FromQt(item->data(Qt::UserRole).toString());
        if (!file.empty() && !Running()) MarkFiles({file}, kSingleDoneMessage);
    });

    previewTimer_.setSingleShot(true);
    connect(&previewTimer_, &QTimer::timeout, this, &MarkingPage::ShowLastSheet);
    stepTimer_.setInterval(0);
    connect(&stepTimer_, &QTimer::timeout, this, &MarkingPage::Pump);
    strip_.setInterval(100);
    connect(&strip_, &QTimer::timeout, this, &MarkingPage::StripTick);
}

MarkingPage::~MarkingPage() {
    if (run_) run_->Cancel();
    run_.reset();  // joins the workers before the page they wake goes away
}

void MarkingPage::MarkFiles(const std::vector<std::filesystem::path>& files, const std::string& doneMessage) {
    if (Running()) return;
    MarkingContext context = session_.NewMarkingContext(*this);
    context.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::unique_ptr<SheetFeed> feed = FeedOfFiles(files, context);
    Start(std::move(feed), std::move(context), doneMessage);
}

void MarkingPage::MarkingStartChanged(const StartMarkingState& state) {
    if (state.start) parameters_.zoom.SetPreviewZoom(state.start->previewZoom);
}

void MarkingPage::MarkFolder(const std::filesystem::path& folder) { MarkFiles(BatchFiles(folder), kBatchDoneMessage); }

void MarkingPage::ChooseScanner() {
    std::vector<ScannerInfo> scanners = ListScanners();
    QStringList labels;
    for (const ScannerInfo& scanner : scanners) labels << ToQt(ScannerLabel(scanner));
    bool ok = false;
    QString chosen = labels.isEmpty() ? QString()
                                      : QInputDialog::getItem(this, ToQt(UiText("MarkingPage", "Select Device")),
                                                              ToQt(UiText("MarkingPage", "选择图像输入设备：")), labels,
                                                              0, false, &ok);
    if (!ok) {
        if (labels.isEmpty()) ShowMessage(UiText("MarkingRun", kDeviceSelectionMessage));
        return;
    }
    scannerName_ = SelectScannerName(scanners, static_cast<int>(labels.indexOf(chosen)));
    device_.reset();
}

void MarkingPage::MarkFromScanner() {
    if (Running()) return;
    if (!device_) device_ = std::make_unique<SaneDevice>(scannerName_);
    Start(std::make_unique<DeviceFeed>(*device_), session_.NewMarkingContext(*this), "");
}

void MarkingPage::MarkFromPhones() {
    if (Running()) return;
    std::optional<QHostAddress> address = phoneAddress();
    if (!address) {
        ShowMessage(UiText("MarkingPage", "找不到局域网地址：请先把电脑连接到手机所在的无线网络，再重试。"));
        return;
    }
    PhoneService::Options options;
    options.about = session_.PaperName() + "\t" + session_.RosterName();
    // Photos a killed session acknowledged and never marked are marked first, in their inbox.
    options.inboxFolder = UnfinishedInbox(session_.ProgramFolder(), options.about);
    if (options.inboxFolder.empty()) {
        options.inboxFolder = PhoneInboxFolder(session_.ProgramFolder(),
                                               QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss").toStdString());
    }
    options.address = *address;
    options.port = kPhonePort;
    auto phone = std::make_unique<PhoneService>();
    if (Status status = phone->Start(options); !status.ok()) {
        ShowMessage(status.message());
        return;
    }
    phone_ = std::move(phone);
    phone_->NamesFrom(session_.Records().roster);
    phone_->Desk().summary = [this] {
        return PhoneSummaryJson(session_.PaperName(), session_.RosterName(), run_ ? run_->Marked() : 0);
    };
    MarkingContext context = session_.NewMarkingContext(phone_->UiAround(*this));
    context.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    auto journal = context.onSheet;
    context.onSheet = [this, journal](const SheetSource& sheet, const SheetOutcome& outcome) {
        if (journal) journal(sheet, outcome);
        if (phone_) phone_->SheetFinished(sheet, outcome, session_.Records());
        if (panel_ && run_)
            panel_->SetCounts(FillForm(UiText("MarkingPage", "已阅 %1 张"), {std::to_string(run_->Marked())}));
    };
    auto feed = std::make_unique<QueuedFeed>(context.load);
    QueuedFeed& queue = *feed;
    panel_ = new PhonePanel(phone_->Address(), this);
    panel_->setAttribute(Qt::WA_DeleteOnClose);
    connect(panel_, &QDialog::finished, this, [this] {
        panel_ = nullptr;
        Stop();
    });
    Start(std::move(feed), std::move(context), "");
    phone_->FeedInto(queue);
    panel_->show();
}

void MarkingPage::Stop() {
    if (run_) run_->Cancel();
    Pump();
}

void MarkingPage::Start(std::unique_ptr<SheetFeed> feed, MarkingContext context, std::string doneMessage) {
    doneMessage_ = std::move(doneMessage);
    unmarked_->clear();
    for (QPushButton* source : {scan_, phoneButton_, openFile_, openFolder_}) source->setEnabled(false);
    stop_->setEnabled(true);
    clock_.start();
    // The run tells the page of each sheet; the preview and the counts follow a few times
    // a second, and the last sheet is always shown.
    auto onSheet = context.onSheet;
    context.onSheet = [this, onSheet](const SheetSource& sheet, const SheetOutcome& outcome) {
        if (onSheet) onSheet(sheet, outcome);
        qint64 since = shownClock_.isValid() ? shownClock_.elapsed() : kRunStateMilliseconds;
        if (since >= kRunStateMilliseconds) ShowLastSheet();
        else if (!previewTimer_.isActive()) previewTimer_.start(static_cast<int>(kRunStateMilliseconds - since));
    };
    run_ = std::make_unique<SheetRun>(std::move(feed), std::move(context), [this] {
        QMetaObject::invokeMethod(&stepTimer_, qOverload<>(&QTimer::start), Qt::QueuedConnection);
    });
    emit runStarted();
    ProgressStarted();
    shownClock_.invalidate();
    ShowRunState();
    Pump();
}

void MarkingPage::Pump() {
    if (!run_) {
        stepTimer_.stop();
        return;
    }
    // One sheet per pass, so the window's events run between sheets; the timer stops when
    // none is ready and a worker's wake starts it again.
    if (run_->Step()) stepTimer_.start();
    else stepTimer_.stop();
    // Stopped from inside a sheet's dialog: the run ends once that sheet is finished.
    if (run_ && run_->Done() && !run_->Stepping()) Finish();
}

void MarkingPage::Finish() {
    stepTimer_.stop();
    // The phone page's token dies with the run: no photo comes in that nothing would mark.
    if (phone_) phone_->Stop();
    phone_.reset();
    if (panel_) {
        PhonePanel* panel = std::exchange(panel_, nullptr);
        panel->disconnect(this);
        panel->close();
    }
    std::unique_ptr<SheetRun> run = std::move(run_);
    previewTimer_.stop();
    bool cancelled = run->Cancelled();
    auto* device = dynamic_cast<const DeviceFeed*>(&run->Feed());
    bool noPage = device && !device->Delivered();
    if (!run->LastImage().bytes.empty()) image_ = run->LastImage();
    for (const UnmarkedSheet& sheet : run->Unmarked()) {
        auto* item =
            new QListWidgetItem(ToQt(FillForm(UiText("MarkingPage", "%1：%2"), {sheet.sheet.Name(), sheet.reason})));
        if (!device) item->setData(Qt::UserRole, ToQt(sheet.sheet.file.string()));
        unmarked_->addItem(item);
    }
    std::size_t handled = run->Handled(), marked = run->Marked(), total = run->Total();
    run.reset();
    ProgressStopped();
    if (cancelled) caption_->setText(Shown(kStoppedCaption));
    std::string counts = FillForm(UiText("MarkingPage", "已阅 %1 张，未阅 %2 张"),
                                  {std::to_string(marked), std::to_string(handled - marked)});
    if (cancelled && total > handled)
        counts += FillForm(UiText("MarkingPage", "，停止时还有 %1 张未处理"), {std::to_string(total - handled)});
    counts_->setText(ToQt(counts));
    for (QPushButton* source : {scan_, phoneButton_, openFile_, openFolder_}) source->setEnabled(true);
    stop_->setEnabled(false);
    review_->setEnabled(!PendingReviewItems(session_.Records()).empty());
    RefreshPreview();
    // One message for the run: the sheets that failed are in the list, not in a box each.
    std::string failed =
        handled > marked ? "\n" + FillForm(UiText("MarkingPage", "有 %1 张答题卡未能阅卷，原因见“未阅答题卡”列表。"),
                                           {std::to_string(handled - marked)})
                         : "";
    if (noPage && !cancelled)
        ShowMessage(UiText("MarkingRun", kNoDeviceMessage));
    else if (!cancelled && !doneMessage_.empty())
        ShowMessage(UiText("MarkingRun", doneMessage_) + failed);
    emit runFinished();
}

void MarkingPage::ShowRunState() {
    if (!run_) return;
    double seconds = clock_.elapsed() / 1000.0;
    std::string text = std::to_string(run_->Handled());
    if (run_->Total() > 0) text += " / " + std::to_string(run_->Total());
    if (seconds > 0.5) {
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.1f", run_->Handled() / seconds);
        text += FillForm(UiText("MarkingPage", "，%1 张/秒"), {rate});
    }
    counts_->setText(ToQt(text));
}

void MarkingPage::ShowLastSheet() {
    if (!run_) return;
    shownClock_.start();
    previewTimer_.stop();
    ShowRunState();
    if (!run_->LastImage().bytes.empty()) {
        image_ = run_->LastImage();
        RefreshPreview();
    }
}

void MarkingPage::RefreshPreview() {
    if (image_.bytes.empty()) return;  // no sheet yet: the preview stays as it is
    PixelBuffer picture = quillmark::RefreshPreview(SheetImage(image_), kPreviewWidth, kPreviewHeight,
                                                    parameters_.orientation, parameters_.zoom.PreviewZoom(),
                                                    parameters_.fixedZoom, 0xF0F0F0);
    preview_->setPixmap(QPixmap::fromImage(PictureOf(picture)));
}

void MarkingPage::StripTick() {
    int full = caption_->width();
    stripWidth_ += full / 10;
    if (stripWidth_ >= full) stripWidth_ = 1;
    stripBar_->setFixedWidth(stripWidth_);
}

void MarkingPage::ShowMessage(const std::string& text) { QMessageBox::information(this, kApplicationTitle, ToQt(text)); }

void MarkingPage::ShowSheet(const PixelBuffer& image) {
    image_ = image;
    RefreshPreview();
}

DuplicateDecision MarkingPage::ResolveDuplicate(const DuplicateSheet& sheet, const PixelBuffer& image) {
    DuplicateSheetDialog dialog(sheet, image, session_.Records(), session_.ProgramFolder(), this);
    dialog.exec();
    return dialog.Result();
}

std::string MarkingPage::ChooseSheetType() {
    SheetTypeDialog dialog(this);
    dialog.exec();
    return dialog.Result();
}

std::string MarkingPage::ChooseExamineeNumber(const Roster& roster, const NumberReading&) {
    ExamineeNumberDialog dialog(roster, this);
    dialog.exec();
    return dialog.Result();
}

void MarkingPage::ProgressStarted() {
    caption_->setText(Shown(kRunningCaption));
    stripWidth_ = 1;
    stripBar_->setFixedWidth(1);
    strip_.start(100);
}

void MarkingPage::ProgressStopped() {
    caption_->setText(Shown(kDoneCaption));
    strip_.stop();
    stripWidth_ = 1;
    stripBar_->setFixedWidth(1);
}

}  // namespace quillmark

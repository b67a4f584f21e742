#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#ifndef Q_MOC_RUN
#include "marking/marking_dialogs.h"
#include "marking/marking_parameters.h"
#include "marking/marking_run.h"
#include "app/session.h"
#endif

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class QHostAddress;

namespace quillmark {

class PhonePanel;
class PhoneService;
class SaneDevice;

// Page "3、阅卷": the image sources, the marking settings, the progress and the preview.
// Sheets are recognised on worker threads and finished here one by one between window
// events, so the window never freezes; the sources are disabled while a run goes on.
class MarkingPage : public QWidget, private MarkingUi {
    Q_OBJECT
public:
    MarkingPage(Session& session, QWidget* parent = nullptr);
    ~MarkingPage() override;

    QPushButton* NextButton() const { return next_; }
    QPushButton* HelpButton() const { return help_; }
    bool Running() const { return run_ != nullptr; }

    // Where the sources ask for a file or a folder: the file dialogs, unless replaced
    // (by tests). An empty path means cancelled.
    std::function<std::filesystem::path()> askFile;
    std::function<std::filesystem::path()> askFolder;
    // A paper or roster choice changed: marking starts over at zoom 2.
    void MarkingStartChanged(const StartMarkingState& state);

    // The sources, as their buttons start them; also for the menu and for tests.
    void MarkFiles(const std::vector<std::filesystem::path>& files, const std::string& doneMessage);
    void MarkFolder(const std::filesystem::path& folder);
    void ChooseScanner();
    void MarkFromScanner();
    // Serves the phone page on the LAN and marks the photos phones send, until the panel
    // with its address is closed or the run is stopped.
    void MarkFromPhones();
    void Stop();
    // The address the phone page listens on: the LAN address, unless replaced (by tests).
    std::function<std::optional<QHostAddress>()> phoneAddress;
    PhonePanel* Panel() const { return panel_; }

signals:
    // A run began; while it goes on, the paper, the roster and the results stay as they are.
    void runStarted();
    // A run ended: every sheet handled, or stopped.
    void runFinished();

private:
    // MarkingUi: the run reaches the user through these.
    void ShowMessage(const std::string& text) override;
    std::string ChooseSheetType() override;
    std::string ChooseExamineeNumber(const Roster& roster, const NumberReading& read) override;
    DuplicateDecision ResolveDuplicate(const DuplicateSheet& sheet, const PixelBuffer& image) override;
    void ShowSheet(const PixelBuffer& image) override;
    void ProgressStarted() override;
    void ProgressStopped() override;
    void ProgressPaused() override { strip_.stop(); }
    void ProgressResumed() override { strip_.start(100); }

    void Start(std::unique_ptr<SheetFeed> feed, MarkingContext context, std::string doneMessage);
    void Pump();
    void Finish();
    void ShowRunState();
    void ShowLastSheet();
    void RefreshPreview();
    void StripTick();

    Session& session_;
    FixedTypeControls fixedType_;
    MarkingParameters parameters_;
    PixelBuffer image_;  // the working surface: the last sheet marked
    std::unique_ptr<SheetRun> run_;
    std::unique_ptr<SaneDevice> device_;
    std::unique_ptr<PhoneService> phone_;
    PhonePanel* panel_ = nullptr;
    std::string scannerName_;
    std::string doneMessage_;
    QElapsedTimer clock_;
    QTimer strip_;
    // The preview and the counts follow the run's sheets at most this often.
    static constexpr qint64 kRunStateMilliseconds = 250;
    QElapsedTimer shownClock_;
    QTimer previewTimer_;
    // Steps the run once the window's own events (a click on 停止 among them) are handled.
    QTimer stepTimer_;
    int stripWidth_ = 1;

    QPushButton* next_;
    QPushButton* help_;
    QPushButton* scan_;
    QPushButton* phoneButton_;
    QPushButton* openFile_;
    QPushButton* openFolder_;
    QPushButton* stop_;
    QPushButton* review_;
    QCheckBox* fixedTypeBox_;
    QComboBox* typeList_;
    QCheckBox* checkNumber_;
    QCheckBox* fixedZoom_;
    QLineEdit* zoom_;
    std::array<QRadioButton*, 4> orientation_{};
    QLabel* caption_;
    QWidget* stripBar_;
    QLabel* counts_;
    QListWidget* unmarked_;
    QLabel* preview_;
};

}  // namespace quillmark

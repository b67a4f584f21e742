#include "phone_service.h"

#include <QNetworkInterface>

#include "data/text_fns.h"
#include "phone_card.h"
#include "phone_token.h"

namespace quillmark {

class PhoneService::PhoneUi : public MarkingUi {
public:
    explicit PhoneUi(PhoneService& service) : service_(service) {}
    void SetInner(MarkingUi& inner) { inner_ = &inner; }

    void FinishingSheet(const SheetSource& sheet) override {
        current_ = service_.PhotoOf(sheet, photo_);
        inner_->FinishingSheet(sheet);
    }
    // The teacher holds the sheet and the phone: the number is asked there, never here.
    std::string ChooseExamineeNumber(const Roster& roster, const NumberReading& read) override {
        if (!current_) return inner_->ChooseExamineeNumber(roster, read);
        service_.numbersRead_[photo_.id] = read.digits;
        return photo_.number;
    }
    void ShowMessage(const std::string& text) override { inner_->ShowMessage(text); }
    std::string ChooseSheetType() override { return current_ ? std::string() : inner_->ChooseSheetType(); }
    DuplicateDecision ResolveDuplicate(const DuplicateSheet& sheet, const PixelBuffer& image) override {
        return inner_->ResolveDuplicate(sheet, image);
    }
    void ProgressStarted() override { inner_->ProgressStarted(); }
    void ProgressStopped() override { inner_->ProgressStopped(); }
    void ProgressPaused() override { inner_->ProgressPaused(); }
    void ProgressResumed() override { inner_->ProgressResumed(); }
    void ShowSheet(const PixelBuffer& image) override { inner_->ShowSheet(image); }

private:
    PhoneService& service_;
    MarkingUi* inner_ = nullptr;
    bool current_ = false;
    InboxPhoto photo_;
};

std::optional<QHostAddress> DefaultLanAddress() {
    std::optional<QHostAddress> fallback;
    for (const QNetworkInterface& face : QNetworkInterface::allInterfaces()) {
        auto flags = face.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : face.addressEntries()) {
            QHostAddress ip = entry.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLoopback()) continue;
            if (ip.isInSubnet(QHostAddress("10.0.0.0"), 8) || ip.isInSubnet(QHostAddress("172.16.0.0"), 12) ||
                ip.isInSubnet(QHostAddress("192.168.0.0"), 16)) {
                return ip;
            }
            if (!fallback) fallback = ip;
        }
    }
    return fallback;
}

std::filesystem::path PhoneInboxFolder(const std::filesystem::path& programFolder, const std::string& name) {
    return programFolder / "ChengJi" / "手机照片" / name;
}

std::filesystem::path UnfinishedInbox(const std::filesystem::path& programFolder, const std::string& about) {
    std::error_code ec;
    std::filesystem::path newest;
    for (const auto& entry : std::filesystem::directory_iterator(PhoneInboxFolder(programFolder, ""), ec)) {
        if (!entry.is_directory(ec) || !std::filesystem::exists(entry.path() / PhoneInbox::kJournalName, ec)) continue;
        PhoneInbox inbox;
        // Opening an existing inbox only reads it.
        if (!inbox.Open(entry.path()).ok() || inbox.About() != about || inbox.Unmarked() == 0) continue;
        if (newest.empty() || entry.path().filename() > newest.filename()) newest = entry.path();
    }
    return newest;
}

PhoneService::PhoneService() : ui_(std::make_unique<PhoneUi>(*this)) {}

PhoneService::~PhoneService() { Stop(); }

Status PhoneService::Start(const Options& options) {
    std::error_code ec;
    std::filesystem::create_directories(options.inboxFolder.parent_path(), ec);
    if (Status status = inbox_.Open(options.inboxFolder, options.about); !status.ok()) return status;
    desk_ = std::make_unique<PhoneDesk>(NewPhoneToken(), inbox_, options.limits);
    desk_->onPhoto = [this](const InboxPhoto& photo) { Push(photo); };
    desk_->onNumber = [this](const InboxPhoto& photo) { Push(photo); };
    auto http = std::make_unique<PhoneHttpServer>(*desk_);
    quint16 port = 0;
    Status listening = http->Listen(options.address, options.port, port);
    // The usual port may be taken (another copy of the program): any free one serves too.
    if (!listening.ok() && options.port == kPhonePort) listening = http->Listen(options.address, 0, port);
    if (!listening.ok()) return listening;
    http_ = std::move(http);
    QString host = options.address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + options.address.toString() + "]"
                                                                                 : options.address.toString();
    address_ = "http://" + host.toStdString() + ":" + std::to_string(port) + "/" + desk_->Token() + "/";
    return Status::Ok();
}

void PhoneService::Stop() {
    if (desk_) desk_->Revoke();
    if (http_) http_->Stop();
    http_.reset();
}

void PhoneService::NamesFrom(const Roster& roster) {
    desk_->rosterName = [&roster](const std::string& number) -> std::optional<std::string> {
        for (int row = 1; row <= roster.RowCount(); ++row) {
            if (TrimSpaces(roster.Row(row)[Examinee::考号]) == number) return TrimSpaces(roster.Row(row)[Examinee::姓名]);
        }
        return std::nullopt;
    };
}

void PhoneService::FeedInto(QueuedFeed& feed, bool everyPhoto) {
    feed_ = &feed;
    for (const InboxPhoto& photo : inbox_.Photos()) {
        if (everyPhoto || !photo.marked) Push(photo);
    }
}

MarkingUi& PhoneService::UiAround(MarkingUi& inner) {
    ui_->SetInner(inner);
    return *ui_;
}

void PhoneService::Push(const InboxPhoto& photo) {
    if (!feed_) return;
    SheetSource sheet;
    sheet.file = inbox_.Folder() / photo.file;
    feed_->Push(std::move(sheet));
}

bool PhoneService::PhotoOf(const SheetSource& sheet, InboxPhoto& photo) const {
    if (sheet.file.parent_path() != inbox_.Folder()) return false;
    const std::string name = sheet.file.filename().string();
    for (const InboxPhoto& p : inbox_.Photos()) {
        if (p.file == name) {
            photo = p;
            return true;
        }
    }
    return false;
}

void PhoneService::SheetFinished(const SheetSource& sheet, const SheetOutcome& outcome, const ResultSet& records) {
    InboxPhoto photo;
    if (!PhotoOf(sheet, photo)) return;
    // Marked or refused for a reason the card tells: either way nothing is left to do with it.
    inbox_.MarkDone(photo.id);
    if (desk_) desk_->SetCard(photo.id, PhoneCardJson(photo.id, outcome, records, numbersRead_[photo.id]));
}

}  // namespace quillmark

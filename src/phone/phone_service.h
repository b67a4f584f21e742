#pragma once

#include <QHostAddress>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "data/result_set.h"
#include "marking/marking_run.h"
#include "phone_desk.h"
#include "phone_http.h"
#include "phone_inbox.h"

namespace quillmark {

// The LAN address to offer phones: the first IPv4 address of an interface that is up and
// not the loopback, private ranges first; nothing when there is none.
std::optional<QHostAddress> DefaultLanAddress();

// Where phone photos are kept: ChengJi/手机照片/<name>.
std::filesystem::path PhoneInboxFolder(const std::filesystem::path& programFolder, const std::string& name);

// The newest inbox of the program folder kept for `about` (the same paper and roster) that
// holds photos acknowledged and never marked (the program was killed); empty when none does.
std::filesystem::path UnfinishedInbox(const std::filesystem::path& programFolder, const std::string& about);

// The port phones are offered first: the same address from one session to the next keeps a
// phone's queue of photos not yet sent (browsers keep it per address).
inline constexpr quint16 kPhonePort = 8390;

// Phones sending sheets into one marking run: the inbox, the page's server and the cards.
// Photos go into the run's feed as they arrive (after those an earlier session acknowledged
// and never marked); the run tells each outcome back, which becomes the photo's card.
class PhoneService {
public:
    struct Options {
        std::filesystem::path inboxFolder;
        std::string about;  // what the inbox is for, kept in it (paper and roster)
        QHostAddress address;
        quint16 port = 0;
        PhoneLimits limits;
    };

    PhoneService();
    ~PhoneService();
    PhoneService(const PhoneService&) = delete;
    PhoneService& operator=(const PhoneService&) = delete;

    // Opens the inbox and listens; nothing listens when this fails.
    Status Start(const Options& options);
    // The page's address with its token: http://ADDRESS:PORT/TOKEN/
    std::string Address() const { return address_; }
    // Refuses every request from now on and stops listening; the token is dead.
    void Stop();
    bool Running() const { return http_ != nullptr; }

    PhoneInbox& Inbox() { return inbox_; }
    PhoneDesk& Desk() { return *desk_; }

    // The number prompt on the phone shows the names of this roster (held by the caller).
    void NamesFrom(const Roster& roster);
    // The run's feed: the photos not yet marked go into it now (every photo of the inbox
    // with `everyPhoto`, for a run that builds its results from the inbox alone), new ones
    // as they arrive.
    void FeedInto(QueuedFeed& feed, bool everyPhoto = false);
    // The user interface for the run: the number asked on the phone, the rest by `inner`.
    MarkingUi& UiAround(MarkingUi& inner);
    // A sheet of the run was finished; its card follows from the outcome and the records.
    void SheetFinished(const SheetSource& sheet, const SheetOutcome& outcome, const ResultSet& records);
    // The photo a sheet of the run came from; false for any other sheet.
    bool PhotoOf(const SheetSource& sheet, InboxPhoto& photo) const;

private:
    class PhoneUi;
    void Push(const InboxPhoto& photo);

    PhoneInbox inbox_;
    std::unique_ptr<PhoneDesk> desk_;
    std::unique_ptr<PhoneHttpServer> http_;
    std::unique_ptr<PhoneUi> ui_;
    QueuedFeed* feed_ = nullptr;
    std::string address_;
    std::map<std::string, std::string> numbersRead_;  // photo id -> digits read, for the prompt
};

}  // namespace quillmark

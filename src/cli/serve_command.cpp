#include "serve_command.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <map>
#include <csignal>
#include <thread>

#include "app/session.h"
#include "data/program_paths.h"
#include "data/text_fns.h"
#include "mark_command.h"
#include "phone/phone_card.h"
#include "phone/phone_qr.h"
#include "phone/phone_service.h"

namespace quillmark::cli {
namespace {

std::atomic<bool> stopAsked{false};

extern "C" void AskToStop(int) { stopAsked = true; }

// Nothing is asked on the terminal: the phone settles numbers, a retake replaces.
class NoDialogsUi : public MarkingUi {
public:
    explicit NoDialogsUi(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string&) override {}
    std::string ChooseSheetType() override { return ""; }
    std::string ChooseExamineeNumber(const Roster&, const NumberReading&) override { return ""; }

private:
    std::ostream& err_;
};

// The set is saved after every sheet, under its own name: a kill loses nothing the inbox
// does not hold, and the next serve of the same name marks the inbox again.
bool SaveSet(const ServeOptions& options, Session& session, std::ostream& err) {
    session.Results().Analyse(session.Records());
    Status status = SaveResultSet(options.programFolder, options.save, session.Records());
    if (!status.ok()) err << status.message() << "\n";
    return status.ok();
}

}  // namespace

int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err) {
    MarkOptions mark;
    mark.programFolder = options.programFolder;
    mark.paper = options.paper;
    mark.roster = options.roster;
    mark.save = options.save;
    mark.overwrite = options.overwrite;
    FixedNamePrompt prompt(options.save, options.overwrite, err);
    Session session(options.programFolder, prompt);
    if (Status status = CheckBeforeMarking(mark, session); !status.ok()) {
        err << status.message() << "\n";
        return 2;
    }
    if (!IsPlainFileName(options.save) || TrimSpaces(options.save).find_first_of(".:") != std::string::npos) {
        err << "--save 必须是成绩文件夹中的文件名（不带后缀）: \"" << options.save << "\"\n";
        return 2;
    }
    // A set served before under this name is built again from its inbox: the photos are the
    // record, the set follows from them.
    const std::filesystem::path inboxFolder = PhoneInboxFolder(options.programFolder, TrimSpaces(options.save));
    std::error_code ec;
    const std::string about = options.paper + "\t" + options.roster;
    if (!std::filesystem::exists(inboxFolder / PhoneInbox::kJournalName, ec)) {
        int refused = 1;
        if (!CheckSaveTarget(mark, err, refused)) return refused;
    } else if (PhoneInbox earlier; !earlier.Open(inboxFolder).ok() || earlier.About() != about) {
        // Its photos were marked against another paper or roster: marking them again against
        // these would replace that set with something else.
        std::string was = earlier.About();
        std::size_t tab = was.find('\t');
        if (tab != std::string::npos) was = "试卷“" + was.substr(0, tab) + "”、名册“" + was.substr(tab + 1) + "”";
        err << "“" << options.save << "”的手机照片是按" << was << "收的，不能按另一份试卷或名册重新阅卷，请换一个 --save 名称\n";
        return 2;
    }

    int argc = 1;
    char name[] = "quillmark-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    PhoneService::Options phone;
    phone.inboxFolder = inboxFolder;
    phone.about = about;
    phone.port = static_cast<quint16>(options.port);
    if (options.bind.empty()) {
        std::optional<QHostAddress> lan = DefaultLanAddress();
        if (!lan) {
            err << "找不到局域网地址，请连接网络或用 --bind 指定地址\n";
            return 2;
        }
        phone.address = *lan;
    } else if (!phone.address.setAddress(QString::fromStdString(options.bind))) {
        err << "--bind 必须是本机的 IP 地址: " << options.bind << "\n";
        return 2;
    }

    std::map<std::string, bool> photoMarked;  // by photo: its last outcome was a marked sheet
    PhoneService service;
    if (Status status = service.Start(phone); !status.ok()) {
        err << status.message() << "\n";
        return 1;
    }
    service.NamesFrom(session.Records().roster);
    service.Desk().summary = [&] {
        std::size_t marked = static_cast<std::size_t>(std::count_if(photoMarked.begin(), photoMarked.end(), [](const auto& p) { return p.second; }));
        return PhoneSummaryJson(options.paper, options.roster, marked);
    };
    out << service.Address() << std::endl;
    err << "请用手机扫描二维码，或在手机浏览器中打开上面的地址（手机与电脑须连接同一网络）。按 Ctrl+C 结束并保存。\n"
        << QrForTerminal(EncodeQr(service.Address())) << std::flush;

    // Numbers are settled on the phone; a later photo of the same examinee is the retake.
    session.Marking().checkExamineeNumber = true;
    session.Marking().onDuplicate = DuplicatePolicy::Replace;
    NoDialogsUi quiet(err);
    MarkingContext context = session.NewMarkingContext(service.UiAround(quiet));
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    context.threads = options.threads > 0 ? options.threads : static_cast<int>(cores);
    bool saved = true, unsaved = false;
    QTimer saveTimer;
    saveTimer.setSingleShot(true);
    saveTimer.setInterval(1000);
    QObject::connect(&saveTimer, &QTimer::timeout, [&] {
        saved = SaveSet(options, session, err);
        unsaved = false;
    });
    context.onSheet = [&](const SheetSource& sheet, const SheetOutcome& outcome) {
        service.SheetFinished(sheet, outcome, session.Records());
        out << sheet.file.filename().string() << "\t" << OutcomeText(outcome) << "\t" << outcome.examineeNumber << "\t"
            << TrimSpaces(outcome.score);
        photoMarked[sheet.file.filename().string()] = outcome.kind == SheetOutcome::Marked;
        if (outcome.kind == SheetOutcome::Marked) {
            out << "\t" << outcome.doubts.questions.size() + outcome.doubts.digits.size() + outcome.doubts.sheet.size();
            // Saved once the sheets arriving together are marked: the inbox keeps every photo
            // acknowledged meanwhile, and the set follows from it.
            unsaved = true;
            if (!saveTimer.isActive()) saveTimer.start();
        }
        out << std::endl;
    };
    auto feed = std::make_unique<QueuedFeed>(context.load);
    QueuedFeed& queue = *feed;
    std::unique_ptr<SheetRun> run;
    auto step = [&] {
        while (run && run->Step()) {
        }
    };
    run = std::make_unique<SheetRun>(std::move(feed), context, [&application, &step] {
        QMetaObject::invokeMethod(&application, step, Qt::QueuedConnection);
    });
    service.FeedInto(queue, true);

    std::signal(SIGINT, AskToStop);
    std::signal(SIGTERM, AskToStop);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (stopAsked) application.quit();
    });
    watch.start(100);
    application.exec();

    service.Stop();
    step();
    run->Cancel();
    run.reset();
    std::size_t marked = static_cast<std::size_t>(std::count_if(photoMarked.begin(), photoMarked.end(), [](const auto& p) { return p.second; }));
    std::size_t failed = photoMarked.size() - marked;
    saveTimer.stop();
    if ((unsaved || marked == 0) && !SaveSet(options, session, err)) saved = false;
    out << "已阅 " << marked << " 张，未阅 " << failed << " 张" << (saved ? "；成绩已保存为“" + options.save + "”" : "；成绩未能保存")
        << std::endl;
    return saved ? 0 : 1;
}

}  // namespace quillmark::cli

// Marks the sample sheets over and over as the window does, saying "marked NUMBER" once each
// sheet is finished, until it is killed: the journal kill test's victim.
#include <chrono>
#include <cstdio>
#include <mutex>
#include <condition_variable>

#include "marking/marking_run.h"
#include "app/session.h"
#include "support/scripted_prompt.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::filesystem::path home = argv[1];
    quillmark::test::ScriptedPrompt prompt;
    quillmark::Session session(home, prompt);
    session.FillFileLists();
    if (!session.Paper().ChooseByName("示例试卷.CHO") || !session.Roster().ChooseByName("示例名册.TXT")) return 3;
    session.Marking().onDuplicate = quillmark::DuplicatePolicy::Replace;

    class Silent : public quillmark::MarkingUi {
        void ShowMessage(const std::string&) override {}
        std::string ChooseSheetType() override { return ""; }
        std::string ChooseExamineeNumber(const quillmark::Roster&, const quillmark::NumberReading&) override { return ""; }
    } ui;
    quillmark::MarkingContext context = session.NewMarkingContext(ui);
    auto journal = context.onSheet;
    context.onSheet = [journal](const quillmark::SheetSource& sheet, const quillmark::SheetOutcome& outcome) {
        journal(sheet, outcome);
        if (outcome.kind == quillmark::SheetOutcome::Marked) {
            std::printf("marked %s\n", outcome.examineeNumber.c_str());
            std::fflush(stdout);
        }
    };
    context.threads = 2;
    std::vector<quillmark::SheetSource> sheets;
    for (int round = 0; round < 200; ++round) {
        for (const char* name : {"sheet-0101.jpg", "sheet-0102.jpg", "sheet-0103.jpg", "sheet-0104.jpg"}) {
            sheets.push_back({home / "sample" / name, 1, 1, {}});
        }
    }
    std::mutex mutex;
    std::condition_variable woken;
    quillmark::SheetRun run(std::make_unique<quillmark::FileFeed>(sheets, context.load), context,
                            [&] { woken.notify_all(); });
    while (!run.Done()) {
        if (run.Step()) continue;
        std::unique_lock<std::mutex> lock(mutex);
        woken.wait_for(lock, std::chrono::milliseconds(20));
    }
    return 0;
}

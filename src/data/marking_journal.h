#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "review_log.h"
#include "status.h"

namespace quillmark {

// What was marked since the results were last saved, kept on disk sheet by sheet so that a
// crash, a kill or a power failure loses none of it: the paper and roster the sheets were
// marked with, then one review record a sheet (what was read and recorded), in order.
struct JournalContents {
    std::string paper;   // file names in ShiJuan and MingCe
    std::string roster;
    std::string base;    // the results set the sheets were marked onto; empty for the roster itself
    std::vector<SheetReview> sheets;
};

class MarkingJournal {
public:
    explicit MarkingJournal(std::filesystem::path file) : file_(std::move(file)) {}
    ~MarkingJournal();
    MarkingJournal(const MarkingJournal&) = delete;
    MarkingJournal& operator=(const MarkingJournal&) = delete;

    // The journal of a program folder.
    static std::filesystem::path FileIn(const std::filesystem::path& programFolder);

    // Appends one sheet, once the sheet before is on the disk. The sheet is written before
    // returning (a kill loses nothing) and flushed to the disk beside the caller, who goes
    // on meanwhile; a flush that failed is reported by the next Append. The first sheet
    // after Clear (or for another paper or roster) starts the file afresh.
    Status Append(const std::string& paper, const std::string& roster, const SheetReview& sheet,
                  const std::string& base = "");
    // Starts the journal anew with these sheets (recovered from it), to be appended to.
    Status Restart(const JournalContents& contents);
    // The results were saved or given up: nothing is left to recover.
    void Clear();

    // What an earlier run left; nothing when there is no journal or it holds no sheet. A
    // last line cut short by a kill is left out.
    static std::optional<JournalContents> Read(const std::filesystem::path& file);

private:
    void Close();
    void CloseLocked(std::unique_lock<std::mutex>& lock);
    void Flushing();

    std::filesystem::path file_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool flushWanted_ = false;  // a sheet written is not yet on the disk
    bool stopping_ = false;
    int flushError_ = 0;
    std::thread flusher_;
    int fd_ = -1;
    std::string paper_;
    std::string roster_;
    std::string base_;
};

}  // namespace quillmark

#include "marking_journal.h"

#include <cerrno>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <utility>

#include "file_io.h"

namespace quillmark {
namespace {

constexpr char kHeader[] = "quillmark journal 1";

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

}  // namespace

MarkingJournal::~MarkingJournal() {
    Close();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (flusher_.joinable()) flusher_.join();
}

void MarkingJournal::Flushing() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return flushWanted_ || stopping_; });
        if (!flushWanted_) return;
        int fd = fd_;  // not closed while a flush is wanted
        lock.unlock();
        int error = ::fdatasync(fd) != 0 ? errno : 0;
        lock.lock();
        if (error != 0) flushError_ = error;
        flushWanted_ = false;
        changed_.notify_all();
    }
}

std::filesystem::path MarkingJournal::FileIn(const std::filesystem::path& programFolder) {
    return programFolder / "sys" / "marking.journal";
}

void MarkingJournal::Close() {
    std::unique_lock<std::mutex> lock(mutex_);
    CloseLocked(lock);
}

void MarkingJournal::CloseLocked(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return !flushWanted_; });
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

Status MarkingJournal::Append(const std::string& paper, const std::string& roster, const SheetReview& sheet,
                              const std::string& base) {
    if (fd_ >= 0 && (paper != paper_ || roster != roster_ || base != base_)) Clear();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !flushWanted_; });  // the sheet before is on the disk
    if (int failed = std::exchange(flushError_, 0); failed != 0) {
        CloseLocked(lock);
        return SaveFailure(file_, failed);
    }
    std::string bytes;
    if (fd_ < 0) {
        std::error_code ec;
        std::filesystem::create_directories(file_.parent_path(), ec);
        fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0) return SaveFailure(file_, errno);
        SyncFolder(file_.parent_path());  // the new file's entry survives a power failure too
        paper_ = paper;
        roster_ = roster;
        base_ = base;
        bytes = std::string(kHeader) + "\n" + nlohmann::json{{"paper", paper}, {"roster", roster}, {"base", base}}.dump() + "\n";
    }
    bytes += SerializeSheetReview(sheet) + "\n";
    if (int error = WriteAll(fd_, bytes); error != 0) {
        CloseLocked(lock);
        return SaveFailure(file_, error);
    }
    flushWanted_ = true;
    if (!flusher_.joinable()) flusher_ = std::thread([this] { Flushing(); });
    changed_.notify_all();
    return Status::Ok();
}

Status MarkingJournal::Restart(const JournalContents& contents) {
    Close();
    std::string bytes = std::string(kHeader) + "\n" +
                        nlohmann::json{{"paper", contents.paper}, {"roster", contents.roster}, {"base", contents.base}}.dump() + "\n";
    for (const SheetReview& sheet : contents.sheets) bytes += SerializeSheetReview(sheet) + "\n";
    if (Status status = WriteFileAtomically(file_, bytes); !status.ok()) return status;
    std::lock_guard<std::mutex> lock(mutex_);
    fd_ = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0) return SaveFailure(file_, errno);
    paper_ = contents.paper;
    roster_ = contents.roster;
    base_ = contents.base;
    return Status::Ok();
}

void MarkingJournal::Clear() {
    Close();
    std::error_code ec;
    std::filesystem::remove(file_, ec);
}

std::optional<JournalContents> MarkingJournal::Read(const std::filesystem::path& file) {
    std::optional<std::string> text = ReadFileBytes(file);
    if (!text) return std::nullopt;
    JournalContents contents;
    std::size_t start = 0;
    for (int line = 1; start < text->size(); ++line) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos) break;  // cut short: never finished, never reported
        std::string_view row(text->data() + start, end - start);
        start = end + 1;
        if (line == 1) {
            if (row != kHeader) return std::nullopt;
        } else if (line == 2) {
            try {
                nlohmann::json names = nlohmann::json::parse(row);
                contents.paper = names.at("paper").get<std::string>();
                contents.roster = names.at("roster").get<std::string>();
                contents.base = names.value("base", "");
            } catch (const std::exception&) {
                return std::nullopt;
            }
        } else {
            SheetReview sheet;
            if (ParseSheetReview(row, sheet).ok()) contents.sheets.push_back(std::move(sheet));
        }
    }
    if (contents.sheets.empty()) return std::nullopt;
    return contents;
}

}  // namespace quillmark

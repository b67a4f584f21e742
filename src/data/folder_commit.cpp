#include "folder_commit.h"

#include <cerrno>
#include <optional>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "file_io.h"
#include "system_error_text.h"
#include "text_fns.h"
#include "ui_text.h"

namespace quillmark {
namespace {

constexpr std::string_view kMarkerHead = "quillmark commit\n";
constexpr std::string_view kMarkerTail = "end\n";
constexpr std::string_view kMarkerExtension = ".commit";
constexpr std::string_view kTempExtension = ".saving";

FolderCommit::StepObserver stepObserver = nullptr;

std::string TempName(std::string_view target) { return "." + std::string(target) + std::string(kTempExtension); }

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The target names of a marker, or false when the file is no marker of ours.
bool ParseMarker(std::string_view bytes, std::vector<std::string>& targets) {
    if (bytes.substr(0, kMarkerHead.size()) != kMarkerHead || !EndsWith(bytes, kMarkerTail)) return false;
    bytes = bytes.substr(kMarkerHead.size(), bytes.size() - kMarkerHead.size() - kMarkerTail.size());
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos || end == 0) return false;
        targets.emplace_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
    }
    return !targets.empty();
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string_view("/\n\r\0", 4)) == std::string_view::npos;
}

}  // namespace

void FolderCommit::SetStepObserver(StepObserver observer) { stepObserver = observer; }

FolderCommit::FolderCommit(std::filesystem::path folder) : folder_(std::move(folder)) {
    fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        openError_ = errno;
        status_ = Status::Error(
            FillForm(UiText("FolderCommit", "无法打开文件夹“%1”：%2。"), {DisplayPath(folder_), SystemErrorText(openError_)}));
        return;
    }
    // Without locks (some network file systems) commits still work, only not side by side.
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
    Recover();
}

FolderCommit::~FolderCommit() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
}

bool FolderCommit::HasMarker(std::string_view name) const {
    std::string marker = std::string(name) + std::string(kMarkerExtension);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsIgnoringCase(it->path().filename().string(), marker)) return true;
    }
    return false;
}

void FolderCommit::Recover() {
    std::vector<std::string> markers;
    std::vector<std::string> temps;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (EndsWith(name, kMarkerExtension)) markers.push_back(name);
        if (name.size() > 1 && name[0] == '.' && EndsWith(name, kTempExtension)) temps.push_back(name);
    }

    bool unfinished = false;
    for (const std::string& marker : markers) {
        std::optional<std::string> bytes = ReadFileBytes(folder_ / marker);
        std::vector<std::string> targets;
        if (!bytes || !ParseMarker(*bytes, targets)) continue;
        Status finished = Status::Ok();
        for (const std::string& target : targets) {
            if (!IsPlainName(target)) continue;
            // A temporary file that is gone was renamed before the interruption.
            if (::rename((folder_ / TempName(target)).c_str(), (folder_ / target).c_str()) != 0 && errno != ENOENT) {
                finished = SaveFailure(folder_ / target, errno);
                break;
            }
        }
        if (finished.ok()) {
            int error = SyncFolder(folder_);
            if (error == 0 && ::unlink((folder_ / marker).c_str()) != 0) error = errno;
            if (error == 0) {
                SyncFolder(folder_);
                continue;
            }
            finished = SaveFailure(folder_ / marker, error);
        }
        unfinished = true;
        if (status_.ok()) status_ = finished;
    }
    // Leftovers of commits that never wrote their marker; while a marker stays, its files are kept.
    if (unfinished) return;
    for (const std::string& temp : temps) ::unlink((folder_ / temp).c_str());
}

Status FolderCommit::Commit(std::string_view name, const std::vector<File>& files) {
    if (files.empty()) return Status::Ok();
    std::filesystem::path first = folder_ / files.front().name;
    if (fd_ < 0) return SaveFailure(first, openError_);
    std::string markerName = std::string(name) + std::string(kMarkerExtension);
    if (!IsPlainName(markerName)) return SaveFailure(folder_ / markerName, EINVAL);
    if (HasMarker(name)) return status_.ok() ? SaveFailure(folder_ / markerName, EEXIST) : status_;

    int step = 0;
    auto stepDone = [&step] {
        if (stepObserver) stepObserver(++step);
    };
    std::vector<std::filesystem::path> temps;
    auto fail = [&temps](const std::filesystem::path& target, int error) {
        for (const std::filesystem::path& temp : temps) ::unlink(temp.c_str());
        return SaveFailure(target, error);
    };

    std::string marker(kMarkerHead);
    for (const File& file : files) {
        std::filesystem::path target = folder_ / file.name;
        if (!IsPlainName(file.name)) return fail(target, EINVAL);
        temps.push_back(folder_ / TempName(file.name));
        if (int error = WriteSyncedFile(temps.back(), file.bytes, target)) return fail(target, error);
        marker += file.name + "\n";
        stepDone();
    }
    marker += kMarkerTail;

    // The new files must be on the disk before the marker that promises them.
    if (int error = SyncFolder(folder_)) return fail(first, error);
    std::filesystem::path markerPath = folder_ / markerName;
    temps.push_back(folder_ / TempName(markerName));
    if (int error = WriteSyncedFile(temps.back(), marker, markerPath)) return fail(markerPath, error);
    stepDone();
    if (::rename(temps.back().c_str(), markerPath.c_str()) != 0) return fail(markerPath, errno);
    if (int error = SyncFolder(folder_)) return SaveFailure(markerPath, error);
    stepDone();

    // Committed: a failure from here on leaves the marker, and the next taker finishes.
    for (const File& file : files) {
        if (::rename((folder_ / TempName(file.name)).c_str(), (folder_ / file.name).c_str()) != 0) {
            return SaveFailure(folder_ / file.name, errno);
        }
        stepDone();
    }
    if (int error = SyncFolder(folder_)) return SaveFailure(first, error);
    if (::unlink(markerPath.c_str()) != 0) return SaveFailure(markerPath, errno);
    stepDone();
    SyncFolder(folder_);
    return Status::Ok();
}

}  // namespace quillmark

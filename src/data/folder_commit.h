#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace quillmark {

// Replacing several files of one folder together, so that after a failure, a kill or a power
// cut at any moment the folder holds either all the old files or all the new ones.
//
// A commit writes every new file to ".<target>.saving" and flushes it, then writes the
// commit marker "<name>.commit" (through ".<name>.commit.saving" and a rename): the line
// "quillmark commit", one line per target file name, then the line "end". From then on the
// commit counts as done: the temporary files are renamed over their targets and the marker
// is removed. Whoever takes the folder next finishes a commit whose marker exists and
// removes temporary files that no marker names (a commit that never reached its marker).
class FolderCommit {
public:
    struct File {
        std::string name;   // file name within the folder, no path
        std::string bytes;
    };

    // Waits for other processes' commits in the folder (an exclusive lock on the folder,
    // released when this object goes), then finishes or undoes interrupted ones.
    explicit FolderCommit(std::filesystem::path folder);
    ~FolderCommit();
    FolderCommit(const FolderCommit&) = delete;
    FolderCommit& operator=(const FolderCommit&) = delete;

    // Why the folder could not be taken or an interrupted commit not finished; such a commit's
    // marker then stays.
    const Status& status() const { return status_; }
    bool HasMarker(std::string_view name) const;

    // Replaces the files together; on failure the old files stay, unless the failure came
    // after the marker was written, when the next FolderCommit finishes the job. Messages
    // name the target file.
    Status Commit(std::string_view name, const std::vector<File>& files);

    // Tests stop a commit after one of its steps; each step that changes the folder calls it.
    using StepObserver = void (*)(int step);
    static void SetStepObserver(StepObserver observer);

private:
    void Recover();

    std::filesystem::path folder_;
    int fd_ = -1;
    int openError_ = 0;
    Status status_ = Status::Ok();
};

}  // namespace quillmark

#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "data/status.h"
#include "photo_kind.h"

namespace quillmark {

// A photo a phone sent and the inbox acknowledged.
struct InboxPhoto {
    std::string id;        // chosen by the phone
    std::string digest;    // of the bytes, so the same photo sent again is known
    std::string file;      // its name in the inbox folder, chosen here ("0001.jpg")
    std::string number;    // the examinee number typed on the phone, if one was
    bool marked = false;   // marking finished with it (recorded, or failed for a reason told)
};

// What became of an upload.
struct Acceptance {
    Status status;       // not ok: nothing was kept
    InboxPhoto photo;    // the photo kept (the earlier one when this was a repeat)
    bool repeat = false; // the id or the bytes were known already: nothing new was kept
};

// The photos of one phone session, kept on disk before a phone hears they arrived: each is
// written and flushed under a name of our own, then a line of the inbox's journal says so.
// What a phone never heard acknowledged it sends again, under the same id; what was
// acknowledged survives a kill, and the next session marks what was not marked. The journal
// is read leniently: a torn last line (a kill while writing it) is ignored.
class PhoneInbox {
public:
    static constexpr char kJournalName[] = "inbox.jsonl";

    // Opens the inbox in `folder`, creating the folder (not its parents) when missing. `about`
    // (paper and roster, say) is written into a new inbox's first line and read back.
    Status Open(const std::filesystem::path& folder, const std::string& about = "");

    const std::filesystem::path& Folder() const { return folder_; }
    const std::string& About() const { return about_; }

    Acceptance Accept(std::string_view id, std::string_view bytes, const PhotoKind& kind);
    // The examinee number the phone gave for a photo whose number was not read.
    Status SetNumber(std::string_view id, const std::string& number);
    Status MarkDone(std::string_view id);

    std::vector<InboxPhoto> Photos() const;
    bool Find(std::string_view id, InboxPhoto& photo) const;
    std::size_t Unmarked() const;

private:
    Status Append(const std::string& line);
    void Apply(const std::string& line);
    InboxPhoto* Lookup(std::string_view id);

    mutable std::mutex mutex_;
    std::filesystem::path folder_;
    std::string about_;
    std::vector<InboxPhoto> photos_;
};

// Whether a phone's id is one we take: 8 to 64 of A-Z, a-z, 0-9, '-' and '_'.
bool ValidPhotoId(std::string_view id);

}  // namespace quillmark

#include "phone_inbox.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "data/file_io.h"

namespace quillmark {
namespace {

std::string Digest(std::string_view bytes) {
    std::array<unsigned char, 32> hash{};
    crypto_generichash(hash.data(), hash.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                       nullptr, 0);
    std::array<char, 65> hex{};
    sodium_bin2hex(hex.data(), hex.size(), hash.data(), hash.size());
    return std::string(hex.data(), 64);
}

// A file name the inbox itself could have chosen; anything else in a journal is ignored.
bool OwnFileName(const std::string& name) {
    if (name.size() < 8 || name.size() > 16) return false;
    std::string stem = name.substr(0, name.size() - 4), extension = name.substr(name.size() - 4);
    if (extension != ".jpg" && extension != ".png") return false;
    for (char c : stem) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

Status WriteFailure(const std::filesystem::path& path, int error) { return SaveFailure(path, error); }

}  // namespace

bool ValidPhotoId(std::string_view id) {
    if (id.size() < 8 || id.size() > 64) return false;
    for (char c : id) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!ok) return false;
    }
    return true;
}

Status PhoneInbox::Open(const std::filesystem::path& folder, const std::string& about) {
    std::lock_guard lock(mutex_);
    folder_ = folder;
    photos_.clear();
    about_.clear();
    if (int error = MakeFolder(folder)) return WriteFailure(folder, error);
    std::filesystem::path journal = folder / kJournalName;
    std::ifstream in(journal, std::ios::binary);
    if (!in) {
        about_ = about;
        nlohmann::json head = {{"inbox", 1}, {"about", about}};
        return Append(head.dump());
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        Apply(text.substr(at, end - at));
        at = end + 1;
    }
    // A line torn by a kill is ended here, or the next line appended would join it and be lost.
    if (!text.empty() && text.back() != '\n') return Append("");
    return Status::Ok();
}

void PhoneInbox::Apply(const std::string& line) {
    nlohmann::json entry = nlohmann::json::parse(line, nullptr, false);
    if (!entry.is_object()) return;  // a torn line
    auto text = [&](const char* key) {
        auto found = entry.find(key);
        return found != entry.end() && found->is_string() ? found->get<std::string>() : std::string();
    };
    if (entry.contains("inbox")) {
        about_ = text("about");
        return;
    }
    std::string id = text("photo");
    if (!ValidPhotoId(id)) return;
    if (InboxPhoto* known = Lookup(id)) {
        if (entry.contains("number")) {
            known->number = text("number");
            known->marked = false;  // given a number: marked again, as SetNumber says
        }
        if (entry.contains("marked")) known->marked = entry["marked"] == true;
        return;
    }
    InboxPhoto photo{id, text("digest"), text("file"), "", false};
    if (!OwnFileName(photo.file) || photo.digest.size() != 64) return;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(folder_ / photo.file, ec)) return;
    photos_.push_back(std::move(photo));
}

InboxPhoto* PhoneInbox::Lookup(std::string_view id) {
    for (InboxPhoto& photo : photos_) {
        if (photo.id == id) return &photo;
    }
    return nullptr;
}

Status PhoneInbox::Append(const std::string& line) {
    std::filesystem::path journal = folder_ / kJournalName;
    bool fresh = !std::filesystem::exists(journal);
    int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return WriteFailure(journal, errno);
    std::string bytes = line + "\n";
    std::size_t written = 0;
    int error = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    ::close(fd);
    if (error == 0 && fresh) error = SyncFolder(folder_);
    return error ? WriteFailure(journal, error) : Status::Ok();
}

Acceptance PhoneInbox::Accept(std::string_view id, std::string_view bytes, const PhotoKind& kind) {
    std::lock_guard lock(mutex_);
    Acceptance result;
    if (InboxPhoto* known = Lookup(id)) {
        result.photo = *known;
        result.repeat = true;
        return result;
    }
    std::string digest = Digest(bytes);
    for (const InboxPhoto& photo : photos_) {
        if (photo.digest == digest) {
            result.photo = photo;
            result.repeat = true;
            return result;
        }
    }
    // After the highest number in use: a photo dropped on reading (its file gone) leaves a
    // gap, and counting the photos would hand a listed photo's file to the new one.
    unsigned long last = 0;
    for (const InboxPhoto& known : photos_) last = std::max(last, std::stoul(known.file));
    char name[32];
    std::snprintf(name, sizeof name, "%04lu%s", last + 1, kind.extension());
    InboxPhoto photo{std::string(id), digest, name, "", false};
    std::filesystem::path target = folder_ / photo.file;
    std::filesystem::path part = folder_ / (photo.file + ".part");
    int error = WriteSyncedFile(part, bytes, {});
    std::error_code ec;
    if (error == 0) {
        std::filesystem::rename(part, target, ec);
        error = ec ? ec.value() : SyncFolder(folder_);
    }
    if (error != 0) {
        std::filesystem::remove(part, ec);
        result.status = WriteFailure(target, error);
        return result;
    }
    nlohmann::json entry = {{"photo", photo.id}, {"digest", photo.digest}, {"file", photo.file}};
    result.status = Append(entry.dump());
    if (!result.status.ok()) return result;
    photos_.push_back(photo);
    result.photo = std::move(photo);
    return result;
}

Status PhoneInbox::SetNumber(std::string_view id, const std::string& number) {
    std::lock_guard lock(mutex_);
    InboxPhoto* photo = Lookup(id);
    if (!photo) return Status::Error("没有这张照片");
    nlohmann::json entry = {{"photo", photo->id}, {"number", number}};
    Status status = Append(entry.dump());
    if (status.ok()) {
        photo->number = number;
        photo->marked = false;
    }
    return status;
}

Status PhoneInbox::MarkDone(std::string_view id) {
    std::lock_guard lock(mutex_);
    InboxPhoto* photo = Lookup(id);
    if (!photo) return Status::Error("没有这张照片");
    if (photo->marked) return Status::Ok();
    nlohmann::json entry = {{"photo", photo->id}, {"marked", true}};
    Status status = Append(entry.dump());
    if (status.ok()) photo->marked = true;
    return status;
}

std::vector<InboxPhoto> PhoneInbox::Photos() const {
    std::lock_guard lock(mutex_);
    return photos_;
}

bool PhoneInbox::Find(std::string_view id, InboxPhoto& photo) const {
    std::lock_guard lock(mutex_);
    for (const InboxPhoto& p : photos_) {
        if (p.id == id) {
            photo = p;
            return true;
        }
    }
    return false;
}

std::size_t PhoneInbox::Unmarked() const {
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const InboxPhoto& p : photos_) count += p.marked ? 0 : 1;
    return count;
}

}  // namespace quillmark

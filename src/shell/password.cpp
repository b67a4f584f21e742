#include "password.h"

#include <sodium.h>
#include <string_view>

#include "data/key_file.h"
#include "data/program_paths.h"
#include "data/text_fns.h"

namespace quillmark {
namespace {

std::filesystem::path SettingsPath(const std::filesystem::path& programFolder) {
    return ResolvePath(programFolder, "\\sys\\sys.cho");
}

bool IsPasswordHash(const std::string& stored) { return stored.rfind(crypto_pwhash_STRPREFIX, 0) == 0; }

// Reads "<key><digits><end>" off the front of `text`.
bool TakeNumber(std::string_view& text, std::string_view key, char end, unsigned long long& value) {
    if (text.substr(0, key.size()) != key) return false;
    text.remove_prefix(key.size());
    std::size_t digits = 0;
    value = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (++digits > 12) return false;
        value = value * 10 + static_cast<unsigned>(text[digits - 1] - '0');
    }
    if (digits == 0 || digits >= text.size() || text[digits] != end) return false;
    text.remove_prefix(digits + 1);
    return true;
}

// "$argon2id$v=19$m=<KiB>,t=<passes>,p=<lanes>$<salt>$<hash>", at most what StorePassword asks.
bool WithinStoredCost(const std::string& hash) {
    std::string_view text(hash);
    std::string_view head = crypto_pwhash_STRPREFIX;
    if (text.substr(0, head.size()) != head) return false;
    text.remove_prefix(head.size());
    unsigned long long version = 0, memory = 0, passes = 0, lanes = 0;
    return TakeNumber(text, "v=", '$', version) && version == 19 && TakeNumber(text, "m=", ',', memory) &&
           TakeNumber(text, "t=", ',', passes) && TakeNumber(text, "p=", '$', lanes) &&
           memory * 1024 <= crypto_pwhash_MEMLIMIT_INTERACTIVE && passes <= crypto_pwhash_OPSLIMIT_INTERACTIVE &&
           lanes == 1;
}

}  // namespace

std::string ReadStoredPassword(const std::filesystem::path& programFolder) {
    return TrimSpaces(ReadKeyValue(SettingsPath(programFolder), kPasswordSection, kPasswordKey, ""));
}

bool StoredPasswordInvalid(const std::string& stored) {
    std::string kept = TrimSpaces(stored);
    return IsPasswordHash(kept) && !WithinStoredCost(kept);
}

bool PasswordMatches(const std::string& stored, const std::string& typed) {
    std::string password = TrimSpaces(typed);
    std::string kept = TrimSpaces(stored);
    if (!IsPasswordHash(kept)) return kept == password;
    if (StoredPasswordInvalid(kept) || sodium_init() < 0) return false;
    return crypto_pwhash_str_verify(kept.c_str(), password.data(), password.size()) == 0;
}

Status StorePassword(const std::filesystem::path& programFolder, const std::string& password) {
    std::string plain = TrimSpaces(password);
    std::string value;
    if (!plain.empty()) {
        char hash[crypto_pwhash_STRBYTES];
        if (sodium_init() < 0 ||
            crypto_pwhash_str(hash, plain.data(), plain.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
            return Status::Error(UiText("Password", "无法保存密码：计算密码摘要时内存不足。"));
        }
        value = hash;
    }
    return WriteKeyValue(SettingsPath(programFolder), kPasswordSection, kPasswordKey, value);
}

SetPasswordModel::SetPasswordModel(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)), stored_(ReadStoredPassword(programFolder_)) {}

SetPasswordModel::Outcome SetPasswordModel::Submit(const std::string& oldPassword, const std::string& newPassword,
                                                   const std::string& repeated) {
    if (StoredPasswordInvalid(stored_)) return Outcome::StoredInvalid;
    if (!PasswordMatches(stored_, oldPassword)) return Outcome::WrongOld;
    if (TrimSpaces(newPassword) != TrimSpaces(repeated)) return Outcome::NewDiffer;
    Status status = StorePassword(programFolder_, newPassword);
    if (!status.ok()) {
        writeError_ = FillForm(UiText("Password", "密码没有保存！%1"), {status.message()});
        return Outcome::WriteFailed;
    }
    stored_ = ReadStoredPassword(programFolder_);
    return Outcome::Stored;
}

}  // namespace quillmark

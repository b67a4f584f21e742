#include "password.h"

#include <sodium.h>

#include "data/key_file.h"
#include "data/program_paths.h"
#include "data/text_fns.h"

namespace quillmark {
namespace {

std::filesystem::path SettingsPath(const std::filesystem::path& programFolder) {
    return ResolvePath(programFolder, "\\sys\\sys.cho");
}

bool IsPasswordHash(const std::string& stored) { return stored.rfind(crypto_pwhash_STRPREFIX, 0) == 0; }

}  // namespace

std::string ReadStoredPassword(const std::filesystem::path& programFolder) {
    return TrimSpaces(ReadKeyValue(SettingsPath(programFolder), kPasswordSection, kPasswordKey, ""));
}

bool PasswordMatches(const std::string& stored, const std::string& typed) {
    std::string password = TrimSpaces(typed);
    std::string kept = TrimSpaces(stored);
    if (!IsPasswordHash(kept)) return kept == password;
    if (sodium_init() < 0) return false;
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
            return Status::Error("无法保存密码：计算密码摘要时内存不足。");
        }
        value = hash;
    }
    return WriteKeyValue(SettingsPath(programFolder), kPasswordSection, kPasswordKey, value);
}

SetPasswordModel::SetPasswordModel(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)), stored_(ReadStoredPassword(programFolder_)) {}

SetPasswordModel::Outcome SetPasswordModel::Submit(const std::string& oldPassword, const std::string& newPassword,
                                                   const std::string& repeated) {
    if (!PasswordMatches(stored_, oldPassword)) return Outcome::WrongOld;
    if (TrimSpaces(newPassword) != TrimSpaces(repeated)) return Outcome::NewDiffer;
    Status status = StorePassword(programFolder_, newPassword);
    if (!status.ok()) {
        writeError_ = "密码没有保存！" + status.message();
        return Outcome::WriteFailed;
    }
    stored_ = ReadStoredPassword(programFolder_);
    return Outcome::Stored;
}

}  // namespace quillmark

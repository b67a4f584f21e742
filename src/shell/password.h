#pragma once

#include <filesystem>
#include <string>

#include "data/status.h"
#include "data/ui_text.h"

namespace quillmark {

inline constexpr char kPasswordSection[] = "管理员";
inline constexpr char kPasswordKey[] = "pwd";
// The password dialogs' messages, shown with UiText("Password", ...).
inline constexpr char kLoginTitle[] = UI_TEXT_NOOP("Password", "标准化考试系统");
inline constexpr char kWrongPassword[] = UI_TEXT_NOOP("Password", "您输入的密码有误,请重新输入！");
inline constexpr char kWrongOldPassword[] = UI_TEXT_NOOP("Password", "您输入的旧密码有误,请重新输入！");
inline constexpr char kNewPasswordsDiffer[] = UI_TEXT_NOOP("Password", "您两次输入的新密码不同,请重新输入！");
inline constexpr char kStoredPasswordInvalid[] =
    UI_TEXT_NOOP("Password",
                 "存储的管理员密码无效：sys/sys.cho 中[管理员]一节的 pwd 不是本程序写入的密码摘要，无法核对，不能登录。"
                 "请删除 pwd 的值（登录即不再需要密码），再重新设置密码。");

// The administrator password as stored in the system settings: a salted, slow hash of the
// password; a value that is no such hash is a password stored in plain text by an older
// version, compared as typed. Empty means no password.
std::string ReadStoredPassword(const std::filesystem::path& programFolder);
// A stored hash this program would not have written: malformed, or asking more memory, passes
// or lanes than StorePassword uses (a hostile value would hold the login for minutes and take
// gigabytes). No password matches it, and it is never computed.
bool StoredPasswordInvalid(const std::string& stored);
// Whether the typed password is the stored one; blanks around both are ignored, letter
// case is not.
bool PasswordMatches(const std::string& stored, const std::string& typed);
// Stores the hash of the password (blanks around it removed), or an empty value for an
// empty password.
Status StorePassword(const std::filesystem::path& programFolder, const std::string& password);

// The login window: skipped when no password is stored.
class LoginModel {
public:
    explicit LoginModel(std::filesystem::path programFolder) : programFolder_(std::move(programFolder)) {}
    // Rereads the stored password, as the window does whenever it becomes active.
    void Reload() { stored_ = ReadStoredPassword(programFolder_); }
    bool SkipsLogin() const { return stored_.empty(); }
    // Nobody can log in until the value is removed from the settings file.
    bool StoredInvalid() const { return StoredPasswordInvalid(stored_); }
    bool Accepts(const std::string& typed) const { return PasswordMatches(stored_, typed); }

private:
    std::filesystem::path programFolder_;
    std::string stored_;
};

// The set-password dialog.
class SetPasswordModel {
public:
    enum class Outcome { Stored, WrongOld, NewDiffer, WriteFailed, StoredInvalid };

    explicit SetPasswordModel(std::filesystem::path programFolder);
    // On WrongOld the old-password box is emptied, on NewDiffer the two new ones; on
    // WriteFailed `WriteError()` says why and the dialog stays open. StoredInvalid: the old
    // password cannot be checked (see StoredPasswordInvalid).
    Outcome Submit(const std::string& oldPassword, const std::string& newPassword, const std::string& repeated);
    const std::string& WriteError() const { return writeError_; }

private:
    std::filesystem::path programFolder_;
    std::string stored_;
    std::string writeError_;
};

}  // namespace quillmark

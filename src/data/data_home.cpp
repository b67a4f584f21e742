#include "data_home.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <system_error>
#include <vector>

#include "program_paths.h"
#include "system_error_text.h"
#include "ui_text.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;

constexpr char kRecordName[] = ".quillmark-template";
constexpr char kRecordHeader[] = "quillmark template 1";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// `form` names the path as %1 and the system's reason as %2.
Status Failed(const std::string& form, const fs::path& path, const std::error_code& ec) {
    return Status::Error(FillForm(form, {path.string(), SystemErrorText(ec.value())}));
}

// The template's files, as relative paths with "/", in name order; placeholders left out.
Status TemplateFiles(const fs::path& templateFolder, std::vector<std::string>& files, std::vector<std::string>& folders) {
    std::error_code ec;
    fs::recursive_directory_iterator it(templateFolder, ec);
    if (ec) return Failed(UiText("DataHome", "无法读取程序文件夹模板 %1：%2"), templateFolder, ec);
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) return Failed(UiText("DataHome", "无法读取程序文件夹模板 %1：%2"), templateFolder, ec);
        std::string relative = it->path().lexically_relative(templateFolder).generic_string();
        if (it->is_directory(ec)) {
            folders.push_back(relative);
        } else if (it->path().filename() != ".keep") {
            files.push_back(relative);
        }
    }
    if (ec) return Failed(UiText("DataHome", "无法读取程序文件夹模板 %1：%2"), templateFolder, ec);
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    return Status::Ok();
}

std::set<std::string> ReadRecord(const fs::path& path) {
    std::set<std::string> names;
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != kRecordHeader) return names;
    while (std::getline(in, line)) {
        if (!line.empty()) names.insert(line);
    }
    return names;
}

Status WriteRecord(const fs::path& folder, const std::set<std::string>& names) {
    fs::path path = folder / kRecordName;
    fs::path temporary = folder / (std::string(kRecordName) + "." + std::to_string(getpid()) + ".saving");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << kRecordHeader << '\n';
        for (const std::string& name : names) out << name << '\n';
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return Status::Error(FillForm(UiText("DataHome", "无法写入 %1"), {path.string()}));
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Failed(UiText("DataHome", "无法写入 %1：%2"), path, ec);
    }
    return Status::Ok();
}

// Copies `source` to `target` unless `target` exists by then: the copy is made under a
// temporary name and linked to the target's, which fails rather than replace anything.
Status CopyWithoutReplacing(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    std::string name = ".";
    name.append(target.filename().string()).append(".").append(std::to_string(getpid())).append(".copying");
    fs::path temporary = target.parent_path() / name;
    fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Failed(UiText("DataHome", "无法复制模板文件到 %1：%2"), target, ec);
    }
    Status status;
    if (link(temporary.c_str(), target.c_str()) != 0 && errno != EEXIST) {
        // A file system without hard links: rename, after looking once more.
        std::error_code lookError;
        if (!fs::exists(fs::symlink_status(target, lookError))) {
            fs::rename(temporary, target, ec);
            if (ec) status = Failed(UiText("DataHome", "无法复制模板文件到 %1：%2"), target, ec);
        }
    }
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return status;
}

}  // namespace

ProgramFolderPlaces ProgramFolderPlacesOfThisProcess() {
    ProgramFolderPlaces places;
    places.environment = Env("QUILLMARK_HOME");
    places.executableFolder = ProgramFolderOfExecutable();
    places.xdgDataHome = Env("XDG_DATA_HOME");
    places.userHome = Env("HOME");
    if (places.userHome.empty()) {
        if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) places.userHome = user->pw_dir;
    }
    return places;
}

bool HoldsProgramData(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(ResolvePath(folder, "DaTiKa"), ec) && fs::is_directory(ResolvePath(folder, "sys"), ec);
}

Status AddTemplateFiles(const fs::path& templateFolder, const fs::path& folder) {
    std::vector<std::string> files, folders;
    if (Status status = TemplateFiles(templateFolder, files, folders); !status.ok()) return status;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return Failed(UiText("DataHome", "无法创建文件夹 %1：%2"), folder, ec);
    for (const std::string& relative : folders) {
        fs::path target = ResolvePath(folder, relative);
        fs::create_directories(target, ec);
        if (ec) return Failed(UiText("DataHome", "无法创建文件夹 %1：%2"), target, ec);
    }
    std::set<std::string> offered = ReadRecord(folder / kRecordName);
    std::size_t offeredBefore = offered.size();
    for (const std::string& relative : files) {
        fs::path target = ResolvePath(folder, relative);
        bool present = fs::exists(fs::symlink_status(target, ec));
        if (!present && offered.count(relative) == 0) {
            fs::create_directories(target.parent_path(), ec);
            if (ec) return Failed(UiText("DataHome", "无法创建文件夹 %1：%2"), target.parent_path(), ec);
            if (Status status = CopyWithoutReplacing(templateFolder / relative, target); !status.ok()) return status;
        }
        offered.insert(relative);
    }
    if (offered.size() == offeredBefore && fs::exists(folder / kRecordName, ec)) return Status::Ok();
    return WriteRecord(folder, offered);
}

ProgramFolderChoice ChooseProgramFolder(const ProgramFolderPlaces& places) {
    ProgramFolderChoice choice;
    if (!places.environment.empty()) {
        choice.folder = places.environment;
        choice.origin = ProgramFolderOrigin::Environment;
        return choice;
    }
    if (HoldsProgramData(places.executableFolder)) {
        choice.folder = places.executableFolder;
        choice.origin = ProgramFolderOrigin::BesideExecutable;
        return choice;
    }

    choice.origin = ProgramFolderOrigin::UserData;
    // XDG: a relative XDG_DATA_HOME is invalid and ignored.
    fs::path dataHome;
    if (!places.xdgDataHome.empty() && fs::path(places.xdgDataHome).is_absolute()) {
        dataHome = places.xdgDataHome;
    } else if (!places.userHome.empty()) {
        dataHome = fs::path(places.userHome) / ".local" / "share";
    } else {
        choice.status = Status::Error(UiText("DataHome", "无法确定用户的数据文件夹：HOME 与 XDG_DATA_HOME 都未设置"));
        return choice;
    }
    choice.folder = dataHome / "Quillmark";
    fs::path templateFolder = (places.executableFolder / ".." / "share" / "quillmark").lexically_normal();
    if (!HoldsProgramData(templateFolder)) {
        // Without the template (a removed or moved installation) a folder made earlier still serves.
        if (!HoldsProgramData(choice.folder)) {
            choice.status = Status::Error(
                FillForm(UiText("DataHome", "找不到程序文件夹：%1 中没有 DaTiKa 和 sys，也没有程序文件夹模板 %2（无法创建 %3）"),
                         {places.executableFolder.string(), templateFolder.string(), choice.folder.string()}));
        }
        return choice;
    }
    if (Status status = AddTemplateFiles(templateFolder, choice.folder); !status.ok()) {
        choice.status = Status::Error(
            FillForm(UiText("DataHome", "无法创建程序文件夹 %1：%2"), {choice.folder.string(), status.message()}));
    }
    return choice;
}

std::string ProgramFolderOriginText(ProgramFolderOrigin origin) {
    switch (origin) {
        case ProgramFolderOrigin::CommandLine: return "--home";
        case ProgramFolderOrigin::Environment: return "环境变量 QUILLMARK_HOME";
        case ProgramFolderOrigin::BesideExecutable: return "程序所在文件夹";
        case ProgramFolderOrigin::UserData: return "用户数据文件夹（由 share/quillmark 中的模板建立）";
    }
    return "";
}

}  // namespace quillmark

#pragma once

#include <filesystem>
#include <string>

#include "status.h"

namespace quillmark {

// Why a program folder was chosen.
enum class ProgramFolderOrigin {
    CommandLine,       // quillmark-cli --home DIR
    Environment,       // QUILLMARK_HOME
    BesideExecutable,  // the executable's folder holds DaTiKa and sys (a build, a portable copy)
    UserData,          // $XDG_DATA_HOME/Quillmark, made from the installed template
};

// What the choice looks at; ProgramFolderPlacesOfThisProcess() reads them from the process.
struct ProgramFolderPlaces {
    std::string environment;                 // QUILLMARK_HOME, "" when unset
    std::filesystem::path executableFolder;  // the folder of the running executable
    std::string xdgDataHome;                 // XDG_DATA_HOME, "" when unset
    std::string userHome;                    // HOME (or the password database's home folder)
};

struct ProgramFolderChoice {
    std::filesystem::path folder;
    ProgramFolderOrigin origin = ProgramFolderOrigin::BesideExecutable;
    Status status;  // why the user's data folder could not be made (then folder names it)
};

ProgramFolderPlaces ProgramFolderPlacesOfThisProcess();

// The program folder: QUILLMARK_HOME when set (taken as it is); else the executable's folder
// when it holds DaTiKa and sys; else the user's data folder ($XDG_DATA_HOME/Quillmark, by
// default ~/.local/share/Quillmark), first made, or completed, from the template installed
// at <executable folder>/../share/quillmark (see AddTemplateFiles).
ProgramFolderChoice ChooseProgramFolder(const ProgramFolderPlaces& places);
inline ProgramFolderChoice ChooseProgramFolder() { return ChooseProgramFolder(ProgramFolderPlacesOfThisProcess()); }

// Copies into `folder` (made when missing) the files of `templateFolder` it lacks. A file that
// is there, under any letter case, is never replaced, so a newer template leaves the user's
// papers, rosters and results as they are and adds only what is new. The template's files are
// recorded in `folder`/.quillmark-template, so a template file the user has deleted is not
// brought back. Each file is copied under a temporary name and then linked to its own, so an
// interrupted copy never leaves a partial file, and two programs starting at once do not clash.
Status AddTemplateFiles(const std::filesystem::path& templateFolder, const std::filesystem::path& folder);

// Whether a folder holds the program's data (DaTiKa and sys, letter case ignored).
bool HoldsProgramData(const std::filesystem::path& folder);

// For messages: "QUILLMARK_HOME", "程序所在文件夹", …
std::string ProgramFolderOriginText(ProgramFolderOrigin origin);

}  // namespace quillmark

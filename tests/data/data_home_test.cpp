#include <gtest/gtest.h>

#include "data/data_home.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// An installation under root: root/bin (no data beside it) and the template in
// root/share/quillmark; the user's data under root/xdg.
struct Installation {
    TempFolder root;
    ProgramFolderPlaces places;

    Installation() {
        fs::create_directories(root.path() / "bin");
        Template("DaTiKa/1000111001.CAR", "card");
        Template("sys/sys.cho", "settings");
        Template("ShiJuan/示例试卷.CHO", "paper");
        Template("MingCe/示例名册.TXT", "roster");
        Template("ChengJi/.keep", "");
        places.executableFolder = root.path() / "bin";
        places.xdgDataHome = (root.path() / "xdg").string();
        places.userHome = (root.path() / "home").string();
    }
    void Template(const std::string& relative, std::string_view bytes) const {
        root.WriteBytes("share/quillmark/" + relative, bytes);
    }
    fs::path UserFolder() const { return root.path() / "xdg" / "Quillmark"; }
    std::string User(const std::string& relative) const {
        return root.ReadBytes("xdg/Quillmark/" + relative);
    }
};

TEST(DataHome, EnvironmentWinsOverEverything) {
    Installation install;
    install.root.MakeProgramFolders();
    install.places.executableFolder = install.root.path();
    install.places.environment = "/somewhere/else";
    ProgramFolderChoice choice = ChooseProgramFolder(install.places);
    EXPECT_EQ(choice.origin, ProgramFolderOrigin::Environment);
    EXPECT_EQ(choice.folder, fs::path("/somewhere/else"));
    EXPECT_TRUE(choice.status.ok());
}

TEST(DataHome, DataBesideTheExecutableWinsOverTheUserFolder) {
    Installation install;
    install.root.WriteBytes("bin/datika/x.CAR", "x");  // letter case ignored
    install.root.WriteBytes("bin/SYS/sys.cho", "x");
    ProgramFolderChoice choice = ChooseProgramFolder(install.places);
    EXPECT_EQ(choice.origin, ProgramFolderOrigin::BesideExecutable);
    EXPECT_EQ(choice.folder, install.places.executableFolder);
    EXPECT_FALSE(fs::exists(install.UserFolder()));

    // Only one of the two folders is not a program folder.
    fs::remove_all(install.root.path() / "bin" / "SYS");
    EXPECT_EQ(ChooseProgramFolder(install.places).origin, ProgramFolderOrigin::UserData);
}

TEST(DataHome, UserFolderIsMadeFromTheTemplate) {
    Installation install;
    ProgramFolderChoice choice = ChooseProgramFolder(install.places);
    ASSERT_TRUE(choice.status.ok()) << choice.status.message();
    EXPECT_EQ(choice.origin, ProgramFolderOrigin::UserData);
    EXPECT_EQ(choice.folder, install.UserFolder());
    EXPECT_EQ(install.User("DaTiKa/1000111001.CAR"), "card");
    EXPECT_EQ(install.User("ShiJuan/示例试卷.CHO"), "paper");
    EXPECT_TRUE(fs::is_directory(install.UserFolder() / "ChengJi"));
    EXPECT_FALSE(fs::exists(install.UserFolder() / "ChengJi" / ".keep"));
    EXPECT_TRUE(HoldsProgramData(choice.folder));

    // Without XDG_DATA_HOME (or with a relative one) it is ~/.local/share/Quillmark.
    install.places.xdgDataHome = "relative/path";
    choice = ChooseProgramFolder(install.places);
    ASSERT_TRUE(choice.status.ok()) << choice.status.message();
    EXPECT_EQ(choice.folder, install.root.path() / "home" / ".local" / "share" / "Quillmark");
    EXPECT_EQ(install.root.ReadBytes("home/.local/share/Quillmark/sys/sys.cho"), "settings");
}

TEST(DataHome, ANewerTemplateAddsOnlyWhatTheUserLacks) {
    Installation install;
    ASSERT_TRUE(ChooseProgramFolder(install.places).status.ok());
    install.root.WriteBytes("xdg/Quillmark/ShiJuan/示例试卷.CHO", "edited paper");
    install.root.WriteBytes("xdg/Quillmark/ChengJi/1.txt", "results");
    install.root.WriteBytes("xdg/Quillmark/DaTiKa/1000110101.car", "own card");  // letter case ignored
    fs::remove(install.UserFolder() / "sys" / "sys.cho");  // removed by the user: stays removed

    install.Template("ShiJuan/示例试卷.CHO", "new paper");
    install.Template("MingCe/示例名册.TXT", "new roster");
    install.Template("DaTiKa/1000110101.CAR", "new card");
    install.Template("DaTiKa/1000101001.CAR", "new card");
    install.Template("help/index.html", "help");
    ProgramFolderChoice choice = ChooseProgramFolder(install.places);
    ASSERT_TRUE(choice.status.ok()) << choice.status.message();

    EXPECT_EQ(install.User("ShiJuan/示例试卷.CHO"), "edited paper");
    EXPECT_EQ(install.User("ChengJi/1.txt"), "results");
    EXPECT_EQ(install.User("MingCe/示例名册.TXT"), "roster");
    EXPECT_EQ(install.User("DaTiKa/1000110101.car"), "own card");
    EXPECT_FALSE(fs::exists(install.UserFolder() / "DaTiKa" / "1000110101.CAR"));
    EXPECT_FALSE(fs::exists(install.UserFolder() / "sys" / "sys.cho"));
    EXPECT_EQ(install.User("DaTiKa/1000101001.CAR"), "new card");
    EXPECT_EQ(install.User("help/index.html"), "help");
}

TEST(DataHome, AFolderThatCannotBeMadeIsReportedByName) {
    Installation install;
    install.root.WriteBytes("xdg", "a file where the folder should be");
    ProgramFolderChoice choice = ChooseProgramFolder(install.places);
    ASSERT_FALSE(choice.status.ok());
    EXPECT_NE(choice.status.message().find(install.UserFolder().string()), std::string::npos) << choice.status.message();

    // No template and no folder made before: nothing to work on, said so.
    fs::remove_all(install.root.path() / "share");
    fs::remove(install.root.path() / "xdg");
    choice = ChooseProgramFolder(install.places);
    ASSERT_FALSE(choice.status.ok());
    EXPECT_NE(choice.status.message().find("share/quillmark"), std::string::npos) << choice.status.message();
}

}  // namespace
}  // namespace quillmark

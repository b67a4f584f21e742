#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/desktop.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

// Points PATH at one folder for the test's duration.
class PathOverride {
public:
    explicit PathOverride(const std::filesystem::path& folder) {
        if (const char* old = std::getenv("PATH")) saved_ = old;
        setenv("PATH", folder.c_str(), 1);
    }
    ~PathOverride() { setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

TEST(OpenWithDefaultApplication, LaunchesTheOpenerWithTheAbsolutePathOrReportsThatNoneExists) {
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) GTEST_SKIP() << "a desktop session would open the file for real";
    TempFolder folder;
    std::filesystem::path bin = folder.path() / "bin";
    std::filesystem::create_directory(bin);
    std::filesystem::path file = folder.path() / "成绩 表.xlsx";
    folder.WriteBytes("成绩 表.xlsx", "x");
    {
        PathOverride path(bin);
        Status opened = OpenWithDefaultApplication(file);
        EXPECT_FALSE(opened.ok());
        EXPECT_NE(opened.message().find(file.string()), std::string::npos) << opened.message();
    }

    std::filesystem::path record = folder.path() / "opened.txt";
    {
        std::ofstream script(bin / "xdg-open");
        script << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << record.string() << ".part\" && /bin/mv \"" << record.string()
               << ".part\" \"" << record.string() << "\"\n";
    }
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    {
        PathOverride path(bin);
        ASSERT_TRUE(OpenWithDefaultApplication(file).ok());
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(record) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(folder.ReadBytes("opened.txt"), file.string());
}

}  // namespace
}  // namespace quillmark

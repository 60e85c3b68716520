// The installed tree, through `cmake --install` into a scratch folder (DESTDIR): the programs,
// the demo firmware's images, the desktop entry, the icon and the manual pages; and the
// installed program running the demo from an empty folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "base/version.h"
#include "support/command_output.h"
#include "support/files.h"
#include "support/lcd_text.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

class InstalledTree : public testing::ScratchDirectoryTest {
  protected:
    static void SetUpTestSuite() {
        root_ = new testing::ScratchDirectory;
        const testing::CommandOutput output =
            testing::run_command("DESTDIR=" + root_->path().string() + " " + TOLVAN_CMAKE_COMMAND +
                                 " --install " + TOLVAN_BUILD_DIR + " --prefix /usr");
        ASSERT_EQ(output.status, 0) << output.err;
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }
    static std::filesystem::path installed(const std::string& path) {
        return root_->path() / "usr" / path;
    }

    static testing::ScratchDirectory* root_;
};

testing::ScratchDirectory* InstalledTree::root_ = nullptr;

bool executable(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & S_IXUSR) != 0;
}

TEST_F(InstalledTree, HoldsTheProgramsTheDemoImagesTheDesktopEntryTheIconAndThePages) {
    for (const char* program : {"bin/tolvan", "bin/tolvan-asm"})
        EXPECT_TRUE(executable(installed(program))) << program;
    const struct {
        const char* path;
        std::uintmax_t size;  // 0: any size but empty
    } files[] = {
        {"share/tolvan/TOLVANL.ROM", 0x2000},
        {"share/tolvan/TOLVANH.ROM", 0x8000},
        {"share/tolvan/TOLVAN.debug.json", 0},
        {"share/tolvan/main.asm", 0},
        {"share/applications/tolvan.desktop", 0},
        {"share/icons/hicolor/128x128/apps/tolvan.png", 0},
        {"share/man/man1/tolvan.1.gz", 0},
        {"share/man/man1/tolvan-asm.1.gz", 0},
    };
    for (const auto& file : files) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(installed(file.path), error);
        EXPECT_FALSE(error) << file.path;
        if (file.size != 0) {
            EXPECT_EQ(size, file.size) << file.path;
        }
        EXPECT_GT(size, 0u) << file.path;
    }
    EXPECT_EQ(
        testing::read_file(installed("share/icons/hicolor/128x128/apps/tolvan.png")).substr(0, 4),
        "\x89PNG");
    for (const char* page : {"tolvan", "tolvan-asm"}) {
        const testing::CommandOutput text = testing::run_command(
            "gzip -dc " + installed(std::string("share/man/man1/") + page + ".1.gz").string());
        EXPECT_EQ(text.status, 0) << page;
        EXPECT_NE(text.out.find(std::string("\"Tolvan ") + kTolvanVersion + "\""),
                  std::string::npos)
            << page << " carries the version";
    }
    // The desktop entry, checked as the desktop reads it where the validator is installed.
    const testing::CommandOutput validator =
        testing::run_command("command -v desktop-file-validate");
    if (validator.status == 0) {
        const testing::CommandOutput output = testing::run_command(
            "desktop-file-validate " + installed("share/applications/tolvan.desktop").string());
        EXPECT_EQ(output.status, 0) << output.out << output.err;
    }
}

TEST_F(InstalledTree, DemoGreetsFromAnEmptyFolderAndLeavesItEmpty) {
    std::filesystem::create_directories("home");
    std::filesystem::create_directories("empty");
    const testing::CommandOutput output = testing::run_command(
        "(cd empty && env -u XDG_DATA_HOME HOME=" + (directory() / "home").string() + " " +
        installed("bin/tolvan").string() + " --demo --headless --slices 200 --lcd)");
    ASSERT_EQ(output.status, 0) << output.err;
    EXPECT_EQ(output.err, "");
    const testing::LcdReader reader(testing::read_file(installed("share/tolvan/TOLVANH.ROM")));
    const auto screens = reader.screens_of(output.out);
    ASSERT_EQ(screens.size(), 1u) << output.out;
    EXPECT_EQ(screens[0].text, "    TOLVAN READY");
    EXPECT_TRUE(testing::entries_of("empty").empty());
    for (const char* file : {"TOLVANH.ROM", "TOLVAN.debug.json", "main.asm", "keyboard.asm"})
        EXPECT_TRUE(std::filesystem::exists(std::string("home/.local/share/tolvan/demo/") + file));
}

}  // namespace
}  // namespace tolvan

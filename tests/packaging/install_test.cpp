// The installed tree, through `cmake --install` into a scratch folder (DESTDIR): the programs,
// the demo firmware's images, the desktop entry, the icons, the metainfo, the licence and the
// manual pages; and the installed program running the demo from an empty folder, and meeting
// a session without a display.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

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
        {"share/icons/hicolor/scalable/apps/tolvan.svg", 0},
        {"share/metainfo/org.tolvan.tolvan.metainfo.xml", 0},
        {"share/doc/tolvan/copyright", 0},
        {"share/doc/tolvan/changelog.gz", 0},
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
    for (const char* page : {"tolvan", "tolvan-asm"}) {
        const testing::CommandOutput text = testing::run_command(
            "gzip -dc " + installed(std::string("share/man/man1/") + page + ".1.gz").string());
        EXPECT_EQ(text.status, 0) << page;
        // The heading: the page's name, its section, the release's date and version.
        const std::regex heading(
            std::string("\\.TH [-A-Z\\\\]+ 1 \"[0-9]{4}-[0-9]{2}-[0-9]{2}\" ") + "\"Tolvan " +
            kTolvanVersion + "\"");
        EXPECT_TRUE(std::regex_search(text.out, heading)) << page << ": " << text.out.substr(0, 80);
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

std::uint32_t big_endian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t n = at; n < at + 4; ++n)
        value = value << 8 | static_cast<std::uint8_t>(bytes[n]);
    return value;
}

struct PngPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colour_type = -1;
    int top_left_alpha = -1;  // -1: the pixel data could not be read
};

// The header of an 8-bit PNG file and the alpha of its top-left pixel: whatever filter the
// first row uses, that pixel's bytes are stored as they are.
PngPicture read_png_picture(const std::string& bytes) {
    PngPicture picture;
    if (bytes.size() < 33 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return picture;
    picture.width = big_endian(bytes, 16);
    picture.height = big_endian(bytes, 20);
    picture.colour_type = static_cast<std::uint8_t>(bytes[25]);
    std::string data;
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::uint32_t length = big_endian(bytes, at);
        if (bytes.compare(at + 4, 4, "IDAT") == 0) data += bytes.substr(at + 8, length);
        at += 12 + length;
    }
    std::vector<Bytef> pixels(std::size_t(picture.height) * (1 + 4 * picture.width));
    uLongf size = pixels.size();
    if (picture.colour_type == 6 &&
        uncompress(pixels.data(), &size, reinterpret_cast<const Bytef*>(data.data()),
                   data.size()) == Z_OK &&
        size == pixels.size()) {
        picture.top_left_alpha = pixels[4];
    }
    return picture;
}

TEST_F(InstalledTree, IconsAtEverySizeWithATransparentGround) {
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const PngPicture picture = read_png_picture(
            testing::read_file(installed("share/icons/hicolor/" + name + "/apps/tolvan.png")));
        EXPECT_EQ(picture.width, std::uint32_t(size)) << name;
        EXPECT_EQ(picture.height, std::uint32_t(size)) << name;
        EXPECT_EQ(picture.colour_type, 6) << name << ": RGB with alpha";
        EXPECT_EQ(picture.top_left_alpha, 0) << name << ": the corner shows the desktop through";
    }
    EXPECT_NE(
        testing::read_file(installed("share/icons/hicolor/scalable/apps/tolvan.svg")).find("<svg"),
        std::string::npos);
}

// Over SSH or in a container the window cannot open: one line that says so and names the way
// that works, instead of Qt's abort.
TEST_F(InstalledTree, WithoutADisplayTheWindowPointsToHeadless) {
    std::filesystem::create_directories("home");
    const testing::CommandOutput output = testing::run_command(
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u "
        "XDG_DATA_HOME -u XDG_CONFIG_HOME HOME=" +
        (directory() / "home").string() + " " + installed("bin/tolvan").string());
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.out, "");
    EXPECT_NE(output.err.find("graphical session"), std::string::npos) << output.err;
    EXPECT_NE(output.err.find("tolvan --headless"), std::string::npos) << output.err;
    EXPECT_EQ(std::count(output.err.begin(), output.err.end(), '\n'), 1) << output.err;
    EXPECT_TRUE(testing::entries_of("home").empty());
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

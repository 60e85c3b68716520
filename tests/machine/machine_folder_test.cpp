// Where the machine lives, and the demo firmware's working folder, which never loses an image
// that is not the demo's.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/sha256.h"
#include "machine/demo_firmware.h"
#include "machine/machine_folder.h"
#include "support/files.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using testing::read_file;
using testing::write_file;

TEST(MachineFolder, ChoiceFollowsTheFilesThenTheRememberedFolderThenTheUsersOwn) {
    const testing::ScratchDirectory scratch;
    const std::filesystem::path existing = scratch.path();
    const std::filesystem::path cwd = "/work/somewhere";
    const struct {
        bool cwd_has_files;
        UserEnvironment environment;
        std::optional<std::filesystem::path> remembered;
        std::filesystem::path path;
        FolderOrigin origin;
    } cases[] = {
        {true, {"/home/u", ""}, existing, cwd, FolderOrigin::kCurrentDirectory},
        {false, {"/home/u", ""}, existing, existing, FolderOrigin::kRemembered},
        {false,
         {"/home/u", ""},
         existing / "gone",
         "/home/u/.local/share/tolvan/machine",
         FolderOrigin::kPerUserDefault},
        {false,
         {"/home/u", ""},
         std::nullopt,
         "/home/u/.local/share/tolvan/machine",
         FolderOrigin::kPerUserDefault},
        {false,
         {"/home/u", "/data"},
         std::nullopt,
         "/data/tolvan/machine",
         FolderOrigin::kPerUserDefault},
        {false,
         {"/home/u", "relative"},
         std::nullopt,
         "/home/u/.local/share/tolvan/machine",
         FolderOrigin::kPerUserDefault},
        {false, {"", ""}, std::nullopt, cwd, FolderOrigin::kCurrentDirectory},
    };
    for (const auto& one : cases) {
        const MachineFolder folder =
            choose_machine_folder(cwd, one.cwd_has_files, one.environment, one.remembered);
        EXPECT_EQ(folder.path, one.path) << one.environment.home << one.environment.xdg_data_home;
        EXPECT_EQ(folder.origin, one.origin) << folder.path;
    }
}

class DemoFolderTest : public testing::ScratchDirectoryTest {
  protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        std::filesystem::create_directories("images");
        write_demo("low 1", "high 1");
    }
    void write_demo(const std::string& low, const std::string& high) {
        write_file("images/TOLVANL.ROM", low);
        write_file("images/TOLVANH.ROM", high);
    }
};

TEST_F(DemoFolderTest, OwnImagesAreUpdatedAndForeignOnesKept) {
    DemoFolderSetup setup = prepare_demo_folder("images", "demo");
    ASSERT_TRUE(setup.ok()) << setup.failed_path;
    EXPECT_EQ(read_file("demo/TOLVANL.ROM"), "low 1");
    EXPECT_EQ(read_file("demo/.demo-roms"),
              sha256_hex("low 1") + " TOLVANL.ROM\n" + sha256_hex("high 1") + " TOLVANH.ROM\n");

    // A newer demo replaces the images that are still the demo's; the user's own image stays.
    write_file("demo/TOLVANH.ROM", "the user's own");
    write_demo("low 2", "high 2");
    setup = prepare_demo_folder("images", "demo");
    ASSERT_TRUE(setup.ok());
    EXPECT_EQ(read_file("demo/TOLVANL.ROM"), "low 2");
    EXPECT_EQ(read_file("demo/TOLVANH.ROM"), "the user's own");
    ASSERT_EQ(setup.foreign_images.size(), 1u);
    EXPECT_EQ(read_file("demo/.demo-roms"), sha256_hex("low 2") + " TOLVANL.ROM\n");

    // Once no image is the demo's, the list goes, and nothing is replaced.
    write_file("demo/TOLVANL.ROM", "also the user's");
    setup = prepare_demo_folder("images", "demo");
    EXPECT_EQ(setup.foreign_images.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists("demo/.demo-roms"));
    EXPECT_EQ(read_file("demo/TOLVANL.ROM"), "also the user's");
}

// The files for the debugger come along under the same rule as the images: a source that the
// user changed in the demo folder stays as it is.
TEST_F(DemoFolderTest, DebugInformationAndSourcesComeAlong) {
    write_file("images/TOLVAN.debug.json", "{}");
    write_file("images/main.asm", "RTN\n");
    write_file("images/notes.txt", "not the demo's");
    ASSERT_TRUE(prepare_demo_folder("images", "demo").ok());
    EXPECT_EQ(read_file("demo/TOLVAN.debug.json"), "{}");
    EXPECT_EQ(read_file("demo/main.asm"), "RTN\n");
    EXPECT_FALSE(std::filesystem::exists("demo/notes.txt"));
    write_file("demo/main.asm", "; mine\n");
    write_file("images/main.asm", "LIA 1\n");
    const DemoFolderSetup setup = prepare_demo_folder("images", "demo");
    ASSERT_TRUE(setup.ok());
    EXPECT_EQ(read_file("demo/main.asm"), "; mine\n");
    EXPECT_EQ(setup.foreign_images, std::vector<std::string>{"demo/main.asm"});
}

TEST(DemoFirmware, ImagesAreFoundInstalledOrInTheBuildTree) {
    const testing::ScratchDirectory scratch;
    const std::filesystem::path root = scratch.path();
    EXPECT_FALSE(find_demo_images(root / "bin"));
    // The installed images come first.
    for (const char* folder : {"firmware", "share/tolvan"}) {
        std::filesystem::create_directories(root / folder);
        write_file((root / folder / "TOLVANL.ROM").string(), "l");
        write_file((root / folder / "TOLVANH.ROM").string(), "h");
        EXPECT_EQ(find_demo_images(root / "bin"), root / folder);
    }
}

}  // namespace
}  // namespace tolvan

// The example program of the README, as a newcomer uses it: both ROM images assembled by the
// real tolvan-asm from examples/hello.asm, run by the real tolvan --headless, read off its LCD
// with the font that the program carries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/command_output.h"
#include "support/files.h"
#include "support/lcd_text.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

constexpr const char* kExample = TOLVAN_EXAMPLES_DIR "/hello.asm";

// Keys of both halves of the key matrix count, one per key typed, and ten make 0 again.
TEST(ExampleProgram, HelloShowsTheNumberOfKeysPressed) {
    const testing::ScratchDirectory folder;
    for (const char* image :
         {"TOLVANL.ROM --range 0x0000-0x1FFF", "TOLVANH.ROM --range '&8000-&FFFF'"}) {
        const testing::CommandOutput assembled = testing::run_command(
            std::string(TOLVAN_ASM_BINARY) + " -o " + folder.file(image) + " " + kExample);
        ASSERT_EQ(assembled.status, 0) << assembled.err;
        EXPECT_EQ(assembled.err, "");
    }
    const testing::CommandOutput run = testing::run_command(
        std::string(TOLVAN_BINARY) + " -C " + folder.path().string() +
        " --headless --slices 5 --lcd --type abc --slices 5 --lcd --type hjkl --slices 5 --lcd"
        " --type 123 --slices 5 --lcd");
    ASSERT_EQ(run.status, 0) << run.err;
    const testing::LcdReader reader(testing::read_file(folder.file("TOLVANH.ROM")));
    std::vector<std::string> texts;
    for (const testing::Screen& screen : reader.screens_of(run.out))
        texts.push_back(screen.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"HELLO 0         ", "HELLO 3         ",
                                               "HELLO 7         ", "HELLO 0         "}));
}

}  // namespace
}  // namespace tolvan

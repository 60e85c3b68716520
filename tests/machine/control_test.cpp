// Power-on with its status codes and fallbacks, the after-load reset, Save RAM and the
// execution slice, with ROM images written by the tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "machine/commands.h"
#include "machine/configuration.h"
#include "machine/control.h"
#include "machine/slice.h"
#include "support/files.h"
#include "support/rom_images.h"
#include "support/scratch_directory.h"

namespace tolvan {
namespace {

using testing::RomImages;

// Firmware that loops forever at 0x0000: JP 0000.
constexpr std::initializer_list<std::uint8_t> kIdleLoop = {0x79, 0x00, 0x00};

class ControlTest : public testing::ScratchDirectoryTest {
  protected:
    std::unique_ptr<Emulator> emulator = std::make_unique<Emulator>();
    Display display;
    RomImages roms;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        display.case_bitmap = Image(kClientWidth, kClientHeight, rgb(1, 2, 3));
        display.pixel_bitmap = Image(kPixelBitmapWidth, kPixelBitmapHeight, kLcdBackground);
    }
    void write_file(const std::string& name, std::size_t size, std::uint8_t fill = 0) {
        testing::write_file(name, std::string(size, static_cast<char>(fill)));
    }
    void write_configuration(const std::string& text) { testing::write_file("Tolvan.ini", text); }
    // The files that a test writes may lack the RAM image: a first run, as at window creation.
    void start() { static_cast<void>(start_machine(*emulator)); }
    void slice() { EXPECT_TRUE(run_slice(*emulator, display).failures.ok()); }
};

TEST_F(ControlTest, MissingRomsStopExecution) {
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kRamImageMissing);
    EXPECT_EQ(emulator->control.power_on_status, PowerOnStatus::kHighRomMissing);
    write_file("TOLVANH.ROM", kHighRomSize);
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kRamImageMissing);
    EXPECT_EQ(emulator->control.power_on_status, PowerOnStatus::kLowRomMissing);
    emulator->cpu.pc = 0x1234;
    slice();
    EXPECT_EQ(emulator->cpu.pc, 0x1234) << "no instruction runs";
}

TEST_F(ControlTest, ShortRomsHaveTheirCodesAndLongOnesAreCut) {
    write_file("TOLVANL.ROM", kLowRomSize - 1, 0xAA);
    write_file("TOLVANH.ROM", kHighRomSize + 10, 0xBB);
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kRamImageMissing);
    EXPECT_EQ(emulator->control.power_on_status, PowerOnStatus::kLowRomShort);
    EXPECT_EQ(emulator->bus.memory.image[0x1FFE], 0xAA);
    EXPECT_EQ(emulator->bus.memory.image[0x1FFF], 0x00);
    write_file("TOLVANL.ROM", kLowRomSize + 1, 0xAA);
    write_file("TOLVANH.ROM", kHighRomSize - 1);
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kRamImageMissing);
    EXPECT_EQ(emulator->control.power_on_status, PowerOnStatus::kHighRomShort);
}

TEST_F(ControlTest, ProgramCounterFromTheConfigurationNeedsAllThreeFiles) {
    roms.write();
    write_configuration("[Registres]\nPC=4660\n");
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kRamImageMissing);
    EXPECT_EQ(emulator->control.power_on_status, PowerOnStatus::kOk);
    EXPECT_EQ(emulator->cpu.pc, 0) << "a missing RAM image restarts the firmware at 0";
    write_file("TOLVAN.RAM", kRamImageSize - 1, 0x11);
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kRamImageShort);
    EXPECT_EQ(emulator->cpu.pc, 0);
    write_file("TOLVAN.RAM", kRamImageSize, 0x22);
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kOk);
    EXPECT_EQ(emulator->cpu.pc, 4660);
    EXPECT_EQ(emulator->bus.memory.image[0x7FFF], 0x22);
}

TEST_F(ControlTest, RamImageNameComesFromTheConfiguration) {
    roms.write();
    write_configuration("[Fichiers]\nFileRAM=other.ram\n");
    write_file("other.ram", kRamImageSize, 0x5A);
    emulator->control.ram_file_name = "ignored.ram";
    EXPECT_EQ(power_on(*emulator).ram, PowerOnStatus::kOk);
    EXPECT_EQ(emulator->bus.memory.image[0x2000], 0x5A);
}

TEST_F(ControlTest, AfterLoadResetRestoresTheTimingBookkeeping) {
    write_configuration("[Horloge]\nMaxHorloge002=77\n");
    emulator->cpu.counter_512ms = 5;
    emulator->cpu.elapsed_2ms = 1;
    emulator->bus.keyboard.break_counter = 2;
    emulator->bus.memory.lcd_redraw = 0;
    start();
    EXPECT_EQ(emulator->cpu.timer_limit_2ms, 20);
    EXPECT_EQ(emulator->cpu.counter_512ms, 0);
    EXPECT_EQ(emulator->cpu.elapsed_2ms, 0);
    EXPECT_EQ(emulator->bus.keyboard.break_counter, 0);
    EXPECT_EQ(emulator->bus.memory.lcd_redraw, 1);
}

TEST_F(ControlTest, SliceStopsRightAfterTheDisplayIsSwitchedOn) {
    // LIP 5F; ORIM 01 (display on in the port C byte); OUTC; RA; JP 0005.
    roms.place(0x0000, {0x12, 0x5F, 0x61, 0x01, 0xDF, 0x23, 0x79, 0x00, 0x05});
    roms.write();
    start();
    emulator->bus.memory.lcd_redraw = 0;
    EXPECT_FALSE(run_slice(*emulator, display).drew_lcd);
    EXPECT_EQ(emulator->cpu.pc, 0x0005) << "the slice ends after OUTC";
    EXPECT_EQ(emulator->bus.ports.refresh_request, 0);
    EXPECT_EQ(display.client.at(kLcdLeft, kLcdTop), 0u) << "nothing drawn with the flag clear";
    emulator->bus.memory.lcd_redraw = 1;
    emulator->cpu.pc = 0;
    EXPECT_TRUE(run_slice(*emulator, display).drew_lcd);
    EXPECT_EQ(display.client.at(kLcdLeft, kLcdTop), kLcdBackground) << "the LCD was drawn";
    EXPECT_EQ(emulator->bus.memory.lcd_redraw, 0);
    emulator->cpu.pc = 0;
    EXPECT_FALSE(run_slice(*emulator, display).drew_lcd) << "no display byte changed since";
}

TEST_F(ControlTest, BusySliceDoesNothing) {
    roms.place(0x0000, kIdleLoop);
    roms.write();
    start();
    emulator->control.slice_busy = 1;
    slice();
    EXPECT_EQ(emulator->cpu.counter_512ms, 0);
    emulator->control.slice_busy = 0;
    slice();
    EXPECT_EQ(emulator->control.slice_busy, 0);
    EXPECT_GT(emulator->cpu.counter_512ms + emulator->cpu.elapsed_512ms, 0);
}

TEST_F(ControlTest, HeldKeyIsReleasedAtTheThirdScanPass) {
    // 0x1330: TEST 8; OUTC (display on, ending the slice); JP 1330.
    roms.place(0x0000, {0x79, 0x13, 0x30});
    roms.place(0x1330, {0x6B, 0x08, 0xDF, 0x79, 0x13, 0x30});
    roms.write();
    start();
    emulator->cpu.iram[kPortCByte] = kPortCDisplayOn;
    Keyboard& keyboard = emulator->bus.keyboard;
    post_key(keyboard, KeyCode::kLetterA);
    slice();
    slice();
    EXPECT_EQ(keyboard.key_down, 1) << "taken by TEST 8, held for two passes";
    EXPECT_EQ(keyboard.lines_a[2], 0x40);
    slice();
    EXPECT_EQ(keyboard.key_down, 0) << "the third pass lets it go";
    EXPECT_EQ(keyboard.lines_a[2], 0);
}

TEST_F(ControlTest, SaveRamToAnUnwritablePlaceReportsAndKeepsThePreviousImage) {
    roms.write();
    write_file("TOLVAN.RAM", kRamImageSize, 0x33);
    start();
    emulator->control.ram_file_name = "missing-directory/TOLVAN.RAM";
    emulator->cpu.pc = 0x4321;
    const Failures failures = save_ram_image(*emulator);
    ASSERT_EQ(failures.list.size(), 1u);
    EXPECT_EQ(failures.list[0].message, "Erreur pendant l'écriture de la RAM");
    EXPECT_EQ(failures.list[0].detail, "missing-directory/TOLVAN.RAM: No such file or directory");
    EXPECT_FALSE(std::filesystem::exists("Tolvan.ini"))
        << "registers without their image would not belong to the image on disk";
    EXPECT_EQ(testing::read_file("TOLVAN.RAM"), std::string(kRamImageSize, '\x33'));
}

TEST_F(ControlTest, FailedWriteOfAnExistingImageLeavesItIntact) {
    roms.write();
    write_file("TOLVAN.RAM", kRamImageSize, 0x44);
    start();
    emulator->bus.memory.image[0x2000] = 0x99;
    EXPECT_TRUE(
        testing::with_file_size_limit(100, [&] { return !save_ram_image(*emulator).ok(); }));
    EXPECT_EQ(testing::read_file("TOLVAN.RAM"), std::string(kRamImageSize, '\x44'));
    EXPECT_TRUE(save_ram_image(*emulator).ok());
    EXPECT_EQ(testing::read_file("TOLVAN.RAM")[0], '\x99');
}

TEST_F(ControlTest, LargeDelaySlowsTheSliceWithoutFreezingIt) {
    roms.place(0x0000, kIdleLoop);
    roms.write();
    start();
    // About a millisecond per instruction: ten seconds for a whole slice without the clock.
    emulator->cpu.max_delay = 6'000'000;
    const auto start = std::chrono::steady_clock::now();
    static_cast<void>(run_slice(*emulator, display, {{}, wall_clock()}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(emulator->cpu.pc, 0x0000);
}

TEST_F(ControlTest, LoadRamOfAnIncompleteImageKeepsTheRunningMachine) {
    roms.write();
    write_file("TOLVAN.RAM", kRamImageSize, 0x55);
    start();
    emulator->cpu.pc = 0x4321;
    emulator->bus.memory.image[0x2000] = 0x66;
    for (const std::size_t size : {std::size_t{0}, kRamImageSize - 1}) {
        if (size == 0)
            std::filesystem::remove("TOLVAN.RAM");
        else
            write_file("TOLVAN.RAM", size, 0x77);
        const LoadRamResult result = load_ram(*emulator);
        EXPECT_FALSE(result.started);
        ASSERT_EQ(result.failures.list.size(), 1u);
        EXPECT_EQ(result.failures.list[0].message, "Erreur pendant la lecture de la RAM");
        EXPECT_EQ(result.failures.list[0].detail, size == 0
                                                      ? "TOLVAN.RAM: No such file or directory"
                                                      : "TOLVAN.RAM: 24575 bytes instead of 24576");
        EXPECT_EQ(emulator->cpu.pc, 0x4321);
        EXPECT_EQ(emulator->bus.memory.image[0x2000], 0x66);
        EXPECT_EQ(emulator->bus.memory.image[0x2001], 0x55);
    }
    write_file("TOLVAN.RAM", kRamImageSize, 0x77);
    const LoadRamResult result = load_ram(*emulator);
    EXPECT_TRUE(result.failures.ok());
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.started->roms, PowerOnStatus::kOk);
    EXPECT_EQ(result.started->ram, PowerOnStatus::kOk);
    EXPECT_EQ(emulator->bus.memory.image[0x2000], 0x77);
}

TEST_F(ControlTest, SaveRamReportsAConfigurationThatCannotBeWritten) {
    std::filesystem::create_directory("Tolvan.ini");
    emulator->control.ram_file_name = "TOLVAN.RAM";
    const Failures failures = save_ram_image(*emulator);
    ASSERT_EQ(failures.list.size(), 1u);
    EXPECT_EQ(failures.list[0].message, "Erreur pendant l'écriture de Tolvan.ini");
    EXPECT_EQ(failures.list[0].detail, "Tolvan.ini: Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory("Tolvan.ini"));
}

}  // namespace
}  // namespace tolvan

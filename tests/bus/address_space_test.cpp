// The memory map at its borders: RAM window mirroring, ROM, constant areas, the display area
// and its second view, and the key strobe latch.
#include <gtest/gtest.h>

#include "bus/address_space.h"

namespace tolvan {
namespace {

struct AddressSpaceTest : testing::Test {
    AddressSpace memory;
    AddressSpaceTest() { memory.lcd_redraw = 0; }
};

TEST_F(AddressSpaceTest, FourKilobytesMirrorIntoTheWholeWindow) {
    memory.ram_size = kRamSize4K;
    write_data_byte(memory, 0x2345, 0x5A);
    for (std::uint16_t address : {0x3345, 0x4345, 0x5345}) {
        EXPECT_EQ(read_data_byte(memory, address), 0x5A) << std::hex << address;
        EXPECT_EQ(read_program_byte(memory, address), 0x5A) << std::hex << address;
    }
}

TEST_F(AddressSpaceTest, AnyOtherSizeDecodesAsFour) {
    memory.ram_size = 5;
    write_data_byte(memory, 0x2FFF, 0x11);
    EXPECT_EQ(memory.image[0x5FFF], 0x11);
    write_data_byte(memory, 0x4000, 0x22);
    EXPECT_EQ(memory.image[0x5000], 0x22);
}

TEST_F(AddressSpaceTest, EightKilobytesMirrorTheLowerHalfOnly) {
    memory.ram_size = kRamSize8K;
    write_data_byte(memory, 0x2345, 0x5A);
    EXPECT_EQ(read_data_byte(memory, 0x4345), 0x5A);
    EXPECT_EQ(read_data_byte(memory, 0x3345), 0x00);
    write_data_byte(memory, 0x3FFF, 0x77);
    EXPECT_EQ(memory.image[0x5FFF], 0x77);
}

TEST_F(AddressSpaceTest, SixteenKilobytesAreIndependent) {
    memory.ram_size = kRamSize16K;
    write_data_byte(memory, 0x2345, 0x5A);
    EXPECT_EQ(read_data_byte(memory, 0x3345), 0x00);
    EXPECT_EQ(read_data_byte(memory, 0x4345), 0x00);
    EXPECT_EQ(read_data_byte(memory, 0x5345), 0x00);
}

TEST_F(AddressSpaceTest, LowRomIsSeenByProgramReadsOnly) {
    memory.image[0x1234] = 0xC3;
    EXPECT_EQ(read_program_byte(memory, 0x1234), 0xC3);
    EXPECT_EQ(read_data_byte(memory, 0x1234), 0x12);
    EXPECT_EQ(read_data_byte(memory, 0x1FFF), 0x1F);
    write_data_byte(memory, 0x1234, 0x00);
    EXPECT_EQ(memory.image[0x1234], 0xC3);
}

TEST_F(AddressSpaceTest, UnmappedAreasReadTheirHighByteOrFloat) {
    memory.image[0x6000] = 0xEE;
    memory.image[0x70C0] = 0xEE;
    memory.image[0x7250] = 0xEE;
    EXPECT_EQ(read_data_byte(memory, 0x6000), 0x60);
    EXPECT_EQ(read_data_byte(memory, 0x6FFF), 0x6F);
    EXPECT_EQ(read_data_byte(memory, 0x7250), 0x72);
    EXPECT_EQ(read_data_byte(memory, 0x7E00), 0x7E);
    EXPECT_EQ(read_data_byte(memory, 0x70C0), 0xFF);
    EXPECT_EQ(read_data_byte(memory, 0x70FF), 0xFF);
    EXPECT_EQ(read_data_byte(memory, 0x71C0), 0xFF);
    EXPECT_EQ(read_program_byte(memory, 0x71FF), 0xFF);
    EXPECT_EQ(read_program_byte(memory, 0x7FFF), 0x7F);
    write_data_byte(memory, 0x6000, 0x01);
    write_data_byte(memory, 0x70C0, 0x01);
    write_data_byte(memory, 0x8000, 0x01);
    EXPECT_EQ(memory.image[0x6000], 0xEE);
    EXPECT_EQ(memory.image[0x70C0], 0xEE);
    EXPECT_EQ(memory.image[0x8000], 0x00);
}

TEST_F(AddressSpaceTest, OnlyAChangedDrawnDisplayByteAsksForARedraw) {
    memory.image[0x7010] = 0x3C;
    write_data_byte(memory, 0x7010, 0x3C);
    EXPECT_EQ(memory.lcd_redraw, 0);
    write_data_byte(memory, 0x7010, 0x3D);
    EXPECT_EQ(memory.lcd_redraw, 1);
    memory.lcd_redraw = 0;
    write_data_byte(memory, 0x707C, 0x01);  // last drawn byte: annunciators
    EXPECT_EQ(memory.lcd_redraw, 1);
    memory.lcd_redraw = 0;
    write_data_byte(memory, 0x707D, 0x01);
    write_data_byte(memory, 0x7080, 0x01);
    EXPECT_EQ(memory.lcd_redraw, 0);
    EXPECT_EQ(read_data_byte(memory, 0x7080), 0x01);
}

TEST_F(AddressSpaceTest, SecondViewWritesThroughWithoutARedraw) {
    memory.image[0x7105] = 0x99;  // only a RAM image fills these cells
    write_data_byte(memory, 0x7105, 0x41);
    EXPECT_EQ(read_data_byte(memory, 0x7005), 0x41);
    EXPECT_EQ(read_data_byte(memory, 0x7105), 0x41);
    EXPECT_EQ(read_program_byte(memory, 0x7105), 0x99);
    EXPECT_EQ(memory.lcd_redraw, 0);
}

TEST_F(AddressSpaceTest, KeyStrobeWriteLoadsTheLatchOnly) {
    write_data_byte(memory, kKeyStrobeAddress, 0x04);
    EXPECT_EQ(memory.key_strobe, 0x04);
    EXPECT_EQ(memory.image[kKeyStrobeAddress], 0x00);
    EXPECT_EQ(read_data_byte(memory, kKeyStrobeAddress), 0x7E);
}

TEST_F(AddressSpaceTest, ProgramWordWrapsAtTheTop) {
    memory.image[0xFFFF] = 0x12;
    memory.image[0x0000] = 0x34;
    EXPECT_EQ(read_program_word(memory, 0xFFFF), 0x1234);
}

}  // namespace
}  // namespace tolvan

// Random programs run through execution slices: whatever the bytes, the emulator must stay
// inside its memory and internal RAM and every slice must end.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "bus/keyboard.h"
#include "machine/slice.h"

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr int kSlices = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderSize) return 0;
    auto emulator = std::make_unique<tolvan::Emulator>();
    tolvan::Display display;
    display.case_bitmap = tolvan::Image(tolvan::kClientWidth, tolvan::kClientHeight);
    display.pixel_bitmap = tolvan::Image(tolvan::kPixelBitmapWidth, tolvan::kPixelBitmapHeight);

    tolvan::Cpu& cpu = emulator->cpu;
    // The header sets the pointers (all eight bits, as STP can), the RAM size and a key.
    cpu.p = data[0];
    cpu.q = data[1];
    cpu.r = data[2];
    cpu.dp = static_cast<std::uint16_t>(data[3] << 8 | data[4]);
    const std::int8_t sizes[] = {16, 8, 4, 5};
    emulator->bus.memory.ram_size = sizes[data[5] & 3];
    cpu.timer_limit_512ms = 1000;
    cpu.timer_limit_2ms = 20;
    const auto key = tolvan::key_code(data[6] % (tolvan::key_number(tolvan::kHighestKeyCode) + 2));
    // The program fills the image from 0x0000 and again from 0x8000, so execution that wraps
    // or jumps high finds code too; tape file names are empty so nothing is written.
    for (std::size_t n = kHeaderSize; n < size; ++n) {
        const std::size_t offset = n - kHeaderSize;
        emulator->bus.memory.image[offset % 0x10000] = data[n];
        emulator->bus.memory.image[(0x8000 + offset) % 0x10000] = data[n];
    }
    cpu.pc = static_cast<std::uint16_t>(data[7] << 8);
    for (int slice = 0; slice < kSlices; ++slice) {
        if (slice == 1) tolvan::post_key(emulator->bus.keyboard, key);
        static_cast<void>(tolvan::run_slice(*emulator, display));
    }
    return 0;
}

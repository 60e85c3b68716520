// Any records as the body of a state file of this machine's ROM images: loading either refuses
// and changes nothing, or gives a machine that runs, and saves and loads again as the very same
// bytes. The input is the records after the two ROM digests, so that the search spends its time
// on the fields rather than on the digests; the deflate layer has zlib's own tests.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/deflate.h"
#include "machine/slice.h"
#include "machine/state_file.h"

namespace {

constexpr int kSlices = 2;

void require(bool condition) {
    if (!condition) std::abort();
}

void append_record(std::string_view name, std::string_view value, std::vector<std::uint8_t>& out) {
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value.size() >> shift));
    out.insert(out.end(), value.begin(), value.end());
}

std::string state_file(const tolvan::Emulator& emulator, const std::uint8_t* data,
                       std::size_t size) {
    std::vector<std::uint8_t> records;
    append_record("low_rom_sha256", emulator.control.low_rom_sha256, records);
    append_record("high_rom_sha256", emulator.control.high_rom_sha256, records);
    records.insert(records.end(), data, data + size);
    const std::vector<std::uint8_t> body = tolvan::deflate_bytes(records);
    std::string file = "TOLVAN-STATE";
    file += std::string("\x01\x00\x00\x00", 4);
    file.append(body.begin(), body.end());
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto emulator = std::make_unique<tolvan::Emulator>();
    const std::string before = tolvan::state_file_bytes(*emulator);
    if (!tolvan::load_state_bytes(*emulator, state_file(*emulator, data, size))) {
        require(tolvan::state_file_bytes(*emulator) == before);
        return 0;
    }
    const std::string loaded = tolvan::state_file_bytes(*emulator);
    auto again = std::make_unique<tolvan::Emulator>();
    require(static_cast<bool>(tolvan::load_state_bytes(*again, loaded)));
    require(tolvan::state_file_bytes(*again) == loaded);

    // The machine of any loaded file runs. Tape file names are empty: nothing is written.
    tolvan::Display display;
    display.case_bitmap = tolvan::Image(tolvan::kClientWidth, tolvan::kClientHeight);
    display.pixel_bitmap = tolvan::Image(tolvan::kPixelBitmapWidth, tolvan::kPixelBitmapHeight);
    for (int slice = 0; slice < kSlices; ++slice)
        static_cast<void>(tolvan::run_slice(*emulator, display));
    return 0;
}

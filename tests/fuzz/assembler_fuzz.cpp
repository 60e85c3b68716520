// Random sources through the assembler: whatever the text, assembly ends within its bounds and
// every error names its file. The same bytes, taken as memory, must unassemble into source that
// assembles back over the memory image to the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bus/address_space.h"
#include "tools/assembler.h"
#include "tools/unassembler.h"

namespace {

constexpr char kFileSeparator = '\0';
constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;
constexpr std::uint32_t kAddressSpaceSize = 0x10000;
constexpr std::uint16_t kBaseStart = 0x8000;
constexpr std::uint8_t kFill = 0xFF;
// Enough for every kind of line and for the last instruction to run past 0xFFFF; more would
// only slow the search down.
constexpr std::size_t kMaxMemoryBytes = 256;

// The input split at zero bytes: the main source, then the files that INCLUDE reads.
std::vector<std::string_view> split_files(std::string_view input) {
    std::vector<std::string_view> files;
    while (true) {
        const std::size_t end = input.find(kFileSeparator);
        files.push_back(input.substr(0, end));
        if (end == std::string_view::npos) return files;
        input.remove_prefix(end + 1);
    }
}

std::uint32_t name_hash(std::string_view name) {
    std::uint32_t hash = kFnvOffset;
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
    return hash;
}

void check_assembly(const std::vector<std::string_view>& files, const std::uint8_t* data,
                    std::size_t size) {
    // Every name finds one of the other parts, so that INCLUDE chains, loops and repeats occur.
    const tolvan::IncludeLoader loader = [&files](const std::string& path) -> tolvan::LoadedFile {
        if (files.size() < 2) return std::nullopt;
        return std::optional<std::string>(files[1 + name_hash(path) % (files.size() - 1)]);
    };
    const tolvan::BaseImage base{
        kBaseStart, {data, data + std::min<std::size_t>(size, kAddressSpaceSize - kBaseStart)}};
    const tolvan::AssemblyResult result =
        tolvan::assemble_source(files.front(), "fuzz.asm", loader, base);
    for (const tolvan::AssemblyError& error : result.errors) {
        if (error.message.empty() || error.file.empty() || error.line < 0) __builtin_trap();
    }
    (void)tolvan::assembly_listing(result);
    if (const auto extent = tolvan::assembled_extent(result)) {
        (void)tolvan::assembled_image(result, extent->first, extent->second, kFill, base);
    }
}

// The memory as the instruction fetch reads it, which is what the unassembler shows.
std::vector<std::uint8_t> fetched_view(const tolvan::AddressSpace& memory) {
    std::vector<std::uint8_t> view(kAddressSpaceSize);
    for (std::uint32_t address = 0; address < kAddressSpaceSize; ++address)
        view[address] = tolvan::read_program_byte(memory, static_cast<std::uint16_t>(address));
    return view;
}

// The first bytes of the input as the top of memory, unassembled from their start to 0xFFFF.
void check_round_trip(const std::uint8_t* data, std::size_t size) {
    size = std::min(size, kMaxMemoryBytes);
    if (size == 0) return;
    static const auto empty_memory = std::make_unique<const tolvan::AddressSpace>();
    static const std::vector<std::uint8_t> empty_view = fetched_view(*empty_memory);
    auto memory = std::make_unique<tolvan::AddressSpace>();
    const auto from = static_cast<std::uint16_t>(kAddressSpaceSize - size);
    std::copy(data, data + size, memory->image.begin() + from);
    // Only the top of memory differs from empty memory.
    tolvan::BaseImage base{0, empty_view};
    for (std::uint32_t address = from; address < kAddressSpaceSize; ++address) {
        base.bytes[address] =
            tolvan::read_program_byte(*memory, static_cast<std::uint16_t>(address));
    }
    const std::string source = tolvan::unassemble_text(*memory, from, 0xFFFF, true);
    const tolvan::AssemblyResult result = tolvan::assemble_source(
        source, "memory.asm", [](const std::string&) { return std::nullopt; }, base);
    if (!result.ok()) __builtin_trap();
    for (const auto& [address, byte] : result.bytes) {
        if (byte != base.bytes[address]) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    check_assembly(split_files(input), data, size);
    check_round_trip(data, size);
    return 0;
}

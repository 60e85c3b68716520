// The demo firmware's debug information against its listings and images: every byte that the
// listing shows is claimed by the source line whose operation the listing names, every byte
// of the debug information is one that the listing shows, and both images hold those bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"
#include "tools/asm_source.h"
#include "tools/debug_info.h"

namespace tolvan {
namespace {

constexpr const char* kFirmwareDir = TOLVAN_FIRMWARE_DIR;

struct ListedLine {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
    std::string operation;  // the first word of the instruction text: "LIA", "DB", ...
};

// "0100: 02 5C        LIA   5C": the address, the bytes, and from a fixed column the text. DS
// lines show no bytes, and there are none to claim.
constexpr std::size_t kBytesColumn = 6;
constexpr std::size_t kTextColumn = 19;

std::vector<ListedLine> read_listing(const std::string& name) {
    std::vector<ListedLine> listed;
    std::istringstream lines(testing::read_file(std::string(kFirmwareDir) + "/" + name));
    for (std::string line; std::getline(lines, line);) {
        ListedLine item{
            static_cast<std::uint16_t>(std::stoul(line.substr(0, 4), nullptr, 16)), {}, ""};
        std::istringstream bytes(line.substr(kBytesColumn, kTextColumn - kBytesColumn));
        for (std::string byte; bytes >> byte;)
            item.bytes.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
        std::istringstream(line.substr(kTextColumn)) >> item.operation;
        if (!item.bytes.empty()) listed.push_back(item);
    }
    return listed;
}

std::vector<std::string> source_lines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::istringstream text(testing::read_file(path.string()));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

// The operation of a source line as the listing writes it: DW data shows as DB.
std::string operation_of(const std::string& line) {
    const ParsedLine parsed = parse_line(line, {"", 1});
    if (!parsed.statement) return "";
    return parsed.statement->operation == "DW" ? "DB" : parsed.statement->operation;
}

TEST(FirmwareDebugInfo, EveryListedByteHasItsSourceLine) {
    DebugInfo info;
    const DebugInfoStatus status =
        read_debug_info(std::string(kFirmwareDir) + "/TOLVAN.debug.json", info);
    ASSERT_TRUE(status.ok()) << status.path << ": " << status.reason;
    std::map<std::uint32_t, std::vector<std::string>> sources;
    for (std::uint32_t file = 0; file < info.files.size(); ++file)
        sources[file] = source_lines(source_file_path(info, file));

    const std::map<std::string, std::pair<std::uint16_t, std::size_t>> images{
        {"TOLVANL", {0x0000, 0x2000}}, {"TOLVANH", {0x8000, 0x8000}}};
    for (const auto& [image, extent] : images) {
        const std::string rom =
            testing::read_file(std::string(kFirmwareDir) + "/" + image + ".ROM");
        ASSERT_EQ(rom.size(), extent.second);
        std::size_t listed_bytes = 0;
        for (const ListedLine& item : read_listing(image + ".lst")) {
            for (std::size_t n = 0; n < item.bytes.size(); ++n) {
                const auto address = static_cast<std::uint16_t>(item.address + n);
                const auto line = source_line_at(info, address);
                ASSERT_TRUE(line) << image << " " << std::hex << address;
                const std::string& text = sources[line->file].at(line->line - 1);
                EXPECT_EQ(operation_of(text), item.operation)
                    << info.files[line->file] << ":" << line->line << ": " << text;
                if (address >= extent.first &&
                    std::size_t{address} - extent.first < extent.second) {
                    EXPECT_EQ(static_cast<std::uint8_t>(rom[address - extent.first]),
                              item.bytes[n]);
                }
            }
            listed_bytes += item.bytes.size();
        }
        std::size_t claimed_bytes = 0;
        for (const DebugLineRun& run : info.lines)
            claimed_bytes += run.length;
        EXPECT_EQ(claimed_bytes, listed_bytes) << image;
    }
    // The labels that the C++ names lie on their lines.
    for (const DebugLabel& label : info.labels) {
        if (label.equ) continue;
        const std::string& text = sources[label.file].at(label.line - 1);
        EXPECT_EQ(text.rfind(label.name + ":", 0), 0u) << label.name << ": " << text;
    }
}

}  // namespace
}  // namespace tolvan

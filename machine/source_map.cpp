#include "machine/source_map.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "machine/debugger.h"

namespace tolvan {

namespace {

constexpr std::string_view kJsonExtension = ".json";
constexpr std::string_view kDebugInfoSuffix = ".debug.json";

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

DebugInfoStatus load_debug_info_file(Emulator& emulator, const std::filesystem::path& path) {
    // An absolute path, so that the sources found beside it are named in full.
    std::error_code ignored;
    DebugInfo info;
    const DebugInfoStatus status = read_debug_info(std::filesystem::absolute(path, ignored), info);
    if (!status.ok()) return status;
    for (const DebugLabel& label : info.labels) {
        add_symbol(emulator.symbols, label.name, static_cast<std::uint16_t>(label.value),
                   label.equ ? SymbolKind::kEqu : SymbolKind::kLabel);
    }
    emulator.debug_info.push_back(std::move(info));
    return status;
}

DebugInfoFolderStatus load_debug_info_folder(Emulator& emulator,
                                             const std::filesystem::path& folder) {
    DebugInfoFolderStatus result;
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (ends_with_ignoring_case(name, kJsonExtension)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        const DebugInfoStatus status = load_debug_info_file(emulator, file);
        if (status.ok()) {
            ++result.loaded;
        } else if (ends_with_ignoring_case(file.filename().string(), kDebugInfoSuffix)) {
            result.failures.push_back(file.filename().string() + ": " + status.reason);
        }
    }
    return result;
}

std::optional<SourcePlace> source_place(const Emulator& emulator, std::uint16_t address) {
    for (const DebugInfo& info : emulator.debug_info) {
        if (const auto line = source_line_at(info, address)) {
            return SourcePlace{source_file_path(info, line->file), line->line};
        }
    }
    return std::nullopt;
}

std::optional<LineCode> code_at_or_after(const Emulator& emulator,
                                         const std::filesystem::path& file, int line) {
    std::optional<LineCode> best;
    for (const DebugInfo& info : emulator.debug_info) {
        const auto index = find_source_file(info, file);
        if (!index) continue;
        int nearest = std::numeric_limits<int>::max();
        for (const DebugLineRun& run : info.lines) {
            if (run.file == *index && run.line >= line) nearest = std::min(nearest, run.line);
        }
        if (nearest == std::numeric_limits<int>::max()) continue;
        if (best && best->line < nearest) continue;
        if (!best || best->line > nearest) best = LineCode{nearest, {}};
        for (const std::uint16_t address : addresses_of_line(info, *index, nearest)) {
            best->addresses.push_back(address);
        }
    }
    return best;
}

StepResult step_line(Emulator& emulator, Display& display) {
    const auto start = source_place(emulator, emulator.cpu.pc);
    StepResult result = step_into(emulator, display);
    for (int steps = 1; start && steps < kMaxLineSteps && result.stop.reason == StopReason::kStep;
         ++steps) {
        const auto place = source_place(emulator, emulator.cpu.pc);
        if (!place || place->line != start->line || place->file != start->file) break;
        StepResult next = step_into(emulator, display);
        result.stop = next.stop;
        result.failures.add(std::move(next.failures));
    }
    return result;
}

}  // namespace tolvan

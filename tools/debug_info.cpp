#include "tools/debug_info.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>

#include "base/atomic_file.h"
#include "base/regular_file.h"

namespace tolvan {

namespace {

using Json = nlohmann::json;

constexpr std::uint32_t kAddressSpaceSize = 0x10000;
// A million lines of source give at most this much; more is not debug information of ours.
constexpr std::size_t kMaxDebugInfoBytes = 256 * 1024 * 1024;
constexpr int kRunFields = 4;

// Paths are stored as UTF-8 text; a byte that is not UTF-8 shows as U+FFFD rather than
// failing the whole file.
std::string json_text(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string stored_path(const std::filesystem::path& file, const std::filesystem::path& directory) {
    const std::filesystem::path absolute = std::filesystem::absolute(file).lexically_normal();
    const std::filesystem::path relative = absolute.lexically_relative(directory);
    if (relative.empty() || *relative.begin() == "..") return absolute.string();
    return relative.string();
}

// A JSON array with one element per line, so that the file reads and compares well as text.
std::string one_per_line(const std::vector<Json>& elements) {
    if (elements.empty()) return "[]";
    std::string text = "[";
    for (const Json& element : elements)
        text.append(text.size() == 1 ? "\n    " : ",\n    ").append(json_text(element));
    return text.append("\n  ]");
}

// Runs of the listing's bytes in address order, split where they pass 0xFFFF.
std::vector<DebugLineRun> line_runs(const AssemblyResult& result,
                                    const std::map<std::string, std::uint32_t>& file_index) {
    std::vector<DebugLineRun> runs;
    for (const ListingItem& item : result.listing) {
        if (item.bytes.empty()) continue;
        const std::uint32_t file = file_index.at(item.source.file);
        const auto length = static_cast<std::uint32_t>(item.bytes.size());
        const std::uint32_t first = std::min(length, kAddressSpaceSize - item.address);
        runs.push_back({item.address, first, file, item.source.line});
        if (first < length) runs.push_back({0, length - first, file, item.source.line});
    }
    std::stable_sort(runs.begin(), runs.end(), [](const DebugLineRun& a, const DebugLineRun& b) {
        return a.address < b.address;
    });
    return runs;
}

// The reason why `json` is not debug information of this version; empty when it is.
std::string format_problem(const Json& json) {
    if (!json.is_object() || !json.contains("format") || json["format"] != kDebugInfoFormat) {
        return "not Tolvan debug information";
    }
    if (!json.contains("version") || json["version"] != kDebugInfoVersion) {
        return "debug information of another version (this Tolvan reads version " +
               std::to_string(kDebugInfoVersion) + ")";
    }
    return "";
}

bool is_index(const Json& value, std::size_t count) {
    return value.is_number_unsigned() && value.get<std::uint64_t>() < count;
}

bool is_line(const Json& value) {
    return value.is_number_unsigned() && value.get<std::uint64_t>() >= 1 &&
           value.get<std::uint64_t>() <= static_cast<std::uint64_t>(INT32_MAX);
}

bool read_run(const Json& value, std::size_t files, DebugLineRun& run) {
    if (!value.is_array() || value.size() != kRunFields) return false;
    const Json& address = value[0];
    const Json& length = value[1];
    if (!address.is_number_unsigned() || address.get<std::uint64_t>() >= kAddressSpaceSize ||
        !length.is_number_unsigned() || length.get<std::uint64_t>() == 0 ||
        address.get<std::uint64_t>() + length.get<std::uint64_t>() > kAddressSpaceSize ||
        !is_index(value[2], files) || !is_line(value[3])) {
        return false;
    }
    run = {static_cast<std::uint16_t>(address.get<std::uint64_t>()),
           static_cast<std::uint32_t>(length.get<std::uint64_t>()),
           static_cast<std::uint32_t>(value[2].get<std::uint64_t>()), value[3].get<int>()};
    return true;
}

bool read_label(const Json& value, std::size_t files, DebugLabel& label) {
    if (!value.is_object() || !value.contains("name") || !value["name"].is_string() ||
        !value.contains("value") || !value["value"].is_number_integer() ||
        !value.contains("file") || !is_index(value["file"], files) || !value.contains("line") ||
        !is_line(value["line"])) {
        return false;
    }
    const bool equ = value.contains("equ") && value["equ"].is_boolean() && value["equ"].get<bool>();
    label = {value["name"].get<std::string>(), value["value"].get<std::int64_t>(),
             static_cast<std::uint32_t>(value["file"].get<std::uint64_t>()),
             value["line"].get<int>(), equ};
    return true;
}

// The contents of a parsed file, or the reason why they are not valid.
std::string read_contents(const Json& json, DebugInfo& info) {
    if (std::string problem = format_problem(json); !problem.empty()) return problem;
    if (!json.contains("directory") || !json["directory"].is_string() || !json.contains("files") ||
        !json["files"].is_array() || !json.contains("lines") || !json["lines"].is_array() ||
        !json.contains("labels") || !json["labels"].is_array()) {
        return "\"directory\", \"files\", \"lines\" or \"labels\" is missing or malformed";
    }
    info.directory = json["directory"].get<std::string>();
    for (const Json& file : json["files"]) {
        if (!file.is_string()) return "a file name is not text";
        info.files.push_back(file.get<std::string>());
    }
    for (const Json& value : json["lines"]) {
        DebugLineRun run;
        if (!read_run(value, info.files.size(), run))
            return "malformed line run " + json_text(value);
        if (!info.lines.empty() && run.address < info.lines.back().address) {
            return "the line runs are not in address order";
        }
        info.lines.push_back(run);
    }
    for (const Json& value : json["labels"]) {
        DebugLabel label;
        if (!read_label(value, info.files.size(), label))
            return "malformed label " + json_text(value);
        info.labels.push_back(std::move(label));
    }
    return "";
}

std::filesystem::path resolved(const std::filesystem::path& path) {
    std::error_code ignored;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ignored);
    return canonical.empty() ? path.lexically_normal() : canonical;
}

}  // namespace

DebugInfo assembly_debug_info(const AssemblyResult& result, const std::filesystem::path& source) {
    DebugInfo info;
    info.directory = std::filesystem::absolute(source).lexically_normal().parent_path();
    std::map<std::string, std::uint32_t> file_index;
    for (const std::string& file : result.files) {
        file_index.emplace(file, static_cast<std::uint32_t>(info.files.size()));
        info.files.push_back(stored_path(file, info.directory));
    }
    info.lines = line_runs(result, file_index);
    for (const auto& [name, value] : result.symbols) {
        const SourceLocation& where = result.definitions.at(name);
        info.labels.push_back(
            {name, value, file_index.at(where.file), where.line, result.equates.contains(name)});
    }
    return info;
}

std::string debug_info_text(const DebugInfo& info) {
    std::string text = "{\n  \"format\": " + json_text(kDebugInfoFormat) +
                       ",\n  \"version\": " + std::to_string(kDebugInfoVersion) +
                       ",\n  \"directory\": " + json_text(info.directory.string()) +
                       ",\n  \"files\": " + json_text(info.files) + ",\n  \"lines\": ";
    std::vector<Json> runs;
    for (const DebugLineRun& run : info.lines)
        runs.push_back(Json::array({run.address, run.length, run.file, run.line}));
    std::vector<Json> labels;
    for (const DebugLabel& label : info.labels) {
        labels.push_back({{"name", label.name},
                          {"value", label.value},
                          {"file", label.file},
                          {"line", label.line}});
        if (label.equ) labels.back()["equ"] = true;
    }
    return text + one_per_line(runs) + ",\n  \"labels\": " + one_per_line(labels) + "\n}\n";
}

DebugInfoStatus read_debug_info(const std::filesystem::path& path, DebugInfo& info) {
    const ReadFile file = read_regular_file(path.string(), kMaxDebugInfoBytes + 1);
    if (file.error_number != 0) {
        return {path.string(), file.error_number == kNotRegularFile
                                   ? "not a regular file"
                                   : std::strerror(file.error_number)};
    }
    if (file.bytes.size() > kMaxDebugInfoBytes) return {path.string(), "too large"};
    const Json json = Json::parse(file.bytes, nullptr, false);
    if (json.is_discarded()) return {path.string(), "not valid JSON"};
    DebugInfo read;
    if (std::string problem = read_contents(json, read); !problem.empty()) {
        return {path.string(), problem};
    }
    read.folder = std::filesystem::absolute(path).parent_path();
    info = std::move(read);
    return {path.string(), ""};
}

std::optional<SourceLine> source_line_at(const DebugInfo& info, std::uint16_t address) {
    // The last run that starts at or before the address.
    const auto after = std::upper_bound(
        info.lines.begin(), info.lines.end(), address,
        [](std::uint16_t value, const DebugLineRun& run) { return value < run.address; });
    if (after == info.lines.begin()) return std::nullopt;
    const DebugLineRun& run = *std::prev(after);
    if (address >= run.address + run.length) return std::nullopt;
    return SourceLine{run.file, run.line};
}

std::vector<std::uint16_t> addresses_of_line(const DebugInfo& info, std::uint32_t file, int line) {
    std::vector<std::uint16_t> addresses;
    for (const DebugLineRun& run : info.lines) {
        if (run.file == file && run.line == line) addresses.push_back(run.address);
    }
    return addresses;
}

std::filesystem::path source_file_path(const DebugInfo& info, std::uint32_t file) {
    const std::filesystem::path stored(info.files.at(file));
    const std::filesystem::path recorded = stored.is_absolute() ? stored : info.directory / stored;
    std::error_code ignored;
    if (info.folder.empty() || std::filesystem::exists(recorded, ignored)) return recorded;
    return info.folder / (stored.is_absolute() ? stored.filename() : stored);
}

std::optional<std::uint32_t> find_source_file(const DebugInfo& info,
                                              const std::filesystem::path& path) {
    const std::filesystem::path wanted = resolved(std::filesystem::absolute(path));
    for (std::uint32_t file = 0; file < info.files.size(); ++file) {
        if (resolved(source_file_path(info, file)) == wanted) return file;
    }
    return std::nullopt;
}

}  // namespace tolvan

#include "base/ini_file.h"

#include <algorithm>
#include <cerrno>

#include "base/regular_file.h"

namespace tolvan {

namespace {

// A carriage return counts as a blank so that a stray one before the line end never becomes
// part of a value.
constexpr std::string_view kBlanks = " \t\r\f\v";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineBreaks = "\r\n";
constexpr std::string_view kCrLf = "\r\n";

std::string_view trim_left(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view trim_right(std::string_view text) {
    const std::size_t last = text.find_last_not_of(kBlanks);
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view trim(std::string_view text) {
    return trim_right(trim_left(text));
}

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lower_ascii(x) == lower_ascii(y); });
}

// The name of a "[section]" line; a missing closing bracket ends the name at the line end.
std::optional<std::string_view> section_name(std::string_view line) {
    const std::string_view text = trim_left(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const std::string_view inside = text.substr(1);
    return trim(inside.substr(0, inside.find(']')));
}

std::optional<std::string_view> key_name(std::string_view line) {
    if (section_name(line)) return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return trim(line.substr(0, equals));
}

bool is_comment_or_blank(std::string_view line) {
    const std::string_view text = trim_left(line);
    return text.empty() || text.front() == ';' || text.front() == '#';
}

std::optional<std::size_t> find_section(const IniFile& file, std::string_view section) {
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const auto name = section_name(file.lines[i]);
        if (name && same_name(*name, section)) return i;
    }
    return std::nullopt;
}

std::size_t section_end(const IniFile& file, std::size_t header) {
    std::size_t i = header + 1;
    while (i < file.lines.size() && !section_name(file.lines[i]))
        ++i;
    return i;
}

std::optional<std::size_t> find_key(const IniFile& file, std::size_t header, std::string_view key) {
    const std::size_t end = section_end(file, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto name = key_name(file.lines[i]);
        if (name && same_name(*name, key)) return i;
    }
    return std::nullopt;
}

// Comments and blank lines that close a section usually belong to the section after it, so a
// new key goes right after the section's last entry.
std::size_t insertion_point(const IniFile& file, std::size_t header) {
    std::size_t last_entry = header;
    const std::size_t end = section_end(file, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (!is_comment_or_blank(file.lines[i])) last_entry = i;
    }
    return last_entry + 1;
}

std::string key_line(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

std::string section_line(std::string_view section) {
    std::string line(1, '[');
    line += section;
    line += ']';
    return line;
}

// Keeps the key as the user spelled it and the blanks after the equals sign.
std::string replaced_value(std::string_view line, std::string_view value) {
    const std::size_t equals = line.find('=');
    const std::size_t value_start = line.find_first_not_of(kBlanks, equals + 1);
    std::string result(line.substr(0, std::min(value_start, line.size())));
    result += value;
    return result;
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
    IniFile file;
    // Some editors put a byte order mark first; a repeated one would otherwise come back as the
    // first mark of the saved file and change its first line when read again.
    while (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    bool first_line_end = true;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of(kLineBreaks);
        file.lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        // CR LF is one line end; a CR or a LF alone is one too.
        const std::size_t length = text.substr(end, kCrLf.size()) == kCrLf ? kCrLf.size() : 1;
        if (first_line_end) file.line_end = std::string(text.substr(end, length));
        first_line_end = false;
        text.remove_prefix(end + length);
    }
    return file;
}

std::optional<IniFile> IniFile::load(const std::string& path, int* error_number) {
    const ReadFile read = read_regular_file(path);
    if (error_number) *error_number = read.error_number;
    if (read.error_number == ENOENT) return IniFile{};
    if (read.error_number != 0) return std::nullopt;
    return parse(read.bytes);
}

std::string IniFile::get(std::string_view section, std::string_view key,
                         std::string_view fallback) const {
    const std::optional<std::string> value = get_whole(section, key);
    if (!value) return std::string(fallback);
    // Cutting can expose blanks that stood inside the value; a value never ends in one.
    return std::string(trim_right(std::string_view(*value).substr(0, kIniValueCapacity)));
}

std::optional<std::string> IniFile::get_whole(std::string_view section,
                                              std::string_view key) const {
    const auto header = find_section(*this, section);
    if (!header) return std::nullopt;
    const auto line = find_key(*this, *header, key);
    if (!line) return std::nullopt;
    const std::string_view entry = lines[*line];
    return std::string(trim(entry.substr(entry.find('=') + 1)));
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    value = value.substr(0, value.find_first_of(kLineBreaks));
    const auto header = find_section(*this, section);
    if (!header) {
        lines.push_back(section_line(section));
        lines.push_back(key_line(key, value));
        return;
    }
    if (const auto line = find_key(*this, *header, key)) {
        lines[*line] = replaced_value(lines[*line], value);
        return;
    }
    const auto at = lines.begin() + static_cast<std::ptrdiff_t>(insertion_point(*this, *header));
    lines.insert(at, key_line(key, value));
}

std::string IniFile::text() const {
    std::string result;
    for (const std::string& line : lines) {
        result += line;
        result += line_end;
    }
    return result;
}

WriteStatus IniFile::save(const std::string& path) const {
    return write_file_atomically(path, text());
}

}  // namespace tolvan

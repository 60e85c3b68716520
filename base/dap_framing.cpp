#include "base/dap_framing.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace tolvan {

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kLengthField = "content-length:";

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t n = 0; n < a.size(); ++n) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[n]) != lower(b[n])) return false;
    }
    return true;
}

std::string_view trim_spaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The nesting depth of a JSON text, brackets inside strings not counted; a pass over the bytes
// before the parser sees them.
int nesting_depth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    bool in_string = false;
    bool escaped = false;
    for (const char c : text) {
        if (in_string) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                in_string = false;
            }
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

struct HeaderLength {
    bool ok = false;
    std::size_t length = 0;
    std::string detail;
};

// The Content-Length of a header (its lines without the final empty one). Other fields are
// allowed and ignored, as the protocol's base allows them.
HeaderLength parse_header(std::string_view header) {
    HeaderLength result;
    bool found = false;
    while (!header.empty()) {
        const std::size_t end = header.find("\r\n");
        const std::string_view line = header.substr(0, end);
        header = end == std::string_view::npos ? std::string_view{} : header.substr(end + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return {false, 0, "a header line without a colon"};
        if (!equal_ignoring_case(line.substr(0, colon + 1), kLengthField)) continue;
        const std::string_view digits = trim_spaces(line.substr(colon + 1));
        std::size_t length = 0;
        const auto [last, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), length);
        if (found || digits.empty() || error == std::errc::invalid_argument ||
            last != digits.data() + digits.size()) {
            return {false, 0, "a Content-Length that is not one decimal number"};
        }
        if (error == std::errc::result_out_of_range || length > kMaxMessageBytes) {
            return {false, kMaxMessageBytes + 1, "a message longer than 1 MB"};
        }
        found = true;
        result.length = length;
    }
    if (!found) return {false, 0, "a header without Content-Length"};
    result.ok = true;
    return result;
}

}  // namespace

bool is_fatal(FrameStatus status) {
    return status == FrameStatus::kBadHeader || status == FrameStatus::kTooLong;
}

void MessageReader::feed(std::string_view bytes) {
    if (broken_) return;
    // What was consumed goes before the buffer grows, so that it never holds more than one
    // message and a header beyond what it is reading.
    if (start_ != 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes);
}

Frame MessageReader::fail(FrameStatus status, std::string detail) {
    broken_ = true;
    buffer_.clear();
    start_ = 0;
    failure_ = {status, nullptr, std::move(detail)};
    return failure_;
}

Frame MessageReader::next() {
    if (broken_) return failure_;
    const std::string_view pending_bytes = std::string_view(buffer_).substr(start_);
    const std::size_t header_end = pending_bytes.find(kHeaderEnd);
    if (header_end == std::string_view::npos) {
        // A header still coming may end with the CR LF CR of its end.
        if (pending_bytes.size() > kMaxHeaderBytes + kHeaderEnd.size()) {
            return fail(FrameStatus::kBadHeader, "a header longer than 1024 bytes");
        }
        return {};
    }
    if (header_end > kMaxHeaderBytes) {
        return fail(FrameStatus::kBadHeader, "a header longer than 1024 bytes");
    }
    const HeaderLength header = parse_header(pending_bytes.substr(0, header_end));
    if (!header.ok) {
        return fail(
            header.length > kMaxMessageBytes ? FrameStatus::kTooLong : FrameStatus::kBadHeader,
            header.detail);
    }
    const std::size_t body_start = header_end + kHeaderEnd.size();
    if (pending_bytes.size() - body_start < header.length) return {};
    const std::string_view body = pending_bytes.substr(body_start, header.length);
    start_ += body_start + header.length;
    if (nesting_depth(body) > kMaxJsonDepth) {
        return {FrameStatus::kBadJson, nullptr, "JSON nested more than 64 deep"};
    }
    nlohmann::json message = nlohmann::json::parse(body, nullptr, false);
    if (message.is_discarded()) return {FrameStatus::kBadJson, nullptr, "invalid JSON"};
    if (!message.is_object()) {
        return {FrameStatus::kBadJson, nullptr, "a message that is not a JSON object"};
    }
    return {FrameStatus::kMessage, std::move(message), {}};
}

std::string frame_message(const nlohmann::json& message) {
    const std::string body = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string framed = "Content-Length: ";
    framed += std::to_string(body.size());
    framed += kHeaderEnd;
    framed += body;
    return framed;
}

bool write_messages(int descriptor, const std::vector<nlohmann::json>& messages) {
    for (const nlohmann::json& message : messages) {
        const std::string text = frame_message(message);
        std::string_view left = text;
        while (!left.empty()) {
            const ssize_t written = ::write(descriptor, left.data(), left.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            left.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    return true;
}

}  // namespace tolvan

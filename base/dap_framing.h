// The framing of the Debug Adapter Protocol: each message is a JSON object after a header of
// "Content-Length: N" and an empty line, every header line ending in CR LF. The reader takes
// bytes as they come from a pipe, in pieces of any size, and hands out whole messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace tolvan {

// A client never needs more: the largest request carries 64 KB of memory in base64.
inline constexpr std::size_t kMaxMessageBytes = std::size_t{1} << 20;
// The header holds one short field; more than this without the empty line is garbage.
inline constexpr std::size_t kMaxHeaderBytes = 1024;
// Deeper nesting is never a request, and would only cost stack in whoever walks it.
inline constexpr int kMaxJsonDepth = 64;

enum class FrameStatus : std::uint8_t {
    kMessage,     // `message` holds the next message
    kIncomplete,  // more bytes are needed
    // The body was read but is not a JSON object: that message is lost, the next is read.
    kBadJson,
    // Where the next message starts cannot be known any more: the reader stays broken.
    kBadHeader,
    kTooLong,
};

struct [[nodiscard]] Frame {
    FrameStatus status = FrameStatus::kIncomplete;
    nlohmann::json message;
    std::string detail;  // what was wrong, for the error response or the log
};

// Whether the stream can go on after that frame.
bool is_fatal(FrameStatus status);

class MessageReader {
  public:
    void feed(std::string_view bytes);
    // The next message, once complete; a broken reader answers its error again.
    Frame next();
    // Bytes received and not yet made into messages.
    std::size_t pending() const { return buffer_.size() - start_; }

  private:
    Frame fail(FrameStatus status, std::string detail);

    std::string buffer_;
    std::size_t start_ = 0;
    bool broken_ = false;
    Frame failure_;
};

// The message with its header, ready to write. Text that is not valid UTF-8 (a file name, a
// source line) is written with replacement characters rather than refused.
std::string frame_message(const nlohmann::json& message);

// Writes the messages, framed, to a descriptor (standard output); false once it cannot be
// written any more (the client has gone).
[[nodiscard]] bool write_messages(int descriptor, const std::vector<nlohmann::json>& messages);

}  // namespace tolvan

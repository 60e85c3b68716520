#include "base/zero_runs.h"

#include <algorithm>

namespace tolvan {

namespace {

constexpr std::uint8_t kMoreBits = 0x80;
constexpr int kBitsPerByte = 7;

void append_length(std::size_t length, std::vector<std::uint8_t>& out) {
    while (length >= kMoreBits) {
        out.push_back(static_cast<std::uint8_t>(length | kMoreBits));
        length >>= kBitsPerByte;
    }
    out.push_back(static_cast<std::uint8_t>(length));
}

// Reads the coded form one run at a time.
class RunReader {
  public:
    explicit RunReader(std::span<const std::uint8_t> coded) : coded_(coded) {}

    bool at_end() const { return next_ == coded_.size(); }

    // The next pair: a zero run's length and the literal bytes after it.
    bool next(std::size_t& zeros, std::span<const std::uint8_t>& literal) {
        std::size_t literal_length = 0;
        if (!read_length(zeros) || !read_length(literal_length)) return false;
        if (literal_length > coded_.size() - next_) return false;
        literal = coded_.subspan(next_, literal_length);
        next_ += literal_length;
        return true;
    }

  private:
    bool read_length(std::size_t& length) {
        length = 0;
        for (int shift = 0; shift < 63; shift += kBitsPerByte) {
            if (next_ == coded_.size()) return false;
            const std::uint8_t byte = coded_[next_++];
            length |= static_cast<std::size_t>(byte & ~kMoreBits) << shift;
            if (!(byte & kMoreBits)) return true;
        }
        return false;
    }

    std::span<const std::uint8_t> coded_;
    std::size_t next_ = 0;
};

}  // namespace

void append_zero_runs(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out) {
    // A zero run shorter than this costs more to end and start again than to copy.
    constexpr std::size_t kShortestRun = 3;
    std::size_t n = 0;
    while (n < bytes.size()) {
        const std::size_t zeros_start = n;
        while (n < bytes.size() && bytes[n] == 0)
            ++n;
        const std::size_t literal_start = n;
        while (n < bytes.size()) {
            const std::size_t run_end = std::min(n + kShortestRun, bytes.size());
            if (run_end - n == kShortestRun &&
                std::all_of(&bytes[n], &bytes[0] + run_end, [](auto b) { return b == 0; })) {
                break;
            }
            ++n;
        }
        append_length(literal_start - zeros_start, out);
        append_length(n - literal_start, out);
        out.insert(out.end(), &bytes[0] + literal_start, &bytes[0] + n);
    }
}

std::optional<std::vector<std::uint8_t>> decode_zero_runs(std::span<const std::uint8_t> coded,
                                                          std::size_t max_size) {
    std::vector<std::uint8_t> bytes;
    RunReader reader(coded);
    while (!reader.at_end()) {
        std::size_t zeros = 0;
        std::span<const std::uint8_t> literal;
        if (!reader.next(zeros, literal)) return std::nullopt;
        if (zeros > max_size - bytes.size() || literal.size() > max_size - bytes.size() - zeros) {
            return std::nullopt;
        }
        bytes.resize(bytes.size() + zeros);
        bytes.insert(bytes.end(), literal.begin(), literal.end());
    }
    return bytes;
}

bool xor_zero_runs(std::span<const std::uint8_t> coded, std::span<std::uint8_t> target) {
    std::size_t at = 0;
    RunReader reader(coded);
    while (!reader.at_end()) {
        std::size_t zeros = 0;
        std::span<const std::uint8_t> literal;
        if (!reader.next(zeros, literal)) return false;
        if (zeros > target.size() - at || literal.size() > target.size() - at - zeros) {
            return false;
        }
        at += zeros;
        for (const std::uint8_t byte : literal)
            target[at++] ^= byte;
    }
    return true;
}

}  // namespace tolvan

#include "base/zero_runs.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

// The bytes exclusive-or the base, looked at without being made.
class Difference {
  public:
    Difference(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> base)
        : bytes_(bytes), base_(base) {}

    std::uint8_t at(std::size_t n) const {
        return base_.empty() ? bytes_[n] : static_cast<std::uint8_t>(bytes_[n] ^ base_[n]);
    }

    void append(std::size_t from, std::size_t to, std::vector<std::uint8_t>& out) const {
        const std::size_t at = out.size();
        out.insert(out.end(), bytes_.begin() + static_cast<long>(from),
                   bytes_.begin() + static_cast<long>(to));
        if (base_.empty()) return;
        for (std::size_t n = from; n < to; ++n)
            out[at + n - from] ^= base_[n];
    }

    // The first byte from `from` on that is not zero, or the end.
    std::size_t next_nonzero(std::size_t from) const {
        std::size_t n = from;
        for (; n + sizeof(std::uint64_t) <= bytes_.size(); n += sizeof(std::uint64_t)) {
            const std::uint64_t word = word_at(bytes_, n) ^ (base_.empty() ? 0 : word_at(base_, n));
            if (word != 0) return n + static_cast<std::size_t>(std::countr_zero(word)) / 8;
        }
        while (n < bytes_.size() && at(n) == 0)
            ++n;
        return n;
    }

    // Where a literal run from `from` ends: at a zero run long enough to be worth a new pair
    // (a shorter one costs more to end and start again than to copy), or at the end.
    std::size_t literal_end(std::size_t from) const {
        constexpr std::size_t kShortestRun = 3;
        std::size_t zeros = 0;
        for (std::size_t n = from; n < bytes_.size(); ++n) {
            zeros = at(n) == 0 ? zeros + 1 : 0;
            if (zeros == kShortestRun) return n + 1 - kShortestRun;
        }
        return bytes_.size();
    }

  private:
    // Lowest address first, whatever the host: the position of the first difference follows.
    static std::uint64_t word_at(std::span<const std::uint8_t> bytes, std::size_t n) {
        std::uint64_t word = 0;
        std::memcpy(&word, &bytes[n], sizeof word);
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        return word;
    }

    std::span<const std::uint8_t> bytes_;
    std::span<const std::uint8_t> base_;
};

}  // namespace

void append_zero_runs(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> base,
                      std::vector<std::uint8_t>& out) {
    const Difference difference{bytes, base};
    std::size_t n = 0;
    while (n < bytes.size()) {
        const std::size_t literal_start = difference.next_nonzero(n);
        const std::size_t literal_end = difference.literal_end(literal_start);
        append_length(literal_start - n, out);
        append_length(literal_end - literal_start, out);
        difference.append(literal_start, literal_end, out);
        n = literal_end;
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

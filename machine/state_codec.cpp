#include "machine/state_codec.h"

namespace tolvan {

namespace {

constexpr int kBitsPerByte = 8;
constexpr int kLengthSize = 4;

// Reads the encoded fields in order.
class FieldReader {
  public:
    explicit FieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool take(std::size_t size, std::span<const std::uint8_t>& taken) {
        if (size > bytes_.size() - next_) return false;
        taken = bytes_.subspan(next_, size);
        next_ += size;
        return true;
    }
    bool at_end() const { return next_ == bytes_.size(); }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t next_ = 0;
};

}  // namespace

void append_number(std::int64_t value, int size, std::vector<std::uint8_t>& out) {
    const auto bits = static_cast<std::uint64_t>(value);
    for (int n = 0; n < size; ++n)
        out.push_back(static_cast<std::uint8_t>(bits >> (kBitsPerByte * n)));
}

std::int64_t read_number(std::span<const std::uint8_t> bytes, bool is_signed) {
    std::uint64_t bits = 0;
    for (std::size_t n = bytes.size(); n-- > 0;)
        bits = bits << kBitsPerByte | bytes[n];
    const auto width = static_cast<int>(kBitsPerByte * bytes.size());
    if (is_signed && width > 0 && width < 64 && (bits >> (width - 1)) & 1) {
        bits |= ~std::uint64_t{0} << width;
    }
    return static_cast<std::int64_t>(bits);
}

std::vector<std::uint8_t> encode_state(const Emulator& emulator) {
    std::vector<std::uint8_t> out;
    encode_state(emulator, out);
    return out;
}

void encode_state(const Emulator& emulator, std::vector<std::uint8_t>& out) {
    out.clear();
    for_each_machine_field(emulator, [&out](const auto& field, const auto& owner) {
        if constexpr (is_scalar_field<std::remove_cvref_t<decltype(field)>>) {
            append_number(field.get(owner), field.size, out);
        } else {
            const std::size_t length_at = out.size();
            out.resize(length_at + kLengthSize);
            field.get(owner, out);
            const std::size_t length = out.size() - length_at - kLengthSize;
            for (int n = 0; n < kLengthSize; ++n)
                out[length_at + n] = static_cast<std::uint8_t>(length >> (kBitsPerByte * n));
        }
    });
}

bool decode_state(Emulator& emulator, std::span<const std::uint8_t> bytes) {
    FieldReader reader(bytes);
    bool ok = true;
    for_each_machine_field(emulator, [&](const auto& field, auto& owner) {
        std::span<const std::uint8_t> taken;
        if (!ok) return;
        if constexpr (is_scalar_field<std::remove_cvref_t<decltype(field)>>) {
            ok = reader.take(static_cast<std::size_t>(field.size), taken);
            if (ok) field.set(owner, read_number(taken, field.is_signed));
        } else {
            ok = reader.take(kLengthSize, taken) &&
                 reader.take(static_cast<std::size_t>(read_number(taken, false)), taken) &&
                 field.set(owner, taken);
        }
    });
    return ok && reader.at_end();
}

}  // namespace tolvan

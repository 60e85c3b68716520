// The keyboard matrix: the key the user holds, as the firmware's strobe-and-read scan sees it.
//
// A posted key waits until the firmware polls with TEST 8; only then does it appear on the
// matrix lines. BRK has no place in the matrix and drives the break signal instead.
#pragma once

#include <array>
#include <cstdint>

namespace tolvan {

inline constexpr int kKeyLines = 7;
inline constexpr int kNoKey = 0;
inline constexpr int kBreakKey = 3;
inline constexpr int kHighestKeyCode = 82;
inline constexpr std::uint8_t kNoMatrixPlace = 0xFF;

// Key codes at each place of the matrix, line-major (entry 8 x line + bit).
extern const std::array<std::uint8_t, 8 * kKeyLines> kGroupAKeys;
extern const std::array<std::uint8_t, 8 * kKeyLines> kGroupBKeys;

struct Keyboard {
    std::array<std::uint8_t, kKeyLines> lines_a{};
    std::array<std::uint8_t, kKeyLines> lines_b{};
    int key_down = 0;
    std::int32_t pending_code = 0;
    int key_pending = 0;
    std::int32_t break_counter = 0;
    // Passes of the firmware through its key-release address since the last post.
    std::int32_t scan_pass_counter = 0;
};

void set_matrix_key(Keyboard& keyboard, int code);
// The matrix with no key down: what set_matrix_key does for a code that no place holds.
void release_matrix_keys(Keyboard& keyboard);
std::uint8_t read_key_lines(const Keyboard& keyboard, std::uint8_t key_strobe, std::uint8_t port_a);
int take_pending_key(Keyboard& keyboard);
// Returns whether the break signal is active after the poll.
bool poll_keyboard(Keyboard& keyboard);
void post_key(Keyboard& keyboard, int code);
// What All Reset and a RAM size change do to the keyboard: nothing pending, nothing down.
void clear_pending_key(Keyboard& keyboard);

}  // namespace tolvan

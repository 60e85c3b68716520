// The keyboard matrix: the key the user holds, as the firmware's strobe-and-read scan sees it.
//
// A posted key waits until the firmware polls with TEST 8; only then does it appear on the
// matrix lines. BRK has no place in the matrix and drives the break signal instead.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tolvan {

inline constexpr int kKeyLines = 7;

// The keys, numbered row by row over the three blocks of the case: the alphabetic block (four
// rows of eleven), the scientific block (three rows of six), the number pad (four rows of five).
// The numbers are what the window posts and the headless program takes. The pending key code is
// a 32-bit signed field, and a posted number reaches the matrix unchanged, whatever its value.
enum class KeyCode : std::int32_t {
    None = 0,
    // Alphabetic block, row 0.
    Cal = 1,
    Basic = 2,
    Brk = 3,    // drives the break signal; it has no place in the matrix
    Teal1 = 4,  // the three teal keys carry symbol legends
    Teal2 = 5,
    Teal3 = 6,
    Down = 7,
    Up = 8,
    Left = 9,
    Right = 10,
    Shift = 11,  // the SHIFT of row 0
    // Row 1.
    ShiftQRow = 12,  // the SHIFT of row 1, at another place of the matrix
    LetterQ = 13,
    LetterW = 14,
    LetterE = 15,
    LetterR = 16,
    LetterT = 17,
    LetterY = 18,
    LetterU = 19,
    LetterI = 20,
    LetterO = 21,
    LetterP = 22,
    // Row 2.
    Def = 23,
    LetterA = 24,
    LetterS = 25,
    LetterD = 26,
    LetterF = 27,
    LetterG = 28,
    LetterH = 29,
    LetterJ = 30,
    LetterK = 31,
    LetterL = 32,
    Comma = 33,
    // Row 3.
    Sml = 34,
    LetterZ = 35,
    LetterX = 36,
    LetterC = 37,
    LetterV = 38,
    LetterB = 39,
    LetterN = 40,
    LetterM = 41,
    Space = 42,
    Enter = 43,       // twice as wide: it covers the place of the next code
    UnderEnter = 44,  // no key
    // Scientific block.
    Hyp = 45,
    Sin = 46,
    Cos = 47,
    Tan = 48,
    FeExchange = 49,
    Cce = 50,
    Hex = 51,
    Deg = 52,
    Ln = 53,
    Log = 54,
    Reciprocal = 55,
    UpDown = 56,
    Exp = 57,
    Power = 58,  // y to the x
    SquareRoot = 59,
    Square = 60,
    OpenParenthesis = 61,
    CloseParenthesis = 62,
    // Number pad.
    Digit7 = 63,
    Digit8 = 64,
    Digit9 = 65,
    Divide = 66,
    XToM = 67,
    Digit4 = 68,
    Digit5 = 69,
    Digit6 = 70,
    Multiply = 71,
    Rm = 72,
    Digit1 = 73,
    Digit2 = 74,
    Digit3 = 75,
    Minus = 76,
    MPlus = 77,
    Digit0 = 78,
    ChangeSign = 79,
    Point = 80,
    Plus = 81,
    Equals = 82,
};

inline constexpr KeyCode kHighestKeyCode = KeyCode::Equals;

constexpr int key_number(KeyCode code) {
    return static_cast<int>(code);
}
constexpr KeyCode key_code(int number) {
    return static_cast<KeyCode>(number);
}
// A code that names a key of the case or the place under ENTER (1-82); only these reach the
// matrix tables.
constexpr bool is_key_code(KeyCode code) {
    return key_number(code) >= key_number(KeyCode::Cal) &&
           key_number(code) <= key_number(kHighestKeyCode);
}

// The key whose enumerator name this is ("Digit7", "LetterQ", "Enter"), in any mix of upper and
// lower case; nothing for any other text.
std::optional<KeyCode> key_code_named(std::string_view name);
// The enumerator name of a key code (1-82); empty for any other code.
std::string_view key_name(KeyCode code);

// Key codes at each place of the matrix, line-major (entry 8 x line + bit).
inline constexpr KeyCode kNoMatrixPlace = key_code(0xFF);
extern const std::array<KeyCode, 8 * kKeyLines> kGroupAKeys;
extern const std::array<KeyCode, 8 * kKeyLines> kGroupBKeys;

// Keys typed or clicked faster than the firmware scans wait here, in order, and reach the
// firmware one at a time.
inline constexpr std::size_t kKeyQueueCapacity = 4096;

struct KeyQueue {
    std::array<KeyCode, kKeyQueueCapacity> keys{};
    std::size_t first = 0;  // index of the oldest key
    std::size_t count = 0;
};

struct Keyboard {
    std::array<std::uint8_t, kKeyLines> lines_a{};
    std::array<std::uint8_t, kKeyLines> lines_b{};
    bool key_down = false;
    KeyCode pending_code = KeyCode::None;
    bool key_pending = false;
    std::int32_t break_counter = 0;
    // Passes of the firmware through its key-release address since the last post.
    std::int32_t scan_pass_counter = 0;
    KeyQueue queue;
};

void set_matrix_key(Keyboard& keyboard, KeyCode code);
// The matrix with no key down: what set_matrix_key does for a code that no place holds.
void release_matrix_keys(Keyboard& keyboard);
std::uint8_t read_key_lines(const Keyboard& keyboard, std::uint8_t key_strobe, std::uint8_t port_a);
KeyCode take_pending_key(Keyboard& keyboard);
// Returns whether the break signal is active after the poll.
bool poll_keyboard(Keyboard& keyboard);
void post_key(Keyboard& keyboard, KeyCode code);
// What All Reset and a RAM size change do to the keyboard: nothing pending, nothing down,
// nothing queued.
void clear_pending_key(Keyboard& keyboard);

// BRK: posted at once, and the keys waiting behind the previous one are dropped.
void post_break(Keyboard& keyboard);
// A key pressed by the user. It is posted at once when the keyboard is idle (nothing pending,
// nothing down, nothing queued); otherwise it waits behind the keys pressed before it. BRK is
// never queued: it is posted at once and the waiting keys are dropped. Returns false when the
// queue is full and the key was not kept.
[[nodiscard]] bool queue_key(Keyboard& keyboard, KeyCode code);
// Called each time the firmware reaches its keyboard scan, before the scan: when the previous key
// has been taken and released (nothing pending, nothing down), the oldest waiting key is posted.
// A released key is thus seen released by one whole scan before the next key is pressed, so that
// the same key twice in a row reads as two presses.
void deliver_queued_key(Keyboard& keyboard);
// Nothing pending, nothing down and nothing queued: every key pressed has come and gone.
bool keyboard_idle(const Keyboard& keyboard);

}  // namespace tolvan

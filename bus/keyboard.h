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
    kNone = 0,
    // Alphabetic block, row 0.
    kCal = 1,
    kBasic = 2,
    kBrk = 3,    // drives the break signal; it has no place in the matrix
    kTeal1 = 4,  // the three teal keys carry symbol legends
    kTeal2 = 5,
    kTeal3 = 6,
    kDown = 7,
    kUp = 8,
    kLeft = 9,
    kRight = 10,
    kShift = 11,  // the SHIFT of row 0
    // Row 1.
    kShiftQRow = 12,  // the SHIFT of row 1, at another place of the matrix
    kLetterQ = 13,
    kLetterW = 14,
    kLetterE = 15,
    kLetterR = 16,
    kLetterT = 17,
    kLetterY = 18,
    kLetterU = 19,
    kLetterI = 20,
    kLetterO = 21,
    kLetterP = 22,
    // Row 2.
    kDef = 23,
    kLetterA = 24,
    kLetterS = 25,
    kLetterD = 26,
    kLetterF = 27,
    kLetterG = 28,
    kLetterH = 29,
    kLetterJ = 30,
    kLetterK = 31,
    kLetterL = 32,
    kComma = 33,
    // Row 3.
    kSml = 34,
    kLetterZ = 35,
    kLetterX = 36,
    kLetterC = 37,
    kLetterV = 38,
    kLetterB = 39,
    kLetterN = 40,
    kLetterM = 41,
    kSpace = 42,
    kEnter = 43,       // twice as wide: it covers the place of the next code
    kUnderEnter = 44,  // no key
    // Scientific block.
    kHyp = 45,
    kSin = 46,
    kCos = 47,
    kTan = 48,
    kFeExchange = 49,
    kCce = 50,
    kHex = 51,
    kDeg = 52,
    kLn = 53,
    kLog = 54,
    kReciprocal = 55,
    kUpDown = 56,
    kExp = 57,
    kPower = 58,  // y to the x
    kSquareRoot = 59,
    kSquare = 60,
    kOpenParenthesis = 61,
    kCloseParenthesis = 62,
    // Number pad.
    kDigit7 = 63,
    kDigit8 = 64,
    kDigit9 = 65,
    kDivide = 66,
    kXToM = 67,
    kDigit4 = 68,
    kDigit5 = 69,
    kDigit6 = 70,
    kMultiply = 71,
    kRm = 72,
    kDigit1 = 73,
    kDigit2 = 74,
    kDigit3 = 75,
    kMinus = 76,
    kMPlus = 77,
    kDigit0 = 78,
    kChangeSign = 79,
    kPoint = 80,
    kPlus = 81,
    kEquals = 82,
};

inline constexpr KeyCode kHighestKeyCode = KeyCode::kEquals;

constexpr int key_number(KeyCode code) {
    return static_cast<int>(code);
}
constexpr KeyCode key_code(int number) {
    return static_cast<KeyCode>(number);
}
// A code that names a key of the case or the place under ENTER (1-82); only these reach the
// matrix tables.
constexpr bool is_key_code(KeyCode code) {
    return key_number(code) >= key_number(KeyCode::kCal) &&
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
    KeyCode pending_code = KeyCode::kNone;
    bool key_pending = false;
    std::int32_t break_counter = 0;
    // Passes of the firmware through its key-release address since the last post.
    std::int32_t scan_pass_counter = 0;
    // The firmware has reached its key-release address since power on, so it lets keys go the
    // way the queue waits for. Firmware that scans the matrix its own way never gets there;
    // until then a new key replaces the one held once the firmware has taken it.
    bool release_address_passed = false;
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
// nothing down, nothing queued); otherwise it waits behind the keys pressed before it. Until the
// firmware has passed the key-release address, nothing lets a held key go, so a key that finds
// the previous one taken and none waiting replaces it at once, and each poll that finds the
// previous key taken posts the next waiting one. BRK is never queued: it is posted at once and
// the waiting keys are dropped. Returns false when the queue is full and the key was not kept.
[[nodiscard]] bool queue_key(Keyboard& keyboard, KeyCode code);
// Called each time the firmware reaches its keyboard scan, before the scan: when the previous key
// has been taken and released (nothing pending, nothing down), the oldest waiting key is posted.
// A released key is thus seen released by one whole scan before the next key is pressed, so that
// the same key twice in a row reads as two presses.
void deliver_queued_key(Keyboard& keyboard);
// Nothing pending, nothing down and nothing queued: every key pressed has come and gone.
bool keyboard_idle(const Keyboard& keyboard);

}  // namespace tolvan

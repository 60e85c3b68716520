// The demo firmware in the real window: keys clicked on the case picture or typed on the PC
// keyboard reach it, and the LCD that the window draws shows what it computed.
#include <QClipboard>
#include <QMessageBox>
#include <filesystem>
#include <map>
#include <string>

#include "bus/keyboard.h"
#include "machine/display.h"
#include "tests/ui/window_fixture.h"
#include "ui/debugger_window.h"

namespace tolvan::testing {
namespace {

constexpr const char* kRoms[] = {"TOLVANL.ROM", "TOLVANH.ROM"};
// The firmware's font: character c's five dot columns at high ROM offset 1 + 8c.
constexpr int kFontOffset = 1;
constexpr int kGlyphStride = 8;
constexpr char kFirstChar = 0x20;
constexpr char kCursor = 0x7F;
constexpr int kWaitMs = 5000;

// The middle of a key's frame.
QPoint key_centre(KeyCode key) {
    const Rect frame = key_frame(key);
    return {frame.left + frame.width / 2, frame.top + frame.height / 2};
}

class FirmwareClicks : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const char* rom : kRoms)
            std::filesystem::copy_file(std::filesystem::path(TOLVAN_FIRMWARE_DIR) / rom, rom);
        const std::string high = read_file(kRoms[1]);
        for (int c = kFirstChar; c <= kCursor; ++c)
            glyphs_[high.substr(kFontOffset + kGlyphStride * c, kColumnsPerCell)] = char(c);
        open_window();
    }

    // Clicks the key and lets the firmware take it and the machine release it.
    void click_key(KeyCode code) {
        const QPoint centre = key_centre(code);
        click_at(centre.x(), centre.y());
        ASSERT_EQ(keyboard().pending_code, code);
        wait_for_release();
    }

    void type_key(Qt::Key key) {
        QTest::keyClick(view(), key);
        wait_for_release();
    }

    void wait_for_release() {
        for (int waited = 0; waited < kWaitMs && (keyboard().key_pending || keyboard().key_down);
             waited += kDialogPollMs) {
            QTest::qWait(kDialogPollMs);
        }
        EXPECT_FALSE(keyboard().key_pending || keyboard().key_down) << "the key was not taken";
    }

    // The 16 characters that display memory shows, the cursor block as kCursor.
    std::string lcd() {
        const AddressSpace& memory = emulator().bus.memory;
        std::string text;
        for (int cell = 0; cell < kLcdCells; ++cell) {
            std::string columns;
            for (int column = 0; column < kColumnsPerCell; ++column)
                columns += char(memory.image[lcd_column_address(cell, column)]);
            const auto found = glyphs_.find(columns);
            text += found == glyphs_.end() ? '?' : found->second;
        }
        return text;
    }

    // Waits until the LCD shows `expected` (the cursor blinks, so it is left out).
    bool lcd_shows(const std::string& expected) {
        for (int waited = 0; waited < kWaitMs; waited += kDialogPollMs) {
            std::string text = lcd();
            for (char& c : text)
                if (c == kCursor) c = ' ';
            if (text == expected) return true;
            QTest::qWait(kDialogPollMs);
        }
        ADD_FAILURE() << "the LCD shows \"" << lcd() << "\", not \"" << expected << "\"";
        return false;
    }

    // Every dot of the window's LCD agrees with display memory.
    void expect_window_shows_display_memory() {
        const Display& shown = window().display();
        const AddressSpace& memory = emulator().bus.memory;
        for (int cell = 0; cell < kLcdCells; ++cell) {
            for (int column = 0; column < kColumnsPerCell; ++column) {
                const int x = kLcdLeft + kColumnPitch * (cell * (kColumnsPerCell + 1) + column);
                const std::uint8_t byte = memory.image[lcd_column_address(cell, column)];
                for (int row = 0; row < kDotRows; ++row) {
                    const bool lit = shown.client.at(x, kLcdTop + kDotPitch * row) == kLcdDot;
                    ASSERT_EQ(lit, ((byte >> row) & 1) != 0)
                        << "cell " << cell << ", column " << column << ", row " << row;
                }
            }
        }
    }

    static std::string right_aligned(const std::string& text) {
        return std::string(kLcdCells - text.size(), ' ') + text;
    }

    // The window shows the annunciator as the case picture does: lit.
    bool annunciator_shown(const Annunciator& a) {
        const Display& shown = window().display();
        for (int y = a.area.top; y < a.area.top + a.area.height; ++y) {
            for (int x = a.area.left; x < a.area.left + a.area.width; ++x) {
                if (shown.client.at(x, y) != shown.case_bitmap.at(x, y)) return false;
            }
        }
        return true;
    }

  private:
    std::map<std::string, char> glyphs_;
};

TEST_F(FirmwareClicks, GreetsAndDrawsItsLcdInTheWindow) {
    ASSERT_TRUE(lcd_shows(right_aligned("TOLVAN READY")));
    QTest::qWait(50);
    expect_window_shows_display_memory();
}

TEST_F(FirmwareClicks, ClickedSumShowsItsValue) {
    using enum KeyCode;
    for (KeyCode code : {kDigit1, kDigit2, kPlus, kDigit3, kDigit4})
        click_key(code);
    ASSERT_TRUE(lcd_shows("12+34           "));
    click_key(KeyCode::kEnter);
    ASSERT_TRUE(lcd_shows(right_aligned("46")));
    QTest::qWait(50);
    expect_window_shows_display_memory();
    // The equals key calculates too.
    for (KeyCode code : {kDigit0, kMinus, kChangeSign, kDigit5})  // change sign does nothing here
        click_key(code);
    click_key(KeyCode::kEquals);
    EXPECT_TRUE(lcd_shows(right_aligned("-5")));
}

TEST_F(FirmwareClicks, TypedSumShowsItsValue) {
    for (char typed : {'7', '-', '9'}) {
        QTest::keyClick(view(), typed);
        wait_for_release();
    }
    ASSERT_TRUE(lcd_shows("7-9             "));
    type_key(Qt::Key_Return);
    EXPECT_TRUE(lcd_shows(right_aligned("-2")));
    type_key(Qt::Key_Up);
    EXPECT_TRUE(lcd_shows("7-9             ")) << "the up arrow recalls the line";
}

TEST_F(FirmwareClicks, ShiftLightsItsAnnunciatorInTheWindow) {
    ASSERT_TRUE(lcd_shows(right_aligned("TOLVAN READY")));
    QTest::qWait(50);
    const Annunciator& shift = kAnnunciators[2];
    ASSERT_STREQ(shift.legend, "SHIFT");
    EXPECT_FALSE(annunciator_shown(shift));
    click_key(KeyCode::kShift);
    for (int waited = 0; waited < kWaitMs && !annunciator_shown(shift); waited += kDialogPollMs)
        QTest::qWait(kDialogPollMs);
    EXPECT_TRUE(annunciator_shown(shift));
    click_key(KeyCode::kLetterQ);
    EXPECT_TRUE(lcd_shows("q               "));
    QTest::qWait(50);
    EXPECT_FALSE(annunciator_shown(shift));
}

TEST_F(FirmwareClicks, BrkShowsBreak) {
    click_key(KeyCode::kDigit1);
    click_key(KeyCode::kBrk);
    EXPECT_TRUE(lcd_shows(right_aligned("BREAK")));
}

// A character that the PC types with Shift reaches the machine alone: with the machine's SHIFT
// first, "+" would be "=" and the line a syntax error. The whole line is typed at once, faster
// than the firmware scans.
TEST_F(FirmwareClicks, ShiftHeldAcrossACharacterTypesTheCharacter) {
    QTest::keyClicks(view(), QStringLiteral("12"));
    QTest::keyPress(view(), Qt::Key_Shift);
    QTest::keyClick(view(), '+', Qt::ShiftModifier);
    QTest::keyRelease(view(), Qt::Key_Shift, Qt::ShiftModifier);
    QTest::keyClicks(view(), QStringLiteral("34"));
    ASSERT_TRUE(lcd_shows("12+34           "));
    type_key(Qt::Key_Return);
    EXPECT_TRUE(lcd_shows(right_aligned("46")));
}

// Shift tapped alone is the machine's SHIFT; held over a key that types no character it comes
// first, so SHIFT + left arrow deletes.
TEST_F(FirmwareClicks, ShiftTappedAloneOrHeldOverAnArrowPressesShift) {
    QTest::keyClicks(view(), QStringLiteral("12"));
    QTest::keyPress(view(), Qt::Key_Shift);
    QTest::keyClick(view(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyRelease(view(), Qt::Key_Shift, Qt::ShiftModifier);
    ASSERT_TRUE(lcd_shows("1               "));
    QTest::keyClick(view(), Qt::Key_Shift);
    QTest::keyClick(view(), 'q');
    EXPECT_TRUE(lcd_shows("1q              "));
}

// Repeated digits too: the firmware sees each key released before the next goes down.
TEST_F(FirmwareClicks, BurstOfTwentyCharactersArrivesInOrder) {
    QTest::keyClicks(view(), QStringLiteral("112233445+667788990="));
    EXPECT_TRUE(lcd_shows(right_aligned("780022435")));
}

TEST_F(FirmwareClicks, PastedLinesAreCalculatedOneAfterTheOther) {
    QApplication::clipboard()->setText(QStringLiteral("1+2\r\n30-4!\n"));
    QString told;
    const auto box = when_dialog_opens("PasteTextBox", [&told](QDialog& d) {
        if (auto* message = qobject_cast<QMessageBox*>(&d)) told = message->text();
        d.accept();
    });
    trigger(MenuCommand::kPasteText);
    EXPECT_TRUE(box->seen);
    EXPECT_TRUE(told.endsWith(QStringLiteral(": !"))) << told.toStdString();
    ASSERT_TRUE(lcd_shows(right_aligned("26")));
    type_key(Qt::Key_Up);
    EXPECT_TRUE(lcd_shows("30-4            "));
    type_key(Qt::Key_Up);
    EXPECT_TRUE(lcd_shows("1+2             "));
}

TEST_F(FirmwareClicks, BrkGoesAtOnceAndDropsTheWaitingKeys) {
    QTest::keyClicks(view(), QStringLiteral("12345678"));
    ASSERT_GT(keyboard().queue.count, 0u);
    QTest::keyClick(view(), Qt::Key_F3);
    EXPECT_EQ(keyboard().queue.count, 0u);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kBrk);
    ASSERT_TRUE(lcd_shows(right_aligned("BREAK")));
    QTest::qWait(200);
    EXPECT_TRUE(lcd_shows(right_aligned("BREAK"))) << "no key typed before BRK comes after it";
}

// Under the debugger, a line typed while the machine is paused waits in the queue, through
// steps too, and is calculated in full once the machine runs again.
TEST_F(FirmwareClicks, KeysTypedWhileTheDebuggerPausesWaitForTheRun) {
    ASSERT_TRUE(lcd_shows(right_aligned("TOLVAN READY")));
    window().run_command(MenuCommand::kDebugger);
    DebuggerWindow* debugger = window().debugger_window();
    ASSERT_NE(debugger, nullptr);
    debugger->run_command(DebugCommand::kPause);
    QTest::keyClicks(view(), QStringLiteral("12+34"));
    QTest::keyClick(view(), Qt::Key_Return);
    QTest::qWait(100);
    EXPECT_TRUE(lcd_shows(right_aligned("TOLVAN READY")));
    for (int n = 0; n < 100; ++n)
        debugger->run_command(DebugCommand::kStep);
    debugger->run_command(DebugCommand::kRun);
    EXPECT_TRUE(lcd_shows(right_aligned("46")));
}

}  // namespace
}  // namespace tolvan::testing

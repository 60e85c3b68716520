// The main window driven as a user would: its shape, its menu, clicks and typed keys, and every
// menu command.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>

#include "bus/keyboard.h"
#include "machine/control.h"
#include "machine/display.h"
#include "machine/key_mapping.h"
#include "tests/ui/window_fixture.h"
#include "ui/key_frames.h"

namespace tolvan::testing {
namespace {

using WindowShape = WindowTest;

TEST_F(WindowShape, FixedSizeWindowShowingTheCase) {
    MainWindow& w = open_window();
    EXPECT_EQ(w.windowTitle(), "Tolvan");
    EXPECT_EQ(view()->size(), QSize(602, 222));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(w.slice_timer().isActive());
    EXPECT_EQ(w.slice_timer().interval(), 10);
    EXPECT_EQ(w.slice_timer().timerType(), Qt::PreciseTimer);
    // Shown means the background was erased: the case picture, and an LCD redraw to come.
    EXPECT_EQ(w.display().client.pixels, w.display().case_bitmap.pixels);
    EXPECT_EQ(emulator().bus.memory.lcd_redraw, 1);
}

TEST_F(WindowShape, ShownAgainTheCaseIsDrawnAnew) {
    MainWindow& w = open_window();
    w.display().client.at(100, 60) = rgb(1, 2, 3);
    emulator().bus.memory.lcd_redraw = 0;
    w.hide();
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(w.display().client.pixels, w.display().case_bitmap.pixels);
    EXPECT_EQ(emulator().bus.memory.lcd_redraw, 1);
}

// Firmware that clears the leftmost dot column and switches the display on: the next timer
// slice draws the LCD into the window's image.
TEST_F(WindowShape, TimerSlicesDrawTheLcd) {
    const std::string program = {
        '\x10', '\x70', '\x00',  // LIDP 0x7000
        '\x02', '\x00',          // LIA 0
        '\x52',                  // STD: the column byte is 0
        '\x12', '\x5F',          // LIP 0x5F
        '\x61', '\x01',          // ORIM 1: display on
        '\xDF',                  // OUTC
        '\x79', '\x00', '\x0B'   // JP 0x000B: wait here
    };
    std::string low(0x2000, '\0');
    low.replace(0, program.size(), program);
    write_file("TOLVANL.ROM", low);
    write_file("TOLVANH.ROM", std::string(0x8000, '\0'));
    MainWindow& w = open_window();
    const Image& client = w.display().client;
    // The case picture shows every dot lit; the first timer slice may already have run.
    ASSERT_EQ(w.display().case_bitmap.at(kLcdLeft, kLcdTop), kLcdDot);
    for (int waited = 0; waited < kSliceWaitMs && client.at(kLcdLeft, kLcdTop) == kLcdDot;
         waited += kDialogPollMs) {
        QTest::qWait(kDialogPollMs);
    }
    EXPECT_EQ(client.at(kLcdLeft, kLcdTop), kLcdBackground);
    EXPECT_EQ(emulator().cpu.pc, 0x000B);
    EXPECT_EQ(emulator().bus.memory.lcd_redraw, 0);
}

struct ExpectedItem {
    int command;  // 0 for a separator
    const char* text;
};

void expect_menu(QMenu* menu, const char* title, const std::vector<ExpectedItem>& items) {
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), title);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), qsizetype(items.size())) << title;
    for (std::size_t n = 0; n < items.size(); ++n) {
        QAction* action = actions[qsizetype(n)];
        if (items[n].command == 0) {
            EXPECT_TRUE(action->isSeparator()) << title << " item " << n;
            continue;
        }
        EXPECT_EQ(action->text(), items[n].text);
        EXPECT_EQ(action->data().toInt(), items[n].command) << items[n].text;
    }
}

TEST_F(WindowShape, MenuHasItsDropDownsWithTheirItemsAndIds) {
    MainWindow& w = open_window();
    EXPECT_EQ(w.menuBar()->objectName(), "TOLVANMENU");
    const QList<QAction*> menus = w.menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    expect_menu(menus[0]->menu(), "&File",
                {{113, "&Open machine folder..."},
                 {0, nullptr},
                 {111, "&Change default file names ..."},
                 {0, nullptr},
                 {101, "&Save RAM"},
                 {102, "&Load RAM"},
                 {0, nullptr},
                 {115, "Save s&tate..."},
                 {116, "Load st&ate..."},
                 {120, "&Quick save"},
                 {130, "Quic&k load"},
                 {0, nullptr},
                 {200, "E&xit"}});
    expect_menu(menus[1]->menu(), "&Edit", {{400, "&Paste text"}});
    EXPECT_EQ(w.command_action(MenuCommand::kPasteText)->shortcut(),
              QKeySequence(QKeySequence::Paste));
    expect_menu(menus[2]->menu(), "&View",
                {{701, "Size &1x"}, {702, "Size &2x"}, {703, "Size &3x"}});
    expect_menu(menus[3]->menu(), "&Tools",
                {{109, "Change &speed ..."},
                 {105, "&Break (Basic)"},
                 {300, "Simple &Reset"},
                 {0, nullptr},
                 {103, "&All Reset !"},
                 {0, nullptr},
                 {108, "&4 Kb  Ram"},
                 {107, "&8 Kb  Ram"},
                 {106, "&16 Kb Ram"},
                 {0, nullptr},
                 {600, "&Unassemble"},
                 {601, "&Debugger"},
                 {602, "Load s&ymbols..."},
                 {604, "Load debug &information..."},
                 {603, "&Timeline..."}});
    EXPECT_EQ(w.command_action(MenuCommand::kDebugger)->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(w.command_action(MenuCommand::kTimeline)->shortcut(), QKeySequence("Ctrl+T"));
    EXPECT_EQ(w.command_action(quick_load_item(1))->shortcut(), QKeySequence("F10"));
    EXPECT_EQ(w.command_action(quick_save_item(3))->shortcut(), QKeySequence("Shift+F12"));
    EXPECT_EQ(w.command_action(MenuCommand::kExit)->shortcut(), QKeySequence("Ctrl+Q"));
    expect_menu(menus[4]->menu(), "&Help",
                {{114, "Tolvan &help..."}, {112, "&Content ..."}, {100, "&About ..."}});
}

void expect_check_mark(MainWindow& w, MenuCommand item) {
    EXPECT_EQ(w.ram_size_menu_item(), item);
    for (const MenuCommand id : {MenuCommand::kRam4, MenuCommand::kRam8, MenuCommand::kRam16}) {
        EXPECT_EQ(w.command_action(id)->isChecked(), id == item) << static_cast<int>(id);
    }
}

TEST_F(WindowShape, CheckMarkOnTheRamSizeOfTheConfiguration) {
    write_file("Tolvan.ini", "[Ram]\r\nKo=8\r\n");
    expect_check_mark(open_window(), MenuCommand::kRam8);
}

TEST_F(WindowShape, CheckMarkOnFourKilobytesForAnUnknownSize) {
    write_file("Tolvan.ini", "[Ram]\r\nKo=5\r\n");
    expect_check_mark(open_window(), MenuCommand::kRam4);
}

// ---- Mouse

using MouseInput = WindowTest;

TEST_F(MouseInput, ClicksPressTheKeysUnderThePointer) {
    open_window();
    struct Click {
        int x, y;
        KeyCode code;
    };
    for (const Click& c : {Click{380, 215, KeyCode::kEnter}, Click{20, 120, KeyCode::kCal},
                           Click{400, 100, KeyCode::kDigit7}, Click{400, 20, KeyCode::kHyp},
                           Click{400, 207, KeyCode::kDigit0}}) {
        clear_pending_key(keyboard());
        click_at(c.x, c.y);
        EXPECT_EQ(keyboard().pending_code, c.code) << c.x << ", " << c.y;
        EXPECT_EQ(keyboard().key_pending, 1);
        EXPECT_EQ(keyboard().scan_pass_counter, 0);
    }
}

TEST_F(MouseInput, ClicksOffTheKeysPressNothing) {
    open_window();
    struct Click {
        int x, y;
    };
    // Between hyp and sin; right of the scientific block's last column (the grid would give
    // 7); right of the number pad; right of the alphabetic block's SHIFT; on the LCD.
    for (const Click& c :
         {Click{413, 20}, Click{592, 71}, Click{597, 100}, Click{383, 120}, Click{200, 50}}) {
        click_at(c.x, c.y);
        EXPECT_EQ(keyboard().key_pending, 0) << c.x << ", " << c.y;
        EXPECT_EQ(keyboard().pending_code, KeyCode::kNone);
        EXPECT_EQ(window().pressed_key_code(), KeyCode::kNone);
    }
}

TEST_F(MouseInput, PressDrawsThePressedFrameAndReleaseTheRaisedOne) {
    MainWindow& w = open_window();
    const Image& client = w.display().client;
    QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(20, 120));
    EXPECT_EQ(w.pressed_key_code(), KeyCode::kCal);
    EXPECT_EQ(client.at(9, 115), kFrameMidGrey);     // top-left corner
    EXPECT_EQ(client.at(32, 127), kFrameLightGrey);  // bottom-right corner
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(20, 120));
    EXPECT_EQ(w.pressed_key_code(), KeyCode::kNone);
    EXPECT_EQ(client.at(9, 115), kFrameWhite);
    EXPECT_EQ(client.at(32, 127), kFrameMidGrey);
    // The key press itself stays for the firmware to take.
    EXPECT_EQ(keyboard().pending_code, KeyCode::kCal);
}

TEST_F(MouseInput, MovingWithTheButtonHeldRaisesTheKeyAtOnce) {
    MainWindow& w = open_window();
    QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(400, 100));
    EXPECT_EQ(w.pressed_key_code(), KeyCode::kDigit7);
    QMouseEvent move(QEvent::MouseMove, QPointF(401, 101), view()->mapToGlobal(QPointF(401, 101)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view(), &move);
    EXPECT_EQ(w.pressed_key_code(), KeyCode::kNone);
    EXPECT_EQ(w.display().client.at(387, 96), kFrameWhite);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kDigit7);
}

TEST_F(MouseInput, SecondClickOfADoubleClickPressesNothing) {
    open_window();
    click_at(20, 120);
    clear_pending_key(keyboard());
    QMouseEvent double_click(QEvent::MouseButtonDblClick, QPointF(20, 120),
                             view()->mapToGlobal(QPointF(20, 120)), Qt::LeftButton, Qt::LeftButton,
                             {});
    QApplication::sendEvent(view(), &double_click);
    EXPECT_EQ(keyboard().key_pending, 0);
    EXPECT_EQ(window().pressed_key_code(), KeyCode::kNone);
}

TEST_F(MouseInput, RightButtonPressesNothing) {
    open_window();
    QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(20, 120));
    EXPECT_EQ(keyboard().key_pending, 0);
}

// ---- Keyboard

using KeyboardInput = WindowTest;

TEST_F(KeyboardInput, KeysWithoutCharactersUseTheKeyDownTable) {
    open_window();
    struct Key {
        Qt::Key key;
        KeyCode code;
    };
    for (const Key& k : {Key{Qt::Key_Backspace, KeyCode::kLeft}, Key{Qt::Key_Escape, KeyCode::kCce},
                         Key{Qt::Key_Left, KeyCode::kLeft}, Key{Qt::Key_Up, KeyCode::kUp},
                         Key{Qt::Key_Right, KeyCode::kRight}, Key{Qt::Key_Down, KeyCode::kDown},
                         Key{Qt::Key_F1, KeyCode::kCal}, Key{Qt::Key_F2, KeyCode::kBasic},
                         Key{Qt::Key_F3, KeyCode::kBrk}, Key{Qt::Key_F4, KeyCode::kTeal1},
                         Key{Qt::Key_F5, KeyCode::kTeal2}, Key{Qt::Key_F6, KeyCode::kTeal3},
                         Key{Qt::Key_F7, KeyCode::kDown}, Key{Qt::Key_F8, KeyCode::kUp},
                         Key{Qt::Key_F9, KeyCode::kLeft}}) {
        clear_pending_key(keyboard());
        QTest::keyPress(view(), k.key);
        EXPECT_EQ(keyboard().pending_code, k.code) << k.key;
        EXPECT_EQ(keyboard().key_pending, 1);
        QTest::keyRelease(view(), k.key);
    }
}

// Backspace types a character of its own; the key-down has already posted the left arrow key, so
// the character is not looked up as well.
TEST_F(KeyboardInput, BackspacePostsOnce) {
    open_window();
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QApplication::sendEvent(view(), &backspace);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kLeft);
    EXPECT_EQ(keyboard().key_pending, 1);
}

TEST_F(KeyboardInput, EnterGoesThroughTheCharacterTable) {
    open_window();
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kEnter);
    clear_pending_key(keyboard());
    QTest::keyClick(view(), Qt::Key_Enter);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kEnter);
}

TEST_F(KeyboardInput, TypedCharactersUseTheCharacterTable) {
    open_window();
    struct Typed {
        char character;
        KeyCode code;
    };
    for (const Typed& t : {Typed{'a', KeyCode::kLetterA},
                           Typed{'A', KeyCode::kLetterA},
                           Typed{'q', KeyCode::kLetterQ},
                           Typed{'P', KeyCode::kLetterP},
                           Typed{'m', KeyCode::kLetterM},
                           Typed{'y', KeyCode::kLetterY},
                           Typed{'Y', KeyCode::kLetterY},
                           Typed{'z', KeyCode::kLetterZ},
                           Typed{'Z', KeyCode::kLetterZ},
                           Typed{'0', KeyCode::kDigit0},
                           Typed{'7', KeyCode::kDigit7},
                           Typed{'3', KeyCode::kDigit3},
                           Typed{' ', KeyCode::kSpace},
                           Typed{'*', KeyCode::kMultiply},
                           Typed{'+', KeyCode::kPlus},
                           Typed{'-', KeyCode::kMinus},
                           Typed{'/', KeyCode::kDivide},
                           Typed{'.', KeyCode::kPoint},
                           Typed{',', KeyCode::kComma},
                           Typed{'=', KeyCode::kEquals},
                           Typed{'(', KeyCode::kOpenParenthesis},
                           Typed{')', KeyCode::kCloseParenthesis}}) {
        clear_pending_key(keyboard());
        QTest::keyClick(view(), t.character);
        EXPECT_EQ(keyboard().pending_code, t.code) << t.character;
        EXPECT_EQ(keyboard().key_pending, 1) << t.character;
    }
}

// Keys typed before must all arrive: a key without a mapping (a modifier, Home, a letter of
// another alphabet) presses nothing and drops nothing.
TEST_F(KeyboardInput, KeysWithoutMappingLeaveTypedKeysAlone) {
    open_window();
    QTest::keyClick(view(), 'a');
    QTest::keyClick(view(), 'b');
    ASSERT_EQ(keyboard().key_pending, 1);
    QTest::keyClick(view(), Qt::Key_Home);
    QTest::keyClick(view(), Qt::Key_Control);
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(view(), &accented);
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("€"));
    QApplication::sendEvent(view(), &euro);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kLetterA);
    EXPECT_EQ(keyboard().queue.count, 1u);
}

// ---- Menu commands

using MenuCommands = WindowTest;

TEST_F(MenuCommands, SimpleResetRestartsAtTheWarmStartWithBreakPending) {
    MainWindow& w = open_window();
    emulator().cpu.pc = 0x4321;
    emulator().bus.memory.lcd_redraw = 0;
    trigger(MenuCommand::kSimpleReset);
    EXPECT_EQ(emulator().cpu.pc, 0x0018);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kBrk);
    EXPECT_EQ(keyboard().key_pending, 1);
    EXPECT_EQ(emulator().bus.memory.lcd_redraw, 1);
    expect_check_mark(w, MenuCommand::kRam16);
}

TEST_F(MenuCommands, BreakPostsBreak) {
    open_window();
    emulator().cpu.pc = 0x4321;
    emulator().bus.memory.lcd_redraw = 0;
    trigger(MenuCommand::kBreak);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kBrk);
    EXPECT_EQ(keyboard().key_pending, 1);
    EXPECT_EQ(emulator().bus.memory.lcd_redraw, 1);
    EXPECT_EQ(emulator().cpu.pc, 0x4321);
}

TEST_F(MenuCommands, AllResetConfirmedRestartsAtZeroWithNothingPending) {
    open_window();
    emulator().cpu.pc = 0x4321;
    post_key(keyboard(), KeyCode::kLetterA);
    keyboard().key_down = 1;
    emulator().bus.memory.lcd_redraw = 0;
    const auto box = when_dialog_opens("AllResetBox", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Confirm the ALL RESET...");
        EXPECT_EQ(text_of(d, "question_label"), "Are you sure ?");
        click(d, "yes_button");
    });
    trigger(MenuCommand::kAllReset);
    EXPECT_TRUE(box->seen);
    EXPECT_EQ(emulator().cpu.pc, 0);
    EXPECT_EQ(keyboard().pending_code, KeyCode::kNone);
    EXPECT_EQ(keyboard().key_pending, 0);
    EXPECT_EQ(keyboard().key_down, 0);
    EXPECT_EQ(emulator().bus.memory.lcd_redraw, 1);
}

TEST_F(MenuCommands, AllResetCancelledOrEscapedChangesNothing) {
    open_window();
    for (const bool escape : {false, true}) {
        emulator().cpu.pc = 0x4321;
        post_key(keyboard(), KeyCode::kLetterA);
        const auto box = when_dialog_opens("AllResetBox", [escape](QDialog& d) {
            escape ? press_escape(d) : click(d, "cancel_button");
        });
        trigger(MenuCommand::kAllReset);
        EXPECT_TRUE(box->seen);
        EXPECT_EQ(emulator().cpu.pc, 0x4321);
        EXPECT_EQ(keyboard().pending_code, KeyCode::kLetterA);
    }
}

TEST_F(MenuCommands, RamSizeInForceAsksNothing) {
    MainWindow& w = open_window();
    emulator().cpu.pc = 0x4321;
    const auto box = when_dialog_opens("MemoryBox", [](QDialog& d) { click(d, "ok_button"); });
    trigger(MenuCommand::kRam16);
    EXPECT_FALSE(box->seen);
    EXPECT_EQ(emulator().cpu.pc, 0x4321);
    EXPECT_EQ(emulator().control.slice_busy, 0);
    expect_check_mark(w, MenuCommand::kRam16);
}

TEST_F(MenuCommands, RamSizeChangeConfirmedRestartsWithTheNewSize) {
    MainWindow& w = open_window();
    emulator().cpu.pc = 0x4321;
    post_key(keyboard(), KeyCode::kLetterA);
    const auto box = when_dialog_opens("MemoryBox", [this](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Confirm the memory change...");
        EXPECT_EQ(emulator().control.slice_busy, 1);
        click(d, "ok_button");
    });
    trigger(MenuCommand::kRam8);
    EXPECT_TRUE(box->seen);
    EXPECT_EQ(emulator().bus.memory.ram_size, 8);
    EXPECT_EQ(emulator().cpu.pc, 0);
    EXPECT_EQ(keyboard().key_pending, 0);
    EXPECT_EQ(emulator().control.slice_busy, 0);
    expect_check_mark(w, MenuCommand::kRam8);
    // The change is not written anywhere.
    EXPECT_TRUE(files().empty());
}

TEST_F(MenuCommands, RamSizeChangeCancelledChangesNothing) {
    MainWindow& w = open_window();
    emulator().cpu.pc = 0x4321;
    const auto box = when_dialog_opens("MemoryBox", [](QDialog& d) { click(d, "cancel_button"); });
    trigger(MenuCommand::kRam4);
    EXPECT_TRUE(box->seen);
    EXPECT_EQ(emulator().bus.memory.ram_size, 16);
    EXPECT_EQ(emulator().cpu.pc, 0x4321);
    EXPECT_EQ(emulator().control.slice_busy, 0);
    expect_check_mark(w, MenuCommand::kRam16);
}

TEST_F(MenuCommands, NoSliceRunsDuringTheRamSizeConfirmation) {
    write_running_roms();
    open_window();
    ASSERT_TRUE(wait_for_pc_change(emulator(), 0)) << "the test firmware should be running";
    std::uint16_t pc_at_open = 0;
    std::uint16_t pc_before_close = 0;
    const auto box = when_dialog_opens("MemoryBox", [&](QDialog& d) {
        pc_at_open = emulator().cpu.pc;
        QTest::qWait(60);
        pc_before_close = emulator().cpu.pc;
        click(d, "cancel_button");
    });
    trigger(MenuCommand::kRam8);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(pc_at_open, pc_before_close);
}

TEST_F(MenuCommands, SlicesKeepRunningBehindOtherBoxes) {
    write_running_roms();
    open_window();
    std::uint16_t pc_at_open = 0;
    std::uint16_t pc_before_close = 0;
    const auto box = when_dialog_opens("AboutBox", [&](QDialog& d) {
        pc_at_open = emulator().cpu.pc;
        wait_for_pc_change(emulator(), pc_at_open);
        pc_before_close = emulator().cpu.pc;
        click(d, "ok_button");
    });
    trigger(MenuCommand::kAbout);
    ASSERT_TRUE(box->seen);
    EXPECT_NE(pc_at_open, pc_before_close);
}

TEST_F(MenuCommands, SaveRamWritesTheImageAndTheConfiguration) {
    open_window();
    emulator().bus.memory.image[0x2000] = 0x5A;
    emulator().bus.memory.image[0x7FFF] = 0xA5;
    trigger(MenuCommand::kSaveRam);
    const std::string image = read_file("TOLVAN.RAM");
    ASSERT_EQ(image.size(), 0x6000u);
    EXPECT_EQ(image.front(), '\x5A');
    EXPECT_EQ(image.back(), '\xA5');
    EXPECT_TRUE(file_exists("Tolvan.ini"));
}

TEST_F(MenuCommands, FailedSaveRamShowsTheErrorAndTheProgramGoesOn) {
    MainWindow& w = open_window();
    emulator().control.ram_file_name = "no-such-directory/TOLVAN.RAM";
    const auto box = when_dialog_opens("ErrorBox", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Error :");
        EXPECT_EQ(text_of(d, "error_text"), QString::fromUtf8(kRamWriteError));
        click(d, "ok_button");
    });
    trigger(MenuCommand::kSaveRam);
    EXPECT_TRUE(box->seen);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.slice_timer().isActive());
    // No registers are saved without the image they belong to.
    EXPECT_FALSE(file_exists("Tolvan.ini"));
    // And the machine state is still there to be saved under another name.
    emulator().control.ram_file_name = "SAVED.RAM";
    trigger(MenuCommand::kSaveRam);
    EXPECT_EQ(read_file("SAVED.RAM").size(), 0x6000u);
}

TEST_F(MenuCommands, LoadRamPowersOnAgainFromTheFiles) {
    MainWindow& w = open_window();
    std::string image(0x6000, '\0');
    image[0] = '\x42';
    write_file("TOLVAN.RAM", image);
    write_file("Tolvan.ini", "[Ram]\r\nKo=8\r\n");
    emulator().cpu.pc = 0x4321;
    trigger(MenuCommand::kLoadRam);
    EXPECT_EQ(emulator().bus.memory.image[0x2000], 0x42);
    EXPECT_EQ(emulator().bus.memory.ram_size, 8);
    EXPECT_EQ(emulator().cpu.pc, 0);  // no ROM images: the firmware restarts at 0
    EXPECT_EQ(emulator().bus.memory.lcd_redraw, 1);
    expect_check_mark(w, MenuCommand::kRam8);
}

TEST_F(MenuCommands, ExitEndsWithoutWritingAnything) {
    MainWindow& w = open_window();
    emulator().bus.memory.image[0x2000] = 0x5A;
    trigger(MenuCommand::kExit);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.slice_timer().isActive());
    EXPECT_TRUE(files().empty());
}

TEST_F(MenuCommands, ClosingTheWindowEndsLikeExit) {
    MainWindow& w = open_window();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.slice_timer().isActive());
    EXPECT_TRUE(files().empty());
}

TEST_F(MenuCommands, UnknownCommandDoesNothing) {
    open_window();
    emulator().cpu.pc = 0x4321;
    window().run_command(static_cast<MenuCommand>(999));
    EXPECT_EQ(emulator().cpu.pc, 0x4321);
    EXPECT_TRUE(files().empty());
}

}  // namespace
}  // namespace tolvan::testing

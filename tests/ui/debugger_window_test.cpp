// The debugger's window driven as a user would: opened from the calculator, paused, stepped,
// a register typed over and a breakpoint set by a click in the unassembly's margin.
#include <QAction>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTreeWidget>

#include "cpu/opcode_table.h"
#include "machine/debugger.h"
#include "tests/ui/window_fixture.h"
#include "tools/assembler.h"
#include "tools/hex_text.h"
#include "ui/breakpoint_view.h"
#include "ui/code_view.h"
#include "ui/debugger_window.h"
#include "ui/history_view.h"
#include "ui/memory_view.h"
#include "ui/register_view.h"

namespace tolvan::testing {
namespace {

// write_running_roms: two-byte instructions from 0 up to a jump back to 0 at 0x1FFC.
constexpr std::uint16_t kLoopJump = 0x1FFC;

std::uint16_t after_step(std::uint16_t pc) {
    return pc == kLoopJump ? 0 : static_cast<std::uint16_t>(pc + 2);
}

class DebuggerWindowTest : public WindowTest {
  protected:
    // The calculator running the loop, and its debugger opened with Ctrl+D.
    DebuggerWindow& open_debugger() {
        write_running_roms();
        // Read at start, as every symbol file beside the ROM images.
        write_file("loop.sym", "halfway 1000\n");
        open_window();
        QTest::keyClick(&window(), Qt::Key_D, Qt::ControlModifier);
        DebuggerWindow* debugger = window().debugger_window();
        EXPECT_NE(debugger, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowActive(debugger));
        // The calculator's own activation may still be on its way on the offscreen platform:
        // the keys below are for the debugger's window, as the user's would be.
        QApplication::processEvents();
        QApplication::setActiveWindow(debugger);
        return *debugger;
    }

    // F6, and the views show the stop.
    void pause_with_key(DebuggerWindow& debugger) {
        QTest::keyClick(&debugger, Qt::Key_F6);
        ASSERT_TRUE(is_paused(emulator()));
    }

    bool wait_until_paused() {
        for (int waited = 0; waited < kSliceWaitMs && !is_paused(emulator());
             waited += kDialogPollMs) {
            QTest::qWait(kDialogPollMs);
        }
        return is_paused(emulator());
    }

    static QString value_of(DebuggerWindow& debugger, const char* name) {
        RegisterView* registers = debugger.register_view();
        return registers->value_item(QString::fromLatin1(name))->text();
    }

    // Types the text over a register's value in its cell editor, as a double click starts it.
    static void type_register(DebuggerWindow& debugger, const char* name, const char* text) {
        RegisterView* registers = debugger.register_view();
        QTableWidgetItem* cell = registers->value_item(QString::fromLatin1(name));
        // The editor of the previous value goes first.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        registers->editItem(cell);
        auto* editor = registers->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr) << name << " is not editable";
        editor->selectAll();
        QTest::keyClicks(editor, QString::fromLatin1(text));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }

    static void click_margin(CodeView* code, std::uint16_t address) {
        const QRect line = code->line_rect(address);
        ASSERT_FALSE(line.isEmpty()) << address << " is not shown";
        QTest::mouseClick(code, Qt::LeftButton, {},
                          QPoint(code->margin_width() / 2, line.center().y()));
    }
};

TEST_F(DebuggerWindowTest, OpensBesideTheCalculatorPausesStepsAndLetsTheMachineGoWhenClosed) {
    DebuggerWindow& debugger = open_debugger();
    EXPECT_TRUE(debugger.isVisible());
    EXPECT_GE(debugger.x(), window().frameGeometry().right());
    EXPECT_TRUE(emulator().debugger.attached);
    EXPECT_TRUE(wait_for_pc_change(emulator(), emulator().cpu.pc)) << "opening stops nothing";

    pause_with_key(debugger);
    const std::uint16_t pc = emulator().cpu.pc;
    QTest::qWait(50);
    EXPECT_EQ(emulator().cpu.pc, pc) << "the slices stop while paused";
    EXPECT_TRUE(debugger.state_label()->text().startsWith(QStringLiteral("Stopped at")));

    QTest::keyClick(&debugger, Qt::Key_F11);
    const std::uint16_t next = after_step(pc);
    EXPECT_EQ(emulator().cpu.pc, next);
    RegisterView* registers = debugger.register_view();
    EXPECT_EQ(value_of(debugger, "PC"), QString::fromStdString(hex4(next)));
    EXPECT_TRUE(registers->is_highlighted(QStringLiteral("PC")));
    EXPECT_FALSE(registers->is_highlighted(QStringLiteral("DP")));
    EXPECT_FALSE(debugger.code_view()->line_rect(next).isEmpty());
    // The step is the newest line of the history.
    auto* history = debugger.findChild<QPlainTextEdit*>(QStringLiteral("HistoryView"));
    ASSERT_NE(history, nullptr);
    const QStringList lines = history->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.back().startsWith(QString::fromStdString(hex4(pc))))
        << lines.back().toStdString();

    debugger.close();
    EXPECT_FALSE(emulator().debugger.attached);
    EXPECT_FALSE(is_paused(emulator()));
    EXPECT_TRUE(wait_for_pc_change(emulator(), next)) << "closed, the machine runs again";
}

TEST_F(DebuggerWindowTest, RegistersAndMemoryTypedOverWhilePausedReachTheMachine) {
    DebuggerWindow& debugger = open_debugger();
    RegisterView* registers = debugger.register_view();
    EXPECT_FALSE(registers->value_item(QStringLiteral("PC"))->flags() & Qt::ItemIsEditable)
        << "while running";

    pause_with_key(debugger);
    type_register(debugger, "PC", "1ffc");
    EXPECT_EQ(emulator().cpu.pc, kLoopJump);
    type_register(debugger, "X", "8123");
    EXPECT_EQ(register_pair(emulator().cpu, kRegisterXL), 0x8123);
    EXPECT_EQ(value_of(debugger, "X"), "8123");
    type_register(debugger, "C", "1");
    EXPECT_TRUE(carry_flag(emulator().cpu));
    // What does not fit the register is refused and the cell shows the machine's value again.
    type_register(debugger, "A", "1FF");
    EXPECT_EQ(register_a(emulator().cpu), 0);
    EXPECT_EQ(value_of(debugger, "A"), "00");

    // The step runs from the PC typed: the jump back to 0.
    QTest::keyClick(&debugger, Qt::Key_F11);
    EXPECT_EQ(emulator().cpu.pc, 0);

    // Hex digits typed on the byte that Go to selects, in the memory view.
    auto* go_to = debugger.findChild<QLineEdit*>(QStringLiteral("MemoryAddress"));
    ASSERT_NE(go_to, nullptr);
    go_to->setText(QStringLiteral("&8000"));
    QTest::keyClick(go_to, Qt::Key_Return);
    MemoryView* memory = debugger.memory_view();
    EXPECT_EQ(memory->selected(), 0x8000);
    QTest::keyClicks(memory, QStringLiteral("4a7"));
    EXPECT_EQ(debug_read_byte(emulator(), 0x8000), 0x4A);
    EXPECT_EQ(debug_read_byte(emulator(), 0x8001), 0x70);
    EXPECT_EQ(memory->selected(), 0x8001);
    QTest::keyClick(&debugger, Qt::Key_F5);
    QTest::keyClicks(memory, QStringLiteral("11"));
    EXPECT_EQ(debug_read_byte(emulator(), 0x8001), 0x70) << "not while running";
}

TEST_F(DebuggerWindowTest, AClickInTheMarginSetsABreakpointThatStopsTheRun) {
    DebuggerWindow& debugger = open_debugger();
    pause_with_key(debugger);
    auto* go_to = debugger.findChild<QLineEdit*>(QStringLiteral("CodeAddress"));
    ASSERT_NE(go_to, nullptr);
    go_to->setText(QStringLiteral("halfway"));
    QTest::keyClick(go_to, Qt::Key_Return);
    CodeView* code = debugger.code_view();
    EXPECT_EQ(code->cursor(), 0x1000);

    click_margin(code, 0x1000);
    EXPECT_TRUE(has_breakpoint(emulator().debugger, 0x1000));
    EXPECT_EQ(breakpoints(emulator().debugger).size(), 1u);
    QTest::keyClick(&debugger, Qt::Key_F5);
    EXPECT_FALSE(is_paused(emulator()));
    ASSERT_TRUE(wait_until_paused());
    EXPECT_EQ(emulator().cpu.pc, 0x1000);
    EXPECT_EQ(emulator().debugger.last_stop.reason, StopReason::kBreakpoint);
    QApplication::processEvents();
    EXPECT_EQ(debugger.state_label()->text(),
              QStringLiteral("Stopped at halfway (1000): breakpoint"));

    click_margin(code, 0x1000);
    EXPECT_FALSE(has_breakpoint(emulator().debugger, 0x1000));

    // Run to cursor goes on from the breakpoint to the line the cursor is on.
    QTest::mouseClick(code, Qt::LeftButton, {},
                      QPoint(code->width() / 2, code->line_rect(0x1004).center().y()));
    QTest::keyClick(&debugger, Qt::Key_F10, Qt::ControlModifier);
    ASSERT_TRUE(wait_until_paused());
    EXPECT_EQ(emulator().cpu.pc, 0x1004);
    EXPECT_EQ(emulator().debugger.last_stop.reason, StopReason::kRunTo);

    // Closed, the debugger's breakpoints stop nothing; opened again, they are back.
    click_margin(code, 0x1004);
    debugger.close();
    // Several slices, each running the whole loop.
    QTest::qWait(100);
    EXPECT_FALSE(is_paused(emulator()));
    EXPECT_FALSE(has_breakpoint(emulator().debugger, 0x1004));
    window().run_command(MenuCommand::kDebugger);
    EXPECT_TRUE(has_breakpoint(emulator().debugger, 0x1004));
    ASSERT_TRUE(wait_until_paused());
    EXPECT_EQ(emulator().cpu.pc, 0x1004);
}

// Debug > Stop at undefined opcodes: the run pauses before an opcode that is not an instruction.
TEST_F(DebuggerWindowTest, TheUndefinedOpcodeSwitchStopsTheRunBeforeOne) {
    DebuggerWindow& debugger = open_debugger();
    pause_with_key(debugger);
    constexpr std::uint8_t kUndefined = 0x17;
    ASSERT_FALSE(is_defined(kUndefined));
    debug_write_byte(emulator(), 0x1000, kUndefined);
    auto* stop_on_undefined = debugger.findChild<QAction*>(QStringLiteral("StopOnUndefined"));
    ASSERT_NE(stop_on_undefined, nullptr);
    stop_on_undefined->trigger();
    QTest::keyClick(&debugger, Qt::Key_F5);
    ASSERT_TRUE(wait_until_paused());
    EXPECT_EQ(emulator().cpu.pc, 0x1000);
    EXPECT_EQ(emulator().debugger.last_stop.reason, StopReason::kUndefinedOpcode);
}

// Tools > Load symbols...: a file that is not a symbol file is refused with its line, and the
// labels of one that is reach the debugger's address fields.
TEST_F(DebuggerWindowTest, LoadSymbolsAddsLabelsOrSaysWhichLineIsWrong) {
    DebuggerWindow& debugger = open_debugger();
    write_file("bad.sym", "later 1010\n10 PRINT\n");
    write_file("more.sym", "; the loop's end\nlater 1FFC\n");
    const auto load = [this](const char* name) {
        return when_dialog_opens("LoadSymbolsBox", [this, name](QDialog& d) {
            static_cast<QFileDialog&>(d).selectFile(
                QString::fromStdString((directory() / name).string()));
            d.accept();
        });
    };
    const auto bad = load("bad.sym");
    const auto error = when_dialog_opens("ErrorBox", [](QDialog& d) {
        EXPECT_EQ(text_of(d, "error_text"), "Cannot load the symbols");
        EXPECT_TRUE(text_of(d, "error_detail").contains(QStringLiteral("bad.sym:2: ")))
            << text_of(d, "error_detail").toStdString();
        click(d, "ok_button");
    });
    trigger(MenuCommand::kLoadSymbols);
    EXPECT_TRUE(bad->seen);
    EXPECT_TRUE(error->seen);
    EXPECT_FALSE(find_symbol(emulator().symbols, "later"));

    const auto more = load("more.sym");
    trigger(MenuCommand::kLoadSymbols);
    EXPECT_TRUE(more->seen);
    auto* go_to = debugger.findChild<QLineEdit*>(QStringLiteral("CodeAddress"));
    go_to->setText(QStringLiteral("later-2"));
    QTest::keyClick(go_to, Qt::Key_Return);
    EXPECT_EQ(debugger.code_view()->cursor(), 0x1FFA);
}

// A loop in the low ROM that stores to 0x2842 at every pass, and reads nothing there.
void write_storing_roms() {
    const AssemblyResult assembly =
        assemble_source("ORG 0\nstart: LIDP &2842\nLIA 7\nSTD\nJP start\n", "store.asm",
                        [](const std::string&) { return LoadedFile{}; });
    ASSERT_TRUE(assembly.ok());
    const std::vector<std::uint8_t> low = assembled_image(assembly, 0, 0x1FFF, 0);
    write_file("TOLVANL.ROM", std::string(low.begin(), low.end()));
    write_file("TOLVANH.ROM", std::string(0x8000, '\0'));
}

// What the user does: select bytes in the memory view, ask for a watchpoint from its context
// menu, see it listed, disable it, enable it, delete it.
TEST_F(DebuggerWindowTest, AWatchpointFromTheMemoryViewStopsTheRunAndIsListed) {
    write_storing_roms();
    open_window();
    window().run_command(MenuCommand::kDebugger);
    DebuggerWindow& debugger = *window().debugger_window();
    MemoryView* memory = debugger.memory_view();
    BreakpointView* list = debugger.breakpoint_view();
    memory->go_to(0x2840);
    memory->select_range(0x2840, 0x284F);

    // Reads of the range stop nothing: the loop only writes there.
    const auto choose = [&](int item) {
        QTimer::singleShot(0, memory, [item] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            menu->actions().at(item)->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(1, 1),
                                memory->viewport()->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(memory->viewport(), &event);
    };
    constexpr int kWrites = 0;
    constexpr int kReads = 1;
    choose(kReads);
    ASSERT_EQ(list->entries().size(), 1u);
    QTest::qWait(100);
    EXPECT_FALSE(is_paused(emulator()));

    choose(kWrites);
    ASSERT_EQ(list->entries().size(), 2u);
    ASSERT_TRUE(wait_until_paused());
    const StopInfo& stop = emulator().debugger.last_stop;
    EXPECT_EQ(stop.reason, StopReason::kWatchpoint);
    EXPECT_TRUE(stop.write);
    EXPECT_EQ(stop.data_address, 0x2842);
    QApplication::processEvents();
    EXPECT_TRUE(debugger.state_label()->text().contains(QStringLiteral("write to 2842")))
        << debugger.state_label()->text().toStdString();
    const QTreeWidget* tree = list->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(1)->text(2), QStringLiteral("2840 - 284F"));

    // Disabled, it stops nothing and stays listed; enabled again, it stops the run again.
    const int writes_row = list->entries()[0].range.writes ? 0 : 1;
    list->set_enabled(writes_row, false);
    EXPECT_EQ(emulator().debugger.watchpoints.size(), 1u);
    EXPECT_EQ(list->entries().size(), 2u);
    debugger.run_command(DebugCommand::kRun);
    QTest::qWait(100);
    EXPECT_FALSE(is_paused(emulator()));
    const int disabled_row = list->entries()[0].enabled ? 1 : 0;
    list->set_enabled(disabled_row, true);
    debugger.run_command(DebugCommand::kRun);
    ASSERT_TRUE(wait_until_paused());

    // Deleted, both are gone from the machine and the list.
    list->remove(0);
    list->remove(0);
    EXPECT_TRUE(emulator().debugger.watchpoints.empty());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
}

// The list holds the code view's breakpoints too, and Go to shows them there.
TEST_F(DebuggerWindowTest, TheBreakpointsListFollowsTheCodeView) {
    DebuggerWindow& debugger = open_debugger();
    pause_with_key(debugger);
    CodeView* code = debugger.code_view();
    code->go_to(0x1000);
    QApplication::processEvents();
    click_margin(code, 0x1000);
    BreakpointView* list = debugger.breakpoint_view();
    ASSERT_EQ(list->entries().size(), 1u);
    EXPECT_EQ(list->tree()->topLevelItem(0)->text(2), QStringLiteral("halfway (1000)"));
    code->go_to(0x0000);
    list->go_to(0);
    EXPECT_EQ(code->cursor(), 0x1000);
    list->set_enabled(0, false);
    EXPECT_FALSE(has_breakpoint(emulator().debugger, 0x1000));
    QApplication::processEvents();
    // Set again from the code view, the breakpoint is listed once, enabled.
    click_margin(code, 0x1000);
    ASSERT_EQ(list->entries().size(), 1u);
    EXPECT_TRUE(list->entries()[0].enabled);
}

// Every register, the flags and PC show without scrolling at the default size; the panes'
// layout comes back with the window.
TEST_F(DebuggerWindowTest, RegistersShowWholeAndTheLayoutIsKept) {
    DebuggerWindow& debugger = open_debugger();
    RegisterView* registers = debugger.register_view();
    for (const char* name : {"A", "X", "R", "DP", "PC", "Z", "C", "port C"}) {
        QTableWidgetItem* cell = registers->value_item(QString::fromLatin1(name));
        ASSERT_NE(cell, nullptr) << name;
        const QRect shown = registers->visualItemRect(cell);
        EXPECT_TRUE(registers->viewport()->rect().contains(shown)) << name;
    }
    auto* history = debugger.findChild<QDockWidget*>(QStringLiteral("HistoryPane"));
    ASSERT_NE(history, nullptr);
    EXPECT_GE(history->height(), 200);
    history->hide();
    const QSize size(900, 700);
    debugger.resize(size);
    debugger.close();
    close_window();

    open_window();
    window().run_command(MenuCommand::kDebugger);
    DebuggerWindow& again = *window().debugger_window();
    EXPECT_EQ(again.size(), size);
    EXPECT_TRUE(again.findChild<QDockWidget*>(QStringLiteral("HistoryPane"))->isHidden());
}

// The commands that go back, by their keys: a step back undoes a step, a reverse continue
// returns to the last time the loop passed a breakpoint, and a row of the history goes back to
// the moment before its instruction.
TEST_F(DebuggerWindowTest, StepBackReverseContinueAndTheHistoryGoBackInTime) {
    DebuggerWindow& debugger = open_debugger();
    EXPECT_TRUE(wait_for_pc_change(emulator(), emulator().cpu.pc));
    pause_with_key(debugger);
    const History& history = emulator().history;
    const std::uint16_t pc = emulator().cpu.pc;
    const std::uint64_t moment = history.now.instructions;

    QTest::keyClick(&debugger, Qt::Key_F11);
    EXPECT_EQ(emulator().cpu.pc, after_step(pc));
    QTest::keyClick(&debugger, Qt::Key_F11, Qt::ControlModifier);
    EXPECT_EQ(emulator().cpu.pc, pc);
    EXPECT_EQ(history.now.instructions, moment);
    EXPECT_EQ(value_of(debugger, "PC"), QString::fromStdString(hex4(pc)));
    EXPECT_TRUE(debugger.state_label()->text().endsWith(QStringLiteral("step back")))
        << debugger.state_label()->text().toStdString();

    // 0x0100 lies some 2,000 instructions before every pass through 0x1000: reverse continue
    // from there finds the pass before.
    set_breakpoint(emulator().debugger, 0x0100, true);
    QTest::keyClick(&debugger, Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(emulator().cpu.pc, 0x0100);
    EXPECT_LT(history.now.instructions, moment);
    EXPECT_TRUE(debugger.state_label()->text().endsWith(QStringLiteral("breakpoint")));

    // The top row in sight, wherever the view is scrolled.
    HistoryView* rows = debugger.history_view();
    const QPoint top(rows->viewport()->width() / 2, 4);
    const auto chosen = rows->moment_of_row(rows->cursorForPosition(top).blockNumber());
    ASSERT_TRUE(chosen.has_value());
    ASSERT_LT(*chosen, history.now.instructions);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, top);
    EXPECT_EQ(history.now.instructions, *chosen);
    EXPECT_TRUE(debugger.state_label()->text().endsWith(QStringLiteral("moved in the history")));

    // Run goes on from the moment reached.
    set_breakpoint(emulator().debugger, 0x0100, false);
    QTest::keyClick(&debugger, Qt::Key_F5);
    EXPECT_TRUE(wait_for_pc_change(emulator(), emulator().cpu.pc));
}

}  // namespace
}  // namespace tolvan::testing

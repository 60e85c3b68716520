// The debugger window's source view on a program assembled with its debug information: the
// line of PC marked, a breakpoint by a click in the margin (a comment line takes the next line
// with code), Step line, and the way between a source line and its unassembly.
#include <QAction>
#include <QTextBlock>

#include "machine/debugger.h"
#include "tests/ui/window_fixture.h"
#include "tools/debug_info.h"
#include "ui/code_view.h"
#include "ui/debugger_window.h"
#include "ui/source_view.h"

namespace tolvan::testing {
namespace {

constexpr const char* kSource =
    "        ORG     &0000\n"    // 1
    "start:  LIA     &5C\n"      // 2
    "        STR\n"              // 3
    "loop:   CALL    sub\n"      // 4
    "        LIB     2\n"        // 5
    "        JP      loop\n"     // 6
    "; adds nothing, returns\n"  // 7
    "sub:    LIA     3\n"        // 8
    "        RTN\n";             // 9
constexpr int kCommentLine = 7;
constexpr int kSubLine = 8;

class SourceViewTest : public WindowTest {
  protected:
    // prog.asm assembled into the low ROM, its debug information beside it as prog.json.
    DebuggerWindow& open_debugger() {
        write_file("prog.asm", kSource);
        const AssemblyResult result = assemble_file("prog.asm");
        EXPECT_TRUE(result.errors.empty());
        std::string low(0x2000, '\0');
        for (const auto& [address, byte] : result.bytes)
            low[address] = static_cast<char>(byte);
        write_file("TOLVANL.ROM", low);
        write_file("TOLVANH.ROM", std::string(0x8000, '\0'));
        write_file("prog.json", debug_info_text(assembly_debug_info(result, "prog.asm")));
        sub_ = static_cast<std::uint16_t>(result.symbols.at("sub"));
        open_window();
        trigger(MenuCommand::kDebugger);
        DebuggerWindow* debugger = window().debugger_window();
        EXPECT_NE(debugger, nullptr);
        QApplication::processEvents();
        return *debugger;
    }

    void run(DebuggerWindow& debugger, DebugCommand command) {
        debugger.command_action(command)->trigger();
        for (int waited = 0; waited < kSliceWaitMs && !is_paused(emulator());
             waited += kDialogPollMs) {
            QTest::qWait(kDialogPollMs);
        }
        ASSERT_TRUE(is_paused(emulator()));
        QApplication::processEvents();
    }

    std::uint16_t sub_ = 0;
};

TEST_F(SourceViewTest, MarksPcsLineTakesBreakpointsStepsByLineAndLeadsToTheUnassembly) {
    DebuggerWindow& debugger = open_debugger();
    SourceView* source = debugger.source_view();
    // A slice runs thousands of instructions: once PC has left the start, it is in the loop.
    ASSERT_TRUE(wait_for_pc_change(emulator(), 0x0000));
    run(debugger, DebugCommand::kPause);
    EXPECT_EQ(source->file().filename(), "prog.asm");
    EXPECT_GE(source->pc_line(), 4);
    EXPECT_LE(source->pc_line(), 9);

    // A click in the margin of the comment above sub sets the breakpoint on sub's first line.
    const QRect comment = source->line_rect(kCommentLine);
    ASSERT_FALSE(comment.isEmpty());
    QWidget* margin = source->findChild<QWidget*>(QStringLiteral("SourceMargin"));
    ASSERT_NE(margin, nullptr);
    QTest::mouseClick(margin, Qt::LeftButton, {},
                      QPoint(margin->width() / 2, comment.center().y()));
    EXPECT_EQ(breakpoints(emulator().debugger), std::vector<std::uint16_t>{sub_});
    run(debugger, DebugCommand::kRun);
    EXPECT_EQ(emulator().cpu.pc, sub_);
    EXPECT_EQ(source->pc_line(), kSubLine);

    // Step line: the next line, the routine's return.
    run(debugger, DebugCommand::kStepLine);
    EXPECT_EQ(source->pc_line(), kSubLine + 1);
    EXPECT_EQ(emulator().cpu.pc, sub_ + 2);

    // From the source line to its unassembly, and from an instruction back to its line.
    source->setTextCursor(QTextCursor(source->document()->findBlockByNumber(kSubLine - 1)));
    debugger.command_action(DebugCommand::kShowUnassembly)->trigger();
    EXPECT_EQ(debugger.code_view()->cursor(), sub_);
    debugger.code_view()->go_to(0x0000);
    debugger.command_action(DebugCommand::kShowSource)->trigger();
    EXPECT_EQ(source->textCursor().blockNumber() + 1, 2);

    // A second click clears the line's breakpoint.
    QTest::mouseClick(margin, Qt::LeftButton, {},
                      QPoint(margin->width() / 2, source->line_rect(kSubLine).center().y()));
    EXPECT_TRUE(breakpoints(emulator().debugger).empty());
}

}  // namespace
}  // namespace tolvan::testing

#include "ui/debug_commands.h"

namespace tolvan {

namespace {

// The commands that go back through the machine's history sit each beside the one that goes
// forwards, with a modifier more.
constexpr DebugCommandItem kCommands[] = {
    {DebugCommand::kRun, "&Run", QKeyCombination(Qt::Key_F5), "Run: until a breakpoint or Pause"},
    {DebugCommand::kReverseContinue, "Re&verse continue",
     QKeyCombination(Qt::ShiftModifier, Qt::Key_F5),
     "Reverse continue: back to the most recent breakpoint or watched access, or to the start "
     "of the history"},
    {DebugCommand::kPause, "&Pause", QKeyCombination(Qt::Key_F6),
     "Pause, before the next instruction"},
    {DebugCommand::kStep, "&Step", QKeyCombination(Qt::Key_F11), "Step: one instruction"},
    {DebugCommand::kStepBack, "Step bac&k", QKeyCombination(Qt::ControlModifier, Qt::Key_F11),
     "Step back: one instruction back"},
    {DebugCommand::kStepOver, "Step &over", QKeyCombination(Qt::Key_F10),
     "Step over: like Step, but a call runs on until it returns"},
    {DebugCommand::kStepBackOver, "Step back ov&er",
     QKeyCombination(Qt::ShiftModifier, Qt::Key_F10),
     "Step back over: like Step back, but back over a whole call (CALL, CAL, PTJ) that just "
     "returned"},
    {DebugCommand::kStepOut, "Step o&ut", QKeyCombination(Qt::ShiftModifier, Qt::Key_F11),
     "Step out: run until the current routine returns"},
    {DebugCommand::kRunToCursor, "Run to &cursor",
     QKeyCombination(Qt::ControlModifier, Qt::Key_F10),
     "Run to cursor: run until the line under the cursor"},
    {DebugCommand::kReverseRunToCursor, "Reverse ru&n to cursor",
     QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F10),
     "Reverse run to cursor: back to the most recent moment PC was at the line under the cursor"},
    {DebugCommand::kLastWrite, "Go to &last write", QKeyCombination(Qt::ControlModifier, Qt::Key_L),
     "Go to last write: back to the instruction that last wrote the memory byte selected"},
    {DebugCommand::kToggleBreakpoint, "Toggle &breakpoint", QKeyCombination(Qt::Key_F9),
     "Set or clear a breakpoint on the line under the cursor (in the source, on its code)"},
    {DebugCommand::kStepLine, "S&tep line", QKeyCombination(Qt::Key_F8),
     "Step line: run until the next source line"},
    {DebugCommand::kShowUnassembly, "Un&assembly of the source line",
     QKeyCombination(Qt::ControlModifier, Qt::Key_U),
     "Show the unassembly of the source line under the cursor"},
    {DebugCommand::kShowSource, "Source of the &instruction",
     QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_U),
     "Show the source line of the instruction under the cursor"},
};

}  // namespace

std::span<const DebugCommandItem> debug_commands() {
    return kCommands;
}

}  // namespace tolvan

#include "ui/debug_commands.h"

namespace tolvan {

namespace {

constexpr DebugCommandItem kCommands[] = {
    {DebugCommand::kRun, "&Run", QKeyCombination(Qt::Key_F5), "Run: until a breakpoint or Pause"},
    {DebugCommand::kPause, "&Pause", QKeyCombination(Qt::Key_F6),
     "Pause, before the next instruction"},
    {DebugCommand::kStep, "&Step", QKeyCombination(Qt::Key_F11), "Step: one instruction"},
    {DebugCommand::kStepOver, "Step &over", QKeyCombination(Qt::Key_F10),
     "Step over: like Step, but a call runs on until it returns"},
    {DebugCommand::kStepOut, "Step o&ut", QKeyCombination(Qt::ShiftModifier, Qt::Key_F11),
     "Step out: run until the current routine returns"},
    {DebugCommand::kRunToCursor, "Run to &cursor",
     QKeyCombination(Qt::ControlModifier, Qt::Key_F10),
     "Run to cursor: run until the line under the cursor"},
    {DebugCommand::kToggleBreakpoint, "Toggle &breakpoint", QKeyCombination(Qt::Key_F9),
     "Set or clear a breakpoint on the line under the cursor"},
};

}  // namespace

std::span<const DebugCommandItem> debug_commands() {
    return kCommands;
}

}  // namespace tolvan

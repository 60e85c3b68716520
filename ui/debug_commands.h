// The debugger window's commands: one table of what each is called in the menu, the key that
// runs it and what it does, from which the window builds its actions and the help its key
// table. A new command is one more row.
#pragma once

#include <QKeyCombination>
#include <cstdint>
#include <span>

namespace tolvan {

enum class DebugCommand : std::uint8_t {
    kRun,
    kReverseContinue,
    kPause,
    kStep,
    kStepBack,
    kStepOver,
    kStepBackOver,
    kStepOut,
    kRunToCursor,
    kReverseRunToCursor,
    kLastWrite,
    kToggleBreakpoint,
    kStepLine,
    kShowUnassembly,
    kShowSource,
};

struct DebugCommandItem {
    DebugCommand command;
    const char* text;  // the menu's, with its accelerator letter
    QKeyCombination key;
    const char* help;  // what the help and the README say it does
};

std::span<const DebugCommandItem> debug_commands();

}  // namespace tolvan

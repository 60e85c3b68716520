// The eight modal boxes. Each runs its own event loop, so the execution slices keep running
// behind it unless the caller suspends them.
#pragma once

#include <string>

#include "machine/emulator.h"
#include "machine/failures.h"

class QWidget;

namespace tolvan {

void show_about_box(QWidget* owner);
void show_info_box(QWidget* owner);
// True when the user confirms.
[[nodiscard]] bool confirm_all_reset(QWidget* owner);
[[nodiscard]] bool confirm_memory_change(QWidget* owner);
// The error's exact text, and below it the file and the system's reason when `detail` has them.
void show_error_box(QWidget* owner, const std::string& text, const std::string& detail);
// One error box per failure, in the order they happened. The program goes on after them:
// quitting would throw away the unsaved machine state, which the user may still save under
// another name.
void show_failures(QWidget* owner, const Failures& failures);

// The settings boxes change the emulator and write the configuration file only on OK; a file
// that cannot be written is shown in the error box.
void edit_file_names(QWidget* owner, Emulator& emulator);
void edit_speed(QWidget* owner, Emulator& emulator);
// True on OK, when the unassembler is to run with the new settings.
[[nodiscard]] bool edit_unassemble_settings(QWidget* owner, Emulator& emulator);

}  // namespace tolvan

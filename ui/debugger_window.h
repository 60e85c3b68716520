// The debugger's window, beside the calculator: the unassembly around PC in the middle, and
// around it panes that the user may move, stack, hide and size (registers, stack, breakpoints,
// memory, history), with the run and step commands. The panes' layout and the window's size
// are kept with the window's preferences. While the window is open the machine is attached to
// the debugger; closed, the machine runs as before.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "machine/display.h"
#include "machine/emulator.h"
#include "machine/slice.h"
#include "ui/debug_commands.h"

class QAction;
class QComboBox;
class QDockWidget;
class QMenu;
class QLabel;
class QLineEdit;

namespace tolvan {

class BreakpointView;
class CodeView;
class HistoryView;
class MemoryView;
class RegisterView;
class SourceView;
class StackView;

// Narrower than this, the code and the registers no longer show side by side: the window then
// rather opens over the calculator than beside it.
inline constexpr int kDebuggerNarrowestWidth = 720;

// Which register the memory view keeps in sight at every stop.
enum class MemoryFollow : std::uint8_t { kNone, kX, kY, kDP };

class DebuggerWindow : public QMainWindow {
    Q_OBJECT

  public:
    DebuggerWindow(Emulator& emulator, Display& display, QWidget* parent = nullptr);

    // After every slice of the calculator's timer: a stop refreshes the views at once; a
    // running machine at most a few times a second.
    void after_slice(const SliceResult& result);
    // Shows the machine's state; at a stop the registers' change marks start again from here.
    void refresh(bool at_stop);
    void run_command(DebugCommand command);

    QAction* command_action(DebugCommand command) const { return actions_.at(command); }
    CodeView* code_view() const { return code_; }
    SourceView* source_view() const { return source_; }
    RegisterView* register_view() const { return registers_; }
    MemoryView* memory_view() const { return memory_; }
    BreakpointView* breakpoint_view() const { return breakpoints_; }
    HistoryView* history_view() const { return history_; }
    QLabel* state_label() const { return state_; }

  signals:
    // A step drew the LCD.
    void lcd_changed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build_actions();
    QWidget* build_code_panel();
    QWidget* build_memory_panel();
    void build_panes();
    // A pane that the user can move, stack, hide and size; the View menu shows or hides it.
    QDockWidget* add_pane(const QString& title, const char* name, QWidget* content,
                          Qt::DockWidgetArea area);
    void restore_layout();
    void save_layout();
    void update_actions(bool paused);
    void show_state();
    // The address that a field names, or nothing after telling the user why not.
    std::optional<std::uint16_t> address_in(QLineEdit* field);
    // After a command that goes back: the LCD as it was, or why the machine did not move.
    void went_back(bool moved, const QString& why_not = {});
    // A row of the history chosen: the machine goes back to the moment before that instruction.
    void travel_to_entry(std::uint64_t moment);
    void go_to_code();
    void go_to_memory();
    void follow_in_memory();

    Emulator& emulator_;
    Display& display_;
    std::map<DebugCommand, QAction*> actions_;
    CodeView* code_ = nullptr;
    SourceView* source_ = nullptr;
    RegisterView* registers_ = nullptr;
    StackView* stack_ = nullptr;
    MemoryView* memory_ = nullptr;
    HistoryView* history_ = nullptr;
    BreakpointView* breakpoints_ = nullptr;
    QMenu* view_menu_ = nullptr;
    QLineEdit* code_address_ = nullptr;
    QLineEdit* memory_address_ = nullptr;
    QComboBox* follow_ = nullptr;
    QLabel* state_ = nullptr;
    std::uint64_t seen_stop_count_ = 0;
    QElapsedTimer since_refresh_;
};

}  // namespace tolvan

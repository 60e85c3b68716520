// The program's one window: the menu bar over the calculator's face. It owns the emulator, runs
// the execution slices from a 10 ms timer, turns clicks and typed keys into key presses and
// carries out the menu commands.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMargins>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/display.h"
#include "machine/emulator.h"
#include "machine/failures.h"
#include "machine/machine_folder.h"
#include "ui/hit_test.h"
#include "ui/menu_ids.h"

class QAction;
class QMenu;
class QScreen;

namespace tolvan {

class ClientView;
class MissingRomsPanel;
class DebuggerWindow;
class FocusReturn;
class HelpWindow;
class StatusNote;
class TimelineBox;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Loads the bitmaps, powers the machine on and starts the slice timer.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Emulator& emulator() { return *emulator_; }
    Display& display() { return *display_; }
    ClientView* client_view() { return client_view_; }
    // Null until Tools > Debugger first opens it.
    DebuggerWindow* debugger_window() { return debugger_window_; }
    // The menu item with a command id, or null.
    QAction* command_action(MenuCommand command) const;
    MenuCommand ram_size_menu_item() const { return ram_size_menu_item_; }
    KeyCode pressed_key_code() const { return pressed_key_code_; }
    const QTimer& slice_timer() const { return slice_timer_; }
    const MachineFolder& machine_folder() const { return machine_folder_; }
    // Visible while the machine has no ROM images to run; null until first needed.
    MissingRomsPanel* missing_roms_panel() const { return missing_roms_panel_; }
    // The short confirmation over the face after Save RAM and Load RAM.
    StatusNote* status_note() const { return status_note_; }
    // Null until Help > Tolvan help first opens it.
    HelpWindow* help_window() const { return help_window_; }
    // Null until Tools > Timeline first opens it.
    TimelineBox* timeline_box() const { return timeline_; }
    // The rewind key is held: the machine goes back through its history at every tick.
    bool rewinding() const { return rewinding_; }

    // The folder that the machine was started in (the current directory) and why; the title
    // names it.
    void set_machine_folder(const MachineFolder& folder);
    // Makes the folder the current directory and starts a fresh machine from its files; false
    // (with the error shown) when the folder cannot be entered.
    bool switch_machine_folder(const MachineFolder& folder);
    // Runs the demo firmware in its own working folder.
    void run_demo_firmware();

    void run_command(MenuCommand command);
    // Shows the face at this zoom (1 to 3) and remembers the choice.
    void set_zoom(int zoom);
    // One tick of the slice timer.
    void run_timer_slice();
    // Draws the LCD again after the machine changed it outside a slice (a debugger's step).
    void show_lcd();

  signals:
    // After each slice of the timer.
    void slice_ran();

  protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void build_menu();
    void press_at(QPoint position);
    // A key pressed by the user, queued behind the keys pressed before it.
    void press_key(KeyCode code);
    // Types the clipboard's text.
    void paste_text();
    void release_pressed_key();
    void erase_background();
    void update_check_mark();
    void show_check_mark();
    void show_zoom_mark();
    void change_ram_size_confirmed(MenuCommand command);
    void unassemble();
    // Opens the debugger's window, or brings it to the front.
    void open_debugger();
    // Beside the calculator, on the side with room, within the screen's usable area.
    void place_debugger();
    void show_help();
    // A short word that a command worked, naming its file.
    void note_done(const QString& text, const std::string& file_name);
    // Puts the client area back where it was saved, on a screen present.
    void restore_place(std::optional<QPoint> client_position, const QMargins& frame);
    // Sizes that do not fit the screen the window is on cannot be chosen; a size that no longer
    // fits after a move gives way to the largest that does.
    void fit_zoom_to_screen();
    // Moves the window as little as needed for its frame to lie inside its screen.
    void keep_on_screen();
    static std::vector<Rect> available_areas();
    // Between the frame and the client area: the title bar and the borders; none before the
    // window manager has framed the window.
    QMargins frame_margins() const;
    void load_symbols();
    // Tools, Load debug information...: another file, beside those of the machine folder.
    void load_debug_info();
    // The *.sym files and the debug information of the current directory, where the ROM images
    // are.
    [[nodiscard]] Failures load_symbols_beside_roms();
    // Load RAM, and what the new power-on changes in the window.
    void load_ram_image();
    // Writes the RAM image and the configuration; a short note says so, an error box if not.
    void save_ram();
    void shut_down();
    void update_rect(const Rect& rect);
    // After the machine was put at another moment (rewind, timeline, a state loaded): its LCD
    // as it showed then, and the views that depend on the state.
    void show_moment();
    // One tick of the held rewind key: back through the history, faster the longer it is held.
    void rewind_tick();
    void save_state_as();
    void load_state_from();
    void save_state_into(const std::string& file);
    void load_state_file_named(const std::string& file);
    void open_timeline();
    // The rewind key is held or the timeline open: the machine stays at the moment chosen.
    bool holding_moment() const;
    // The machine stands at a moment that the history holds more after (taken back).
    bool at_earlier_moment() const;
    void add_quick_slots(QMenu* menu, bool saving);
    void save_preferences();
    void open_machine_folder();
    // Shows the missing-images panel when the ROM images did not load, hides it otherwise.
    void update_missing_roms_panel(PowerOnStatus roms);
    // Powers the machine on again from the files of the current directory.
    void restart_machine();

    std::unique_ptr<Emulator> emulator_;
    std::unique_ptr<Display> display_;
    ClientView* client_view_ = nullptr;
    MissingRomsPanel* missing_roms_panel_ = nullptr;
    MachineFolder machine_folder_;
    DebuggerWindow* debugger_window_ = nullptr;
    HelpWindow* help_window_ = nullptr;
    StatusNote* status_note_ = nullptr;
    FocusReturn* focus_return_ = nullptr;
    // The screen whose size the zoom items were last fitted to.
    QScreen* fitted_screen_ = nullptr;
    QTimer slice_timer_;
    std::map<MenuCommand, QAction*> actions_;
    MenuCommand ram_size_menu_item_ = MenuCommand::kNone;
    Rect pressed_rect_;
    KeyCode pressed_key_code_ = KeyCode::kNone;
    // The PC's Shift key went down and no other key since.
    bool shift_tapped_ = false;
    TimelineBox* timeline_ = nullptr;
    bool rewinding_ = false;
    QElapsedTimer rewind_held_;
};

}  // namespace tolvan

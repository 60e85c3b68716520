// The program's one window: the menu bar over the calculator's face. It owns the emulator, runs
// the execution slices from a 10 ms timer, turns clicks and typed keys into key presses and
// carries out the menu commands.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <map>
#include <memory>

#include "machine/display.h"
#include "machine/emulator.h"
#include "machine/failures.h"
#include "machine/machine_folder.h"
#include "ui/hit_test.h"
#include "ui/menu_ids.h"

class QAction;

namespace tolvan {

class ClientView;
class MissingRomsPanel;
class DebuggerWindow;

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

  protected:
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
    void load_symbols();
    // The *.sym files of the current directory, where the ROM images are.
    [[nodiscard]] Failures load_symbols_beside_roms();
    // Load RAM, and what the new power-on changes in the window.
    void load_ram_image();
    void shut_down();
    void update_rect(const Rect& rect);
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
    QTimer slice_timer_;
    std::map<MenuCommand, QAction*> actions_;
    MenuCommand ram_size_menu_item_ = MenuCommand::kNone;
    Rect pressed_rect_;
    KeyCode pressed_key_code_ = KeyCode::kNone;
    // The PC's Shift key went down and no other key since.
    bool shift_tapped_ = false;
};

}  // namespace tolvan

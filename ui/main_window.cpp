#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <cstring>
#include <filesystem>

#include "machine/commands.h"
#include "machine/control.h"
#include "machine/demo_firmware.h"
#include "machine/inputs.h"
#include "machine/key_mapping.h"
#include "machine/rom_check.h"
#include "machine/slice.h"
#include "machine/source_map.h"
#include "machine/state_file.h"
#include "machine/time_travel.h"
#include "resources/artwork.h"
#include "ui/client_view.h"
#include "ui/debugger_window.h"
#include "ui/dialogs.h"
#include "ui/focus_return.h"
#include "ui/help_window.h"
#include "ui/key_frames.h"
#include "ui/lcd_area.h"
#include "ui/menu_ids.h"
#include "ui/missing_roms_panel.h"
#include "ui/preferences.h"
#include "ui/qt_keys.h"
#include "ui/status_note.h"
#include "ui/timeline_box.h"
#include "ui/window_placement.h"

namespace tolvan {

namespace {

struct MenuItem {
    MenuCommand command;
    const char* text;
};

constexpr MenuItem kSeparator{MenuCommand::kNone, nullptr};

constexpr MenuItem kFileMenu[] = {
    {MenuCommand::kOpenMachineFolder, "&Open machine folder..."},
    kSeparator,
    {MenuCommand::kFileNames, "&Change default file names ..."},
    kSeparator,
    {MenuCommand::kSaveRam, "&Save RAM"},
    {MenuCommand::kLoadRam, "&Load RAM"},
    kSeparator,
    {MenuCommand::kSaveState, "Save s&tate..."},
    {MenuCommand::kLoadState, "Load st&ate..."},
    {MenuCommand::kQuickSaveMenu, "&Quick save"},
    {MenuCommand::kQuickLoadMenu, "Quic&k load"},
    kSeparator,
    {MenuCommand::kExit, "E&xit"},
};

constexpr MenuItem kEditMenu[] = {
    {MenuCommand::kPasteText, "&Paste text"},
};

constexpr MenuItem kViewMenu[] = {
    {MenuCommand::kZoom1, "Size &1x"},
    {MenuCommand::kZoom2, "Size &2x"},
    {MenuCommand::kZoom3, "Size &3x"},
};

constexpr MenuItem kToolsMenu[] = {
    {MenuCommand::kChangeSpeed, "Change &speed ..."},
    {MenuCommand::kBreak, "&Break (Basic)"},
    {MenuCommand::kSimpleReset, "Simple &Reset"},
    kSeparator,
    {MenuCommand::kAllReset, "&All Reset !"},
    kSeparator,
    {MenuCommand::kRam4, "&4 Kb  Ram"},
    {MenuCommand::kRam8, "&8 Kb  Ram"},
    {MenuCommand::kRam16, "&16 Kb Ram"},
    kSeparator,
    {MenuCommand::kUnassemble, "&Unassemble"},
    {MenuCommand::kDebugger, "&Debugger"},
    {MenuCommand::kLoadSymbols, "Load s&ymbols..."},
    {MenuCommand::kLoadDebugInfo, "Load debug &information..."},
    {MenuCommand::kTimeline, "&Timeline..."},
};

constexpr MenuItem kHelpMenu[] = {
    {MenuCommand::kHelp, "Tolvan &help..."},
    {MenuCommand::kContent, "&Content ..."},
    {MenuCommand::kAbout, "&About ..."},
};

// A key frame covers its rectangle plus the one-pixel lines on its right and bottom edges, and
// the pressed frame's left line reaches one pixel further down.
constexpr int kFrameOverhang = 2;

// The calculator's keys are typed without Ctrl; only Paste text (Ctrl+V) uses it too.
constexpr QKeyCombination kDebuggerShortcut(Qt::ControlModifier, Qt::Key_D);
// Spelled out: not every desktop's standard Quit key is Ctrl+Q.
constexpr QKeyCombination kExitShortcut(Qt::ControlModifier, Qt::Key_Q);
constexpr const char* kSymbolFilesError =
    "Some symbol files or debug information could not be read";
constexpr QKeyCombination kTimelineShortcut(Qt::ControlModifier, Qt::Key_T);
// Between the calculator and the timeline below it.
constexpr int kTimelineGap = 8;
// No machine key uses F10-F12: they load the quick slots, and with Shift save them.
constexpr Qt::Key kQuickSlotKeys[kQuickSlots] = {Qt::Key_F10, Qt::Key_F11, Qt::Key_F12};
// Held, it runs the calculator backwards through its history; no machine key uses it either.
constexpr Qt::Key kRewindKey = Qt::Key_PageUp;
// Rewinding starts at twice the emulated time per tick that the machine runs forwards at full
// speed, and doubles each second the key stays down, up to this many times.
constexpr int kRewindStartSpeed = 2;
constexpr int kRewindFastestSpeed = 128;
constexpr int kMillisecondsPerDoubling = 1000;
constexpr const char* kStateFiles = "State files (*.sta *.STA);;All files (*)";

// Items that are one choice among several, shown with radio marks.
enum class Choice { kNone, kRamSize, kZoom };

Rect to_rect(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

MenuCommand zoom_menu_item(int zoom) {
    constexpr MenuCommand kItems[] = {MenuCommand::kZoom1, MenuCommand::kZoom2,
                                      MenuCommand::kZoom3};
    return kItems[zoom - kSmallestZoom];
}

Choice choice_of(MenuCommand command) {
    if (command == MenuCommand::kRam4 || command == MenuCommand::kRam8 ||
        command == MenuCommand::kRam16) {
        return Choice::kRamSize;
    }
    return zoom_of_menu_item(command) != 0 ? Choice::kZoom : Choice::kNone;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      emulator_(std::make_unique<Emulator>()),
      display_(std::make_unique<Display>()) {
    setWindowTitle(QStringLiteral("Tolvan"));
    build_menu();
    client_view_ = new ClientView(display_->client, this);
    setCentralWidget(client_view_);
    client_view_->setFocus();
    connect(client_view_, &ClientView::left_button_pressed, this, &MainWindow::press_at);
    connect(client_view_, &ClientView::pointer_moved_or_released, this,
            &MainWindow::release_pressed_key);
    connect(client_view_, &ClientView::shown, this, &MainWindow::erase_background);
    // Fixed size: no sizing border and no maximise button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    const WindowPreferences preferences = load_window_preferences();
    client_view_->set_zoom(preferences.zoom);
    show_zoom_mark();
    restore_place(preferences.position, preferences.frame);
    status_note_ = new StatusNote(client_view_);
    focus_return_ = new FocusReturn(this);
    QApplication::instance()->installEventFilter(focus_return_);

    std::error_code ignored;
    machine_folder_ = {std::filesystem::current_path(ignored), FolderOrigin::kCurrentDirectory};

    display_->case_bitmap = make_case_bitmap();
    display_->pixel_bitmap = make_pixel_bitmap();
    set_history_minutes(emulator_->history, load_history_minutes_preference());
    PowerOnResult started = start_machine(*emulator_);
    Failures failures = std::move(started.failures);
    failures.add(load_symbols_beside_roms());
    update_check_mark();
    update_missing_roms_panel(started.roms);
    slice_timer_.setTimerType(Qt::PreciseTimer);
    connect(&slice_timer_, &QTimer::timeout, this, &MainWindow::run_timer_slice);
    slice_timer_.start(kSlicePeriod);
    // What failed while the window was being made shows once the window is up.
    QTimer::singleShot(0, this,
                       [this, failures = std::move(failures)] { show_failures(this, failures); });
}

MainWindow::~MainWindow() = default;

void MainWindow::set_machine_folder(const MachineFolder& folder) {
    machine_folder_ = folder;
    const std::string words = describe_machine_folder(folder);
    setWindowTitle(words.empty() ? QStringLiteral("Tolvan")
                                 : QStringLiteral("Tolvan - ") + QString::fromStdString(words));
    update_missing_roms_panel(emulator_->control.power_on_status);
}

bool MainWindow::switch_machine_folder(const MachineFolder& folder) {
    if (const int error = enter_folder(folder.path); error != 0) {
        show_error_box(this, tr("Cannot open the machine folder").toStdString(),
                       folder.path.string() + ": " + std::strerror(error));
        return false;
    }
    restart_machine();
    set_machine_folder(folder);
    return true;
}

void MainWindow::restart_machine() {
    // A fresh machine: nothing of the previous folder's state is carried over, its breakpoints
    // included; an open debugger's window stays attached.
    const bool attached = emulator_->debugger.attached;
    *emulator_ = Emulator{};
    emulator_->debugger.attached = attached;
    set_history_minutes(emulator_->history, load_history_minutes_preference());
    PowerOnResult started = start_machine(*emulator_);
    Failures failures = std::move(started.failures);
    failures.add(load_symbols_beside_roms());
    update_check_mark();
    erase_background();
    update_missing_roms_panel(started.roms);
    show_failures(this, failures);
}

void MainWindow::open_machine_folder() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Open machine folder"), QString::fromStdString(machine_folder_.path.string()));
    if (chosen.isEmpty()) return;
    if (!switch_machine_folder({chosen.toStdString(), FolderOrigin::kRemembered})) return;
    if (!save_machine_folder_preference(chosen)) {
        qWarning("tolvan: cannot keep the machine folder in %s",
                 qPrintable(window_preferences_file()));
    }
}

void MainWindow::run_demo_firmware() {
    const auto images = find_demo_images(program_directory());
    const auto folder = demo_folder(user_environment());
    if (!images || !folder) {
        show_error_box(this, tr("The demo firmware is not installed with Tolvan").toStdString(),
                       program_directory().string());
        return;
    }
    const DemoFolderSetup setup = prepare_demo_folder(*images, *folder);
    if (!setup.ok()) {
        show_error_box(this, tr("Cannot prepare the demo firmware").toStdString(),
                       setup.failed_path + ": " + std::strerror(setup.error_number));
        return;
    }
    for (const std::string& image : setup.foreign_images) {
        qWarning("tolvan: %s is not a demo image; it is left as it is", image.c_str());
    }
    switch_machine_folder({*folder, FolderOrigin::kDemo});
}

void MainWindow::update_missing_roms_panel(PowerOnStatus roms) {
    if (roms == PowerOnStatus::kOk) {
        if (missing_roms_panel_ && !missing_roms_panel_->isHidden()) {
            missing_roms_panel_->hide();
            client_view_->setFocus();
        }
        return;
    }
    // Made when first needed: a machine with its ROM images never has one.
    if (!missing_roms_panel_) {
        missing_roms_panel_ = new MissingRomsPanel(client_view_);
        connect(missing_roms_panel_, &MissingRomsPanel::look_again_requested, this,
                &MainWindow::restart_machine);
        connect(missing_roms_panel_, &MissingRomsPanel::run_demo_requested, this,
                &MainWindow::run_demo_firmware);
    }
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::current_path(ignored);
    missing_roms_panel_->show_problems(folder, rom_image_problems(folder),
                                       find_demo_images(program_directory()).has_value());
}

void MainWindow::build_menu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("TOLVANMENU"));
    auto* ram_sizes = new QActionGroup(this);
    auto* zooms = new QActionGroup(this);
    const auto add_menu = [this, bar, ram_sizes, zooms](const char* title, const auto& items) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title));
        for (const MenuItem& item : items) {
            if (item.command == MenuCommand::kNone) {
                menu->addSeparator();
                continue;
            }
            if (item.command == MenuCommand::kQuickSaveMenu ||
                item.command == MenuCommand::kQuickLoadMenu) {
                QMenu* slot_menu = menu->addMenu(QString::fromLatin1(item.text));
                slot_menu->menuAction()->setData(static_cast<int>(item.command));
                add_quick_slots(slot_menu, item.command == MenuCommand::kQuickSaveMenu);
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.text));
            action->setData(static_cast<int>(item.command));
            const Choice choice = choice_of(item.command);
            if (choice != Choice::kNone) {
                action->setCheckable(true);
                action->setActionGroup(choice == Choice::kRamSize ? ram_sizes : zooms);
            }
            if (item.command == MenuCommand::kPasteText) action->setShortcut(QKeySequence::Paste);
            if (item.command == MenuCommand::kDebugger) action->setShortcut(kDebuggerShortcut);
            if (item.command == MenuCommand::kTimeline) action->setShortcut(kTimelineShortcut);
            if (item.command == MenuCommand::kExit) {
                action->setShortcut(kExitShortcut);
                // From the debugger's and the help's windows too.
                action->setShortcutContext(Qt::ApplicationShortcut);
            }
            connect(action, &QAction::triggered, this,
                    [this, command = item.command] { run_command(command); });
            actions_[item.command] = action;
        }
    };
    add_menu("&File", kFileMenu);
    add_menu("&Edit", kEditMenu);
    add_menu("&View", kViewMenu);
    add_menu("&Tools", kToolsMenu);
    add_menu("&Help", kHelpMenu);
}

void MainWindow::add_quick_slots(QMenu* menu, bool saving) {
    for (int slot = 1; slot <= kQuickSlots; ++slot) {
        const MenuCommand command = saving ? quick_save_item(slot) : quick_load_item(slot);
        QAction* action = menu->addAction(
            tr("Slot &%1 (%2)").arg(slot).arg(QString::fromStdString(quick_slot_file_name(slot))));
        action->setData(static_cast<int>(command));
        const Qt::Key key = kQuickSlotKeys[slot - 1];
        action->setShortcut(saving ? QKeySequence(QKeyCombination(Qt::ShiftModifier, key))
                                   : QKeySequence(key));
        connect(action, &QAction::triggered, this, [this, command] { run_command(command); });
        actions_[command] = action;
    }
}

QAction* MainWindow::command_action(MenuCommand command) const {
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::run_timer_slice() {
    // The machine stays at the moment that the rewind key or the timeline chose.
    if (rewinding_) {
        rewind_tick();
        return;
    }
    if (holding_moment()) return;
    const SliceResult result = run_slice(*emulator_, *display_, {{}, wall_clock()});
    if (result.drew_lcd) update_rect(lcd_area());
    if (debugger_window_) debugger_window_->after_slice(result);
    // A tape SAVE that failed during the slice.
    show_failures(this, result.failures);
    emit slice_ran();
}

void MainWindow::show_lcd() {
    update_rect(lcd_area());
}

void MainWindow::update_rect(const Rect& r) {
    client_view_->update_image_area(r.left, r.top, r.width + kFrameOverhang,
                                    r.height + kFrameOverhang);
}

void MainWindow::set_zoom(int zoom) {
    client_view_->set_zoom(zoom);
    show_zoom_mark();
    keep_on_screen();
    save_preferences();
}

void MainWindow::keep_on_screen() {
    const QScreen* here = screen();
    if (!here || !isVisible()) return;
    // The new size first, then the place that shows it whole.
    adjustSize();
    const QRect frame = frameGeometry();
    const Rect kept = keep_on_screens(to_rect(frame), {to_rect(here->availableGeometry())});
    if (kept.left != frame.left() || kept.top != frame.top()) move(kept.left, kept.top);
}

std::vector<Rect> MainWindow::available_areas() {
    // The primary screen first: a window that lies on no screen goes there.
    std::vector<Rect> areas{to_rect(QGuiApplication::primaryScreen()->availableGeometry())};
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            areas.push_back(to_rect(screen->availableGeometry()));
        }
    }
    return areas;
}

QMargins MainWindow::frame_margins() const {
    const QRect frame = frameGeometry();
    const QRect inside = geometry();
    return {inside.left() - frame.left(), inside.top() - frame.top(),
            frame.right() - inside.right(), frame.bottom() - inside.bottom()};
}

void MainWindow::restore_place(std::optional<QPoint> client_position, const QMargins& frame) {
    if (!client_position) return;
    adjustSize();
    const Rect wanted{client_position->x() - frame.left(), client_position->y() - frame.top(),
                      width() + frame.left() + frame.right(),
                      height() + frame.top() + frame.bottom()};
    const Rect kept = keep_on_screens(wanted, available_areas());
    // The client area's place, as it was saved: the window manager adds its frame around it
    // (static gravity), so that the window comes back exactly where it was.
    setGeometry(kept.left + frame.left(), kept.top + frame.top(), width(), height());
}

void MainWindow::fit_zoom_to_screen() {
    const QScreen* here = screen();
    if (!here) return;
    const Rect available = to_rect(here->availableGeometry());
    const QMargins frame = frame_margins();
    // The menu bar and the frame around the face, as they are now.
    const int extra_width = width() - client_view_->width() + frame.left() + frame.right();
    const int extra_height = height() - client_view_->height() + frame.top() + frame.bottom();
    int largest_fitting = kSmallestZoom;
    for (int zoom = kSmallestZoom; zoom <= kLargestZoom; ++zoom) {
        const QSize face = client_view_->size_at_zoom(zoom);
        const bool fits =
            fits_in(face.width() + extra_width, face.height() + extra_height, available);
        actions_.at(zoom_menu_item(zoom))->setEnabled(fits || zoom == kSmallestZoom);
        if (fits) largest_fitting = zoom;
    }
    // Each dot keeps whole device pixels on a screen of another scale factor.
    const int zoom = std::min(client_view_->zoom(), largest_fitting);
    const bool smaller = zoom != client_view_->zoom();
    client_view_->set_zoom(zoom);
    show_zoom_mark();
    if (smaller) keep_on_screen();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    fitted_screen_ = screen();
    fit_zoom_to_screen();
    // The restored place was checked without the frame, which only exists now: the title bar
    // and the borders must be on the screen too.
    QTimer::singleShot(0, this, &MainWindow::keep_on_screen);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // Onto another screen: another size, perhaps another scale factor.
    if (isVisible() && screen() != fitted_screen_) {
        fitted_screen_ = screen();
        fit_zoom_to_screen();
    }
}

void MainWindow::show_zoom_mark() {
    for (const MenuCommand item : {MenuCommand::kZoom1, MenuCommand::kZoom2, MenuCommand::kZoom3}) {
        actions_.at(item)->setChecked(zoom_of_menu_item(item) == client_view_->zoom());
    }
}

void MainWindow::save_preferences() {
    // Only a convenience: the window works the same without them, so a word on the terminal
    // is enough.
    if (!save_window_preferences({client_view_->zoom(), geometry().topLeft(), frame_margins()})) {
        qWarning("tolvan: cannot keep the window's size and place in %s",
                 qPrintable(window_preferences_file()));
    }
}

void MainWindow::erase_background() {
    draw_case(*display_);
    if (holding_moment() || at_earlier_moment()) {
        // A repaint is no reason to forget what followed the moment that the user looks at: the
        // LCD shows as it was there.
        draw_lcd(*display_, emulator_->screen.cells);
    } else {
        // The LCD comes back at the next refresh of the firmware.
        request_lcd_redraw(*emulator_);
    }
    client_view_->update();
}

bool MainWindow::holding_moment() const {
    return rewinding_ || (timeline_ && timeline_->isVisible());
}

bool MainWindow::at_earlier_moment() const {
    const History& history = emulator_->history;
    return history.now != history.end;
}

void MainWindow::show_moment() {
    draw_lcd(*display_, emulator_->screen.cells);
    update_rect(lcd_area());
    update_check_mark();
    if (debugger_window_ && debugger_window_->isVisible()) debugger_window_->refresh(true);
}

void MainWindow::rewind_tick() {
    const qint64 held = rewind_held_.elapsed();
    const int speed = static_cast<int>(std::min<qint64>(
        kRewindFastestSpeed,
        kRewindStartSpeed << std::min<qint64>(held / kMillisecondsPerDoubling, 8)));
    const auto tick_cycles =
        static_cast<std::uint64_t>(kSlicePeriod.count()) * kCyclesPerSecond / 1000;
    if (travel_back_in_time(*emulator_, tick_cycles * static_cast<std::uint64_t>(speed))) {
        show_moment();
    }
}

void MainWindow::save_state_as() {
    const QString file =
        QFileDialog::getSaveFileName(this, tr("Save state"), QString(), tr(kStateFiles));
    if (!file.isEmpty()) save_state_into(file.toStdString());
}

void MainWindow::load_state_from() {
    const QString file =
        QFileDialog::getOpenFileName(this, tr("Load state"), QString(), tr(kStateFiles));
    if (!file.isEmpty()) load_state_file_named(file.toStdString());
}

void MainWindow::save_state_into(const std::string& file) {
    const Failures failures = save_state(*emulator_, file);
    if (failures.ok()) note_done(tr("State saved in %1"), file);
    show_failures(this, failures);
}

void MainWindow::load_state_file_named(const std::string& file) {
    const Failures failures = load_state(*emulator_, file);
    if (failures.ok()) {
        show_moment();
        note_done(tr("State loaded from %1"), file);
    }
    show_failures(this, failures);
}

void MainWindow::open_timeline() {
    if (!timeline_) {
        timeline_ = new TimelineBox(*emulator_, *display_, this);
        connect(timeline_, &TimelineBox::moved, this, &MainWindow::show_moment);
    }
    timeline_->start();
    // Below the calculator, so that its face stays in sight.
    timeline_->move(frameGeometry().bottomLeft() + QPoint(0, kTimelineGap));
    timeline_->show();
    timeline_->raise();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized)) {
        erase_background();
    }
}

void MainWindow::press_at(QPoint position) {
    Rect rect;
    pressed_key_code_ = hit_test(position.x(), position.y(), &rect);
    if (pressed_key_code_ != KeyCode::kNone) {
        pressed_rect_ = rect;
        draw_pressed_frame(display_->client, rect);
        update_rect(rect);
        press_key(pressed_key_code_);
    }
    shift_tapped_ = false;
}

void MainWindow::press_key(KeyCode code) {
    if (!tolvan::press_key(*emulator_, code)) QApplication::beep();
}

void MainWindow::paste_text() {
    const TypedText typed = keys_for_text(QApplication::clipboard()->text().toStdString());
    std::size_t dropped = 0;
    for (const KeyCode key : typed.keys) {
        if (!tolvan::press_key(*emulator_, key)) ++dropped;
    }
    if (typed.untypeable.empty() && dropped == 0) return;
    QString message;
    if (!typed.untypeable.empty()) {
        message = tr("These characters have no key and were not typed: %1")
                      .arg(QString::fromStdString(describe_characters(typed.untypeable)));
    }
    if (dropped != 0) {
        if (!message.isEmpty()) message += QLatin1Char('\n');
        message += tr("The last %1 keys did not fit behind the %2 keys waiting and were not typed.")
                       .arg(dropped)
                       .arg(kKeyQueueCapacity);
    }
    QMessageBox box(QMessageBox::Information, tr("Paste text"), message, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("PasteTextBox"));
    box.exec();
}

void MainWindow::release_pressed_key() {
    if (pressed_key_code_ != KeyCode::kNone) {
        draw_released_frame(display_->client, pressed_rect_);
        update_rect(pressed_rect_);
        pressed_key_code_ = KeyCode::kNone;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == kRewindKey) {
        if (!event->isAutoRepeat() && !rewinding_) {
            rewinding_ = true;
            rewind_held_.start();
            rewind_tick();
        }
        return;
    }
    if (event->key() == Qt::Key_Shift) {
        if (!event->isAutoRepeat()) shift_tapped_ = true;
        return;
    }
    shift_tapped_ = false;
    // The character that the key types, in the user's keyboard layout.
    const QString text = event->text();
    const int character = text.isEmpty() ? -1 : text.at(0).unicode();
    const bool shift_held = event->modifiers().testFlag(Qt::ShiftModifier);
    const KeyPresses presses =
        keys_for_key_down(virtual_key_for_qt_key(event->key()), character, shift_held);
    for (int n = 0; n < presses.count; ++n)
        press_key(presses.keys[n]);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    // Let go, the machine runs on from the moment reached.
    if (event->key() == kRewindKey && !event->isAutoRepeat()) rewinding_ = false;
    if (event->key() != Qt::Key_Shift || event->isAutoRepeat()) return;
    if (shift_tapped_) press_key(shift_tap_key());
    shift_tapped_ = false;
}

void MainWindow::run_command(MenuCommand command) {
    Emulator& e = *emulator_;
    // Shift held for a shortcut (Shift+F10) was no tap of SHIFT.
    shift_tapped_ = false;
    switch (command) {
        case MenuCommand::kAbout:
            show_about_box(this);
            break;
        case MenuCommand::kSaveRam:
            save_ram();
            break;
        case MenuCommand::kLoadRam:
            load_ram_image();
            break;
        case MenuCommand::kOpenMachineFolder:
            open_machine_folder();
            break;
        case MenuCommand::kAllReset:
            if (confirm_all_reset(this)) {
                all_reset(e);
                update_check_mark();
            }
            break;
        case MenuCommand::kBreak:
            press_break(e);
            break;
        case MenuCommand::kRam16:
        case MenuCommand::kRam8:
        case MenuCommand::kRam4:
            change_ram_size_confirmed(command);
            break;
        case MenuCommand::kChangeSpeed:
            edit_speed(this, e);
            break;
        case MenuCommand::kFileNames:
            edit_file_names(this, e);
            break;
        case MenuCommand::kContent:
            show_info_box(this);
            break;
        case MenuCommand::kHelp:
            show_help();
            break;
        case MenuCommand::kExit:
            close();
            break;
        case MenuCommand::kSimpleReset:
            simple_reset(e);
            update_check_mark();
            break;
        case MenuCommand::kUnassemble:
            unassemble();
            break;
        case MenuCommand::kPasteText:
            paste_text();
            break;
        case MenuCommand::kDebugger:
            open_debugger();
            break;
        case MenuCommand::kLoadDebugInfo:
            load_debug_info();
            break;
        case MenuCommand::kLoadSymbols:
            load_symbols();
            break;
        case MenuCommand::kZoom1:
        case MenuCommand::kZoom2:
        case MenuCommand::kZoom3:
            set_zoom(zoom_of_menu_item(command));
            break;
        case MenuCommand::kSaveState:
            save_state_as();
            break;
        case MenuCommand::kLoadState:
            load_state_from();
            break;
        case MenuCommand::kTimeline:
            open_timeline();
            break;
        default:
            if (const int slot = quick_save_slot(command)) {
                save_state_into(quick_slot_file_name(slot));
            } else if (const int slot_to_load = quick_load_slot(command)) {
                load_state_file_named(quick_slot_file_name(slot_to_load));
            }
            break;
    }
    // A reset, a RAM load or new symbols change what the debugger shows.
    if (debugger_window_ && debugger_window_->isVisible() && command != MenuCommand::kDebugger) {
        debugger_window_->refresh(false);
    }
}

void MainWindow::open_debugger() {
    if (!debugger_window_) {
        debugger_window_ = new DebuggerWindow(*emulator_, *display_, this);
        debugger_window_->setWindowFlag(Qt::Window);
        connect(debugger_window_, &DebuggerWindow::lcd_changed, this,
                [this] { update_rect(lcd_area()); });
    }
    if (!debugger_window_->isVisible()) place_debugger();
    debugger_window_->show();
    debugger_window_->raise();
    debugger_window_->activateWindow();
}

void MainWindow::place_debugger() {
    const QScreen* here = screen();
    if (!here) return;
    // The debugger's frame is not known before it is shown; the calculator's is a good guess.
    const QMargins frame = frame_margins();
    const int frame_width = frame.left() + frame.right();
    const int frame_height = frame.top() + frame.bottom();
    const QSize wanted = debugger_window_->size();
    const Rect placed = place_beside(
        to_rect(frameGeometry()), wanted.width() + frame_width, wanted.height() + frame_height,
        to_rect(here->availableGeometry()), kDebuggerNarrowestWidth + frame_width);
    debugger_window_->setGeometry(placed.left + frame.left(), placed.top + frame.top(),
                                  placed.width - frame_width, placed.height - frame_height);
}

void MainWindow::show_help() {
    if (!help_window_) help_window_ = new HelpWindow(this);
    help_window_->show_help(QString::fromStdString(machine_folder_.path.string()));
    help_window_->show();
    help_window_->raise();
    help_window_->activateWindow();
}

void MainWindow::note_done(const QString& text, const std::string& file_name) {
    status_note_->show_note(text.arg(QString::fromStdString(file_name)));
}

Failures MainWindow::load_symbols_beside_roms() {
    const SymbolFolderStatus status =
        load_symbol_files(*emulator_, std::filesystem::current_path());
    const DebugInfoFolderStatus debug_info =
        load_debug_info_folder(*emulator_, std::filesystem::current_path());
    std::vector<std::string> failures = status.failures;
    failures.insert(failures.end(), debug_info.failures.begin(), debug_info.failures.end());
    if (failures.empty()) return {};
    std::string detail;
    for (const std::string& failure : failures) {
        if (!detail.empty()) detail += '\n';
        detail += failure;
    }
    return failure(kSymbolFilesError, detail);
}

void MainWindow::load_ram_image() {
    const LoadRamResult result = load_ram(*emulator_);
    if (result.started) {
        update_check_mark();
        update_missing_roms_panel(result.started->roms);
    }
    if (result.failures.ok()) {
        note_done(tr("RAM loaded from %1"), emulator_->control.ram_file_name);
    }
    show_failures(this, result.failures);
}

void MainWindow::save_ram() {
    const Failures failures = save_ram_image(*emulator_);
    if (failures.ok()) note_done(tr("RAM saved in %1"), emulator_->control.ram_file_name);
    show_failures(this, failures);
}

void MainWindow::load_symbols() {
    QFileDialog box(this, tr("Load symbols"), QString(), tr("Symbol files (*.sym);;All files (*)"));
    box.setObjectName(QStringLiteral("LoadSymbolsBox"));
    box.setFileMode(QFileDialog::ExistingFile);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return;
    const std::filesystem::path file = box.selectedFiles().front().toStdString();
    const SymbolFileStatus status = read_symbol_file(file, emulator_->symbols);
    if (!status.ok()) {
        show_error_box(this, tr("Cannot load the symbols").toStdString(),
                       describe_symbol_file_status(file, status));
    }
}

void MainWindow::load_debug_info() {
    QFileDialog box(this, tr("Load debug information"), QString(),
                    tr("Debug information (*.json);;All files (*)"));
    box.setObjectName(QStringLiteral("LoadDebugInfoBox"));
    box.setFileMode(QFileDialog::ExistingFile);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return;
    const std::filesystem::path file = box.selectedFiles().front().toStdString();
    const DebugInfoStatus status = load_debug_info_file(*emulator_, file);
    if (!status.ok()) {
        show_error_box(this, tr("Cannot load the debug information").toStdString(),
                       status.path + ": " + status.reason);
        return;
    }
    if (debugger_window_) debugger_window_->refresh(false);
}

void MainWindow::change_ram_size_confirmed(MenuCommand command) {
    const std::int8_t kilobytes = ram_size_of_menu_item(command);
    MachineControl& control = emulator_->control;
    // No slice may run while the user decides: the change restarts the firmware.
    control.slice_busy = true;
    if (kilobytes != emulator_->bus.memory.ram_size && confirm_memory_change(this)) {
        change_ram_size(*emulator_, kilobytes);
        update_check_mark();
    }
    control.slice_busy = false;
    // Choosing a checkable item toggles its mark; only the size in force keeps one.
    show_check_mark();
}

void MainWindow::unassemble() {
    if (edit_unassemble_settings(this, *emulator_))
        show_failures(this, run_unassembler(*emulator_));
}

void MainWindow::update_check_mark() {
    ram_size_menu_item_ = tolvan::ram_size_menu_item(emulator_->bus.memory.ram_size);
    show_check_mark();
}

void MainWindow::show_check_mark() {
    for (const MenuCommand item : {MenuCommand::kRam4, MenuCommand::kRam8, MenuCommand::kRam16}) {
        actions_.at(item)->setChecked(item == ram_size_menu_item_);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shut_down();
    QMainWindow::closeEvent(event);
}

void MainWindow::shut_down() {
    // Nothing of the machine is saved on the way out; the window's place is the user's own.
    save_preferences();
    slice_timer_.stop();
    if (debugger_window_) debugger_window_->close();
}

}  // namespace tolvan

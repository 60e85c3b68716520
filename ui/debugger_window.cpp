#include "ui/debugger_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "machine/debugger.h"
#include "machine/source_map.h"
#include "machine/time_travel.h"
#include "tools/labelled_instruction.h"
#include "ui/breakpoint_view.h"
#include "ui/code_view.h"
#include "ui/dialogs.h"
#include "ui/history_view.h"
#include "ui/memory_view.h"
#include "ui/preferences.h"
#include "ui/register_view.h"
#include "ui/source_view.h"
#include "ui/stack_view.h"

namespace tolvan {

namespace {

// A running machine's views change this often at most: often enough to watch, seldom enough
// to cost the machine nothing.
constexpr qint64 kRunningRefreshMs = 250;
constexpr int kMessageMs = 5000;
constexpr int kDefaultWidth = 1400;
constexpr int kDefaultHeight = 760;
constexpr int kSourcePaneWidth = 460;
// The memory and the history get about half the height: enough rows to read a routine's past.
constexpr int kBottomPaneHeight = 330;

const char* reason_text(StopReason reason) {
    switch (reason) {
        case StopReason::kNone:
        case StopReason::kPause:
            return "paused";
        case StopReason::kBreakpoint:
            return "breakpoint";
        case StopReason::kWatchpoint:
            return "watchpoint";
        case StopReason::kUndefinedOpcode:
            return "undefined opcode";
        case StopReason::kStep:
            return "step";
        case StopReason::kStepOver:
            return "step over";
        case StopReason::kStepOut:
            return "step out";
        case StopReason::kRunTo:
            return "run to cursor";
        case StopReason::kStepBack:
            return "step back";
        case StopReason::kStepBackOver:
            return "step back over";
        case StopReason::kReverseRunTo:
            return "reverse run to cursor";
        case StopReason::kHistoryStart:
            return "start of the history";
        case StopReason::kLastWrite:
            return "last write";
        case StopReason::kTravel:
            return "moved in the history";
    }
    return "";
}

// "Stopped at main_loop (0123): breakpoint"; a watchpoint also says who touched what.
QString stop_text(const Emulator& emulator) {
    const StopInfo& stop = emulator.debugger.last_stop;
    QString text = QStringLiteral("Stopped at %1: %2")
                       .arg(QString::fromStdString(describe_with_hex(emulator.symbols, stop.pc)),
                            QString::fromLatin1(reason_text(stop.reason)));
    if (stop.reason == StopReason::kWatchpoint) {
        text +=
            QStringLiteral(", %1 %2 by the instruction at %3")
                .arg(stop.write ? QStringLiteral("write to") : QStringLiteral("read of"),
                     QString::fromStdString(describe_with_hex(emulator.symbols, stop.data_address)),
                     QString::fromStdString(
                         describe_with_hex(emulator.symbols, stop.instruction_address)));
    }
    return text;
}

QLineEdit* address_field(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setPlaceholderText(QObject::tr("address or label"));
    field->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return field;
}

}  // namespace

DebuggerWindow::DebuggerWindow(Emulator& emulator, Display& display, QWidget* parent)
    : QMainWindow(parent), emulator_(emulator), display_(display) {
    setObjectName(QStringLiteral("DebuggerWindow"));
    setWindowTitle(tr("Tolvan debugger"));
    build_actions();
    setCentralWidget(build_code_panel());
    build_panes();

    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("DebuggerState"));
    statusBar()->addWidget(state_, 1);

    connect(registers_, &RegisterView::edited, this, [this] { refresh(false); });
    connect(memory_, &MemoryView::edited, this, [this] { refresh(false); });
    connect(history_, &HistoryView::moment_chosen, this, &DebuggerWindow::travel_to_entry);
    connect(memory_, &MemoryView::last_write_requested, this,
            [this] { run_command(DebugCommand::kLastWrite); });
    connect(memory_, &MemoryView::watch_requested, this, [this](Watchpoint watchpoint) {
        breakpoints_->add_watchpoint(watchpoint);
        refresh(false);
    });
    // The margins' dots, where the views are.
    connect(breakpoints_, &BreakpointView::changed, code_, qOverload<>(&QWidget::update));
    connect(breakpoints_, &BreakpointView::changed, source_, &SourceView::show_breakpoints);
    connect(code_, &CodeView::breakpoints_changed, breakpoints_, &BreakpointView::show_values);
    connect(code_, &CodeView::breakpoints_changed, source_, &SourceView::show_breakpoints);
    connect(source_, &SourceView::breakpoints_changed, this, [this] {
        breakpoints_->show_values();
        code_->update();
    });
    connect(breakpoints_, &BreakpointView::go_to_code, this, [this](std::uint16_t address) {
        code_->go_to(address);
        code_->setFocus();
    });
    connect(breakpoints_, &BreakpointView::go_to_memory, this,
            [this](std::uint16_t first, std::uint16_t last) {
                follow_->setCurrentIndex(static_cast<int>(MemoryFollow::kNone));
                memory_->go_to(first);
                memory_->select_range(first, last);
            });
    restore_layout();
    since_refresh_.start();
}

void DebuggerWindow::build_panes() {
    // The right column runs the window's full height; the bottom panes sit under the code.
    setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    view_menu_ = menuBar()->addMenu(tr("&View"));
    registers_ = new RegisterView(emulator_, this);
    stack_ = new StackView(emulator_, this);
    breakpoints_ = new BreakpointView(emulator_, this);
    history_ = new HistoryView(emulator_, this);
    source_ = new SourceView(emulator_, this);
    QDockWidget* source = add_pane(tr("Source"), "SourcePane", source_, Qt::LeftDockWidgetArea);
    connect(source_, &SourceView::file_shown, source, [source](const QString& name) {
        source->setWindowTitle(name.isEmpty() ? tr("Source") : tr("Source: %1").arg(name));
    });
    QDockWidget* registers =
        add_pane(tr("Registers"), "RegistersPane", registers_, Qt::RightDockWidgetArea);
    QDockWidget* stack = add_pane(tr("Stack"), "StackPane", stack_, Qt::RightDockWidgetArea);
    QDockWidget* breakpoints =
        add_pane(tr("Breakpoints"), "BreakpointsPane", breakpoints_, Qt::RightDockWidgetArea);
    QDockWidget* memory =
        add_pane(tr("Memory"), "MemoryPane", build_memory_panel(), Qt::BottomDockWidgetArea);
    QDockWidget* history =
        add_pane(tr("History"), "HistoryPane", history_, Qt::BottomDockWidgetArea);
    tabifyDockWidget(stack, breakpoints);
    stack->raise();
    // Each as wide as the code: a row of memory and a line of history are long.
    tabifyDockWidget(memory, history);
    memory->raise();
    resizeDocks({registers, source}, {registers_->sizeHint().width(), kSourcePaneWidth},
                Qt::Horizontal);
    resizeDocks({memory}, {kBottomPaneHeight}, Qt::Vertical);
    resize(kDefaultWidth, kDefaultHeight);
}

QDockWidget* DebuggerWindow::add_pane(const QString& title, const char* name, QWidget* content,
                                      Qt::DockWidgetArea area) {
    auto* pane = new QDockWidget(title, this);
    pane->setObjectName(QString::fromLatin1(name));
    pane->setWidget(content);
    pane->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    addDockWidget(area, pane);
    view_menu_->addAction(pane->toggleViewAction());
    return pane;
}

void DebuggerWindow::restore_layout() {
    const DebuggerLayout layout = load_debugger_layout();
    if (layout.size) resize(*layout.size);
    // A layout of another version of the window is left aside; the default one stands.
    if (!layout.panes.isEmpty()) (void)restoreState(layout.panes);
}

void DebuggerWindow::save_layout() {
    if (!save_debugger_layout({size(), saveState()})) {
        qWarning("tolvan: cannot keep the debugger's layout in %s",
                 qPrintable(window_preferences_file()));
    }
}

void DebuggerWindow::build_actions() {
    QMenu* menu = menuBar()->addMenu(tr("&Debug"));
    QToolBar* bar = addToolBar(tr("Debug"));
    bar->setObjectName(QStringLiteral("DebugToolBar"));
    bar->setMovable(false);
    for (const DebugCommandItem& item : debug_commands()) {
        auto* action = new QAction(QString::fromLatin1(item.text), this);
        action->setShortcut(QKeySequence(item.key));
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(action->text().remove(QLatin1Char('&')),
                                          action->shortcut().toString(QKeySequence::NativeText)));
        connect(action, &QAction::triggered, this,
                [this, command = item.command] { run_command(command); });
        menu->addAction(action);
        bar->addAction(action);
        actions_[item.command] = action;
    }
    menu->addSeparator();
    auto* undefined = new QAction(tr("Stop at &undefined opcodes"), this);
    undefined->setObjectName(QStringLiteral("StopOnUndefined"));
    undefined->setCheckable(true);
    undefined->setChecked(emulator_.debugger.stop_on_undefined);
    connect(undefined, &QAction::toggled, this,
            [this](bool on) { emulator_.debugger.stop_on_undefined = on; });
    menu->addAction(undefined);
}

QWidget* DebuggerWindow::build_code_panel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    code_address_ = address_field("CodeAddress", panel);
    auto* label = new QLabel(tr("&Go to:"), panel);
    label->setBuddy(code_address_);
    row->addWidget(label);
    row->addWidget(code_address_, 1);
    layout->addLayout(row);
    code_ = new CodeView(emulator_, panel);
    code_->addAction(actions_.at(DebugCommand::kRunToCursor));
    code_->addAction(actions_.at(DebugCommand::kToggleBreakpoint));
    code_->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(code_, 1);
    connect(code_address_, &QLineEdit::returnPressed, this, &DebuggerWindow::go_to_code);
    return panel;
}

QWidget* DebuggerWindow::build_memory_panel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    memory_address_ = address_field("MemoryAddress", panel);
    auto* label = new QLabel(tr("G&o to:"), panel);
    label->setBuddy(memory_address_);
    follow_ = new QComboBox(panel);
    follow_->setObjectName(QStringLiteral("MemoryFollow"));
    follow_->addItems(
        {tr("nothing"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("DP")});
    auto* follow_label = new QLabel(tr("&Follow:"), panel);
    follow_label->setBuddy(follow_);
    row->addWidget(label);
    row->addWidget(memory_address_, 1);
    row->addWidget(follow_label);
    row->addWidget(follow_);
    layout->addLayout(row);
    memory_ = new MemoryView(emulator_, panel);
    layout->addWidget(memory_, 1);
    connect(memory_address_, &QLineEdit::returnPressed, this, &DebuggerWindow::go_to_memory);
    connect(follow_, &QComboBox::currentIndexChanged, this, &DebuggerWindow::follow_in_memory);
    return panel;
}

void DebuggerWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    emulator_.debugger.attached = true;
    breakpoints_->put_back();
    refresh(true);
}

void DebuggerWindow::closeEvent(QCloseEvent* event) {
    // Closed, the debugger lets the machine go on as if it had never been there; its
    // breakpoints and watchpoints come back when it opens again.
    // Under a debug adapter the editor goes on debugging: nothing is set aside.
    Debugger& debugger = emulator_.debugger;
    if (!debugger.adapter) {
        debugger.attached = false;
        breakpoints_->set_aside();
        if (debugger.mode != RunMode::kRunning) resume(emulator_);
    }
    save_layout();
    QMainWindow::closeEvent(event);
}

void DebuggerWindow::after_slice(const SliceResult& result) {
    if (!isVisible()) return;
    if (result.stopped || emulator_.debugger.stop_count != seen_stop_count_) {
        refresh(true);
    } else if (!is_paused(emulator_) && since_refresh_.elapsed() >= kRunningRefreshMs) {
        refresh(false);
    }
}

void DebuggerWindow::refresh(bool at_stop) {
    const bool paused = is_paused(emulator_);
    registers_->show_values(at_stop);
    registers_->set_editable(paused);
    code_->show_pc();
    source_->show_pc();
    if (at_stop) follow_in_memory();
    memory_->set_editable(paused);
    memory_->show_values();
    stack_->show_values();
    breakpoints_->show_values();
    // The history moves too fast to read while the machine runs.
    if (paused) history_->show_values();
    update_actions(paused);
    show_state();
    seen_stop_count_ = emulator_.debugger.stop_count;
    since_refresh_.restart();
}

void DebuggerWindow::update_actions(bool paused) {
    // Without the firmware nothing runs, nor steps.
    const bool runs = emulator_.control.power_on_status == PowerOnStatus::kOk;
    for (const auto& [command, action] : actions_) {
        // Going back needs a machine that stands still, as stepping does.
        const bool always = command == DebugCommand::kToggleBreakpoint;
        action->setEnabled(always || (runs && (command == DebugCommand::kPause) != paused));
    }
}

void DebuggerWindow::show_state() {
    const Debugger& debugger = emulator_.debugger;
    if (emulator_.control.power_on_status != PowerOnStatus::kOk) {
        state_->setText(tr("No firmware: nothing runs"));
    } else if (is_paused(emulator_)) {
        state_->setText(stop_text(emulator_));
    } else if (debugger.mode == RunMode::kRunning) {
        state_->setText(tr("Running"));
    } else {
        state_->setText(tr("Running until the %1")
                            .arg(debugger.mode == RunMode::kRunTo ? tr("cursor") : tr("return")));
    }
}

void DebuggerWindow::run_command(DebugCommand command) {
    switch (command) {
        case DebugCommand::kRun:
            resume(emulator_);
            break;
        case DebugCommand::kPause:
            pause(emulator_);
            break;
        case DebugCommand::kStep: {
            const StepResult step = step_into(emulator_, display_);
            emit lcd_changed();
            // A tape SAVE that the instruction could not write.
            show_failures(this, step.failures);
            break;
        }
        case DebugCommand::kStepOver:
            step_over(emulator_);
            break;
        case DebugCommand::kStepOut:
            step_out(emulator_);
            break;
        case DebugCommand::kRunToCursor:
            if (const auto cursor = code_->cursor()) run_to(emulator_, *cursor);
            break;
        case DebugCommand::kToggleBreakpoint:
            if (source_->hasFocus()) {
                source_->toggle_breakpoint(source_->textCursor().blockNumber() + 1);
            } else if (const auto cursor = code_->cursor()) {
                code_->toggle_breakpoint(*cursor);
            }
            return;
        case DebugCommand::kStepLine: {
            const StepResult step = step_line(emulator_, display_);
            emit lcd_changed();
            show_failures(this, step.failures);
            break;
        }
        case DebugCommand::kShowUnassembly:
            if (const auto address = source_->cursor_address()) {
                code_->go_to(*address);
                code_->setFocus();
            } else {
                statusBar()->showMessage(tr("No code at or after this line"), kMessageMs);
            }
            return;
        case DebugCommand::kShowSource:
            if (const auto cursor = code_->cursor(); cursor && source_->go_to_address(*cursor)) {
                source_->setFocus();
            } else {
                statusBar()->showMessage(tr("No source line for this instruction"), kMessageMs);
            }
            return;
        case DebugCommand::kReverseContinue:
            went_back(reverse_continue(emulator_));
            break;
        case DebugCommand::kStepBack:
            went_back(step_back(emulator_));
            break;
        case DebugCommand::kStepBackOver:
            went_back(step_back_over(emulator_));
            break;
        case DebugCommand::kReverseRunToCursor:
            if (const auto cursor = code_->cursor()) {
                went_back(reverse_run_to(emulator_, *cursor),
                          tr("PC was not at %1 in the history")
                              .arg(QString::fromStdString(
                                  describe_with_hex(emulator_.symbols, *cursor))));
            }
            break;
        case DebugCommand::kLastWrite:
            went_back(go_to_last_write(emulator_, memory_->selected()),
                      tr("Nothing wrote %1 in the history")
                          .arg(QString::fromStdString(
                              describe_with_hex(emulator_.symbols, memory_->selected()))));
            break;
    }
    refresh(emulator_.debugger.stop_count != seen_stop_count_);
}

void DebuggerWindow::went_back(bool moved, const QString& why_not) {
    if (!moved) {
        statusBar()->showMessage(
            why_not.isEmpty() ? tr("The history holds nothing earlier") : why_not, kMessageMs);
        return;
    }
    // The LCD as it showed at that moment.
    draw_lcd(display_, emulator_.screen.cells);
    emit lcd_changed();
}

void DebuggerWindow::travel_to_entry(std::uint64_t moment) {
    if (!is_paused(emulator_)) pause(emulator_);
    if (!travel_to(emulator_, moment)) return;
    mark_stop(emulator_, {StopReason::kTravel, emulator_.cpu.pc, 0, 0, false});
    went_back(true);
    refresh(true);
}

std::optional<std::uint16_t> DebuggerWindow::address_in(QLineEdit* field) {
    const std::string text = field->text().trimmed().toStdString();
    const auto address = parse_address(emulator_.symbols, text);
    if (!address) {
        statusBar()->showMessage(tr("Not an address or a label: %1").arg(field->text()),
                                 kMessageMs);
    } else {
        statusBar()->clearMessage();
    }
    return address;
}

void DebuggerWindow::go_to_code() {
    if (const auto address = address_in(code_address_)) {
        code_->go_to(*address);
        code_->setFocus();
    }
}

void DebuggerWindow::go_to_memory() {
    if (const auto address = address_in(memory_address_)) {
        follow_->setCurrentIndex(static_cast<int>(MemoryFollow::kNone));
        memory_->go_to(*address);
        memory_->setFocus();
    }
}

void DebuggerWindow::follow_in_memory() {
    const Cpu& cpu = emulator_.cpu;
    switch (static_cast<MemoryFollow>(follow_->currentIndex())) {
        case MemoryFollow::kNone:
            break;
        case MemoryFollow::kX:
            memory_->go_to(register_pair(cpu, kRegisterXL));
            break;
        case MemoryFollow::kY:
            memory_->go_to(register_pair(cpu, kRegisterYL));
            break;
        case MemoryFollow::kDP:
            memory_->go_to(cpu.dp);
            break;
    }
}

}  // namespace tolvan

#include "ui/debugger_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "machine/debugger.h"
#include "tools/labelled_instruction.h"
#include "ui/code_view.h"
#include "ui/dialogs.h"
#include "ui/history_view.h"
#include "ui/memory_view.h"
#include "ui/register_view.h"
#include "ui/stack_view.h"

namespace tolvan {

namespace {

struct CommandItem {
    DebugCommand command;
    const char* text;
    QKeyCombination key;
};

constexpr CommandItem kCommands[] = {
    {DebugCommand::kRun, "&Run", QKeyCombination(Qt::Key_F5)},
    {DebugCommand::kPause, "&Pause", QKeyCombination(Qt::Key_F6)},
    {DebugCommand::kStep, "&Step", QKeyCombination(Qt::Key_F11)},
    {DebugCommand::kStepOver, "Step &over", QKeyCombination(Qt::Key_F10)},
    {DebugCommand::kStepOut, "Step o&ut", QKeyCombination(Qt::ShiftModifier, Qt::Key_F11)},
    {DebugCommand::kRunToCursor, "Run to &cursor",
     QKeyCombination(Qt::ControlModifier, Qt::Key_F10)},
    {DebugCommand::kToggleBreakpoint, "Toggle &breakpoint", QKeyCombination(Qt::Key_F9)},
};

// A running machine's views change this often at most: often enough to watch, seldom enough
// to cost the machine nothing.
constexpr qint64 kRunningRefreshMs = 250;
constexpr int kMessageMs = 5000;
constexpr int kDefaultWidth = 1000;
constexpr int kDefaultHeight = 760;
// Wide enough for a row of the internal RAM.
constexpr int kRightPanelWidth = 440;

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

    registers_ = new RegisterView(emulator_, this);
    stack_ = new StackView(emulator_, this);
    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(registers_);
    right->addWidget(stack_);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);

    auto* top = new QSplitter(Qt::Horizontal, this);
    top->addWidget(build_code_panel());
    top->addWidget(right);
    top->setSizes({kDefaultWidth - kRightPanelWidth, kRightPanelWidth});

    history_ = new HistoryView(emulator_, this);
    auto* tabs = new QTabWidget(this);
    tabs->addTab(build_memory_panel(), tr("&Memory"));
    tabs->addTab(history_, tr("&History"));

    auto* whole = new QSplitter(Qt::Vertical, this);
    whole->addWidget(top);
    whole->addWidget(tabs);
    whole->setStretchFactor(0, 3);
    whole->setStretchFactor(1, 2);
    setCentralWidget(whole);

    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("DebuggerState"));
    statusBar()->addWidget(state_, 1);

    connect(registers_, &RegisterView::edited, this, [this] { refresh(false); });
    connect(memory_, &MemoryView::edited, this, [this] { refresh(false); });
    resize(kDefaultWidth, kDefaultHeight);
    since_refresh_.start();
}

void DebuggerWindow::build_actions() {
    QMenu* menu = menuBar()->addMenu(tr("&Debug"));
    QToolBar* bar = addToolBar(tr("Debug"));
    bar->setObjectName(QStringLiteral("DebugToolBar"));
    bar->setMovable(false);
    for (const CommandItem& item : kCommands) {
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
    Debugger& debugger = emulator_.debugger;
    debugger.attached = true;
    for (const std::uint16_t address : kept_breakpoints_)
        set_breakpoint(debugger, address, true);
    kept_breakpoints_.clear();
    refresh(true);
}

void DebuggerWindow::closeEvent(QCloseEvent* event) {
    // Closed, the debugger lets the machine go on as if it had never been there; its
    // breakpoints come back when it opens again.
    Debugger& debugger = emulator_.debugger;
    debugger.attached = false;
    kept_breakpoints_ = breakpoints(debugger);
    clear_breakpoints(debugger);
    if (debugger.mode != RunMode::kRunning) resume(emulator_);
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
    if (at_stop) follow_in_memory();
    memory_->set_editable(paused);
    memory_->show_values();
    stack_->show_values();
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
            if (const auto cursor = code_->cursor()) code_->toggle_breakpoint(*cursor);
            return;
    }
    refresh(emulator_.debugger.stop_count != seen_stop_count_);
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

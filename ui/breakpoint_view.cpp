#include "ui/breakpoint_view.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "machine/debugger.h"
#include "tools/labelled_instruction.h"

namespace tolvan {

namespace {

enum Column { kOnColumn, kKindColumn, kWhereColumn };

QString kind_text(const BreakEntry& entry) {
    if (!entry.watch) return QObject::tr("breakpoint");
    if (entry.range.reads && entry.range.writes) return QObject::tr("reads and writes");
    return entry.range.reads ? QObject::tr("reads") : QObject::tr("writes");
}

QString where_text(const Symbols& symbols, const BreakEntry& entry) {
    QString text = QString::fromStdString(describe_with_hex(symbols, entry.range.first));
    if (entry.range.last != entry.range.first) {
        text += QStringLiteral(" - ") +
                QString::fromStdString(describe_with_hex(symbols, entry.range.last));
    }
    return text;
}

BreakEntry breakpoint_entry(std::uint16_t address, bool enabled) {
    return {false, {address, address, false, false}, enabled};
}

}  // namespace

bool same_range(const Watchpoint& a, const Watchpoint& b) {
    return a.first == b.first && a.last == b.last && a.reads == b.reads && a.writes == b.writes;
}

bool operator==(const BreakEntry& a, const BreakEntry& b) {
    return a.watch == b.watch && same_range(a.range, b.range) && a.enabled == b.enabled;
}

BreakpointView::BreakpointView(Emulator& emulator, QWidget* parent)
    : QWidget(parent), emulator_(emulator) {
    setObjectName(QStringLiteral("BreakpointView"));
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("BreakpointList"));
    tree_->setRootIsDecorated(false);
    tree_->setHeaderLabels({tr("On"), tr("Stops at"), tr("Where")});
    tree_->header()->setSectionResizeMode(kOnColumn, QHeaderView::ResizeToContents);
    tree_->header()->setSectionResizeMode(kKindColumn, QHeaderView::ResizeToContents);
    tree_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* go = new QPushButton(tr("&Go to"), this);
    go->setObjectName(QStringLiteral("BreakpointGoTo"));
    auto* remove_button = new QPushButton(tr("&Delete"), this);
    remove_button->setObjectName(QStringLiteral("BreakpointDelete"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(go);
    buttons->addWidget(remove_button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_, 1);
    layout->addLayout(buttons);
    connect(go, &QPushButton::clicked, this, [this] { go_to(selected_row()); });
    connect(remove_button, &QPushButton::clicked, this, [this] { remove(selected_row()); });
    connect(tree_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { go_to(tree_->indexOfTopLevelItem(item)); });
    connect(tree_, &QTreeWidget::itemChanged, this, &BreakpointView::item_changed);
    auto* del = new QShortcut(QKeySequence::Delete, tree_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, [this] { remove(selected_row()); });
}

std::vector<BreakEntry> BreakpointView::current_entries() const {
    const Debugger& debugger = emulator_.debugger;
    std::vector<BreakEntry> list;
    for (const std::uint16_t address : breakpoints(debugger))
        list.push_back(breakpoint_entry(address, true));
    for (const Watchpoint& watchpoint : debugger.watchpoints)
        list.push_back({true, watchpoint, true});
    for (const BreakEntry& entry : disabled_) {
        // Set again from the code view while disabled here: the enabled one stands.
        const bool set_again = std::any_of(list.begin(), list.end(), [&](const BreakEntry& e) {
            return e.watch == entry.watch && same_range(e.range, entry.range);
        });
        if (!set_again) list.push_back(entry);
    }
    std::stable_sort(list.begin(), list.end(), [](const BreakEntry& a, const BreakEntry& b) {
        if (a.watch != b.watch) return !a.watch;
        return a.range.first < b.range.first;
    });
    return list;
}

void BreakpointView::show_values() {
    std::vector<BreakEntry> list = current_entries();
    if (list == entries_) return;
    entries_ = std::move(list);
    rebuild();
}

void BreakpointView::rebuild() {
    const int row = selected_row();
    filling_ = true;
    tree_->clear();
    for (const BreakEntry& entry : entries_) {
        auto* item = new QTreeWidgetItem(tree_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(kOnColumn, entry.enabled ? Qt::Checked : Qt::Unchecked);
        item->setText(kKindColumn, kind_text(entry));
        item->setText(kWhereColumn, where_text(emulator_.symbols, entry));
    }
    if (row >= 0 && row < tree_->topLevelItemCount()) {
        tree_->setCurrentItem(tree_->topLevelItem(row));
    }
    filling_ = false;
}

void BreakpointView::add_watchpoint(const Watchpoint& watchpoint) {
    Debugger& debugger = emulator_.debugger;
    const bool known = std::any_of(debugger.watchpoints.begin(), debugger.watchpoints.end(),
                                   [&](const Watchpoint& w) { return same_range(w, watchpoint); });
    if (!known) tolvan::add_watchpoint(debugger, watchpoint);
    show_values();
}

void BreakpointView::set_enabled(int row, bool enabled) {
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    BreakEntry entry = entries_[static_cast<std::size_t>(row)];
    if (entry.enabled == enabled) return;
    remove(row);
    entry.enabled = enabled;
    if (!enabled) {
        disabled_.push_back(entry);
    } else if (entry.watch) {
        tolvan::add_watchpoint(emulator_.debugger, entry.range);
    } else {
        set_breakpoint(emulator_.debugger, entry.range.first, true);
    }
    show_values();
    emit changed();
}

void BreakpointView::remove(int row) {
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    const BreakEntry entry = entries_[static_cast<std::size_t>(row)];
    if (!entry.enabled) {
        std::erase(disabled_, entry);
    } else if (entry.watch) {
        std::erase_if(emulator_.debugger.watchpoints,
                      [&](const Watchpoint& w) { return same_range(w, entry.range); });
    } else {
        set_breakpoint(emulator_.debugger, entry.range.first, false);
    }
    show_values();
    emit changed();
}

void BreakpointView::go_to(int row) {
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    const BreakEntry& entry = entries_[static_cast<std::size_t>(row)];
    if (entry.watch) {
        emit go_to_memory(entry.range.first, entry.range.last);
    } else {
        emit go_to_code(entry.range.first);
    }
}

void BreakpointView::set_aside() {
    Debugger& debugger = emulator_.debugger;
    set_aside_.clear();
    for (const std::uint16_t address : breakpoints(debugger))
        set_aside_.push_back(breakpoint_entry(address, true));
    for (const Watchpoint& watchpoint : debugger.watchpoints)
        set_aside_.push_back({true, watchpoint, true});
    clear_breakpoints(debugger);
    clear_watchpoints(debugger);
}

void BreakpointView::put_back() {
    for (const BreakEntry& entry : set_aside_) {
        if (entry.watch) {
            add_watchpoint(entry.range);
        } else {
            set_breakpoint(emulator_.debugger, entry.range.first, true);
        }
    }
    set_aside_.clear();
    show_values();
}

int BreakpointView::selected_row() const {
    return tree_->indexOfTopLevelItem(tree_->currentItem());
}

void BreakpointView::item_changed(QTreeWidgetItem* item, int column) {
    if (filling_ || column != kOnColumn) return;
    const int row = tree_->indexOfTopLevelItem(item);
    const bool on = item->checkState(kOnColumn) == Qt::Checked;
    // Later, from the event loop: the change rebuilds the list and so deletes this item.
    QMetaObject::invokeMethod(
        this, [this, row, on] { set_enabled(row, on); }, Qt::QueuedConnection);
}

}  // namespace tolvan

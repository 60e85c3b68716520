// The breakpoints and watchpoints, one per row, each with a box that enables or disables it.
// An enabled one lives in the debugger, where the slice sees it; a disabled one only here, so
// that it costs the running machine nothing and comes back as it was when enabled again.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "bus/data_watch.h"
#include "machine/emulator.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tolvan {

struct BreakEntry {
    bool watch = false;  // a watchpoint, else a breakpoint at `first`
    Watchpoint range;    // for a breakpoint: first == last, neither reads nor writes
    bool enabled = true;
};

bool same_range(const Watchpoint& a, const Watchpoint& b);
bool operator==(const BreakEntry& a, const BreakEntry& b);

class BreakpointView : public QWidget {
    Q_OBJECT

  public:
    explicit BreakpointView(Emulator& emulator, QWidget* parent = nullptr);

    // Lists what is set now; the list is rebuilt only when that changed, so that a running
    // machine does not lose the user's selection.
    void show_values();
    void add_watchpoint(const Watchpoint& watchpoint);
    const std::vector<BreakEntry>& entries() const { return entries_; }
    void set_enabled(int row, bool enabled);
    void remove(int row);
    // Shows the entry's address in the code (a breakpoint) or the memory (a watchpoint).
    void go_to(int row);

    // While the debugger's window is closed, the machine runs as if no breakpoint or watchpoint
    // were set; they come back when it opens again.
    void set_aside();
    void put_back();

    QTreeWidget* tree() const { return tree_; }

  signals:
    void go_to_code(std::uint16_t address);
    void go_to_memory(std::uint16_t first, std::uint16_t last);
    // A breakpoint or watchpoint was enabled, disabled or removed.
    void changed();

  private:
    std::vector<BreakEntry> current_entries() const;
    void rebuild();
    int selected_row() const;
    void item_changed(QTreeWidgetItem* item, int column);

    Emulator& emulator_;
    std::vector<BreakEntry> entries_;
    std::vector<BreakEntry> disabled_;
    std::vector<BreakEntry> set_aside_;
    QTreeWidget* tree_ = nullptr;
    bool filling_ = false;
};

}  // namespace tolvan

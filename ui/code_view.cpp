#include "ui/code_view.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "machine/debugger.h"
#include "tools/hex_text.h"
#include "tools/labelled_instruction.h"
#include "tools/mnemonic_table.h"

namespace tolvan {

namespace {

// Instructions shown above PC when the view moves to it, and how far back the search for them
// starts: the longest instruction is four bytes.
constexpr int kLinesAbovePc = 5;
constexpr int kLongestInstruction = 4;
constexpr int kWheelLines = 3;
constexpr int kLabelColumnChars = 16;
constexpr int kBytesColumnChars = 12;
constexpr int kDefaultLines = 24;
constexpr int kDefaultChars = 60;

const QColor kPcLine(255, 240, 150);
const QColor kCursorLine(200, 220, 255);
const QColor kBreakpoint(200, 30, 30);
const QColor kPcArrow(230, 150, 0);
const QColor kMargin(235, 235, 235);
const QColor kLabelText(20, 90, 160);

int instruction_length_at(const AddressSpace& memory, std::uint16_t address) {
    return mnemonic_table()[read_program_byte(memory, address)].length;
}

// The earliest start at most `lines` instructions above `target` from which unassembling lands
// on `target`; the target itself when none does.
std::uint16_t start_above(const AddressSpace& memory, std::uint16_t target, int lines) {
    const int reach = std::min<int>(lines * kLongestInstruction, target);
    for (int back = reach; back > 0; --back) {
        std::vector<std::uint16_t> starts;
        int address = target - back;
        while (address < target) {
            starts.push_back(static_cast<std::uint16_t>(address));
            address += instruction_length_at(memory, static_cast<std::uint16_t>(address));
        }
        if (address != target) continue;
        const std::size_t keep = std::min<std::size_t>(starts.size(), lines);
        return starts[starts.size() - keep];
    }
    return target;
}

QString padded(const std::string& text, int width) {
    QString result = QString::fromStdString(text);
    if (result.size() > width) result = result.left(width - 1) + QChar(0x2026);
    return result.leftJustified(width);
}

}  // namespace

CodeView::CodeView(Emulator& emulator, QWidget* parent) : QWidget(parent), emulator_(emulator) {
    setObjectName(QStringLiteral("CodeView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

QSize CodeView::sizeHint() const {
    const QFontMetrics metrics(font());
    return {margin_width() + metrics.horizontalAdvance(QLatin1Char('0')) * kDefaultChars,
            line_height() * kDefaultLines};
}

int CodeView::line_height() const {
    return QFontMetrics(font()).height();
}

// Room for a breakpoint's dot and, to its right, the arrow at PC.
int CodeView::margin_width() const {
    return 2 * line_height() + 2;
}

int CodeView::visible_line_count() const {
    return std::max(1, height() / line_height() + 1);
}

std::uint16_t CodeView::next_address(std::uint16_t address) const {
    return static_cast<std::uint16_t>(address +
                                      instruction_length_at(emulator_.bus.memory, address));
}

void CodeView::lay_out() {
    lines_.clear();
    std::uint16_t address = top_;
    for (int n = visible_line_count(); n > 0; --n) {
        lines_.push_back(address);
        const std::uint16_t next = next_address(address);
        // The end of the address space ends the list rather than wrapping to 0.
        if (next < address) break;
        address = next;
    }
    update();
}

void CodeView::anchor(std::uint16_t address) {
    top_ = start_above(emulator_.bus.memory, address, kLinesAbovePc);
    lay_out();
}

void CodeView::show_pc() {
    pc_ = emulator_.cpu.pc;
    // The last lines may be cut by the bottom edge: PC there counts as out of sight.
    const auto seen = std::find(lines_.begin(), lines_.end(), pc_);
    const bool in_sight = seen != lines_.end() && seen + 2 < lines_.end();
    if (in_sight) {
        lay_out();
    } else {
        anchor(pc_);
    }
}

void CodeView::go_to(std::uint16_t address) {
    cursor_ = address;
    anchor(address);
}

QRect CodeView::line_rect(std::uint16_t address) const {
    const auto found = std::find(lines_.begin(), lines_.end(), address);
    if (found == lines_.end()) return {};
    const int row = static_cast<int>(found - lines_.begin());
    return {0, row * line_height(), width(), line_height()};
}

void CodeView::scroll_lines(int count) {
    if (count > 0) {
        for (int n = 0; n < count; ++n) {
            const std::uint16_t next = next_address(top_);
            if (next < top_) break;
            top_ = next;
        }
    } else if (count < 0) {
        top_ = start_above(emulator_.bus.memory, top_, -count);
    }
    lay_out();
}

void CodeView::move_cursor(int lines) {
    const auto found = cursor_ ? std::find(lines_.begin(), lines_.end(), *cursor_) : lines_.end();
    if (found == lines_.end()) {
        if (!lines_.empty()) cursor_ = lines_.front();
        update();
        return;
    }
    const int row = static_cast<int>(found - lines_.begin()) + lines;
    if (row < 0) {
        scroll_lines(-1);
        cursor_ = top_;
    } else if (row >= static_cast<int>(lines_.size()) - 1) {
        scroll_lines(1);
        cursor_ = next_address(*cursor_);
    } else {
        cursor_ = lines_[row];
    }
    update();
}

void CodeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    lay_out();
}

void CodeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int height = line_height();
    const int margin = margin_width();
    const int character = QFontMetrics(font()).horizontalAdvance(QLatin1Char('0'));
    const int ascent = QFontMetrics(font()).ascent();
    painter.fillRect(0, 0, margin, this->height(), kMargin);
    const Debugger& debugger = emulator_.debugger;
    for (std::size_t row = 0; row < lines_.size(); ++row) {
        const std::uint16_t address = lines_[row];
        const int top = static_cast<int>(row) * height;
        if (address == pc_) {
            painter.fillRect(margin, top, width() - margin, height, kPcLine);
        } else if (cursor_ == address) {
            painter.fillRect(margin, top, width() - margin, height, kCursorLine);
        }
        if (has_breakpoint(debugger, address)) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(kBreakpoint);
            painter.drawEllipse(QRectF(2, top + 2, height - 4, height - 4));
        }
        if (address == pc_) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kPcArrow);
            const double left = height + 1.0;
            const QPointF arrow[] = {
                {left, top + 3.0}, {margin - 2.0, top + height / 2.0}, {left, top + height - 3.0}};
            painter.drawPolygon(arrow, 3);
        }
        const LabelledInstruction line =
            labelled_instruction(emulator_.bus.memory, emulator_.symbols, address);
        const std::string label = label_at(emulator_.symbols, address);
        int x = margin + character / 2;
        const int baseline = top + ascent;
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(x, baseline, QString::fromStdString(hex4(address)) + QLatin1Char(' '));
        x += character * 5;
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(x, baseline, padded(line.bytes, kBytesColumnChars));
        x += character * kBytesColumnChars;
        painter.setPen(kLabelText);
        painter.drawText(x, baseline,
                         padded(label.empty() ? label : label + ":", kLabelColumnChars));
        x += character * kLabelColumnChars;
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(x, baseline, QString::fromStdString(line.text));
    }
}

void CodeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int row = event->position().toPoint().y() / line_height();
    if (row < 0 || row >= static_cast<int>(lines_.size())) return;
    const std::uint16_t address = lines_[row];
    if (event->position().x() < margin_width()) {
        toggle_breakpoint(address);
    } else {
        cursor_ = address;
        update();
    }
}

void CodeView::toggle_breakpoint(std::uint16_t address) {
    Debugger& debugger = emulator_.debugger;
    set_breakpoint(debugger, address, !has_breakpoint(debugger, address));
    update();
    emit breakpoints_changed();
}

void CodeView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
            move_cursor(-1);
            break;
        case Qt::Key_Down:
            move_cursor(1);
            break;
        case Qt::Key_PageUp:
            scroll_lines(-(visible_line_count() - 2));
            break;
        case Qt::Key_PageDown:
            scroll_lines(visible_line_count() - 2);
            break;
        default:
            QWidget::keyPressEvent(event);
            break;
    }
}

void CodeView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) scroll_lines(-steps * kWheelLines);
    event->accept();
}

}  // namespace tolvan

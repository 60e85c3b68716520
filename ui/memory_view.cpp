#include "ui/memory_view.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "machine/debugger.h"
#include "machine/inputs.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

constexpr int kBytesPerRow = 16;
constexpr int kRowCount = 0x10000 / kBytesPerRow;
// Character columns: "XXXX  " then three per byte (one more after the eighth), then the
// characters and the region.
constexpr int kHexStart = 6;
constexpr int kHexCell = 3;
constexpr int kMiddleGap = 1;
constexpr int kTextStart = kHexStart + kBytesPerRow * kHexCell + kMiddleGap + 1;
constexpr int kRegionStart = kTextStart + kBytesPerRow + 2;
constexpr int kDefaultRegionChars = 26;
constexpr int kDefaultRows = 16;
constexpr char kFirstPrintable = 0x20;
constexpr char kLastPrintable = 0x7E;

const QColor kSelected(200, 220, 255);
const QColor kRegionText(110, 110, 110);

int hex_column(int index) {
    return kHexStart + index * kHexCell + (index >= kBytesPerRow / 2 ? kMiddleGap : 0);
}

QChar shown_character(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return c >= kFirstPrintable && c <= kLastPrintable ? QLatin1Char(c) : QLatin1Char('.');
}

// The regions that the row's bytes lie in, in address order: most rows lie in one.
QString regions_of_row(std::uint16_t row_address) {
    QStringList names;
    for (int index = 0; index < kBytesPerRow; ++index) {
        const std::string_view name = region_name(static_cast<std::uint16_t>(row_address + index));
        const QString text = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (names.isEmpty() || names.back() != text) names.append(text);
    }
    return names.join(QStringLiteral(", "));
}

}  // namespace

MemoryView::MemoryView(Emulator& emulator, QWidget* parent)
    : QAbstractScrollArea(parent), emulator_(emulator) {
    setObjectName(QStringLiteral("MemoryView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
    update_scroll_range();
}

QSize MemoryView::sizeHint() const {
    const int width = character_width() * (kRegionStart + kDefaultRegionChars) +
                      verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
    return {width, row_height() * kDefaultRows + 2 * frameWidth()};
}

int MemoryView::character_width() const {
    return QFontMetrics(font()).horizontalAdvance(QLatin1Char('0'));
}

int MemoryView::row_height() const {
    return QFontMetrics(font()).height();
}

int MemoryView::visible_rows() const {
    return std::max(1, viewport()->height() / row_height());
}

void MemoryView::update_scroll_range() {
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, kRowCount - visible_rows());
    bar->setPageStep(visible_rows());
}

std::uint16_t MemoryView::top_address() const {
    return static_cast<std::uint16_t>(verticalScrollBar()->value() * kBytesPerRow);
}

void MemoryView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    update_scroll_range();
}

void MemoryView::go_to(std::uint16_t address) {
    verticalScrollBar()->setValue(address / kBytesPerRow);
    select(address);
}

std::uint16_t MemoryView::selection_first() const {
    return std::min(anchor_, selected_);
}

std::uint16_t MemoryView::selection_last() const {
    return std::max(anchor_, selected_);
}

void MemoryView::select_range(std::uint16_t first, std::uint16_t last) {
    select(first);
    select(last, true);
}

void MemoryView::select(std::uint16_t address, bool extend) {
    if (!extend) anchor_ = address;
    selected_ = address;
    low_digit_next_ = false;
    // Keeps the selection in sight.
    QScrollBar* bar = verticalScrollBar();
    const int row = address / kBytesPerRow;
    if (row < bar->value()) bar->setValue(row);
    if (row >= bar->value() + visible_rows()) bar->setValue(row - visible_rows() + 1);
    viewport()->update();
}

void MemoryView::set_editable(bool editable) {
    if (editable == editable_) return;
    editable_ = editable;
    low_digit_next_ = false;
}

void MemoryView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int character = character_width();
    const int height = row_height();
    const int ascent = QFontMetrics(font()).ascent();
    const int first_row = verticalScrollBar()->value();
    const int rows = std::min(visible_rows() + 1, kRowCount - first_row);
    const QColor text = palette().color(QPalette::Text);
    for (int n = 0; n < rows; ++n) {
        const auto row_address = static_cast<std::uint16_t>((first_row + n) * kBytesPerRow);
        const int top = n * height;
        const int baseline = top + ascent;
        painter.setPen(text);
        painter.drawText(0, baseline, QString::fromStdString(hex4(row_address)));
        QString characters;
        for (int index = 0; index < kBytesPerRow; ++index) {
            const auto address = static_cast<std::uint16_t>(row_address + index);
            const std::uint8_t byte = debug_read_byte(emulator_, address);
            const int x = hex_column(index) * character;
            if (address >= selection_first() && address <= selection_last()) {
                painter.fillRect(x, top, character * 2, height, kSelected);
                painter.fillRect((kTextStart + index) * character, top, character, height,
                                 kSelected);
            }
            painter.drawText(x, baseline, QString::fromStdString(hex2(byte)));
            characters += shown_character(byte);
        }
        painter.drawText(kTextStart * character, baseline, characters);
        painter.setPen(kRegionText);
        painter.drawText(kRegionStart * character, baseline, regions_of_row(row_address));
    }
}

std::optional<std::uint16_t> MemoryView::address_at(QPoint position) const {
    const int row = verticalScrollBar()->value() + position.y() / row_height();
    const int column = position.x() / character_width();
    int index = -1;
    if (column >= kTextStart && column < kTextStart + kBytesPerRow) {
        index = column - kTextStart;
    } else {
        for (int n = 0; n < kBytesPerRow; ++n) {
            if (column >= hex_column(n) && column < hex_column(n) + 2) index = n;
        }
    }
    if (index < 0 || row >= kRowCount) return std::nullopt;
    return static_cast<std::uint16_t>(row * kBytesPerRow + index);
}

void MemoryView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    if (const auto address = address_at(event->position().toPoint())) select(*address, extend);
}

void MemoryView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    if (const auto address = address_at(event->position().toPoint())) select(*address, true);
}

void MemoryView::contextMenuEvent(QContextMenuEvent* event) {
    // A right click outside the selection is about the byte under it.
    if (const auto address = address_at(event->pos())) {
        if (*address < selection_first() || *address > selection_last()) select(*address);
    }
    const std::uint16_t first = selection_first();
    const std::uint16_t last = selection_last();
    const QString range = first == last
                              ? QString::fromStdString(hex4(first))
                              : QStringLiteral("%1-%2").arg(QString::fromStdString(hex4(first)),
                                                            QString::fromStdString(hex4(last)));
    QMenu menu(this);
    const auto add = [&](const QString& text, bool reads, bool writes) {
        connect(menu.addAction(text.arg(range)), &QAction::triggered, this, [=, this] {
            emit watch_requested(Watchpoint{first, last, reads, writes});
        });
    };
    add(tr("Stop on &writes to %1"), false, true);
    add(tr("Stop on &reads of %1"), true, false);
    add(tr("Stop on reads &and writes of %1"), true, true);
    menu.addSeparator();
    // Back through the history: only a machine that stands still goes there.
    QAction* last_write = menu.addAction(
        tr("Go to the &last write of %1").arg(QString::fromStdString(hex4(selected_))));
    last_write->setEnabled(editable_);
    connect(last_write, &QAction::triggered, this, [this] { emit last_write_requested(); });
    menu.exec(event->globalPos());
}

void MemoryView::keyPressEvent(QKeyEvent* event) {
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const auto moved = [this, extend](int delta) {
        select(static_cast<std::uint16_t>(selected_ + delta), extend);
    };
    switch (event->key()) {
        case Qt::Key_Left:
            moved(-1);
            return;
        case Qt::Key_Right:
            moved(1);
            return;
        case Qt::Key_Up:
            moved(-kBytesPerRow);
            return;
        case Qt::Key_Down:
            moved(kBytesPerRow);
            return;
        case Qt::Key_PageUp:
            moved(-kBytesPerRow * visible_rows());
            return;
        case Qt::Key_PageDown:
            moved(kBytesPerRow * visible_rows());
            return;
        default:
            break;
    }
    bool is_digit = false;
    const int digit = event->text().toInt(&is_digit, 16);
    if (is_digit && event->text().size() == 1 && editable_) {
        type_digit(digit);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void MemoryView::type_digit(int digit) {
    const std::uint8_t old = debug_read_byte(emulator_, selected_);
    if (low_digit_next_) {
        poke(emulator_, selected_, static_cast<std::uint8_t>((old & 0xF0) | digit));
        emit edited();
        select(static_cast<std::uint16_t>(selected_ + 1));
        return;
    }
    poke(emulator_, selected_, static_cast<std::uint8_t>(digit << 4 | (old & 0x0F)));
    low_digit_next_ = true;
    viewport()->update();
    emit edited();
}

}  // namespace tolvan

#include "ui/source_view.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

#include "base/regular_file.h"
#include "machine/debugger.h"
#include "machine/source_map.h"

namespace tolvan {

namespace {

const QColor kPcLine(255, 240, 150);
const QColor kBreakpoint(200, 30, 30);
const QColor kPcArrow(230, 150, 0);
const QColor kMargin(235, 235, 235);

}  // namespace

// The line numbers, breakpoint dots and PC's arrow, left of the text.
class SourceMargin : public QWidget {
  public:
    explicit SourceMargin(SourceView& view) : QWidget(&view), view_(view) {
        setObjectName(QStringLiteral("SourceMargin"));
    }

  protected:
    void paintEvent(QPaintEvent* event) override { view_.paint_margin(event); }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) view_.margin_clicked(event->position().toPoint());
    }

  private:
    SourceView& view_;
};

SourceView::SourceView(Emulator& emulator, QWidget* parent)
    : QPlainTextEdit(parent), emulator_(emulator), margin_(new SourceMargin(*this)) {
    setObjectName(QStringLiteral("SourceView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setViewportMargins(margin_width(), 0, 0, 0);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0) {
            margin_->scroll(0, dy);
        } else {
            margin_->update(0, rect.y(), margin_->width(), rect.height());
        }
    });
    show_note(
        tr("No debug information: Tools, Load debug information..., or a *.json file of "
           "tolvan-asm --debug-info in the machine folder, shows the source here."));
}

void SourceView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    margin_->setGeometry(area.left(), area.top(), margin_width(), area.height());
}

int SourceView::margin_width() const {
    const QFontMetrics metrics(font());
    // Five digits of line number, a breakpoint's dot and the arrow.
    return metrics.horizontalAdvance(QLatin1Char('0')) * 6 + 2 * metrics.height();
}

void SourceView::show_note(const QString& text) {
    if (!file_.empty()) emit file_shown({});
    file_.clear();
    pc_line_ = 0;
    setPlainText(text);
    setExtraSelections({});
}

bool SourceView::show_file(const std::filesystem::path& file) {
    if (file == file_) return true;
    const ReadFile read = read_regular_file(file.string(), kMaxSourceBytes);
    if (read.error_number != 0) {
        show_note(tr("The source %1 cannot be read.").arg(QString::fromStdString(file.string())));
        return false;
    }
    setPlainText(QString::fromUtf8(read.bytes.data(), static_cast<qsizetype>(read.bytes.size())));
    file_ = file;
    emit file_shown(QString::fromStdString(file.filename().string()));
    return true;
}

void SourceView::show_pc() {
    const auto place = source_place(emulator_, emulator_.cpu.pc);
    if (!place) {
        if (emulator_.debug_info.empty()) return;
        pc_line_ = 0;
        mark_lines();
        return;
    }
    if (!show_file(place->file)) return;
    pc_line_ = place->line;
    const QTextBlock block = document()->findBlockByNumber(pc_line_ - 1);
    // Scrolled only when the line is out of sight, so that stepping does not jump.
    if (line_rect(pc_line_).isEmpty()) {
        QTextCursor cursor(block);
        setTextCursor(cursor);
        centerCursor();
    }
    mark_lines();
}

bool SourceView::go_to_address(std::uint16_t address) {
    const auto place = source_place(emulator_, address);
    if (!place || !show_file(place->file)) return false;
    QTextCursor cursor(document()->findBlockByNumber(place->line - 1));
    setTextCursor(cursor);
    centerCursor();
    mark_lines();
    return true;
}

std::optional<std::uint16_t> SourceView::cursor_address() const {
    if (file_.empty()) return std::nullopt;
    const auto code = code_at_or_after(emulator_, file_, textCursor().blockNumber() + 1);
    if (!code || code->addresses.empty()) return std::nullopt;
    return code->addresses.front();
}

bool SourceView::line_has_breakpoint(int line) const {
    for (const DebugInfo& info : emulator_.debug_info) {
        const auto file = find_source_file(info, file_);
        if (!file) continue;
        for (const std::uint16_t address : addresses_of_line(info, *file, line)) {
            if (has_breakpoint(emulator_.debugger, address)) return true;
        }
    }
    return false;
}

void SourceView::toggle_breakpoint(int line) {
    if (file_.empty()) return;
    const auto code = code_at_or_after(emulator_, file_, line);
    if (!code) return;
    const bool on = !line_has_breakpoint(code->line);
    for (const std::uint16_t address : code->addresses) {
        set_breakpoint(emulator_.debugger, address, on);
    }
    margin_->update();
    emit breakpoints_changed();
}

void SourceView::show_breakpoints() {
    margin_->update();
}

void SourceView::mark_lines() {
    QList<QTextEdit::ExtraSelection> marks;
    if (pc_line_ > 0) {
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(kPcLine);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.cursor = QTextCursor(document()->findBlockByNumber(pc_line_ - 1));
        marks.append(mark);
    }
    setExtraSelections(marks);
    margin_->update();
}

QRect SourceView::line_rect(int line) const {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid() || !block.isVisible()) return {};
    const QRectF shape = blockBoundingGeometry(block).translated(contentOffset());
    const QRect rect(0, static_cast<int>(shape.top()), viewport()->width(),
                     static_cast<int>(shape.height()));
    return rect.intersects(viewport()->rect()) && rect.bottom() <= viewport()->height() ? rect
                                                                                        : QRect();
}

void SourceView::paint_margin(QPaintEvent* event) {
    QPainter painter(margin_);
    painter.fillRect(event->rect(), kMargin);
    if (file_.empty()) return;
    const int height = fontMetrics().height();
    const int number_width = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 5;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const int top =
            static_cast<int>(blockBoundingGeometry(block).translated(contentOffset()).top());
        if (top > margin_->height()) break;
        const int line = block.blockNumber() + 1;
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(0, top, number_width, height, Qt::AlignRight, QString::number(line));
        const int dot_left = number_width + 4;
        if (line_has_breakpoint(line)) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(kBreakpoint);
            painter.drawEllipse(QRectF(dot_left, top + 2, height - 4, height - 4));
        }
        if (line == pc_line_) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kPcArrow);
            const double left = dot_left + height + 1.0;
            const QPointF arrow[] = {{left, top + 3.0},
                                     {margin_width() - 2.0, top + height / 2.0},
                                     {left, top + height - 3.0}};
            painter.drawPolygon(arrow, 3);
        }
    }
}

void SourceView::margin_clicked(QPoint position) {
    const QTextBlock block = cursorForPosition(QPoint(0, position.y())).block();
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    toggle_breakpoint(block.blockNumber() + 1);
}

}  // namespace tolvan

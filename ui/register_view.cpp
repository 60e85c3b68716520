#include "ui/register_view.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <algorithm>
#include <optional>

#include "machine/register_fields.h"

namespace tolvan {

namespace {

const std::span<const RegisterField> kFields = register_fields();
const int kFieldCount = static_cast<int>(kFields.size());
// Two columns of names and values side by side, so that every register, the flags and PC show
// at once without scrolling: A to R in the first, from DP on in the second.
const int kRowCount = (kFieldCount + 1) / 2;
constexpr int kColumnsPerField = 2;

int row_of_field(int field) {
    return field % kRowCount;
}
int value_column_of_field(int field) {
    return field / kRowCount * kColumnsPerField + 1;
}
// The field whose value a cell shows, or -1.
int field_of_cell(int row, int column) {
    if (column % kColumnsPerField == 0) return -1;
    const int field = column / kColumnsPerField * kRowCount + row;
    return field < kFieldCount ? field : -1;
}
const QColor kChangedColour(255, 220, 120);

}  // namespace

RegisterView::RegisterView(Emulator& emulator, QWidget* parent)
    : QTableWidget(kRowCount, kColumnsPerField * 2, parent),
      emulator_(emulator),
      at_last_stop_(kFieldCount),
      highlighted_(kFieldCount, false) {
    setObjectName(QStringLiteral("RegisterView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHorizontalHeaderLabels({tr("Register"), tr("Value"), tr("Register"), tr("Value")});
    verticalHeader()->hide();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    filling_ = true;
    for (int row = 0; row < kRowCount; ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = new QTableWidgetItem;
            cell->setFlags(Qt::ItemIsEnabled);
            setItem(row, column, cell);
        }
    }
    for (int field = 0; field < kFieldCount; ++field) {
        const int column = value_column_of_field(field);
        item(row_of_field(field), column - 1)->setText(QString::fromLatin1(kFields[field].name));
        at_last_stop_[field] = kFields[field].read(emulator_);
    }
    filling_ = false;
    resizeColumnsToContents();
    resizeRowsToContents();
    // The whole table, always.
    // Room for a timer's count (up to 10 digits), whatever the values are now.
    const int value_width = fontMetrics().horizontalAdvance(QStringLiteral("0000000000"));
    for (int column = 1; column < columnCount(); column += 2) {
        setColumnWidth(column, std::max(columnWidth(column), value_width));
    }
    setMinimumWidth(horizontalHeader()->length() + 2 * frameWidth());
    setMinimumHeight(sizeHint().height());
    editable_ = true;
    set_editable(false);
    connect(this, &QTableWidget::itemChanged, this, &RegisterView::commit);
}

void RegisterView::show_values(bool at_stop) {
    filling_ = true;
    for (int field = 0; field < kFieldCount; ++field) {
        const std::uint32_t value = kFields[field].read(emulator_);
        QTableWidgetItem* cell = item(row_of_field(field), value_column_of_field(field));
        cell->setText(QString::fromStdString(format_field_value(kFields[field].format, value)));
        highlighted_[field] = value != at_last_stop_[field];
        cell->setBackground(highlighted_[field] ? QBrush(kChangedColour) : QBrush());
        if (at_stop) at_last_stop_[field] = value;
    }
    filling_ = false;
}

void RegisterView::set_editable(bool editable) {
    if (editable == editable_) return;
    editable_ = editable;
    filling_ = true;
    for (int field = 0; field < kFieldCount; ++field) {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (editable) flags |= Qt::ItemIsEditable;
        item(row_of_field(field), value_column_of_field(field))->setFlags(flags);
    }
    filling_ = false;
}

int RegisterView::field_of(const QString& name) const {
    for (int field = 0; field < kFieldCount; ++field) {
        if (name == QLatin1String(kFields[field].name)) return field;
    }
    return -1;
}

QTableWidgetItem* RegisterView::value_item(const QString& name) const {
    const int field = field_of(name);
    return field < 0 ? nullptr : item(row_of_field(field), value_column_of_field(field));
}

bool RegisterView::is_highlighted(const QString& name) const {
    const int field = field_of(name);
    return field >= 0 && highlighted_[field];
}

void RegisterView::commit(QTableWidgetItem* cell) {
    if (filling_) return;
    const int index = field_of_cell(cell->row(), cell->column());
    if (index < 0) return;
    const RegisterField& field = kFields[index];
    if (const auto value = parse_field_value(field.format, cell->text().toStdString());
        value && editable_) {
        field.write(emulator_, *value);
        emit edited();
    }
    // A value that does not fit goes back to what the machine holds.
    show_values(false);
}

}  // namespace tolvan

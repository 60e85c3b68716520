#include "ui/register_view.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <algorithm>
#include <optional>

namespace tolvan {

namespace {

enum class Format : std::uint8_t { kHex2, kHex4, kBit, kDecimal };

struct RegisterField {
    const char* name;
    Format format;
    std::uint32_t (*read)(const Emulator&);
    void (*write)(Emulator&, std::uint32_t);
};

template <std::uint8_t kIndex>
constexpr RegisterField iram_byte(const char* name) {
    return {
        name, Format::kHex2, [](const Emulator& e) -> std::uint32_t { return e.cpu.iram[kIndex]; },
        [](Emulator& e, std::uint32_t v) { e.cpu.iram[kIndex] = static_cast<std::uint8_t>(v); }};
}

template <std::uint8_t kLow>
constexpr RegisterField iram_pair(const char* name) {
    return {name, Format::kHex4,
            [](const Emulator& e) -> std::uint32_t { return register_pair(e.cpu, kLow); },
            [](Emulator& e, std::uint32_t v) {
                set_register_pair(e.cpu, kLow, static_cast<std::uint16_t>(v));
            }};
}

template <std::uint8_t kMask>
constexpr RegisterField flag(const char* name) {
    return {name, Format::kBit,
            [](const Emulator& e) -> std::uint32_t { return (e.cpu.flags & kMask) != 0; },
            [](Emulator& e, std::uint32_t v) {
                e.cpu.flags =
                    static_cast<std::uint8_t>(v != 0 ? e.cpu.flags | kMask : e.cpu.flags & ~kMask);
            }};
}

// Member pointers name the field once for both directions.
template <auto kMember>
std::uint32_t read_cpu(const Emulator& e) {
    return static_cast<std::uint32_t>(e.cpu.*kMember);
}
template <auto kMember>
void write_cpu(Emulator& e, std::uint32_t v) {
    e.cpu.*kMember = static_cast<std::remove_reference_t<decltype(e.cpu.*kMember)>>(v);
}
template <auto kMember>
constexpr RegisterField cpu_field(const char* name, Format format) {
    return {name, format, &read_cpu<kMember>, &write_cpu<kMember>};
}

template <auto kMember>
std::uint32_t read_port(const Emulator& e) {
    return e.bus.ports.*kMember;
}
template <auto kMember>
void write_port(Emulator& e, std::uint32_t v) {
    e.bus.ports.*kMember = static_cast<std::uint8_t>(v);
}
template <auto kMember>
constexpr RegisterField port(const char* name) {
    return {name, Format::kHex2, &read_port<kMember>, &write_port<kMember>};
}

const RegisterField kFields[] = {
    iram_byte<kRegisterA>("A"),
    iram_byte<kRegisterB>("B"),
    iram_byte<kRegisterI>("I"),
    iram_byte<kRegisterJ>("J"),
    iram_byte<kRegisterK>("K"),
    iram_byte<kRegisterL>("L"),
    iram_byte<kRegisterM>("M"),
    iram_byte<kRegisterN>("N"),
    iram_pair<kRegisterXL>("X"),
    iram_pair<kRegisterYL>("Y"),
    cpu_field<&Cpu::p>("P", Format::kHex2),
    cpu_field<&Cpu::q>("Q", Format::kHex2),
    cpu_field<&Cpu::r>("R", Format::kHex2),
    cpu_field<&Cpu::dp>("DP", Format::kHex4),
    cpu_field<&Cpu::pc>("PC", Format::kHex4),
    flag<kFlagZ>("Z"),
    flag<kFlagC>("C"),
    cpu_field<&Cpu::counter_512ms>("512 ms timer", Format::kDecimal),
    cpu_field<&Cpu::elapsed_512ms>("512 ms elapsed", Format::kBit),
    cpu_field<&Cpu::counter_2ms>("2 ms timer", Format::kDecimal),
    cpu_field<&Cpu::elapsed_2ms>("2 ms elapsed", Format::kBit),
    port<&Ports::port_a>("port A"),
    port<&Ports::port_b>("port B"),
    port<&Ports::port_f>("port F"),
    port<&Ports::port_c>("port C"),
};
constexpr int kFieldCount = static_cast<int>(std::size(kFields));
// Two columns of names and values side by side, so that every register, the flags and PC show
// at once without scrolling: A to R in the first, from DP on in the second.
constexpr int kRowCount = (kFieldCount + 1) / 2;
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

QString format_value(Format format, std::uint32_t value) {
    switch (format) {
        case Format::kHex2:
            return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
        case Format::kHex4:
            return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
        case Format::kBit:
        case Format::kDecimal:
            return QString::number(value);
    }
    return {};
}

// The value typed, if it fits the field: hex for registers, 0 or 1 for a flag, a count that
// stays positive for a timer.
std::optional<std::uint32_t> parse_value(Format format, const QString& text) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    switch (format) {
        case Format::kHex2:
        case Format::kHex4: {
            const uint value = trimmed.toUInt(&ok, 16);
            const uint limit = format == Format::kHex2 ? 0xFFu : 0xFFFFu;
            if (ok && value <= limit) return value;
            return std::nullopt;
        }
        case Format::kBit: {
            const uint value = trimmed.toUInt(&ok, 10);
            if (ok && value <= 1) return value;
            return std::nullopt;
        }
        case Format::kDecimal: {
            const int value = trimmed.toInt(&ok, 10);
            if (ok && value >= 0) return static_cast<std::uint32_t>(value);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

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
        cell->setText(format_value(kFields[field].format, value));
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
    if (const auto value = parse_value(field.format, cell->text()); value && editable_) {
        field.write(emulator_, *value);
        emit edited();
    }
    // A value that does not fit goes back to what the machine holds.
    show_values(false);
}

}  // namespace tolvan

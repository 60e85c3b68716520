#include "ui/dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <functional>
#include <vector>

#include "base/version.h"
#include "machine/commands.h"
#include "machine/configuration.h"
#include "machine/control.h"
#include "resources/artwork.h"
#include "ui/dialog_fields.h"
#include "ui/preferences.h"
#include "ui_about_box.h"
#include "ui_all_reset_box.h"
#include "ui_config_files_box.h"
#include "ui_configure_box.h"
#include "ui_error_box.h"
#include "ui_info_box.h"
#include "ui_memory_box.h"
#include "ui_unassemble_box.h"

namespace tolvan {

namespace {

// Room around a button's text for its bevel.
constexpr int kButtonTextMargin = 12;
// Room kept between the widgets and the box's right and bottom edges.
constexpr int kBoxMargin = 6;

// The size that shows a widget's text whole, at the font in use: the forms are drawn for one
// font, and another one (or another scale) may need a little more room.
QSize size_for_text(QWidget& widget) {
    QSize size = widget.size();
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        if (label->wordWrap()) {
            size.setHeight(std::max(size.height(), label->heightForWidth(size.width())));
        } else if (label->pixmap().isNull()) {
            size = size.expandedTo(label->sizeHint());
        }
    } else if (auto* button = qobject_cast<QPushButton*>(&widget)) {
        const QString text = button->text().remove(QLatin1Char('&'));
        size.setWidth(std::max(size.width(),
                               button->fontMetrics().horizontalAdvance(text) + kButtonTextMargin));
    } else if (qobject_cast<QAbstractButton*>(&widget)) {
        size.setWidth(std::max(size.width(), widget.sizeHint().width()));
    }
    return size;
}

// Grows the texts that the font would clip, and the box around them.
void fit_texts(QDialog& dialog) {
    QRect used;
    for (QWidget* widget : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        widget->resize(size_for_text(*widget));
        used |= widget->geometry();
    }
    dialog.resize(dialog.size().expandedTo(
        QSize(used.right() + 1 + kBoxMargin, used.bottom() + 1 + kBoxMargin)));
}

// A box laid out from its form, at the form's size (grown to show its texts whole), which the
// user cannot change.
template <typename Form>
void set_up(QDialog& dialog, Form& form) {
    form.setupUi(&dialog);
    // A box with a layout sizes itself to its texts.
    if (!dialog.layout()) {
        fit_texts(dialog);
        dialog.setFixedSize(dialog.size());
    }
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

// Opens the box with the first field's text selected, so that what the user types replaces it.
int run(QDialog& dialog) {
    for (QWidget* widget = dialog.nextInFocusChain(); widget != &dialog;
         widget = widget->nextInFocusChain()) {
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setFocus();
            edit->selectAll();
            break;
        }
    }
    return dialog.exec();
}

void connect_accept(QDialog& dialog, QAbstractButton* button) {
    QObject::connect(button, &QAbstractButton::clicked, &dialog, &QDialog::accept);
}

void connect_reject(QDialog& dialog, QAbstractButton* button) {
    QObject::connect(button, &QAbstractButton::clicked, &dialog, &QDialog::reject);
}

QString field(std::uint32_t value) {
    return QString::fromStdString(field_text(value));
}
QString field(const std::string& text) {
    return QString::fromStdString(text);
}
std::string text_of(const QLineEdit* edit) {
    return edit->text().toStdString();
}
std::string file_name_of(const QLineEdit* edit) {
    return edit->text().left(int(kFileNameFieldCapacity)).toStdString();
}

// Decimal digits up to a largest value: nothing else can be typed.
class UnsignedValidator : public QValidator {
  public:
    UnsignedValidator(std::uint32_t maximum, QObject* parent)
        : QValidator(parent), maximum_(maximum) {}

    State validate(QString& input, int&) const override {
        const QString digits = input.trimmed();
        if (digits.isEmpty()) return Intermediate;
        for (const QChar c : digits) {
            if (!c.isDigit() || c.unicode() > '9') return Invalid;
        }
        return unsigned_field(digits.toStdString(), maximum_) ? Acceptable : Invalid;
    }

  private:
    std::uint32_t maximum_;
};

// An address or a label: a label is typed a letter at a time, so anything may be on its way to
// an address; only the whole text is judged, when OK is pressed.
class AddressValidator : public QValidator {
  public:
    AddressValidator(const Symbols& symbols, QObject* parent)
        : QValidator(parent), symbols_(symbols) {}

    State validate(QString& input, int&) const override {
        return address_from_field(input.toStdString(), symbols_) ? Acceptable : Intermediate;
    }

  private:
    const Symbols& symbols_;
};

// A field whose text must mean something: the label that names it and what it takes.
struct CheckedField {
    QLineEdit* edit;
    QString name;
    QString takes;
};

// OK accepts the box only when every field holds a value; otherwise a message says which field
// and what it takes, and the field is selected for retyping.
void connect_checked_accept(QDialog& dialog, QAbstractButton* button,
                            std::vector<CheckedField> fields) {
    QObject::connect(button, &QAbstractButton::clicked, &dialog, [&dialog, fields] {
        for (const CheckedField& field : fields) {
            if (field.edit->hasAcceptableInput()) continue;
            QMessageBox box(QMessageBox::Warning, dialog.windowTitle(),
                            QObject::tr("%1 \"%2\" cannot be stored: %3")
                                .arg(field.name, field.edit->text(), field.takes),
                            QMessageBox::Ok, &dialog);
            box.setObjectName(QStringLiteral("FieldErrorBox"));
            box.exec();
            field.edit->setFocus();
            field.edit->selectAll();
            return;
        }
        dialog.accept();
    });
}

QString field_name(const QLabel* label) {
    return label->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed();
}

QString digits_up_to(std::uint32_t maximum) {
    return QObject::tr("it takes decimal digits, from 0 to %1.").arg(maximum);
}

}  // namespace

QString version_line() {
    return QStringLiteral("Version ") + QString::fromLatin1(kTolvanVersion);
}

void show_about_box(QWidget* owner) {
    QDialog dialog(owner);
    Ui::AboutBox form;
    set_up(dialog, form);
    form.version_label->setText(version_line());
    connect_accept(dialog, form.ok_button);
    run(dialog);
}

void show_info_box(QWidget* owner) {
    QDialog dialog(owner);
    Ui::InfoBox form;
    set_up(dialog, form);
    // The box stops the whole program's input until it is closed.
    dialog.setWindowModality(Qt::ApplicationModal);
    const Image picture = make_info_picture();
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                       picture.height, QImage::Format_RGB32);
    form.picture->setPixmap(QPixmap::fromImage(image));
    form.version_label->setText(version_line());
    connect_accept(dialog, form.ok_button);
    run(dialog);
}

void show_folder_path_box(QWidget* owner, const QString& message, const QString& path) {
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("FolderPathBox"));
    dialog.setWindowTitle(QObject::tr("The machine folder"));
    auto* text = new QLabel(message, &dialog);
    text->setWordWrap(true);
    auto* field = new QLineEdit(path, &dialog);
    field->setObjectName(QStringLiteral("folder_path"));
    field->setReadOnly(true);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(path) + 20);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QPushButton* copy = buttons->addButton(QObject::tr("&Copy"), QDialogButtonBox::ActionRole);
    QObject::connect(copy, &QPushButton::clicked, &dialog,
                     [path] { QApplication::clipboard()->setText(path); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(field);
    layout->addWidget(buttons);
    field->setFocus();
    field->selectAll();
    dialog.exec();
}

bool confirm_all_reset(QWidget* owner) {
    QDialog dialog(owner);
    Ui::AllResetBox form;
    set_up(dialog, form);
    connect_accept(dialog, form.yes_button);
    connect_reject(dialog, form.cancel_button);
    return run(dialog) == QDialog::Accepted;
}

bool confirm_memory_change(QWidget* owner) {
    QDialog dialog(owner);
    Ui::MemoryBox form;
    set_up(dialog, form);
    connect_accept(dialog, form.ok_button);
    connect_reject(dialog, form.cancel_button);
    return run(dialog) == QDialog::Accepted;
}

void show_error_box(QWidget* owner, const std::string& text, const std::string& detail) {
    QDialog dialog(owner);
    Ui::ErrorBox form;
    set_up(dialog, form);
    form.error_text->setText(QString::fromStdString(text));
    form.error_detail->setText(QString::fromStdString(detail));
    form.error_detail->setVisible(!detail.empty());
    connect_accept(dialog, form.ok_button);
    run(dialog);
}

void show_failures(QWidget* owner, const Failures& failures) {
    for (const Failure& failure : failures.list)
        show_error_box(owner, failure.message, failure.detail);
}

void edit_file_names(QWidget* owner, Emulator& emulator) {
    QDialog dialog(owner);
    Ui::CONFIGFILESBOX form;
    set_up(dialog, form);
    form.ram_file_edit->setText(field(emulator.control.ram_file_name));
    form.load_file_edit->setText(field(emulator.bus.tape.load_file_name));
    form.save_file_edit->setText(field(emulator.bus.tape.save_file_name));
    connect_accept(dialog, form.ok_button);
    connect_reject(dialog, form.cancel_button);
    if (run(dialog) != QDialog::Accepted) return;
    emulator.control.ram_file_name = file_name_of(form.ram_file_edit);
    emulator.bus.tape.load_file_name = file_name_of(form.load_file_edit);
    emulator.bus.tape.save_file_name = file_name_of(form.save_file_edit);
    show_failures(owner, save_configuration_keys(emulator, ConfigurationKeys::kFileNames));
}

void edit_speed(QWidget* owner, Emulator& emulator) {
    QDialog dialog(owner);
    Ui::CONFIGUREBOX form;
    set_up(dialog, form);
    Cpu& cpu = emulator.cpu;
    form.delay_edit->setText(field(timing_field_text(cpu.max_delay)));
    form.timer512_edit->setText(field(timer_limit_512ms_field_text(cpu.timer_limit_512ms)));
    form.timer2_edit->setText(field(timing_field_text(cpu.timer_limit_2ms)));
    QObject::connect(form.default_button, &QPushButton::clicked, &dialog, [&form] {
        form.delay_edit->setText(field(timing_field_text(kDefaultMaxDelay)));
        form.timer512_edit->setText(field(timer_limit_512ms_field_text(kDefaultTimerLimit512ms)));
        form.timer2_edit->setText(field(timing_field_text(kDefaultTimerLimit2ms)));
    });
    form.delay_edit->setValidator(new UnsignedValidator(kTimingFieldMaximum, &dialog));
    form.timer512_edit->setValidator(new UnsignedValidator(kTimerLimit512msFieldMaximum, &dialog));
    form.timer2_edit->setValidator(new UnsignedValidator(kTimingFieldMaximum, &dialog));
    connect_checked_accept(
        dialog, form.ok_button,
        {{form.delay_edit, field_name(form.delay_label), digits_up_to(kTimingFieldMaximum)},
         {form.timer512_edit, field_name(form.timer512_label),
          digits_up_to(kTimerLimit512msFieldMaximum)},
         {form.timer2_edit, field_name(form.timer2_label), digits_up_to(kTimingFieldMaximum)}});
    connect_reject(dialog, form.cancel_button);
    if (run(dialog) != QDialog::Accepted) return;
    // The fields were checked before the box closed.
    change_speed(
        emulator, timing_from_field(text_of(form.delay_edit)).value_or(cpu.max_delay),
        timer_limit_512ms_from_field(text_of(form.timer512_edit)).value_or(cpu.timer_limit_512ms),
        timing_from_field(text_of(form.timer2_edit)).value_or(cpu.timer_limit_2ms));
    show_failures(owner, save_configuration_keys(emulator, ConfigurationKeys::kTiming));
}

bool edit_unassemble_settings(QWidget* owner, Emulator& emulator) {
    QDialog dialog(owner);
    Ui::UNASSEMBLEBOX form;
    set_up(dialog, form);
    UnassemblerSettings& settings = emulator.unassembler;
    form.from_edit->setText(field(settings.from));
    form.to_edit->setText(field(settings.to));
    form.file_edit->setText(field(settings.file_name));
    // Kept with the window's preferences, not in Tolvan.ini: it is the user's taste, not the
    // machine's state.
    form.use_symbols_check->setChecked(load_unassemble_symbols_preference());
    const Symbols& symbols = emulator.symbols;
    form.from_edit->setValidator(new AddressValidator(symbols, &dialog));
    form.to_edit->setValidator(new AddressValidator(symbols, &dialog));
    const QString takes = QObject::tr(
        "it takes an address from 0 to 65535 in decimal digits, hexadecimal after 0x or &, or "
        "a label (label+N, label-N).");
    connect_checked_accept(dialog, form.ok_button,
                           {{form.from_edit, field_name(form.from_label), takes},
                            {form.to_edit, field_name(form.to_label), takes}});
    connect_reject(dialog, form.cancel_button);
    if (run(dialog) != QDialog::Accepted) return false;
    // The fields were checked before the box closed.
    settings.from = address_from_field(text_of(form.from_edit), symbols).value_or(settings.from);
    settings.to = address_from_field(text_of(form.to_edit), symbols).value_or(settings.to);
    settings.more_information = form.more_information_check->isChecked();
    settings.use_symbols = form.use_symbols_check->isChecked();
    if (!save_unassemble_symbols_preference(settings.use_symbols)) {
        qWarning("tolvan: cannot keep the Unassemble box's choice in %s",
                 qPrintable(window_preferences_file()));
    }
    settings.file_name = file_name_of(form.file_edit);
    show_failures(owner, save_configuration_keys(emulator, ConfigurationKeys::kUnassembler));
    return true;
}

}  // namespace tolvan

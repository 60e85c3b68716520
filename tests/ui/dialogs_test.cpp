// The boxes opened from the menu: their texts, their fields and what OK and Cancel do.
#include <QActionGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>

#include <QMenu>
#include <QMenuBar>
#include <set>

#include "base/version.h"
#include "machine/control.h"
#include "tests/ui/window_fixture.h"

namespace tolvan::testing {
namespace {

using Dialogs = WindowTest;

TEST_F(Dialogs, AboutBoxShowsTheProgramAndItsVersion) {
    open_window();
    const auto box = when_dialog_opens("AboutBox", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "About ...");
        EXPECT_EQ(text_of(d, "title_label"), "Tolvan");
        EXPECT_EQ(text_of(d, "author_label"), "The Tolvan developers");
        EXPECT_EQ(text_of(d, "version_label"),
                  QStringLiteral("Version ") + QString::fromLatin1(kTolvanVersion));
        auto* ok = child<QPushButton>(d, "ok_button");
        EXPECT_TRUE(ok && ok->isDefault());
        press_escape(d);
    });
    trigger(MenuCommand::kAbout);
    EXPECT_TRUE(box->seen);
}

TEST_F(Dialogs, InfoBoxShowsTheNotesAndThePicture) {
    open_window();
    const auto box = when_dialog_opens("InfoBox", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Not realy help, but ...");
        EXPECT_EQ(d.windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(text_of(d, "title_label"), "Tolvan");
        EXPECT_EQ(text_of(d, "author_label"), "The Tolvan developers");
        EXPECT_EQ(text_of(d, "version_label"), "Version - 1.04 - June 2008");
        EXPECT_EQ(text_of(d, "rom_note"),
                  " - You need two files for this emulator :\n"
                  "   TOLVANL.ROM: 2000h bytes for Low ROM .(0000-1FFF)\n"
                  "   TOLVANH.ROM: 8000h bytes for Hight ROM.(8000-FFFF)");
        EXPECT_EQ(text_of(d, "ram_note"), " - RAM File : save all ram in one file.");
        EXPECT_EQ(text_of(d, "save_note"),
                  " - SAVE File : Use OPEN to load a Basic file, then use the SAVE command in "
                  "PRG mode.");
        EXPECT_EQ(text_of(d, "load_note"),
                  " - LOAD File : Use OPEN to load a Basic file, then use the LOAD command in "
                  "PRG mode.");
        EXPECT_EQ(text_of(d, "ini_note"),
                  " - TOLVAN.INI : The emulator save the config parameters in this file, you "
                  "can delete it.\n");
        auto* picture = child<QLabel>(d, "picture");
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->pixmap().size(), QSize(64, 27));
        click(d, "ok_button");
    });
    trigger(MenuCommand::kContent);
    EXPECT_TRUE(box->seen);
}

// ---- Speed parameters

struct Timing {
    std::int32_t delay, limit_512ms, limit_2ms;
};

Timing timing_of(const Emulator& e) {
    return {e.cpu.max_delay, e.cpu.timer_limit_512ms, e.cpu.timer_limit_2ms};
}

TEST_F(Dialogs, SpeedBoxShowsTheTimerInHundredsAndWritesItBackUnchanged) {
    open_window();
    emulator().cpu.max_delay = 7;
    emulator().cpu.timer_limit_512ms = 50000;
    emulator().cpu.timer_limit_2ms = 20;
    const auto box = when_dialog_opens("CONFIGUREBOX", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Speed parameters");
        EXPECT_EQ(text_of(d, "delay_label"), "Waiting delay :");
        EXPECT_EQ(text_of(d, "timer512_label"), "&512 ms timer  :");
        EXPECT_EQ(text_of(d, "timer2_label"), "&2 ms: timer");
        EXPECT_EQ(text_of(d, "notes_label"),
                  "Notes:\n - More delay slow the emulator.\n - The 512 ms and 2 ms timers are "
                  "for the screen delay.\n");
        EXPECT_EQ(text_of(d, "delay_edit"), "7");
        EXPECT_EQ(text_of(d, "timer512_edit"), "500");
        EXPECT_EQ(text_of(d, "timer2_edit"), "20");
        click(d, "ok_button");
    });
    trigger(MenuCommand::kChangeSpeed);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(emulator().cpu.timer_limit_512ms, 50000);
    EXPECT_NE(read_file("Tolvan.ini").find("MaxHorloge512=50000"), std::string::npos);
    EXPECT_EQ(read_file("Tolvan.ini").find("[Registres]"), std::string::npos)
        << "only its own keys";
}

TEST_F(Dialogs, SpeedBoxDefaultThenCancelChangesNothing) {
    open_window();
    emulator().cpu.max_delay = 7;
    emulator().cpu.timer_limit_512ms = 12300;
    emulator().cpu.timer_limit_2ms = 5;
    const auto box = when_dialog_opens("CONFIGUREBOX", [](QDialog& d) {
        click(d, "default_button");
        EXPECT_EQ(text_of(d, "delay_edit"), "0");
        EXPECT_EQ(text_of(d, "timer512_edit"), "500");
        EXPECT_EQ(text_of(d, "timer2_edit"), "20");
        click(d, "cancel_button");
    });
    trigger(MenuCommand::kChangeSpeed);
    ASSERT_TRUE(box->seen);
    const Timing t = timing_of(emulator());
    EXPECT_EQ(t.delay, 7);
    EXPECT_EQ(t.limit_512ms, 12300);
    EXPECT_EQ(t.limit_2ms, 5);
    EXPECT_TRUE(files().empty());
}

TEST_F(Dialogs, SpeedBoxDefaultThenOkTakesTheDefaults) {
    open_window();
    emulator().cpu.max_delay = 7;
    const auto box = when_dialog_opens("CONFIGUREBOX", [](QDialog& d) {
        click(d, "default_button");
        click(d, "ok_button");
    });
    trigger(MenuCommand::kChangeSpeed);
    ASSERT_TRUE(box->seen);
    const Timing t = timing_of(emulator());
    EXPECT_EQ(t.delay, 0);
    EXPECT_EQ(t.limit_512ms, 50000);
    EXPECT_EQ(t.limit_2ms, 20);
}

TEST_F(Dialogs, SpeedBoxReadsEntriesAsTheyStand) {
    open_window();
    const auto box = when_dialog_opens("CONFIGUREBOX", [](QDialog& d) {
        set_text(d, "delay_edit", "abc");
        set_text(d, "timer512_edit", "3");
        set_text(d, "timer2_edit", "99999999999");
        click(d, "ok_button");
    });
    trigger(MenuCommand::kChangeSpeed);
    ASSERT_TRUE(box->seen);
    const Timing t = timing_of(emulator());
    EXPECT_EQ(t.delay, 0);
    // Taken over as typed, without the checks that reading the configuration applies.
    EXPECT_EQ(t.limit_512ms, 300);
    EXPECT_EQ(t.limit_2ms, 0);
}

TEST_F(Dialogs, SpeedBoxEscapeIsCancel) {
    open_window();
    emulator().cpu.max_delay = 7;
    const auto box = when_dialog_opens("CONFIGUREBOX", [](QDialog& d) {
        set_text(d, "delay_edit", "1");
        press_escape(d);
    });
    trigger(MenuCommand::kChangeSpeed);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(emulator().cpu.max_delay, 7);
    EXPECT_TRUE(files().empty());
}

// ---- File names

TEST_F(Dialogs, FileNamesBoxTakesTheNamesOnOk) {
    open_window();
    emulator().control.ram_file_name = "A.RAM";
    emulator().bus.tape.load_file_name = "in.bas";
    emulator().bus.tape.save_file_name = "out.bas";
    const auto box = when_dialog_opens("CONFIGFILESBOX", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "File configuration");
        EXPECT_EQ(text_of(d, "ram_file_label"), "&RAM file:");
        EXPECT_EQ(text_of(d, "load_file_label"), "&LOAD file for basic:");
        EXPECT_EQ(text_of(d, "save_file_label"), "&SAVE file for basic:");
        EXPECT_EQ(text_of(d, "ram_file_edit"), "A.RAM");
        EXPECT_EQ(text_of(d, "load_file_edit"), "in.bas");
        EXPECT_EQ(text_of(d, "save_file_edit"), "out.bas");
        set_text(d, "ram_file_edit", "B.RAM");
        set_text(d, "load_file_edit", "");
        set_text(d, "save_file_edit", "prog.bas");
        click(d, "ok_button");
    });
    trigger(MenuCommand::kFileNames);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(emulator().control.ram_file_name, "B.RAM");
    EXPECT_EQ(emulator().bus.tape.load_file_name, "");
    EXPECT_EQ(emulator().bus.tape.save_file_name, "prog.bas");
    EXPECT_NE(read_file("Tolvan.ini").find("FileRAM=B.RAM"), std::string::npos);
    EXPECT_EQ(read_file("Tolvan.ini").find("[Registres]"), std::string::npos)
        << "only its own keys";
    // The next Save RAM uses the new name.
    trigger(MenuCommand::kSaveRam);
    EXPECT_TRUE(file_exists("B.RAM"));
}

TEST_F(Dialogs, FileNamesBoxCancelChangesNothing) {
    open_window();
    emulator().control.ram_file_name = "A.RAM";
    const auto box = when_dialog_opens("CONFIGFILESBOX", [](QDialog& d) {
        set_text(d, "ram_file_edit", "B.RAM");
        click(d, "cancel_button");
    });
    trigger(MenuCommand::kFileNames);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(emulator().control.ram_file_name, "A.RAM");
    EXPECT_TRUE(files().empty());
}

// ---- Unassemble

TEST_F(Dialogs, UnassembleBoxReadsTheRangeInDecimal) {
    open_window();
    emulator().unassembler.from = 16;
    emulator().unassembler.to = 256;
    emulator().unassembler.file_name = "demo.asm";
    const auto box = when_dialog_opens("UNASSEMBLEBOX", [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Unassemble...");
        EXPECT_EQ(text_of(d, "from_label"), "&From adress :");
        EXPECT_EQ(text_of(d, "to_label"), "&To adress :");
        EXPECT_EQ(text_of(d, "file_label"), "Save in this &file :");
        EXPECT_EQ(text_of(d, "from_edit"), "16");
        EXPECT_EQ(text_of(d, "to_edit"), "256");
        EXPECT_EQ(text_of(d, "file_edit"), "demo.asm");
        auto* check = child<QCheckBox>(d, "more_information_check");
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(check->text(), "Add &more information in file");
        EXPECT_FALSE(check->isChecked());
        set_text(d, "from_edit", "abc");
        set_text(d, "to_edit", "70000");
        set_text(d, "file_edit", "out.lst");
        click(d, "ok_button");
    });
    trigger(MenuCommand::kUnassemble);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(emulator().unassembler.from, 0);
    EXPECT_EQ(emulator().unassembler.to, 4464);
    EXPECT_EQ(emulator().unassembler.file_name, "out.lst");
    EXPECT_EQ(emulator().unassembler.more_information, 0);
    // The settings are kept, and the unassembler has written its file.
    EXPECT_NE(read_file("Tolvan.ini").find("unassemble_stop=4464"), std::string::npos);
    EXPECT_EQ(read_file("Tolvan.ini").find("[Registres]"), std::string::npos)
        << "only its own keys";
    EXPECT_FALSE(read_file("out.lst").empty());
}

TEST_F(Dialogs, UnassembleCheckBoxStartsClearedEveryTime) {
    open_window();
    const auto first = when_dialog_opens("UNASSEMBLEBOX", [](QDialog& d) {
        auto* check = child<QCheckBox>(d, "more_information_check");
        ASSERT_NE(check, nullptr);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        EXPECT_TRUE(check->isChecked());
        set_text(d, "to_edit", "4");
        click(d, "ok_button");
    });
    trigger(MenuCommand::kUnassemble);
    ASSERT_TRUE(first->seen);
    EXPECT_EQ(emulator().unassembler.more_information, 1);
    const auto second = when_dialog_opens("UNASSEMBLEBOX", [](QDialog& d) {
        auto* check = child<QCheckBox>(d, "more_information_check");
        ASSERT_NE(check, nullptr);
        EXPECT_FALSE(check->isChecked());
        click(d, "ok_button");
    });
    trigger(MenuCommand::kUnassemble);
    ASSERT_TRUE(second->seen);
    EXPECT_EQ(emulator().unassembler.more_information, 0);
}

TEST_F(Dialogs, UnassembleCancelRunsNothing) {
    open_window();
    emulator().unassembler.file_name = "demo.asm";
    const auto box = when_dialog_opens("UNASSEMBLEBOX", [](QDialog& d) {
        set_text(d, "from_edit", "5");
        click(d, "cancel_button");
    });
    trigger(MenuCommand::kUnassemble);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(emulator().unassembler.from, 0);
    EXPECT_TRUE(files().empty());
}

TEST_F(Dialogs, UnassembleIntoAnUnopenableFileShowsTheErrorAndGoesOn) {
    MainWindow& w = open_window();
    const auto settings = when_dialog_opens("UNASSEMBLEBOX", [](QDialog& d) {
        set_text(d, "file_edit", "no-such-directory/out.lst");
        click(d, "ok_button");
    });
    const auto error = when_dialog_opens("ErrorBox", [](QDialog& d) {
        EXPECT_EQ(text_of(d, "error_text"), "Erreur d'ouverture du fichier unassemble");
        EXPECT_EQ(text_of(d, "error_detail"),
                  "no-such-directory/out.lst: No such file or directory");
        click(d, "ok_button");
    });
    trigger(MenuCommand::kUnassemble);
    EXPECT_TRUE(settings->seen);
    EXPECT_TRUE(error->seen);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.slice_timer().isActive());
}

// Each failure of one command has its own box, in order: the settings that could not be kept,
// then the listing that could not be written.
TEST_F(Dialogs, TwoFailuresOfOneCommandShowTwoBoxes) {
    open_window();
    std::filesystem::create_directory("Tolvan.ini");
    const auto settings = when_dialog_opens("UNASSEMBLEBOX", [](QDialog& d) {
        set_text(d, "file_edit", "no-such-directory/out.lst");
        click(d, "ok_button");
    });
    std::vector<QString> shown;
    std::function<void(QDialog&)> answer = [&](QDialog& d) {
        shown.push_back(text_of(d, "error_text") + " / " + text_of(d, "error_detail"));
        click(d, "ok_button");
        if (shown.size() == 1) when_dialog_opens("ErrorBox", answer);
    };
    when_dialog_opens("ErrorBox", answer);
    trigger(MenuCommand::kUnassemble);
    EXPECT_TRUE(settings->seen);
    EXPECT_EQ(shown, (std::vector<QString>{
                         "Erreur pendant l'écriture de Tolvan.ini / Tolvan.ini: Is a directory",
                         "Erreur d'ouverture du fichier unassemble / no-such-directory/out.lst: "
                         "No such file or directory"}));
}

// Every text of the box shows whole, inside the box, and no two widgets overlap.
void expect_no_clipped_text(QDialog& d) {
    const std::string box = d.objectName().toStdString();
    std::vector<QWidget*> placed;
    for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isVisible()) continue;
        const std::string name = box + "." + w->objectName().toStdString();
        EXPECT_TRUE(d.rect().contains(w->geometry())) << name << " leaves the box";
        for (QWidget* other : placed) {
            const bool frame = qobject_cast<QGroupBox*>(w) || qobject_cast<QGroupBox*>(other);
            EXPECT_TRUE(frame || !w->geometry().intersects(other->geometry()))
                << name << " overlaps " << other->objectName().toStdString();
        }
        placed.push_back(w);
        auto* label = qobject_cast<QLabel*>(w);
        auto* button = qobject_cast<QPushButton*>(w);
        if (label && label->wordWrap()) {
            EXPECT_GE(w->height(), label->heightForWidth(w->width())) << name;
        } else if (label) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << name;
            EXPECT_GE(w->height(), w->sizeHint().height()) << name;
        } else if (button) {
            const QString text = button->text().remove('&');
            EXPECT_GT(w->width(), w->fontMetrics().horizontalAdvance(text)) << name;
        } else if (qobject_cast<QAbstractButton*>(w)) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << name;
        }
    }
}

TEST_F(Dialogs, NoBoxClipsItsTexts) {
    open_window();
    const std::pair<MenuCommand, const char*> boxes[] = {
        {MenuCommand::kAbout, "AboutBox"},           {MenuCommand::kContent, "InfoBox"},
        {MenuCommand::kAllReset, "AllResetBox"},     {MenuCommand::kRam8, "MemoryBox"},
        {MenuCommand::kFileNames, "CONFIGFILESBOX"}, {MenuCommand::kChangeSpeed, "CONFIGUREBOX"},
        {MenuCommand::kUnassemble, "UNASSEMBLEBOX"}, {MenuCommand::kSaveRam, "ErrorBox"},
    };
    emulator().control.ram_file_name = "no-such-directory/TOLVAN.RAM";
    for (const auto& [command, name] : boxes) {
        const auto box = when_dialog_opens(name, [](QDialog& d) {
            expect_no_clipped_text(d);
            d.reject();
        });
        trigger(command);
        EXPECT_TRUE(box->seen) << name;
    }
}

// What the user types replaces the value shown: typing 7 gives 7, not 07.
TEST_F(Dialogs, SettingsBoxesOpenWithTheFirstFieldSelected) {
    open_window();
    const std::pair<MenuCommand, const char*> boxes[] = {
        {MenuCommand::kFileNames, "CONFIGFILESBOX"},
        {MenuCommand::kChangeSpeed, "CONFIGUREBOX"},
        {MenuCommand::kUnassemble, "UNASSEMBLEBOX"}};
    for (const auto& [command, name] : boxes) {
        QString typed;
        const auto box = when_dialog_opens(name, [&typed](QDialog& d) {
            auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            ASSERT_NE(edit, nullptr);
            QTest::keyClick(edit, '7');
            typed = edit->text();
            d.reject();
        });
        trigger(command);
        EXPECT_TRUE(box->seen) << name;
        EXPECT_EQ(typed, "7") << name;
    }
}

TEST_F(Dialogs, RamSizesAndZoomsAreEachOneChoice) {
    MainWindow& w = open_window();
    for (const auto& items :
         {std::vector<MenuCommand>{MenuCommand::kRam4, MenuCommand::kRam8, MenuCommand::kRam16},
          std::vector<MenuCommand>{MenuCommand::kZoom1, MenuCommand::kZoom2,
                                   MenuCommand::kZoom3}}) {
        QActionGroup* group = w.command_action(items[0])->actionGroup();
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->isExclusive());
        for (const MenuCommand item : items)
            EXPECT_EQ(w.command_action(item)->actionGroup(), group);
    }
}

// No two items of a menu share a mnemonic letter.
TEST_F(Dialogs, MnemonicsAreUniqueInEachMenu) {
    MainWindow& w = open_window();
    std::set<QChar> menu_letters;
    for (QAction* menu : w.menuBar()->actions()) {
        const QString title = menu->text();
        EXPECT_TRUE(menu_letters.insert(title.at(title.indexOf('&') + 1).toLower()).second)
            << title.toStdString();
        std::set<QChar> letters;
        for (QAction* item : menu->menu()->actions()) {
            if (item->isSeparator()) continue;
            const qsizetype mark = item->text().indexOf('&');
            ASSERT_GE(mark, 0) << item->text().toStdString();
            EXPECT_TRUE(letters.insert(item->text().at(mark + 1).toLower()).second)
                << item->text().toStdString();
        }
    }
}

TEST_F(Dialogs, ErrorBoxShowsTheFileAndTheReasonBelowTheText) {
    open_window();
    emulator().control.ram_file_name = "no-such-directory/TOLVAN.RAM";
    const auto error = when_dialog_opens("ErrorBox", [](QDialog& d) {
        auto* text = child<QLabel>(d, "error_text");
        auto* detail = child<QLabel>(d, "error_detail");
        ASSERT_TRUE(text && detail);
        EXPECT_EQ(text->text().toStdString(), kRamWriteError);
        EXPECT_EQ(detail->text(), "no-such-directory/TOLVAN.RAM: No such file or directory");
        EXPECT_TRUE(detail->isVisible());
        EXPECT_GE(detail->y(), text->y() + text->height());
        click(d, "ok_button");
    });
    trigger(MenuCommand::kSaveRam);
    EXPECT_TRUE(error->seen);
}

}  // namespace
}  // namespace tolvan::testing

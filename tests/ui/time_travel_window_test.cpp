// The time machine in the real window, on the demo firmware: the timeline takes the calculator
// to an earlier moment and shows its LCD as it was, the rewind key runs it backwards, and a
// quick slot keeps a state to come back to.
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <filesystem>

#include "machine/inputs.h"
#include "machine/state_file.h"
#include "tests/ui/window_fixture.h"
#include "ui/lcd_area.h"
#include "ui/preferences.h"
#include "ui/timeline_box.h"

namespace tolvan::testing {
namespace {

constexpr int kWaitMs = 5000;

class TimeTravelWindow : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const char* rom : {"TOLVANL.ROM", "TOLVANH.ROM"})
            std::filesystem::copy_file(std::filesystem::path(TOLVAN_FIRMWARE_DIR) / rom, rom);
        open_window();
    }

    std::uint64_t now() { return emulator().history.now.instructions; }

    // Lets the timer's slices run until the history has passed the moment.
    bool wait_past(std::uint64_t moment) {
        for (int waited = 0; waited < kWaitMs && now() <= moment; waited += kDialogPollMs)
            QTest::qWait(kDialogPollMs);
        return now() > moment;
    }

    // The LCD area of the window's picture, as the machine's shown cells draw it.
    bool window_shows_the_machines_lcd() {
        Display drawn;
        drawn.client = window().display().client;
        drawn.case_bitmap = window().display().case_bitmap;
        drawn.pixel_bitmap = window().display().pixel_bitmap;
        draw_lcd(drawn, emulator().screen.cells);
        return drawn.client.pixels == window().display().client.pixels;
    }

    // "12+34" and ENTER, typed at once; true once the LCD has changed for them.
    bool type_a_sum() {
        const Screen before = emulator().screen;
        for (const KeyCode key : {KeyCode::kDigit1, KeyCode::kDigit2, KeyCode::kPlus,
                                  KeyCode::kDigit3, KeyCode::kDigit4, KeyCode::kEnter}) {
            if (!press_key(emulator(), key)) return false;
        }
        for (int waited = 0; waited < kWaitMs && !keyboard_idle(keyboard());
             waited += kDialogPollMs) {
            QTest::qWait(kDialogPollMs);
        }
        return wait_past(now() + 200'000) && emulator().screen.cells != before.cells;
    }
};

TEST_F(TimeTravelWindow, TimelineShowsAnEarlierMomentAndResumesFromIt) {
    ASSERT_TRUE(wait_past(100'000));
    const std::uint64_t earlier = now();
    const Screen then = emulator().screen;
    ASSERT_TRUE(type_a_sum());

    trigger(MenuCommand::kTimeline);
    TimelineBox* timeline = window().timeline_box();
    ASSERT_NE(timeline, nullptr);
    ASSERT_TRUE(timeline->isVisible());
    const std::uint64_t opened = now();
    QTest::qWait(50);
    EXPECT_EQ(now(), opened) << "no slice runs while the timeline is open";

    const std::uint64_t start = history_start(emulator().history).instructions;
    timeline->slider()->setValue(static_cast<int>(earlier - start));
    EXPECT_EQ(now(), earlier);
    EXPECT_EQ(emulator().screen.cells, then.cells);
    EXPECT_TRUE(window_shows_the_machines_lcd());
    EXPECT_FALSE(timeline->time_label()->text().isEmpty());
    // The box shows that LCD too, in case it lies over the calculator.
    const Rect area = lcd_area();
    EXPECT_EQ(timeline->lcd_label()->pixmap().toImage(),
              QImage(reinterpret_cast<const uchar*>(window().display().client.pixels.data()),
                     kClientWidth, kClientHeight, QImage::Format_RGB32)
                  .copy(area.left, area.top, area.width, area.height));

    QTest::mouseClick(timeline->back_button(), Qt::LeftButton);
    EXPECT_FALSE(timeline->isVisible());
    EXPECT_EQ(now(), opened);
    EXPECT_TRUE(window_shows_the_machines_lcd());

    trigger(MenuCommand::kTimeline);
    timeline->slider()->setValue(static_cast<int>(earlier - start));
    QTest::mouseClick(timeline->resume_button(), Qt::LeftButton);
    EXPECT_FALSE(timeline->isVisible());
    EXPECT_TRUE(wait_past(earlier + 1000)) << "the machine runs on from there";
    // What came after it is forgotten: the keys typed later are in the log no more.
    for (const LoggedInput& logged : emulator().history.inputs)
        EXPECT_LE(logged.at.instructions, earlier);
    EXPECT_LT(emulator().history.end.instructions, opened);

    // The length kept is the user's preference: none forgets the history, and stays chosen.
    trigger(MenuCommand::kTimeline);
    EXPECT_EQ(timeline->minutes_box()->value(), kDefaultHistoryMinutes);
    timeline->minutes_box()->setValue(0);
    EXPECT_TRUE(emulator().history.checkpoints.empty());
    EXPECT_EQ(timeline->slider()->maximum(), 0);
    QTest::mouseClick(timeline->resume_button(), Qt::LeftButton);
    EXPECT_EQ(load_history_minutes_preference(), 0);
    close_window();
    open_window();
    EXPECT_EQ(emulator().history.settings.length_cycles, 0u);
}

TEST_F(TimeTravelWindow, HeldRewindKeyRunsTheCalculatorBackwardsUntilLetGo) {
    ASSERT_TRUE(type_a_sum());
    const std::uint64_t before = now();
    QTest::keyPress(view(), Qt::Key_PageUp);
    EXPECT_TRUE(window().rewinding());
    std::uint64_t last = now();
    EXPECT_LT(last, before);
    for (int tick = 0; tick < 20; ++tick) {
        QTest::qWait(15);
        EXPECT_LE(now(), last) << "only backwards while the key is down";
        last = now();
    }
    EXPECT_TRUE(window_shows_the_machines_lcd());
    QTest::keyRelease(view(), Qt::Key_PageUp);
    EXPECT_FALSE(window().rewinding());
    EXPECT_TRUE(wait_past(last)) << "let go, it runs on";
}

TEST_F(TimeTravelWindow, QuickSlotKeepsAStateToComeBackTo) {
    ASSERT_TRUE(wait_past(50'000));
    // Shift+F11, as the user presses it: Shift down, F11, Shift up; the Shift is no SHIFT tap.
    QTest::keyPress(view(), Qt::Key_Shift);
    QTest::keyClick(view(), Qt::Key_F11, Qt::ShiftModifier);
    QTest::keyRelease(view(), Qt::Key_Shift, Qt::ShiftModifier);
    ASSERT_TRUE(std::filesystem::exists(quick_slot_file_name(2)));
    EXPECT_TRUE(keyboard_idle(keyboard()));
    // The state saved is the one of the moment the command ran: the slices ran no further.
    const std::uint64_t saved = emulator().executed.instructions;
    ASSERT_TRUE(type_a_sum());
    trigger(quick_load_item(2));
    EXPECT_EQ(emulator().executed.instructions, saved);
    EXPECT_TRUE(window_shows_the_machines_lcd());
}

}  // namespace
}  // namespace tolvan::testing

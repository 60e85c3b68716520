// The window at 2x and 3x: the face, the key frames and the mouse scale together, and the chosen
// size and place come back at the next start.
#include <QImage>
#include <QPixmap>

#include "machine/face_layout.h"
#include "tests/ui/window_fixture.h"
#include "ui/key_frames.h"

namespace tolvan::testing {
namespace {

using Zoom = WindowTest;

constexpr Rgb kColourBits = 0xFFFFFF;

struct Point {
    int x, y;
    KeyCode code;
};

// Points of the face at 1x and the keys under them (none between hyp and sin).
constexpr Point kPoints[] = {
    {380, 215, KeyCode::kEnter},
    {20, 120, KeyCode::kCal},
    {400, 100, KeyCode::kDigit7},
    {400, 20, KeyCode::kHyp},
    {400, 207, KeyCode::kDigit0},
    {413, 20, KeyCode::kNone},
    {9 + 34 * 10, 115 + 28, KeyCode::kLetterP},
};

MenuCommand zoom_item(int zoom) {
    constexpr MenuCommand kItems[] = {MenuCommand::kZoom1, MenuCommand::kZoom2,
                                      MenuCommand::kZoom3};
    return kItems[zoom - 1];
}

TEST_F(Zoom, ClicksAndKeyFramesScaleWithTheFace) {
    // With ROM images, so that no panel covers the face.
    write_running_roms();
    MainWindow& w = open_window();
    for (const int zoom : {2, 3}) {
        trigger(zoom_item(zoom));
        ASSERT_EQ(view()->size(), QSize(kClientWidth * zoom, kClientHeight * zoom));
        EXPECT_TRUE(w.command_action(zoom_item(zoom))->isChecked());
        EXPECT_FALSE(w.command_action(MenuCommand::kZoom1)->isChecked());
        for (const Point& p : kPoints) {
            // Every screen pixel of the image pixel: its first and its last.
            for (const int within : {0, zoom - 1}) {
                const QPoint at(p.x * zoom + within, p.y * zoom + within);
                QTest::mousePress(view(), Qt::LeftButton, {}, at);
                EXPECT_EQ(w.pressed_key_code(), p.code) << zoom << "x at " << p.x << ", " << p.y;
                if (p.code != KeyCode::kNone && within == 0) {
                    // The pressed frame's top-left corner, a crisp block of zoom x zoom pixels.
                    const Rect frame = key_frame(p.code);
                    const QImage shown = view()->grab().toImage();
                    for (int dx = 0; dx < zoom; ++dx) {
                        for (int dy = 0; dy < zoom; ++dy) {
                            const QRgb pixel =
                                shown.pixel(frame.left * zoom + dx, frame.top * zoom + dy);
                            EXPECT_EQ(pixel & kColourBits, kFrameMidGrey) << zoom << "x";
                        }
                    }
                }
                QTest::mouseRelease(view(), Qt::LeftButton, {}, at);
            }
        }
    }
}

TEST_F(Zoom, SizeAndPlaceComeBackAtTheNextStart) {
    MainWindow& first = open_window();
    trigger(MenuCommand::kZoom3);
    const QPoint place(123, 77);
    first.move(place);
    QApplication::processEvents();
    close_window();
    EXPECT_TRUE(files().empty()) << "nothing among the machine's files";

    MainWindow& second = open_window();
    EXPECT_EQ(view()->size(), QSize(kClientWidth * 3, kClientHeight * 3));
    EXPECT_TRUE(second.command_action(MenuCommand::kZoom3)->isChecked());
    EXPECT_EQ(second.pos(), place);
    trigger(MenuCommand::kZoom1);
    close_window();
    open_window();
    EXPECT_EQ(view()->size(), QSize(kClientWidth, kClientHeight));
}

}  // namespace
}  // namespace tolvan::testing

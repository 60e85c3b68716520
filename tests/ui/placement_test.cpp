// Where the windows go: the debugger beside the calculator wherever that is on the screen, a
// saved place that comes back exactly or onto a screen present, and the sizes that fit.
#include <QScreen>
#include <QWindow>

#include "machine/face_layout.h"
#include "tests/ui/window_fixture.h"
#include "ui/debugger_window.h"
#include "ui/face_scale.h"
#include "ui/window_placement.h"

namespace tolvan::testing {
namespace {

bool inside(const Rect& r, const Rect& area) {
    return r.left >= area.left && r.top >= area.top && r.right() <= area.right() &&
           r.bottom() <= area.bottom();
}

bool same(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

bool overlaps(const Rect& a, const Rect& b) {
    return a.left <= b.right() && b.left <= a.right() && a.top <= b.bottom() && b.top <= a.bottom();
}

// The calculator's frame at 1x, and the debugger's default size.
constexpr int kCalculatorWidth = 608;
constexpr int kCalculatorHeight = 265;
constexpr int kDebuggerWidth = 1000;
constexpr int kDebuggerHeight = 760;
constexpr int kNarrowest = 700;

TEST(Placement, TheDebuggerStaysOnTheScreenWhereverTheCalculatorIs) {
    // A 1600 x 1000 screen at scale 1, at 1.5 (1067 x 667 device-independent pixels), and
    // one to the left of the primary.
    const Rect screens[] = {{0, 0, 1600, 1000}, {0, 0, 1067, 667}, {-1600, 0, 1600, 1000}};
    for (const Rect& screen : screens) {
        const int right = screen.left + screen.width - kCalculatorWidth;
        const int bottom = screen.top + screen.height - kCalculatorHeight;
        const int centre_x = screen.left + (screen.width - kCalculatorWidth) / 2;
        const int centre_y = screen.top + (screen.height - kCalculatorHeight) / 2;
        for (const auto& [x, y] : {std::pair{screen.left, screen.top},
                                   {right, screen.top},
                                   {screen.left, bottom},
                                   {right, bottom},
                                   {centre_x, centre_y}}) {
            const Rect calculator{x, y, kCalculatorWidth, kCalculatorHeight};
            const Rect debugger =
                place_beside(calculator, kDebuggerWidth, kDebuggerHeight, screen, kNarrowest);
            const std::string where = std::to_string(x) + ", " + std::to_string(y) + " on " +
                                      std::to_string(screen.width) + " x " +
                                      std::to_string(screen.height);
            EXPECT_TRUE(inside(debugger, screen)) << where;
            EXPECT_GE(debugger.width, std::min(kNarrowest, screen.width)) << where;
            EXPECT_LE(debugger.width, kDebuggerWidth) << where;
            EXPECT_EQ(debugger.height, std::min(kDebuggerHeight, screen.height)) << where;
            // Beside it when one side has room for the narrowest debugger.
            const bool room = screen.width - kCalculatorWidth - kBesideGap >= kNarrowest &&
                              (x == screen.left || x == right);
            if (room) {
                EXPECT_FALSE(overlaps(debugger, calculator)) << where;
            }
        }
    }
}

TEST(Placement, ASavedPlaceComesBackOrOntoAScreenPresent) {
    const std::vector<Rect> screens = {{0, 0, 1600, 1000}, {1600, 0, 1280, 1024}};
    const Rect window{200, 100, 608, 265};
    // Inside a screen: exactly where it was, on either screen.
    EXPECT_TRUE(same(keep_on_screens(window, screens), window));
    const Rect on_second{1700, 500, 608, 265};
    EXPECT_TRUE(same(keep_on_screens(on_second, screens), on_second));
    // Off every screen (a screen that is gone): onto the nearest, whole.
    const Rect gone = keep_on_screens({4000, 2000, 608, 265}, screens);
    EXPECT_TRUE(inside(gone, screens[1])) << gone.left << ", " << gone.top;
    const Rect above = keep_on_screens({100, -3000, 608, 265}, screens);
    EXPECT_TRUE(inside(above, screens[0])) << above.left << ", " << above.top;
    // Half off the screen it is on: moved in as little as needed.
    const Rect half = keep_on_screens({1300, -50, 608, 265}, {screens[0]});
    EXPECT_EQ(half.left, 1600 - 608);
    EXPECT_EQ(half.top, 0);
    // Larger than the screen: the top-left corner stays reachable.
    const Rect large = keep_on_screens({-100, -100, 1806, 700}, {screens[0]});
    EXPECT_EQ(large.left, 0);
    EXPECT_EQ(large.top, 0);
}

TEST(Placement, FaceDotsAreWholeDevicePixelsAtAnyScale) {
    for (const double ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        for (int zoom = 1; zoom <= 3; ++zoom) {
            const FaceScale scale = face_scale(zoom, ratio);
            EXPECT_GE(scale.dot_pixels, 1);
            // Near the size asked for, and the whole face shown.
            EXPECT_LE(std::abs(scale.dot_pixels - zoom * ratio), 0.5) << ratio << " " << zoom;
            const int shown = scale.shown_length(kClientWidth);
            EXPECT_GE(shown * ratio, kClientWidth * scale.dot_pixels - 1e-9);
            // Every device-independent pixel maps back into the image, the last one too.
            EXPECT_EQ(scale.image_coordinate(0), 0);
            EXPECT_GE(scale.image_coordinate(shown - 1e-6), kClientWidth - 1);
        }
    }
}

using RealPlacement = WindowTest;

QScreen* screen_named(const char* name) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == QLatin1String(name)) return screen;
    }
    return nullptr;
}

TEST_F(RealPlacement, ThePlaceComesBackExactlyAndOffScreenOnesComeBack) {
    MainWindow& first = open_window();
    const QPoint place(1234, 567);
    first.move(place);
    QApplication::processEvents();
    const QPoint client = first.geometry().topLeft();
    close_window();
    for (int start = 0; start < 3; ++start) {
        MainWindow& again = open_window();
        EXPECT_EQ(again.geometry().topLeft(), client) << "start " << start;
        close_window();
    }

    MainWindow& off = open_window();
    off.move(9000, 9000);
    QApplication::processEvents();
    close_window();
    MainWindow& back = open_window();
    const QRect small(kWideScreenWidth, 0, kSmallScreenWidth, kSmallScreenHeight);
    EXPECT_TRUE(small.contains(back.frameGeometry()))
        << back.frameGeometry().x() << ", " << back.frameGeometry().y() << " "
        << back.frameGeometry().width() << " x " << back.frameGeometry().height();
}

TEST_F(RealPlacement, SizesThatDoNotFitTheScreenCannotBeChosen) {
    ASSERT_NE(screen_named("small"), nullptr) << "the test's screens";
    write_running_roms();
    MainWindow& w = open_window();
    trigger(MenuCommand::kZoom3);
    EXPECT_EQ(view()->width(), kClientWidth * 3);
    // Onto the small screen: 3x (1806 wide) no longer fits, and gives way to 2x.
    w.move(kWideScreenWidth + 10, 10);
    QApplication::processEvents();
    ASSERT_EQ(w.screen()->name(), QStringLiteral("small"));
    EXPECT_FALSE(w.command_action(MenuCommand::kZoom3)->isEnabled());
    EXPECT_TRUE(w.command_action(MenuCommand::kZoom2)->isEnabled());
    EXPECT_TRUE(w.command_action(MenuCommand::kZoom2)->isChecked());
    EXPECT_EQ(view()->width(), kClientWidth * 2);
    EXPECT_TRUE(w.screen()->availableGeometry().contains(w.frameGeometry()));
}

TEST_F(RealPlacement, TheDebuggerOpensBesideTheCalculatorOnTheSmallScreen) {
    write_running_roms();
    MainWindow& w = open_window();
    const QRect screen(kWideScreenWidth, 0, kSmallScreenWidth, kSmallScreenHeight);
    const QPoint corners[] = {screen.topLeft(), screen.topRight() - QPoint(w.width(), 0),
                              screen.bottomLeft() - QPoint(0, w.height()),
                              screen.bottomRight() - QPoint(w.width(), w.height()),
                              screen.center() - QPoint(w.width() / 2, w.height() / 2)};
    for (const QPoint& corner : corners) {
        w.move(corner);
        QApplication::processEvents();
        window().run_command(MenuCommand::kDebugger);
        DebuggerWindow* debugger = w.debugger_window();
        ASSERT_NE(debugger, nullptr);
        QApplication::processEvents();
        EXPECT_TRUE(screen.contains(debugger->frameGeometry())) << corner.x() << ", " << corner.y();
        debugger->close();
    }
}

}  // namespace
}  // namespace tolvan::testing

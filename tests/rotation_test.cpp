#include "cone_view.h"

#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// Feeds pointer events straight to a view that is never shown.
struct Pointer {
    ConeView view{700, 700, "test"};
    void press(int x, int y, double phi, double theta = 0.0)
    {
        view.phi = phi;
        view.theta = theta;
        Fl::e_x = x;
        Fl::e_y = y;
        EXPECT_EQ(view.handle(FL_PUSH), 1);
    }
    void drag(int x, int y)
    {
        Fl::e_x = x;
        Fl::e_y = y;
        EXPECT_EQ(view.handle(FL_DRAG), 1);
    }
};

}  // namespace

TEST(Rotation, DragAnglesFollowThePressScales)
{
    struct Case {
        int press_x, press_y;
        double press_phi;
        int drag_x, drag_y;
        double theta, phi;
    };
    const double up = 1.571 - 349 * 1.571 / 350;
    const Case cases[] = {
        {350, 350, 1.571, 350, 0, 0.0, up},                            // ≈ 0.0045
        {350, 350, 1.571, 350, 750, 0.0, 1.571 + 349 * 1.571 / 350},   // ≈ 3.1375
        {350, 350, 1.0, 350, 0, 0.0, 1.0 - 349 * 1.0 / 350},           // ≈ 0.0029
        {350, 350, 1.0, 350, 699, 0.0, 1.0 + 349 * 2.142 / 350},       // ≈ 3.136
        {0, 350, 1.571, 350, 350, 3.142, 1.571},                       // half width right
        {700, 350, 1.571, 0, 350, -6.284, 1.571},                      // full width left
        {350, 350, 1.571, 2000, 350, 1650 * 6.284 / 700, 1.571},       // sideways unbounded
        {350, 0, 1.571, 350, -40, 0.0, 1.571},       // row 0 is row 1: never tilts up
        {350, 1, 1.571, 350, 0, 0.0, 1.571},
        {350, 699, 1.571, 350, 900, 0.0, 1.571},     // bottom row: never tilts down
        {350, 700, 1.571, 350, 700, 0.0, 1.571},     // row h() is row h() - 1
        {350, 350, 0.0, 350, 100, 0.0, 0.0},                       // nothing left upwards
        {350, 350, 0.0, 350, 600, 0.0, 250 * 3.142 / 350},
        {350, 350, 3.142, 350, 600, 0.0, 3.142},                   // nothing left downwards
        {350, 350, 3.142, 350, 100, 0.0, 3.142 - 250 * 3.142 / 350},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "press (" << c.press_x << ", " << c.press_y
                                        << ") phi " << c.press_phi << ", drag to ("
                                        << c.drag_x << ", " << c.drag_y << ")");
        Pointer pointer;
        pointer.press(c.press_x, c.press_y, c.press_phi);
        pointer.drag(c.drag_x, c.drag_y);
        EXPECT_NEAR(pointer.view.theta, c.theta, 1e-9);
        EXPECT_NEAR(pointer.view.phi, c.phi, 1e-9);
    }
    EXPECT_NEAR(up, 0.0045, 1e-4);
}

TEST(Rotation, PressChangesNothingAndReturningRestoresExactly)
{
    Pointer pointer;
    pointer.press(123, 456, 0.7, 2.5);
    EXPECT_EQ(pointer.view.theta, 2.5);
    EXPECT_EQ(pointer.view.phi, 0.7);
    for (int step = 0; step < 50; ++step) pointer.drag(123 + step * 37 % 900 - 400, step * 53 % 1000 - 100);
    pointer.drag(123, 456);
    EXPECT_EQ(pointer.view.theta, 2.5);
    EXPECT_EQ(pointer.view.phi, 0.7);
    // A second press starts from where the first drag left off.
    pointer.drag(473, 456);
    pointer.view.handle(FL_PUSH);
    pointer.drag(123, 456);
    EXPECT_NEAR(pointer.view.theta, 2.5, 1e-12);
}

TEST(Rotation, TiltStaysWithinHalfATurnOverManyDrags)
{
    Pointer pointer;
    pointer.view.phi = 1.571;
    const auto drag_from = [&](int press_x, int press_y, int drag_x, int drag_y) {
        Fl::e_x = press_x;
        Fl::e_y = press_y;
        pointer.view.handle(FL_PUSH);
        pointer.drag(drag_x, drag_y);
        const double phi = pointer.view.phi;
        return std::isfinite(phi) && phi >= 0.0 && phi <= 3.142;
    };
    // From the centre to below the view and back above it, over and over,
    // then presses and drags anywhere, past every edge too.
    std::mt19937 random(20);
    std::uniform_int_distribution<int> press(0, 700), drag(-300, 1000);
    for (int i = 0; i < 3000; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(drag_from(350, 350, 350, 750));
        if (i % 3 == 0) {
            ASSERT_TRUE(drag_from(350, 350, 350, -50));
        }
        ASSERT_TRUE(drag_from(press(random), press(random), drag(random), drag(random)));
    }
}

TEST(Rotation, OtherEventsGoToTheBaseWindow)
{
    Pointer pointer;
    pointer.press(350, 350, 1.571);
    EXPECT_EQ(pointer.view.handle(FL_RELEASE), 0);
    Fl::e_keysym = FL_Escape;  // the window's, to close it
    EXPECT_EQ(pointer.view.handle(FL_KEYBOARD), 0);
    EXPECT_EQ(pointer.view.phi, 1.571);
}

// The arrow keys are a drag from the view's centre, 18 presses to a quarter
// of its width and 36 to its height, whatever came before; a press of the
// pointer starts them again from the centre.
TEST(Rotation, ArrowKeysDragFromTheCentre)
{
    Pointer keys, pointer;
    const auto press = [&](int key, int times) {
        Fl::e_keysym = key;
        for (int i = 0; i < times; ++i) EXPECT_EQ(keys.view.handle(FL_KEYBOARD), 1);
    };
    keys.press(100, 600, 1.571, 0.3);
    pointer.press(350, 350, 1.571, 0.3);
    press(FL_Right, 18);
    pointer.drag(525, 350);
    EXPECT_EQ(keys.view.theta, pointer.view.theta);
    EXPECT_NEAR(keys.view.theta, 0.3 + 1.571, 1e-12);
    press(FL_Down, 40);
    pointer.drag(525, 699);
    EXPECT_EQ(keys.view.phi, pointer.view.phi);
    press(FL_Up, 3);
    press(FL_Left, 1);
    pointer.drag(515, 641);  // from the last row three 36ths up, and a 72nd left
    EXPECT_EQ(keys.view.theta, pointer.view.theta);
    EXPECT_EQ(keys.view.phi, pointer.view.phi);
}

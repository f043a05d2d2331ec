// velmora.exe under Wine on a private X server: it opens its window, ends
// with 0 on Escape and on the window manager's close, and without GL it says
// so in a message box and ends with 1. Wine never shows GL drawn into a child
// window, so the picture is left to the end-to-end test of the Linux build.
#include <gtest/gtest.h>  // before Xlib, whose macros clash with its names

#include "x_session.h"

namespace {

// One prefix for the whole run: making one takes Wine 10 to 15 s.
const std::vector<std::string> wine_environment = {
    "WINEPREFIX=" WINE_PREFIX, "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};

// What a window manager sends when its close button is pressed.
void send_delete_window(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

// Input may come before Wine has the window ready for it, so this repeats
// the action until the program has ended.
bool ends_after(Process& program, const std::function<void()>& action)
{
    return wait_until([&] {
        action();
        return program.wait_exit(0.5);
    });
}

}  // namespace

TEST(Windows, ExeUnderWine)
{
    // Input goes on until the program ends, so it may meet a window that has
    // just gone; Xlib's default handler would end the test for that.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XServer server;
    ASSERT_NE(server.display, nullptr) << "Xvfb did not start";
    Display* display = server.display;
    for (const bool with_escape : {true, false}) {
        SCOPED_TRACE(with_escape ? "Escape" : "WM_DELETE_WINDOW");
        Process program(server, WINE_PATH, {VELMORA_EXE}, wine_environment);
        Window window = 0;
        ASSERT_TRUE(wait_until([&] { return (window = find_window(display, "Velmora")) != 0; }, 120));
        EXPECT_TRUE(ends_after(program, [&] {
            if (with_escape) {
                XSetInputFocus(display, window, RevertToParent, CurrentTime);
                press_key(display, "Escape");
            } else {
                send_delete_window(display, window);
            }
        }));
        EXPECT_TRUE(exited_with(program, 0)) << program.stderr_text;
    }

    // Without GLX the main window never maps; the message box, titled like
    // it, waits for OK before the program ends.
    XServer no_gl({"-extension", "GLX"});
    ASSERT_NE(no_gl.display, nullptr) << "Xvfb did not start";
    Process program(no_gl, WINE_PATH, {VELMORA_EXE}, wine_environment);
    Window box = 0;
    ASSERT_TRUE(wait_until([&] { return (box = find_window(no_gl.display, "Velmora")) != 0; }, 120));
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(no_gl.display, box, &attributes));
    EXPECT_LT(attributes.width, 720) << "the main window, not a message box";
    EXPECT_FALSE(program.wait_exit(1)) << "ended without waiting for OK";
    EXPECT_TRUE(ends_after(program, [&] {
        XSetInputFocus(no_gl.display, box, RevertToParent, CurrentTime);
        press_key(no_gl.display, "Return");
    }));
    EXPECT_TRUE(exited_with(program, 1));
    EXPECT_NE(program.stderr_text.find("Insufficient GL support"), std::string::npos)
        << program.stderr_text;
}

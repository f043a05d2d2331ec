// The real program in a real X server, driven with real input and checked
// by the pixels on the screen.
#include <gtest/gtest.h>  // before Xlib, whose macros clash with its names

#include "cone_view.h"
#include "x_session.h"

#include <FL/Fl_PNG_Image.H>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <dirent.h>
#include <unistd.h>

#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr int pixels_per_unit = view_size / 4;  // the view box spans -2 to 2

constexpr std::uint32_t black = 0x000000, white = 0xffffff, red = 0xff0000;
constexpr std::uint32_t front_rim = 0x8000ff;        // hue 270, s = v = 1
constexpr std::uint32_t front_below_rim = 0x7f13ea;  // hue 270, s = v = 0.92

bool pixel_is(Display* display, int x, int y, std::uint32_t colour, int tolerance = 2)
{
    const Pixels pixel = grab(display, x, y, 1, 1);
    return !pixel.rgb.empty() && near_colour(pixel.rgb[0], colour, tolerance);
}

// Inside the rim the saturation is a little short of full.
constexpr int rim_tolerance = 24;

// The README's screenshot of the window at scale 1.
Pixels screenshot()
{
    Fl_PNG_Image png(SCREENSHOT_PATH);
    Pixels pixels;
    if (png.w() != 720 || png.d() != 3) return pixels;
    pixels.width = png.w();
    const auto* p = reinterpret_cast<const unsigned char*>(png.data()[0]);
    for (int i = 0; i < png.w() * png.h(); ++i, p += 3)
        pixels.rgb.push_back(std::uint32_t{p[0]} << 16 | p[1] << 8 | p[2]);
    return pixels;
}

// A property of 32-bit items, which Xlib hands over as longs.
std::vector<long> cardinals(Display* display, Window window, const char* property)
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 1 << 16, False,
                           AnyPropertyType, &type, &format, &items, &left, &data) == Success &&
        format == 32)
        values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + items);
    if (data) XFree(data);
    return values;
}

// A panel along the bottom of the screen, which the window manager keeps
// out of the work area, as a laptop's task bar is.
void add_panel(Display* display, int height)
{
    const Window root = DefaultRootWindow(display);
    const int width = DisplayWidth(display, 0), bottom = DisplayHeight(display, 0);
    const Window panel = XCreateSimpleWindow(display, root, 0, bottom - height, width, height, 0, 0, 0);
    const Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&dock), 1);
    const long strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1};
    XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 12);
    XMapWindow(display, panel);
    XSync(display, False);
}

// How many of the cone's edge pixels, the first and last that are not the
// grey ground on each row, are a mix of the ground and the cone's colour a
// few pixels further in: none where the view is drawn at full resolution.
double blended_share(const Pixels& view)
{
    int edges = 0, blended = 0;
    for (int y = 0; y < static_cast<int>(view.rgb.size()) / view.width; ++y) {
        int first = 0, last = view.width - 1;
        while (first < view.width && near_colour(view.at(first, y), grey)) ++first;
        while (last > first && near_colour(view.at(last, y), grey)) --last;
        if (last - first < 16) continue;
        for (const auto& [edge, inward] : {std::pair{first, 1}, std::pair{last, -1}}) {
            const std::uint32_t pixel = view.at(edge, y), inner = view.at(edge + 4 * inward, y);
            double along = 0, length = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const double to_grey = 128.0 - (inner >> shift & 0xff);
                along += (static_cast<double>(pixel >> shift & 0xff) - (inner >> shift & 0xff)) * to_grey;
                length += to_grey * to_grey;
            }
            ++edges;
            blended += length > 0 && along / length > 0.15;
        }
    }
    return edges ? static_cast<double>(blended) / edges : 1.0;
}

// The same pixels in both but where the tooltip covers the view.
bool same_around(const Pixels& view, const Pixels& expected, const Box& tip)
{
    if (view.rgb.size() != expected.rgb.size()) return false;
    for (int y = 0; y < view_size; ++y)
        for (int x = 0; x < view_size; ++x) {
            const int on_screen_x = view_left + x, on_screen_y = view_top + y;
            const bool covered = on_screen_x >= tip.x && on_screen_x < tip.x + tip.width &&
                                 on_screen_y >= tip.y && on_screen_y < tip.y + tip.height;
            if (!covered && view.at(x, y) != expected.at(x, y)) return false;
        }
    return true;
}

// The readout for a point of the view at the start-up turn: its colour
// (grey for none), and its words in a language, from the build's catalogues.
std::uint32_t readout(int x, int y, std::string* words = nullptr, const char* language = "en")
{
    ConePoint point;
    if (!point_at(x, y, view_size, view_size, 0.0, 1.571, 1.0f, point)) return grey;
    const std::string program = VELMORA_PATH;
    bindtextdomain("velmora", (program.substr(0, program.rfind('/')) + "/locale").c_str());
    bind_textdomain_codeset("velmora", "UTF-8");
    setenv("LANGUAGE", language, 1);
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    textdomain("velmora");
    char text[160];
    describe(point, ConeView::rgb_of(point), text, sizeof text);
    textdomain("messages");
    if (words) *words = text;
    return ConeView::rgb_of(point);
}

// Text as read_text gives it: without spaces, and with 0 for O.
std::string plain(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    std::replace(text.begin(), text.end(), 'O', '0');
    return text;
}

}  // namespace

TEST(Velmora, WindowPictureDragSliderAndEscape)
{
    XServer server;
    ASSERT_NE(server.display, nullptr) << "Xvfb did not start";
    Display* display = server.display;
    // Toolkit options would move the window or print their usage.
    Process program(server, VELMORA_PATH, {"-geometry", "+300+200", "-bogus"});

    Window window = 0;
    ASSERT_TRUE(wait_until([&] { return (window = find_window(display, "Velmora")) != 0; }))
        << program.state();
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
    EXPECT_EQ(attributes.x, 20);
    EXPECT_EQ(attributes.y, 20);
    EXPECT_EQ(attributes.width, 720);
    EXPECT_EQ(attributes.height, 750);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(display, window, &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 720);
    EXPECT_EQ(hints.max_width, 720);
    EXPECT_EQ(hints.min_height, 750);
    EXPECT_EQ(hints.max_height, 750);

    // Class and icons let a desktop match the window to its desktop entry.
    XClassHint class_hint{};
    ASSERT_TRUE(XGetClassHint(display, window, &class_hint));
    EXPECT_STREQ(class_hint.res_name, "velmora");
    EXPECT_STREQ(class_hint.res_class, "Velmora");
    XFree(class_hint.res_name);
    XFree(class_hint.res_class);
    // Each image, ARGB: width, height, then its pixels. Every one shows the
    // cone from the front, apex down: blue left and red right across its wide
    // top, a dark opaque apex at the bottom centre, clear bottom corners.
    const std::vector<long> icon = cardinals(display, window, "_NET_WM_ICON");
    std::vector<long> icon_sizes;
    for (size_t i = 0; i + 1 < icon.size(); i += 2 + static_cast<size_t>(icon[i] * icon[i + 1])) {
        const long size = icon[i];
        icon_sizes.push_back(size);
        ASSERT_LE(i + 2 + static_cast<size_t>(size * size), icon.size());
        const auto argb = [&](long x, long y) { return static_cast<std::uint32_t>(icon[i + 2 + y * size + x]); };
        SCOPED_TRACE(size);
        EXPECT_EQ(argb(0, size - 1) >> 24, 0u);
        EXPECT_EQ(argb(size - 1, size - 1) >> 24, 0u);
        EXPECT_EQ(argb(size / 2, size - 2) >> 24, 0xffu);
        EXPECT_TRUE(near_colour(argb(size / 2, size - 2), black, 0x40));
        const std::uint32_t left = argb(size / 8, size / 8), right = argb(size - 1 - size / 8, size / 8);
        EXPECT_LT(left >> 16 & 0xff, 0x40u) << std::hex << left;
        EXPECT_GT(left & 0xff, 0xc0u) << std::hex << left;
        EXPECT_GT(right >> 16 & 0xff, 0xc0u) << std::hex << right;
    }
    EXPECT_EQ(icon_sizes, (std::vector<long>{16, 32, 48}));

    // The upright cone: grey corners, black apex at the bottom centre, the
    // front at half height facing the viewer, red right and cyan left.
    ASSERT_TRUE(wait_until([&] { return pixel_is(display, centre_x, centre_y, front_at_half_height); }))
        << std::hex << grab(display, centre_x, centre_y, 1, 1).rgb.at(0);
    const Pixels first_frame = grab_view(display);
    EXPECT_TRUE(near_colour(first_frame.at(5, 5), grey));
    EXPECT_TRUE(near_colour(first_frame.at(694, 694), grey));
    EXPECT_TRUE(near_colour(first_frame.at(350, 350 + pixels_per_unit - 3), black, 8));
    EXPECT_TRUE(near_colour(first_frame.at(350, 350 + pixels_per_unit + 3), grey));
    const std::uint32_t right_rim = first_frame.at(350 + pixels_per_unit - 4, 350 - pixels_per_unit + 4);
    const std::uint32_t left_rim = first_frame.at(350 - pixels_per_unit + 4, 350 - pixels_per_unit + 4);
    EXPECT_GT(right_rim >> 16, 0xe0u) << std::hex << right_rim;
    EXPECT_LT(left_rim >> 16, 0x20u) << std::hex << left_rim;
    EXPECT_GT(left_rim & 0xff, 0xe0u) << std::hex << left_rim;

    // The slider at start-up, knob at the right-hand end, looks as in the
    // README's screenshot: the bottom 40 rows of the window, margins included.
    const Pixels expected = screenshot();
    ASSERT_EQ(expected.width, 720);
    const Pixels strip = grab(display, 20, 20 + 710, 720, 40);
    int differing = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 720; ++x) differing += strip.at(x, y) != expected.at(x, 710 + y);
    EXPECT_EQ(differing, 0);

    // A redraw the program did not ask for, after another window covered the
    // view, shows the same picture.
    const Window cover = XCreateSimpleWindow(display, DefaultRootWindow(display), view_left,
                                             view_top, view_size, view_size, 0, 0, black);
    XMapWindow(display, cover);
    XSync(display, False);
    ASSERT_TRUE(wait_until([&] { return pixel_is(display, centre_x, centre_y, black, 0); }));
    XDestroyWindow(display, cover);
    XSync(display, False);
    EXPECT_TRUE(wait_until([&] { return grab_view(display).rgb == first_frame.rgb; }));

    // The readout names what is drawn: across the cone, its colour is the
    // pixel's, within what shading between the vertices makes of it.
    int worst = 0;
    for (int y = 180; y < 525; y += 15)
        for (int x = 180; x < 525; x += 15) {
            const std::uint32_t pixel = first_frame.at(x, y), named = readout(x, y);
            if (near_colour(pixel, grey, 0) || named == grey) continue;  // the ground, or an edge
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(static_cast<int>(pixel >> shift & 0xff) -
                                                 static_cast<int>(named >> shift & 0xff)));
        }
    EXPECT_LE(worst, 12);

    // Resting on the cone, the pointer gets the toolkit's tooltip beside it,
    // which changes nothing of the picture; over the grey ground, none.
    move_pointer(display, centre_x - 1, centre_y);
    move_pointer(display, centre_x, centre_y);
    Box tip;
    ASSERT_TRUE(wait_until([&] { return static_cast<bool>(tip = find_tooltip(display)); }));
    EXPECT_EQ(tip.x, centre_x);
    EXPECT_EQ(tip.y, centre_y + 13);
    EXPECT_TRUE(same_around(grab_view(display), first_frame, tip));
    move_pointer(display, view_left + 5, view_top + 5);
    EXPECT_TRUE(wait_until([&] { return !find_tooltip(display); }));

    // A quarter view width to the right spins the cone about its own axis: the
    // front shows hue 180 and the apex stays at the bottom centre. Then on to
    // below the window, which turns the top disk to face the viewer; coming
    // back before the release restores the first frame.
    move_pointer(display, centre_x, centre_y);
    press_button(display, true);
    move_pointer(display, centre_x + view_size / 4, centre_y);
    EXPECT_TRUE(wait_until([&] { return pixel_is(display, centre_x, centre_y, cyan_at_half_height); }))
        << std::hex << grab(display, centre_x, centre_y, 1, 1).rgb.at(0);
    EXPECT_TRUE(pixel_is(display, centre_x, centre_y + pixels_per_unit - 3, black, 8));
    EXPECT_FALSE(find_tooltip(display)) << "none while dragging";
    const Pixels quarter = grab_view(display);
    // A quarter view height down tilts the top disk 45 degrees towards the
    // viewer: the front of its rim, at the view's centre, is then 1.41 units
    // out of the screen and still inside the view box, not cut away.
    move_pointer(display, centre_x, centre_y + view_size / 4);
    EXPECT_TRUE(wait_until([&] {
        return pixel_is(display, centre_x, centre_y - 1, front_rim, 8) &&
               pixel_is(display, centre_x, centre_y + 10, front_below_rim, 8);
    })) << std::hex << grab(display, centre_x, centre_y - 1, 1, 1).rgb.at(0);
    move_pointer(display, centre_x, 1000);
    EXPECT_TRUE(wait_until([&] {
        return pixel_is(display, centre_x, centre_y, white) &&
               pixel_is(display, centre_x + pixels_per_unit - 5, centre_y, red, rim_tolerance);
    }));
    EXPECT_TRUE(pixel_is(display, centre_x, centre_y - pixels_per_unit + 5, 0x80ff00, rim_tolerance))
        << "hue 90 should be above the centre";
    move_pointer(display, centre_x, centre_y);
    EXPECT_TRUE(wait_until([&] { return grab_view(display).rgb == first_frame.rgb; }));
    usleep(600000);
    EXPECT_FALSE(find_tooltip(display)) << "none as the drag came back into the view";
    press_button(display, false);
    // Released where it was pressed, turned as it was: a tap, which asks.
    EXPECT_TRUE(wait_until([&] { return static_cast<bool>(find_tooltip(display)); }));

    // The arrow keys, the view having the keyboard (a frame round it in the
    // window's margin), turn it as the drag did, 18 presses to its quarter;
    // the tooltip says what faces the viewer, beside the centre.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    for (int i = 0; i < 18; ++i) press_key(display, "Right");
    EXPECT_TRUE(wait_until([&] {
        tip = find_tooltip(display);
        return tip && same_around(grab_view(display), quarter, tip);
    }));
    EXPECT_EQ(tip.x, centre_x);
    EXPECT_EQ(tip.y, centre_y + 13);
    EXPECT_TRUE(pixel_is(display, view_left - 4, centre_y, black, 0));
    EXPECT_TRUE(pixel_is(display, view_left - 2, centre_y, 0xc0c0c0, 0)) << "the frame keeps off the view";
    for (int i = 0; i < 18; ++i) press_key(display, "Left");
    EXPECT_TRUE(wait_until([&] { return same_around(grab_view(display), first_frame, find_tooltip(display)); }));

    // A press halfway along the slider's track jumps the value there (0.51:
    // the knob's left end comes to the pointer), so the top disk, edge-on,
    // runs across the view a little above its centre.
    move_pointer(display, 20 + 10 + 350, 20 + 730);
    press_button(display, true);
    press_button(display, false);
    EXPECT_TRUE(wait_until([&] {
        return pixel_is(display, centre_x, centre_y - 8, grey) &&
               pixel_is(display, centre_x, centre_y, front_at_half_height, 4);
    })) << std::hex << grab(display, centre_x, centre_y, 1, 1).rgb.at(0);

    // Many tilts in a row stay within half a turn. With the cut back at
    // (nearly) the full value, eight drags from the centre to below the
    // window, each also a quarter view width right, show the top disk every
    // time, turned a quarter further each (hue 270, 180, 90 and 0 at its
    // right-hand rim); then one drag up past the view's top shows the apex.
    move_pointer(display, 20 + 10 + 700 - 9, 20 + 730);
    press_button(display, true);
    press_button(display, false);
    const std::uint32_t right_rims[] = {0x8000ff, 0x00ffff, 0x80ff00, red};
    for (int drag = 0; drag < 8; ++drag) {
        move_pointer(display, centre_x, centre_y);
        press_button(display, true);
        move_pointer(display, centre_x + view_size / 4, 1000);
        EXPECT_TRUE(wait_until([&] {
            return pixel_is(display, centre_x, centre_y, white, 8) &&
                   pixel_is(display, centre_x + pixels_per_unit - 5, centre_y, right_rims[drag % 4],
                            rim_tolerance);
        })) << "drag " << drag;
        press_button(display, false);
    }
    move_pointer(display, centre_x, centre_y);
    press_button(display, true);
    move_pointer(display, centre_x, 0);
    EXPECT_TRUE(wait_until([&] { return pixel_is(display, centre_x, centre_y, black, 8); }))
        << std::hex << grab(display, centre_x, centre_y, 1, 1).rgb.at(0);
    press_button(display, false);

    // Pressed at the right end of its track and dragged to the far left, the
    // slider cuts the cone down to nothing while the button is still down. (The
    // toolkit delivers motion lazily, so a release sent at once would
    // overtake it.)
    move_pointer(display, 20 + 10 + 700 - 9, 20 + 730);
    press_button(display, true);
    move_pointer(display, 0, 20 + 730);
    EXPECT_TRUE(wait_until([&] {
        const Pixels view = grab_view(display);
        for (std::uint32_t pixel : view.rgb)
            if (!near_colour(pixel, grey)) return false;
        return true;
    }));
    press_button(display, false);

    // Bare Xvfb has no window manager to give the window the keyboard.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    press_key(display, "Escape");
    EXPECT_TRUE(exited_with(program, 0)) << program.state();
    EXPECT_EQ(program.stderr_text, "");
}

TEST(Velmora, WithoutUsableGlItReportsAndExitsWithOne)
{
    // No GLX at all; GLX that refuses an indirect context (as over ssh -X);
    // an indirect context that cannot report a GL version.
    struct Case {
        std::vector<std::string> server_args, environment;
    };
    const Case cases[] = {{{"-extension", "GLX"}, {}},
                          {{}, {"LIBGL_ALWAYS_INDIRECT=1"}},
                          {{"+iglx"}, {"LIBGL_ALWAYS_INDIRECT=1"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server_args.empty() ? "indirect" : c.server_args.back());
        XServer server(c.server_args, false);
        ASSERT_FALSE(server.name.empty()) << "Xvfb did not start";
        Process program(server, VELMORA_PATH, {}, c.environment);
        EXPECT_TRUE(exited_with(program, 1)) << program.state();
        // Xvfb 21.1.16 (Debian 13) crashes on an indirect context; the
        // program then ends with the toolkit's "X I/O error" instead.
        if (!server.running()) {
            std::printf("note: the X server died; only the exit status was checked\n");
            continue;
        }
        // The message is the last line, whole; the toolkit may warn of an X error first.
        const std::string& text = program.stderr_text;
        EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), "Insufficient GL support\n")
            << text;
    }
}

// On the screens classrooms have, under a window manager (and a panel where
// laptops have one), the window and its frame fit the work area: at the
// platform's scale, at (20, 20), where they can, else at a lower scale.
// At scale 2 the view is drawn at full resolution, like the screenshot
// averaged down, and a drag turns it by the same angle per fraction of it.
TEST(Velmora, FitsEveryScreenAtItsScale)
{
    struct Screen {
        const char* size;
        int panel;
        std::vector<std::string> environment;
        bool xft_dpi_192;
        double scale;  // 0: lower than 1, to fit
    };
    // At scale 2 the tooltip is read too: in French, from the environment,
    // and in English where there is no catalogue (Esperanto).
    const Screen screens[] = {{"1920x1080x24", 0, {}, false, 1},
                              {"1600x1600x24", 0, {"FLTK_SCALING_FACTOR=2", "LANG=C.UTF-8", "LANGUAGE=eo"}, false, 2},
                              {"1600x1600x24", 0, {"LANG=C.UTF-8", "LANGUAGE=fr"}, true, 2},
                              {"1280x720x24", 0, {}, false, 0},
                              {"1366x768x24", 40, {}, false, 0},
                              {"800x480x24", 0, {}, false, 0}};
    // Escape is sent until the program ends, so it may meet a window that has
    // just gone; Xlib's default handler would end the test for that.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    for (const Screen& screen : screens) {
        SCOPED_TRACE(std::string(screen.size) + (screen.xft_dpi_192 ? " Xft.dpi 192" : ""));
        XServer server({}, true, screen.size);
        ASSERT_NE(server.display, nullptr) << "Xvfb did not start";
        Display* display = server.display;
        const Window root = DefaultRootWindow(display);
        Process window_manager(server, "openbox", {"--sm-disable"});
        const int height = DisplayHeight(display, 0);
        if (screen.panel) add_panel(display, screen.panel);
        ASSERT_TRUE(wait_until([&] {
            const std::vector<long> area = cardinals(display, root, "_NET_WORKAREA");
            return area.size() >= 4 && area[3] == height - screen.panel;
        })) << "no window manager: " << window_manager.state();
        if (screen.xft_dpi_192) {
            const char resources[] = "Xft.dpi:\t192\n";
            XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(resources), sizeof resources - 1);
        }
        Process program(server, VELMORA_PATH, {}, screen.environment);
        Window window = 0;
        std::vector<long> frame;
        ASSERT_TRUE(wait_until([&] {
            return (window = find_window(display, "Velmora")) &&
                   (frame = cardinals(display, window, "_NET_FRAME_EXTENTS")).size() == 4;
        })) << program.state();
        XWindowAttributes attributes;
        ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
        const std::vector<long> area = cardinals(display, root, "_NET_WORKAREA");
        EXPECT_GE(x - frame[0], area[0]);
        EXPECT_GE(y - frame[2], area[1]);
        EXPECT_LE(x + attributes.width + frame[1], area[0] + area[2]);
        EXPECT_LE(y + attributes.height + frame[3], area[1] + area[3]);
        const double scale = attributes.width / 720.0;
        if (screen.scale > 0) {
            EXPECT_EQ(scale, screen.scale);
            EXPECT_EQ(attributes.height, 750 * screen.scale);
            EXPECT_EQ(x, 20 * screen.scale);
            EXPECT_EQ(y, 20 * screen.scale);
        } else {
            EXPECT_LT(scale, 1);
            EXPECT_NEAR(attributes.height, 750 * scale, 1);
        }
        // The view shows the whole upright cone at whatever scale.
        const int left = x + static_cast<int>(10 * scale), top = y + static_cast<int>(10 * scale);
        const int size = static_cast<int>(700 * scale + 0.5);
        EXPECT_TRUE(wait_until([&] {
            return pixel_is(display, left + size / 2, top + size / 2, front_at_half_height, 4) &&
                   pixel_is(display, left + size / 2, top + size * 3 / 4 - 3, black, 16) &&
                   pixel_is(display, left + 2, top + 2, grey);
        })) << std::hex << grab(display, left + size / 2, top + size / 2, 1, 1).rgb.at(0);

        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        if (screen.scale == 1) {
            // The toolkit's zoom keys make it a tenth larger (Ctrl =, as in
            // browsers), and Ctrl 0 smaller again.
            press_key(display, "equal", "Control_L");
            EXPECT_TRUE(wait_until([&] {
                XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
                return XGetWindowAttributes(display, window, &attributes) && attributes.width == 792 &&
                       pixel_is(display, x + 396, y + 396, front_at_half_height, 4);
            })) << attributes.width;
            press_key(display, "0", "Control_L");
            EXPECT_TRUE(wait_until([&] {
                return XGetWindowAttributes(display, window, &attributes) && attributes.width == 720;
            })) << attributes.width;
        }
        const auto escape = [&] {
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
            press_key(display, "Escape");
        };
        if (screen.scale != 2) {
            EXPECT_TRUE(ends_after(program, escape)) << program.state();
            EXPECT_TRUE(exited_with(program, 0)) << program.state();
            continue;
        }
        // The tooltip, drawn at the same scale, says the readout's words for
        // a point of the cone in blue, in the language the environment's
        // last setting (LANGUAGE=...) asks for.
        move_pointer(display, left + 2 * 284 - 1, top + 2 * 262);
        move_pointer(display, left + 2 * 284, top + 2 * 262);
        Box tip;
        ASSERT_TRUE(wait_until([&] { return static_cast<bool>(tip = find_tooltip(display)); }));
        std::string words;
        readout(284, 262, &words, screen.environment.back().substr(9).c_str());
        std::string read;  // once drawn, which under QEMU takes a while
        EXPECT_TRUE(wait_until([&] {
            tip = find_tooltip(display);
            return (read = read_text(display, tip)) == plain(words);
        })) << read << " for " << words;
        move_pointer(display, left + 2, top + 2);  // away, onto the ground
        EXPECT_TRUE(wait_until([&] { return !find_tooltip(display); }));
        if (screen.xft_dpi_192) {
            EXPECT_TRUE(ends_after(program, escape)) << program.state();
            EXPECT_TRUE(exited_with(program, 0)) << program.state();
            continue;
        }
        // (Once drawn again where the tooltip was.)
        Pixels view;
        EXPECT_TRUE(wait_until([&] { return blended_share(view = grab(display, left, top, size, size)) <= 0.01; }))
            << blended_share(view);
        // Averaged 2 x 2 down, within one level of the screenshot but where
        // the screenshot itself changes by more than a few levels.
        const Pixels expected = screenshot();
        ASSERT_EQ(expected.width, 720);
        int differing = 0;
        for (int row = 1; row < 699; ++row)
            for (int column = 1; column < 699; ++column) {
                const std::uint32_t want = expected.at(10 + column, 10 + row);
                bool edge = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        edge = edge || !near_colour(expected.at(10 + column + dx, 10 + row + dy), want, 8);
                if (edge) continue;
                std::uint32_t mean = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    unsigned sum = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx) sum += view.at(2 * column + dx, 2 * row + dy) >> shift & 0xff;
                    mean |= (sum + 2) / 4 << shift;
                }
                differing += !near_colour(mean, want, 1);
            }
        EXPECT_EQ(differing, 0);
        // A quarter of the view's width spins the cone a quarter turn.
        move_pointer(display, left + size / 2, top + size / 2);
        press_button(display, true);
        move_pointer(display, left + size * 3 / 4, top + size / 2);
        EXPECT_TRUE(wait_until([&] { return pixel_is(display, left + size / 2, top + size / 2, cyan_at_half_height); }));
        press_button(display, false);
        EXPECT_TRUE(ends_after(program, escape)) << program.state();
        EXPECT_TRUE(exited_with(program, 0)) << program.state();
    }
}

#if FLTK_USE_WAYLAND
namespace {

std::string output_of(const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

// The number after "key": that comes first after from in sway's JSON.
int json_number(const std::string& json, size_t from, const std::string& key)
{
    const size_t at = json.find("\"" + key + "\": ", from);
    return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + key.size() + 4);
}

}  // namespace

// Where FLTK has Wayland, Velmora is a Wayland client when a session is
// there: in sway's headless compositor (which refuses root, so it runs as
// nobody then) it shows the picture, names its desktop entry as its app id,
// fits an output at scale 2 and draws it at full resolution, quits on
// Escape with 0, and without EGL says "Insufficient GL support" and ends
// with 1.
TEST(Velmora, NativeOnWayland)
{
    if (output_of("for c in sway swaymsg grim wtype; do command -v $c; done | wc -l") != "4\n")
        GTEST_SKIP() << "sway, grim and wtype are needed (scripts/install-deps --test)";
    char runtime[] = "/tmp/velmora-wayland-XXXXXX";
    ASSERT_NE(mkdtemp(runtime), nullptr);
    const std::string folder = runtime, config = folder + "/config";
    const std::unique_ptr<const char, void (*)(const char*)> removed(
        runtime, [](const char* path) { std::filesystem::remove_all(path); });
    std::fclose(std::fopen(config.c_str(), "w"));
    std::vector<std::string> sway = {"sway", "-c", config};
    if (getuid() == 0) {
        ASSERT_EQ(chown(runtime, 65534, 65534), 0);
        sway.insert(sway.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    Process compositor(sway[0], {sway.begin() + 1, sway.end()},
                       {"XDG_RUNTIME_DIR=" + folder, "WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                        "HOME=" + folder});
    std::string display, socket;
    ASSERT_TRUE(wait_until([&] {
        std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(runtime), closedir);
        while (const dirent* entry = directory ? readdir(directory.get()) : nullptr) {
            const std::string name = entry->d_name;
            if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos) display = name;
            if (name.rfind("sway-ipc.", 0) == 0) socket = folder + "/" + name;
        }
        return !display.empty() && !socket.empty();
    })) << compositor.state();
    const std::vector<std::string> session = {"XDG_RUNTIME_DIR=" + folder, "WAYLAND_DISPLAY=" + display,
                                              "SWAYSOCK=" + socket};
    const std::string on_sway = "env -u DISPLAY XDG_RUNTIME_DIR=" + folder + " WAYLAND_DISPLAY=" +
                                display + " SWAYSOCK=" + socket + " ";
    const Pixels expected = screenshot();
    ASSERT_EQ(expected.width, 720);

    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        output_of(on_sway + "swaymsg output HEADLESS-1 resolution 1920x1080 scale " + std::to_string(scale));
        Process program("/usr/bin/env", {"-u", "DISPLAY", VELMORA_PATH}, session);
        std::string id;
        int width = 0, bottom = 0;
        const std::string shot = folder + "/shot.png";
        int x = 0, y = 0;
        // Its window in sway's tree, once placed: the content's place and
        // width in the output's units.
        const auto placed = [&] {
            const std::string tree = output_of(on_sway + "swaymsg -t get_tree");
            const size_t node = tree.find("\"pid\": " + std::to_string(program.pid));
            if (node == std::string::npos) return false;
            id = tree.substr(tree.find("\"app_id\": ", node) + 10, 21);
            const size_t rect = tree.rfind("\"rect\": {", node), inner = tree.find("window_rect", rect);
            x = json_number(tree, rect, "x") + json_number(tree, inner, "x");
            y = json_number(tree, rect, "y") + json_number(tree, inner, "y");
            width = json_number(tree, inner, "width");
            bottom = y + json_number(tree, inner, "height");
            return true;
        };
        const auto shows_the_cone = [&] {
            if (!placed()) return false;
            output_of(on_sway + "grim -o HEADLESS-1 " + shot);
            Fl_PNG_Image png(shot.c_str());
            if (png.w() != 1920 || png.h() != 1080 || png.d() < 3) return false;
            const auto* data = reinterpret_cast<const unsigned char*>(png.data()[0]);
            // The toolkit's scale (lowered to fit at 2) times the output's.
            const double pixels_per_unit = width / 720.0 * scale;
            const int left = static_cast<int>(x * scale + 10 * pixels_per_unit + 0.5);
            const int top = static_cast<int>(y * scale + 10 * pixels_per_unit + 0.5);
            Pixels view;
            view.width = static_cast<int>(700 * pixels_per_unit + 0.5);
            if (left < 0 || top < 0 || left + view.width > 1920 || top + view.width > 1080) return false;
            for (int row = 0; row < view.width; ++row)
                for (int column = 0; column < view.width; ++column) {
                    const unsigned char* p = data + ((top + row) * 1920 + left + column) * png.d();
                    view.rgb.push_back(std::uint32_t{p[0]} << 16 | p[1] << 8 | p[2]);
                }
            if (!near_colour(view.at(view.width / 2, view.width / 2), front_at_half_height, 4)) return false;
            if (scale == 2) return blended_share(view) <= 0.01;
            // At scale 1, the picture of the X11 build.
            for (int row = 0; row < 700; ++row)
                for (int column = 0; column < 700; ++column)
                    if (!near_colour(view.at(column, row), expected.at(10 + column, 10 + row), 1)) return false;
            return true;
        };
        ASSERT_TRUE(wait_until(shows_the_cone)) << program.state();
        // FLTK 1.4.3 names the window after the program, which the desktop
        // entry's StartupWMClass matches; later FLTKs take the window's class.
        EXPECT_TRUE(id.rfind("\"org.example.velmora\"", 0) == 0 || id.rfind("\"velmora\"", 0) == 0) << id;
        // At 1 as on X11; at 2 lowered to fit the output's 540 lines.
        EXPECT_EQ(width == 720, scale == 1);
        EXPECT_LE(bottom, 1080 / scale);
        if (scale == 1) {
            // An arrow key turns the cone and shows the toolkit's tooltip,
            // pale yellow, below and right of the view's centre. (The
            // headless compositor has no pointer to rest on the cone.)
            const int centre = (y + 10 + 350 + 20) * 1920 + x + 10 + 350 + 20;
            EXPECT_TRUE(wait_until([&] {
                output_of(on_sway + "wtype -s 200 -k Right -s 200");
                output_of(on_sway + "grim -o HEADLESS-1 " + shot);
                Fl_PNG_Image png(shot.c_str());
                const auto* at = reinterpret_cast<const unsigned char*>(png.data()[0]) + centre * png.d();
                return png.w() == 1920 && png.d() >= 3 && at[0] == 0xff && at[1] == 0xff && at[2] == 0xbf;
            }));
        }
        // Ctrl = makes it a step larger; Ctrl 0 brings back the size it
        // started at, which at 2 still fits the output. Each key is sent
        // until it takes: the toolkit's zoom shows a window of its own for a
        // second, which the compositor may give the keyboard.
        const int started = width;
        const auto until = [&](const char* key, const std::function<bool()>& done) {
            return wait_until([&] {
                output_of(on_sway + "wtype -s 200 -M ctrl -k " + key + " -m ctrl -s 200");
                return wait_until([&] { return placed() && done(); }, 1);
            });
        };
        EXPECT_TRUE(until("equal", [&] { return width > started; })) << width;
        EXPECT_TRUE(until("0", [&] { return width == started; })) << width;
        EXPECT_LE(bottom, 1080 / scale);
        EXPECT_TRUE(ends_after(program, [&] { output_of(on_sway + "wtype -s 200 -k Escape"); }))
            << program.state();
        EXPECT_TRUE(exited_with(program, 0)) << program.state();
    }

    std::vector<std::string> without_egl = session;
    without_egl.push_back("__EGL_VENDOR_LIBRARY_DIRS=/nonexistent");
    Process program("/usr/bin/env", {"-u", "DISPLAY", VELMORA_PATH}, without_egl);
    EXPECT_TRUE(exited_with(program, 1)) << program.state();
    const std::string& text = program.stderr_text;
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), "Insufficient GL support\n") << text;
}
#endif

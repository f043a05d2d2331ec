#include "cone_view.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Valuator.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/gl.h>
#include <FL/platform.H>

#ifdef __linux__
#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#endif

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

void value_slider_changed(Fl_Widget* w, void* data)
{
    const double v = static_cast<Fl_Valuator*>(w)->value();
    static_cast<ConeView*>(data)->set_value(static_cast<float>(v));
}

namespace {

// Prints like the toolkit's own handler. A GL window without a visual only
// reports this error and stays dead on screen, so it ends the program.
void report_error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    if (std::strcmp(format, "Insufficient GL support") == 0) {
#ifdef _WIN32
        // A GUI program has no console; <windows.h> comes with FL/gl.h.
        MessageBoxA(nullptr, format, "Velmora", MB_OK | MB_ICONERROR);
#endif
        std::exit(1);
    }
}

#ifdef FLTK_USE_WAYLAND
// Prints like the toolkit's own handler and ends the program. Its GL support
// on Wayland ends it here when EGL cannot be had: the failure that X11
// reports as no GL visual, and so reported in the same words.
void report_fatal_error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    if (!*format || format[std::strlen(format) - 1] != '\n') std::fputc('\n', stderr);
    if (std::strstr(format, "egl") || std::strstr(format, "EGL")) report_error("Insufficient GL support");
    std::exit(1);
}
#endif

// The readout's words in the user's language, from gettext's catalogues:
// in the build folder, beside the program, or in share/locale of the
// prefix it is installed in. (Windows and the page have no gettext of
// their own and choose the language in theirs, intl/libintl.h.)
void choose_language()
{
#ifdef __linux__
    std::setlocale(LC_MESSAGES, "");
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) {
        const std::string program(path, static_cast<std::size_t>(length));
        const std::string folder = program.substr(0, program.rfind('/'));
        std::string catalogues = folder + "/locale";
        struct stat found {};
        if (stat(catalogues.c_str(), &found) != 0 || !S_ISDIR(found.st_mode))
            catalogues = folder.substr(0, folder.rfind('/')) + "/share/locale";
        bindtextdomain("velmora", catalogues.c_str());
    }
    bind_textdomain_codeset("velmora", "UTF-8");
    textdomain("velmora");
#endif
}

// Each screen's scale as the platform gave it, before any fit, for as many
// screens as the toolkit tells apart.
constexpr int most_screens = 16;
float platform_scales[most_screens];

// The largest scale, up to the platform's, at which the window and a frame
// fit the work area of a screen (a 1280 x 720 projector, a laptop's 768
// lines less a panel, the Pi's 800 x 480 display). The frame's size is the
// window manager's, known only once it has framed the window, so room is
// left for a generous one, at the platform's scale (where the window
// manager draws it). The work area is in the screen's units at its scale now.
constexpr int title_bar = 40, border = 4;
float fitting_scale(const Fl_Window& window, int screen)
{
    int x, y, w, h;
    Fl::screen_work_area(x, y, w, h, screen);
    const float now = Fl::screen_scale(screen), platform = platform_scales[screen];
    return std::min({platform,
                     (static_cast<float>(w) * now - 2 * border * platform) / static_cast<float>(window.w()),
                     (static_cast<float>(h) * now - (title_bar + border) * platform) / static_cast<float>(window.h())});
}

// Where the window would not fit its screen, lowers the toolkit's scale to
// fit and puts the window inside the work area.
void fit_to_screen(Fl_Window& window)
{
    for (int screen = 0; screen < Fl::screen_count() && screen < most_screens; ++screen)
        platform_scales[screen] = Fl::screen_scale(screen);
    const int screen = Fl::screen_num(window.x(), window.y());
    if (screen >= most_screens) return;
    const float platform = platform_scales[screen], fitting = fitting_scale(window, screen);
    if (fitting >= platform) return;
    Fl::screen_scale(screen, fitting);
    int x, y, w, h;
    Fl::screen_work_area(x, y, w, h, screen);
    window.position(x + static_cast<int>(std::ceil(border * platform / fitting)),
                    y + static_cast<int>(std::ceil(title_bar * platform / fitting)));
}

// Ahead of the toolkit's zoom keys. The tooltip goes first: the toolkit's
// Wayland support cannot resize a shown one, and ends the program trying.
// Ctrl 0 brings the window back to the size it started at: the toolkit's
// own goes back to the platform's scale (on Wayland and Windows; on X11 to
// the scale at the first zoom), too large where the start had to fit it.
int zoom_keys(int event)
{
    if (event != FL_SHORTCUT || !Fl::event_command()) return 0;
    if (Fl_Window* tooltip = Fl_Tooltip::current_window()) tooltip->hide();
    if (!Fl::test_shortcut(FL_COMMAND + '0') || !Fl::focus()) return 0;
    const Fl_Window& window = *Fl::focus()->top_window();
    const int screen = Fl::screen_num(window.x(), window.y());
    if (screen >= most_screens) return 0;
    const float fitting = fitting_scale(window, screen);
    if (fitting >= platform_scales[screen]) return 0;  // the toolkit's own fits
    Fl::screen_scale(screen, fitting);
    return 1;
}

// A frame round the view, in the window's margin, while the view has the
// keyboard: nothing may be drawn over the picture itself.
class FocusMark : public Fl_Widget {
public:
    explicit FocusMark(const Fl_Widget& view)
        : Fl_Widget(view.x() - 4, view.y() - 4, view.w() + 8, view.h() + 8, nullptr), view(view)
    {
        clear_visible_focus();
    }
    void draw() override
    {
        if (Fl::focus() != &view) return;
        fl_color(FL_FOREGROUND_COLOR);
        fl_rect(x(), y(), w(), h());
        fl_rect(x() + 1, y() + 1, w() - 2, h() - 2);
    }

private:
    const Fl_Widget& view;
};

// The window's icon, computed rather than read from a file: the cone from
// the front as the view first shows it, apex down, on a transparent ground.
void paint_icon(unsigned char* rgba, int size)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x, rgba += 4) {
            const float height = 1.0f - (static_cast<float>(y) + 0.5f) / static_cast<float>(size);
            const float across = (2.0f * static_cast<float>(x) + 1.0f) / static_cast<float>(size) - 1.0f;
            float r = 0, g = 0, b = 0;
            const bool inside = std::fabs(across) < height;
            if (inside) {
                const float hue = 360.0f - std::acos(across / height) * 180.0f / 3.142f;
                ConeView::hsv_to_rgb(hue, height, height, r, g, b);
            }
            rgba[0] = static_cast<unsigned char>(std::lround(r * 255));
            rgba[1] = static_cast<unsigned char>(std::lround(g * 255));
            rgba[2] = static_cast<unsigned char>(std::lround(b * 255));
            rgba[3] = inside ? 255 : 0;
        }
}

}  // namespace

int main()
{
    choose_language();
    Fl::error = report_error;
#ifdef FLTK_USE_WAYLAND
    Fl::fatal = report_fatal_error;  // before the view, which sets up EGL on Wayland
#endif
    Fl_Window main_window(20, 20, 720, 750, "Velmora");
    main_window.begin();
    auto* view = new ConeView(10, 10, 700, 700, "Velmora");
    auto* value_slider = new Fl_Slider(10, 720, 700, 20, nullptr);
    new FocusMark(*view);
    value_slider->type(FL_HOR_NICE_SLIDER);
    value_slider->value(1.0);
    value_slider->slider_size(0.02);
    value_slider->callback(value_slider_changed, view);
    main_window.end();
    // The view's tooltip is its readout: shown soon after the pointer rests,
    // and kept while it rests there.
    Fl_Tooltip::delay(0.4f);
    Fl_Tooltip::hidedelay(3600.0f);

    // The class and icon let docks and task bars match the window to its
    // desktop entry; the toolkit copies the images. On Wayland the class is
    // the app id, which names the desktop entry itself (FLTK 1.4.3 takes the
    // program's name instead, which the entry's StartupWMClass matches).
    main_window.xclass("velmora");
#ifdef FLTK_USE_WAYLAND
    if (fl_wl_display()) main_window.xclass("org.example.velmora");
#endif
    unsigned char pixels_16[16 * 16 * 4], pixels_32[32 * 32 * 4], pixels_48[48 * 48 * 4];
    paint_icon(pixels_16, 16);
    paint_icon(pixels_32, 32);
    paint_icon(pixels_48, 48);
    const Fl_RGB_Image icon_16(pixels_16, 16, 16, 4), icon_32(pixels_32, 32, 32, 4),
        icon_48(pixels_48, 48, 48, 4);
    const Fl_RGB_Image* icons[] = {&icon_16, &icon_32, &icon_48};
    main_window.icons(icons, 3);

    // The display first: FLTK built without Xinerama sets every screen's
    // scale back to 1 when it first counts the screens, which it would do
    // here, before opening the display reads Xft.dpi and FLTK_SCALING_FACTOR.
    fl_open_display();
    fit_to_screen(main_window);
    Fl::add_handler(zoom_keys);
    // Ctrl = zooms in as Ctrl + does, as in browsers on a US keyboard.
    Fl::option(Fl::OPTION_SIMPLE_ZOOM_SHORTCUT, true);
    main_window.show();
    // A display may offer a GL visual and still refuse a working context
    // (indirect GLX over ssh -X, some remote desktops, broken drivers); the
    // view would stay dead, so end as when there is no visual at all.
    view->make_current();
    const GLubyte* version = view->context() ? glGetString(GL_VERSION) : nullptr;
    if (!version || !*version) Fl::error("Insufficient GL support");
    const int result = Fl::run();
    return result;
}

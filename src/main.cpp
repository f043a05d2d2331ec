#include "cone_view.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Valuator.H>
#include <FL/Fl_Window.H>
#include <FL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    Fl_Window main_window(20, 20, 720, 750, "Velmora");
    main_window.begin();
    auto* view = new ConeView(10, 10, 700, 700, "Velmora");
    auto* value_slider = new Fl_Slider(10, 720, 700, 20, nullptr);
    value_slider->type(FL_HOR_NICE_SLIDER);
    value_slider->value(1.0);
    value_slider->slider_size(0.02);
    value_slider->callback(value_slider_changed, view);
    main_window.end();

    // The class and icon let docks and task bars match the window to its
    // desktop entry; the toolkit copies the images.
    main_window.xclass("velmora");
    unsigned char pixels_16[16 * 16 * 4], pixels_32[32 * 32 * 4], pixels_48[48 * 48 * 4];
    paint_icon(pixels_16, 16);
    paint_icon(pixels_32, 32);
    paint_icon(pixels_48, 48);
    const Fl_RGB_Image icon_16(pixels_16, 16, 16, 4), icon_32(pixels_32, 32, 32, 4),
        icon_48(pixels_48, 48, 48, 4);
    const Fl_RGB_Image* icons[] = {&icon_16, &icon_32, &icon_48};
    main_window.icons(icons, 3);

    Fl::error = report_error;
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

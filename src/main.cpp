#include "cone_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Valuator.H>
#include <FL/Fl_Window.H>

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
    if (std::strcmp(format, "Insufficient GL support") == 0) std::exit(1);
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

    Fl::error = report_error;
    main_window.show();
    const int result = Fl::run();
    return result;
}

// The stand-in's toolkit side: widgets become elements of the page (made
// by web/fl.js), pointer and slider events come back through the exported
// functions below, and frames are drawn on the browser's animation frames
// into a WebGL context made as the toolkit's default GL mode is.
#include "gl_objects.h"

#include <FL/Fl.H>

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>

// The page side, in web/fl.js.
extern "C" {
void page_show_frame(const char* title, int w, int h);
void page_add_icon(const unsigned char* pixels, int w, int h);
void page_add_slider(Fl_Slider* slider, int x, int y, int w, int h, double value, double knob);
void page_add_view(Fl_Gl_Window* view, int x, int y, int w, int h);
}

namespace {

void print_error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

Fl_Window* current_window = nullptr;  // the window new widgets join
Fl_Gl_Window* shown_view = nullptr;   // the page's GL view, once on the page
bool frame_requested = false;

EM_BOOL draw_frame(double, void*)
{
    frame_requested = false;
    shown_view->flush();
    return EM_FALSE;
}

}  // namespace

void (*Fl::error)(const char*, ...) = print_error;
int Fl::e_x = 0;
int Fl::e_y = 0;

void Fl::redraw()
{
    if (frame_requested || !shown_view) return;
    frame_requested = true;
    emscripten_request_animation_frame(draw_frame, nullptr);
}

int Fl::run()
{
    redraw();
    // Return to the browser, keeping main's frame (and the window in it) alive.
    emscripten_exit_with_live_runtime();
}

Fl_Widget::Fl_Widget(int x, int y, int w, int h, const char* label)
    : x_(x), y_(y), w_(w), h_(h), label_(label)
{
    if (current_window) current_window->children_.push_back(this);
}

Fl_Window::Fl_Window(int x, int y, int w, int h, const char* label)
    : Fl_Widget(x, y, w, h, label)
{
    begin();
}

Fl_Window::~Fl_Window()
{
    for (Fl_Widget* child : children_) delete child;
}

void Fl_Window::begin() { current_window = this; }
void Fl_Window::end() { current_window = nullptr; }

void Fl_Window::show()
{
    page_show_frame(label_, w_, h_);
    for (Fl_Widget* child : children_) child->add_to_page();
}

void Fl_Window::icons(const Fl_RGB_Image* images[], int count)
{
    for (int i = 0; i < count; ++i)
        if (images[i]->depth == 4) page_add_icon(images[i]->pixels, images[i]->w, images[i]->h);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_slider_moved(Fl_Slider* slider, double value)
{
    slider->value(value);
    slider->do_callback();
}

void Fl_Slider::add_to_page()
{
    page_add_slider(this, x_, y_, w_, h_, value(), slider_size_ * w_);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_pointer(Fl_Widget* widget, bool drag, int x, int y)
{
    Fl::e_x = x;
    Fl::e_y = y;
    widget->handle(drag ? FL_DRAG : FL_PUSH);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_view_sized(Fl_Gl_Window* view, int w, int h)
{
    view->pixel_size(w, h);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_context_restored(Fl_Gl_Window* view)
{
    view->context_restored();
}

void Fl_Gl_Window::add_to_page()
{
    page_add_view(this, x_, y_, w_, h_);
    shown_view = this;
}

void Fl_Gl_Window::make_current()
{
    if (shown_view != this) return;
    if (context_) {
        emscripten_webgl_make_context_current(context_);
        return;
    }
    // The toolkit's default mode: RGB, double-buffered, with depth; and as
    // on the desktop, no antialiasing. GL 1.1 needs no WebGL extension.
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.enableExtensionsByDefault = EM_FALSE;
    context_ = emscripten_webgl_create_context("#view", &attributes);  // the canvas web/fl.js made
    if (!context_) return;
    emscripten_webgl_make_context_current(context_);
    make_gl_objects();
}

void Fl_Gl_Window::pixel_size(int w, int h)
{
    w_ = w;
    h_ = h;
    invalidate();
    Fl::redraw();
}

void Fl_Gl_Window::context_restored()
{
    make_current();
    make_gl_objects();
    invalidate();
    Fl::redraw();
}

void* Fl_Gl_Window::context() const
{
    return reinterpret_cast<void*>(context_);
}

void Fl_Gl_Window::flush()
{
    make_current();
    // While the browser has taken the context away, nothing is drawn; it
    // says when it gives it back (context_restored).
    if (!context_ || emscripten_is_webgl_context_lost(context_)) return;
    draw();
    valid_ = true;  // the browser shows the frame when this task ends
}

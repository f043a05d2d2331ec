// The stand-in's toolkit side: widgets become elements of the page (made
// by web/fl.js), pointer, key and slider events come back through the
// exported functions below, and frames are drawn on the browser's animation
// frames into a WebGL context made as the toolkit's default GL mode is.
#include "gl_objects.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_draw.H>

#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

// The page side, in web/fl.js.
extern "C" {
void page_show_frame(const char* title, int w, int h);
void page_add_icon(const unsigned char* pixels, int w, int h);
void page_add_slider(Fl_Slider* slider, int x, int y, int w, int h, double value, double knob);
void page_add_view(Fl_Gl_Window* view, int x, int y, int w, int h);
void page_tooltip(const char* text, int x, int y);  // shown there, or with no text hidden
void page_measure(const char* text, int* w, int* h);
void page_screen(int* xywh);
const char* page_gettext(const char* msgid);
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
int Fl::e_keysym = 0;
int Fl::e_state = 0;

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

void Fl::screen_xywh(int& x, int& y, int& w, int& h)
{
    int screen[4];
    page_screen(screen);
    x = screen[0];
    y = screen[1];
    w = screen[2];
    h = screen[3];
}

void fl_measure(const char* text, int& w, int& h, int) { page_measure(text, &w, &h); }

Fl_Widget::Fl_Widget(int x, int y, int w, int h, const char* label)
    : x_(x), y_(y), w_(w), h_(h), label_(label), window_(current_window)
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
    shown_ = true;
    page_show_frame(label_, w_, h_);
    for (Fl_Widget* child : children_) child->add_to_page();
}

void Fl_Window::icons(const Fl_RGB_Image* images[], int count)
{
    for (int i = 0; i < count; ++i)
        if (images[i]->depth == 4) page_add_icon(images[i]->pixels, images[i]->w, images[i]->h);
}

// The tooltip, as the toolkit's (FLTK's Fl_Tooltip.cxx) but for its quicker
// return soon after one has gone: the words for the area last asked for,
// shown a delay() later unless asked again or put away meanwhile, then for
// hidedelay(). Its box is made as it is first shown.
namespace {

const char* tip = nullptr;
int tip_y = 0, tip_h = 0;  // the area the words are for, in its widget
long timer = 0;            // the box's showing, or once shown its hiding

class TooltipBox : public Fl_Window {
public:
    TooltipBox() : Fl_Window(0, 0, 0, 0, nullptr) { end(); }
    void show() override
    {
        if (!tip) return;
        page_tooltip(tip, x_, y_);
        shown_ = true;
    }
    void hide() override
    {
        page_tooltip(nullptr, 0, 0);
        shown_ = false;
    }
};
TooltipBox* box = nullptr;

void after(float seconds, void (*then)(void*))
{
    if (timer) emscripten_clear_timeout(timer);
    timer = then ? emscripten_set_timeout(then, seconds * 1000.0, nullptr) : 0;
}

void hide_box(void*)
{
    timer = 0;
    box->hide();
}

// Beside the pointer for an area the pointer is in, below a smaller one;
// above instead where there is no room below, and always on the screen.
void show_box(void*)
{
    timer = 0;
    if (!box) box = new TooltipBox;
    int w = 0, h = 0, screen_x, screen_y, screen_w, screen_h;
    fl_measure(tip, w, h);
    Fl::screen_xywh(screen_x, screen_y, screen_w, screen_h);
    const bool large = tip_h > 30;
    const int x = std::max(screen_x, std::min(Fl::event_x_root(), screen_x + screen_w - w));
    int y = large ? Fl::event_y_root() + 13 : tip_y + tip_h + 2;
    if (y + h > screen_y + screen_h) y -= large ? 23 + h : 4 + h + tip_h;
    box->resize(x, std::max(screen_y, y), w, h);
    box->show();
    after(Fl_Tooltip::hidedelay(), hide_box);
}

}  // namespace

float Fl_Tooltip::delay_ = 1.0f;
float Fl_Tooltip::hidedelay_ = 12.0f;
Fl_Widget* Fl_Tooltip::widget_ = nullptr;
void (*Fl_Tooltip::exit)(Fl_Widget*) = Fl_Tooltip::exit_;

Fl_Window* Fl_Tooltip::current_window() { return box; }

void Fl_Tooltip::enter_area(Fl_Widget* widget, int, int y, int, int h, const char* text)
{
    if (!text || !*text) return exit_(nullptr);
    if (widget == widget_ && text == tip) return;  // asked already
    widget_ = widget;
    tip = text;
    tip_y = y;
    tip_h = h;
    if (box && box->visible()) box->hide();
    if (delay_ < 0.1f) {
        show_box(nullptr);
    } else {
        after(delay_, show_box);
    }
}

void Fl_Tooltip::exit_(Fl_Widget*)
{
    if (!widget_) return;
    widget_ = nullptr;
    after(0.0f, nullptr);
    if (box && box->visible()) box->hide();
}

void Fl_Tooltip::current(Fl_Widget* widget)
{
    exit_(nullptr);
    if (widget && widget->tooltip()) widget_ = widget;  // as though its words were shown
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_slider_moved(Fl_Slider* slider, double value)
{
    // Only a key or a press moves it, and either puts the tooltip away.
    Fl_Tooltip::exit(nullptr);
    slider->value(value);
    slider->do_callback();
}

void Fl_Slider::add_to_page()
{
    page_add_slider(this, x_, y_, w_, h_, value(), slider_size_ * w_);
}

// As the toolkit does: a press puts the tooltip away, keeping the widget
// pressed as the one whose words would show; the pointer leaving and any key
// put it away for good.
extern "C" EMSCRIPTEN_KEEPALIVE void fl_pointer(Fl_Widget* widget, int event, int x, int y)
{
    Fl::e_x = x;
    Fl::e_y = y;
    if (event == FL_PUSH) Fl_Tooltip::current(widget);
    if (event == FL_LEAVE) Fl_Tooltip::exit(nullptr);
    widget->handle(event);
}

extern "C" EMSCRIPTEN_KEEPALIVE int fl_key(Fl_Widget* widget, int key, int state)
{
    Fl::e_keysym = key;
    Fl::e_state = state;
    Fl_Tooltip::exit(nullptr);
    return widget->handle(FL_KEYBOARD);
}

// The tooltip was placed in the view's old pixels: it goes.
extern "C" EMSCRIPTEN_KEEPALIVE void fl_view_sized(Fl_Gl_Window* view, int w, int h)
{
    Fl_Tooltip::exit(nullptr);
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

const char* gettext(const char* msgid) { return page_gettext(msgid); }

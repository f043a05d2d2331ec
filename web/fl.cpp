// The stand-in's page side: widgets become elements of the page, pointer
// and slider events come back through the exported functions below, and
// frames are drawn on the browser's animation frames. WebGL is had through
// the compiler's GLUT, whose context creation also starts its emulation of
// immediate-mode GL; glutInit is never called, so GLUT takes no input.
#include <FL/Fl.H>

#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>

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

// The window's frame; its children are placed in it at their positions,
// in CSS pixels before the page scales the frame to fit.
EM_JS(void, show_frame, (const char* title, int w, int h), {
    document.title = UTF8ToString(title);
    var frame = document.getElementById('frame');
    frame.style.width = w + 'px';
    frame.style.height = h + 'px';
    Module.place = function(element, x, y, w, h) {
        Object.assign(element.style, {left: x + 'px', top: y + 'px', width: w + 'px', height: h + 'px'});
        frame.appendChild(element);
    };
});

void Fl_Window::show()
{
    show_frame(label_, w_, h_);
    for (Fl_Widget* child : children_) child->add_to_page();
}

// The page's icons, as PNG images made from the window's.
EM_JS(void, add_icon, (const unsigned char* pixels, int w, int h), {
    var canvas = document.createElement('canvas');
    canvas.width = w;
    canvas.height = h;
    var context = canvas.getContext('2d');
    var image = context.createImageData(w, h);
    image.data.set(HEAPU8.subarray(pixels, pixels + w * h * 4));
    context.putImageData(image, 0, 0);
    var link = document.createElement('link');
    link.rel = 'icon';
    link.sizes = w + 'x' + h;
    link.href = canvas.toDataURL();
    document.head.appendChild(link);
});

void Fl_Window::icons(const Fl_RGB_Image* images[], int count)
{
    for (int i = 0; i < count; ++i)
        if (images[i]->depth == 4) add_icon(images[i]->pixels, images[i]->w, images[i]->h);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_slider_moved(Fl_Slider* slider, double value)
{
    slider->value(value);
    slider->do_callback();
}

EM_JS(void, add_slider, (Fl_Slider* slider, int x, int y, int w, int h, double value, double knob), {
    var input = document.createElement('input');
    input.type = 'range';
    input.min = 0;
    input.max = 1;
    input.step = 'any';
    input.value = value;
    input.style.setProperty('--knob', knob + 'px');
    input.oninput = function() { _fl_slider_moved(slider, +input.value); };
    Module.place(input, x, y, w, h);
});

void Fl_Slider::add_to_page()
{
    add_slider(this, x_, y_, w_, h_, value(), slider_size_ * w_);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_pointer(Fl_Widget* widget, bool drag, int x, int y)
{
    Fl::e_x = x;
    Fl::e_y = y;
    widget->handle(drag ? FL_DRAG : FL_PUSH);
}

// A press captures the pointer, so a drag goes on outside the view; any
// mouse button, a pen or a finger turns it. Positions are mapped back into
// the view's own frame when the page is scaled.
EM_JS(void, add_view, (Fl_Gl_Window* view, int x, int y, int w, int h), {
    var canvas = document.createElement('canvas');
    canvas.width = w;
    canvas.height = h;
    function send(drag, e) {
        var box = canvas.getBoundingClientRect();
        _fl_pointer(view, drag, Math.floor((e.clientX - box.left) * w / box.width),
                    Math.floor((e.clientY - box.top) * h / box.height));
    }
    canvas.onpointerdown = function(e) {
        if (!e.isPrimary) return;
        canvas.setPointerCapture(e.pointerId);
        send(false, e);
    };
    canvas.onpointermove = function(e) {
        if (canvas.hasPointerCapture(e.pointerId)) send(true, e);
    };
    canvas.oncontextmenu = function(e) { e.preventDefault(); };
    Module.canvas = canvas;  // where GLUT makes its context
    Module.place(canvas, x, y, w, h);
});

void Fl_Gl_Window::add_to_page()
{
    add_view(this, x_, y_, w_, h_);
    shown_view = this;
}

void Fl_Gl_Window::make_current()
{
    // GLUT's defaults are the toolkit's: RGB, double-buffered, with depth.
    if (shown_view == this && !glut_window_) glut_window_ = glutCreateWindow(label_);
}

void* Fl_Gl_Window::context() const
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(glut_window_));
}

void Fl_Gl_Window::flush()
{
    make_current();
    if (!glut_window_) return;
    draw();
    valid_ = true;  // the browser shows the frame when this task ends
}

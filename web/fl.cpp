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

// The window's frame, scaled as a whole to fill the viewport, up or down,
// and centred. Children are placed at their positions in the window, in
// its units; the view is sized in whole device pixels, so that its drawing
// buffer maps one to one onto the screen at any scale and pixel ratio.
EM_JS(void, show_frame, (const char* title, int w, int h), {
    document.title = UTF8ToString(title);
    var frame = document.getElementById('frame');
    var placed = [];
    Module.fit = function() {
        var root = document.documentElement, ratio = devicePixelRatio || 1;
        // Positions and sizes in steps of whole device pixels (4 CSS pixels
        // at a ratio of 1.25), or the browser resamples the view.
        var grid = 1;
        while (grid < 16 && Math.abs(grid * ratio - Math.round(grid * ratio)) > 0.01) ++grid;
        function snap(css) { return Math.round(css / grid) * grid; }
        var fitted = Math.min(root.clientWidth / w, root.clientHeight / h);
        var view = placed.find(function(item) { return item.resized; });
        var scale = view ? Math.max(grid, Math.floor(view.w * fitted / grid) * grid) / view.w : fitted;
        Object.assign(frame.style, {left: snap((root.clientWidth - w * scale) / 2) + 'px',
                                    top: snap((root.clientHeight - h * scale) / 2) + 'px',
                                    width: w * scale + 'px', height: h * scale + 'px'});
        placed.forEach(function(item) {
            var style = item.element.style;
            if (item.element.type == 'range') {
                // Drawn as on the desktop at every scale, but never less
                // than 24 CSS pixels tall to a finger: the rest of that
                // height is a clear border, kept inside the window.
                var tall = Math.max(item.h, Math.ceil(24 / scale));
                var extra = tall - item.h;
                var above = Math.min(extra, Math.max(extra / 2, item.y + tall - h));
                Object.assign(style, {left: snap(item.x * scale) + 'px', top: (item.y - above) * scale + 'px',
                                      width: item.w + 'px', height: tall + 'px',
                                      borderTopWidth: above + 'px', borderBottomWidth: extra - above + 'px',
                                      transform: 'scale(' + scale + ')'});
                return;
            }
            var width = item.resized ? item.w * scale : snap(item.w * scale);
            var height = item.resized ? item.h * scale : snap(item.h * scale);
            Object.assign(style, {left: snap(item.x * scale) + 'px', top: snap(item.y * scale) + 'px',
                                  width: width + 'px', height: height + 'px'});
            if (item.resized) item.resized(Math.round(width * ratio), Math.round(height * ratio));
        });
    };
    Module.place = function(element, x, y, w, h, resized) {
        placed.push({element: element, x: x, y: y, w: w, h: h, resized: resized});
        frame.appendChild(element);
        Module.fit();
    };
    // Another element in the place of one already placed (a note in the
    // view's place), or, with none, that element removed again.
    Module.replace = function(old, element) {
        var item = placed.find(function(item) { return item.element == old; });
        if (element) {
            placed.push({element: element, x: item.x, y: item.y, w: item.w, h: item.h});
            old.after(element);
        } else {
            placed.splice(placed.indexOf(item), 1);
            old.remove();
        }
        Module.fit();
    };
    addEventListener('resize', Module.fit);
    // A change of pixel ratio alone (a window moved to another screen) is no resize.
    (function watch_ratio() {
        matchMedia('(resolution: ' + devicePixelRatio + 'dppx)')
            .addEventListener('change', function() { Module.fit(); watch_ratio(); }, {once: true});
    })();
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
    // Encoded off the way to the first frame; the page's head has an icon meanwhile.
    canvas.toBlob(function(png) {
        link.href = URL.createObjectURL(png);
        document.head.appendChild(link);
    });
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

// Steps of 0.01, and 0.1 for Page Up and Down, in every browser; the value
// is read out with two decimals.
EM_JS(void, add_slider, (Fl_Slider* slider, int x, int y, int w, int h, double value, double knob), {
    var input = document.createElement('input');
    input.type = 'range';
    input.min = 0;
    input.max = 1;
    input.step = 0.01;
    input.value = value;
    input.setAttribute('aria-label', 'Value');
    input.style.setProperty('--knob', knob + 'px');
    function read_out() { input.setAttribute('aria-valuetext', (+input.value).toFixed(2)); }
    function moved() {
        read_out();
        _fl_slider_moved(slider, +input.value);
    }
    input.oninput = moved;
    input.onkeydown = function(e) {
        var page = {PageUp: 0.1, PageDown: -0.1}[e.key];
        if (!page) return;
        e.preventDefault();
        input.value = Math.round(+input.value * 100 + page * 100) / 100;
        moved();
    };
    read_out();
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

extern "C" EMSCRIPTEN_KEEPALIVE void fl_view_sized(Fl_Gl_Window* view, int w, int h)
{
    view->pixel_size(w, h);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fl_context_restored(Fl_Gl_Window* view)
{
    view->context_restored();
}

// A press captures the pointer, so a drag goes on outside the view; any
// mouse button, a pen or a finger turns it. Positions are in drawing-buffer
// pixels, as the view's size is. The arrow keys drag a pointer of their own,
// pressed at the view's centre: from the tilt at start-up each press turns
// the cone by 5 degrees (72 steps to a turn, 36 from below to above).
// While the browser has taken the GL context away, a note stands in the
// view's place; when it gives the context back, the view draws again.
EM_JS(void, add_view, (Fl_Gl_Window* view, int x, int y, int w, int h), {
    var canvas = document.createElement('canvas');
    canvas.tabIndex = 0;
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', 'The HSV colour cone: hue goes round its axis, saturation ' +
                        'out from the axis, value up it. Drag it, or use the arrow keys, to turn it.');
    var keys = null;  // the arrow keys' pointer, once pressed
    function send(drag, e) {
        var box = canvas.getBoundingClientRect();
        _fl_pointer(view, drag, Math.floor((e.clientX - box.left) * canvas.width / box.width),
                    Math.floor((e.clientY - box.top) * canvas.height / box.height));
    }
    canvas.onpointerdown = function(e) {
        if (!e.isPrimary) return;
        keys = null;
        canvas.setPointerCapture(e.pointerId);
        send(false, e);
    };
    canvas.onpointermove = function(e) {
        if (canvas.hasPointerCapture(e.pointerId)) send(true, e);
    };
    canvas.oncontextmenu = function(e) { e.preventDefault(); };
    canvas.onkeydown = function(e) {
        var step = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]}[e.key];
        if (!step || e.altKey || e.ctrlKey || e.metaKey) return;
        e.preventDefault();
        var w = canvas.width, h = canvas.height;
        if (!keys) {
            keys = {x: w >> 1, y: h >> 1};
            _fl_pointer(view, false, keys.x, keys.y);
        }
        keys.x += step[0] * w / 72;
        keys.y = Math.min(h - 1, Math.max(1, keys.y + step[1] * h / 36));
        _fl_pointer(view, true, Math.round(keys.x), Math.round(keys.y));
    };
    var lost = document.createElement('div');
    lost.className = 'note';
    lost.setAttribute('role', 'status');
    lost.textContent = 'The view has lost its graphics; it comes back when the browser restores them.';
    canvas.addEventListener('webglcontextlost', function(e) {
        e.preventDefault();  // or the browser never gives it back
        canvas.style.visibility = 'hidden';
        Module.replace(canvas, lost);
    });
    canvas.addEventListener('webglcontextrestored', function() {
        Module.replace(lost);
        canvas.style.visibility = 'visible';
        Module.ctx = null;  // so that GLUT makes its context anew
        // The GL emulation would take the old context's objects for current.
        GLImmediate.fixedFunctionProgram = GLImmediate.currentRenderer = GLImmediate.lastRenderer =
            GLImmediate.lastArrayBuffer = GLImmediate.lastProgram = null;
        GL.enabledClientAttribIndices = [];
        _fl_context_restored(view);
    });
    Module.canvas = canvas;  // where GLUT makes its context
    Module.place(canvas, x, y, w, h, function(w, h) {
        if (canvas.width == w && canvas.height == h) return;
        canvas.width = w;
        canvas.height = h;
        keys = null;
        _fl_view_sized(view, w, h);
    });
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

void Fl_Gl_Window::pixel_size(int w, int h)
{
    w_ = w;
    h_ = h;
    invalidate();
    Fl::redraw();
}

void Fl_Gl_Window::context_restored()
{
    glut_window_ = 0;
    invalidate();
    Fl::redraw();
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

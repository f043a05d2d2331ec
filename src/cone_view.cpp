#include "cone_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_draw.H>
#include <FL/gl.h>
#ifdef FLTK_USE_WAYLAND
#include <FL/platform.H>
#endif

#include <algorithm>
#include <cmath>

ConeView::ConeView(int x, int y, int w, int h, const char* label)
    : Fl_Gl_Window(x, y, w, h, label), theta(0.0), phi(1.571), value(1.0f),
      phi_per_pixel_up(0.0), phi_per_pixel_down(0.0), theta_per_pixel(0.0),
      press_theta(0.0), press_phi(0.0), press_x(0), press_y(0), key_dragging(false), key_x(0.0),
      key_y(0.0), words(), pointer_x(-1), pointer_y(-1)
{
    // The tooltip is the view's own, its text always these words.
    tooltip(words);
}

ConeView::ConeView(int w, int h, const char* label)
    : Fl_Gl_Window(w, h, label), theta(0.0), phi(1.571), value(1.0f),
      phi_per_pixel_up(0.0), phi_per_pixel_down(0.0), theta_per_pixel(0.0),
      press_theta(0.0), press_phi(0.0), press_x(0), press_y(0), key_dragging(false), key_x(0.0),
      key_y(0.0), words(), pointer_x(-1), pointer_y(-1)
{
    // The tooltip is the view's own, its text always these words.
    tooltip(words);
}

void ConeView::set_value(float v)
{
    value = v;
    invalidate();
    Fl::redraw();
}

void ConeView::hsv_to_rgb(float h, float s, float v, float& r, float& g, float& b)
{
    // Written as "not >= 0" so that a NaN clamps to 0 too.
    if (s > 1.0f) s = 1.0f;
    if (!(s >= 0.0f)) s = 0.0f;
    if (v > 1.0f) v = 1.0f;
    if (!(v >= 0.0f)) v = 0.0f;

    // A hue that is not a number carries no colour: grey, like saturation 0.
    if (s == 0.0f || !std::isfinite(h)) {
        r = g = b = v;
        return;
    }

    // Wrap into [0, 360); a tiny negative remainder plus 360 rounds to 360.
    double wrapped = std::fmod(static_cast<double>(h), 360.0);
    if (wrapped < 0.0) wrapped += 360.0;
    h = static_cast<float>(wrapped);
    if (h >= 360.0f) h = 0.0f;

    const float h6 = h / 60.0f;
    const int i = static_cast<int>(std::floor(h6));
    const float f = h6 - static_cast<float>(i);
    const float p = (1.0f - s) * v;
    const float q = (1.0f - s * f) * v;
    const float t = (1.0f - (1.0f - f) * s) * v;

    switch (i) {
    case 0: r = v; g = t; b = p; break;
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    default: r = v; g = p; b = q; break;  // 5: the wrap keeps i in 0..5
    }
}

unsigned ConeView::rgb_of(const ConePoint& point)
{
    float r, g, b;
    hsv_to_rgb(point.hue, point.saturation, point.value, r, g, b);
    return static_cast<unsigned>(std::lround(r * 255)) << 16 | static_cast<unsigned>(std::lround(g * 255)) << 8 |
           static_cast<unsigned>(std::lround(b * 255));
}

namespace {

// Hands the tessellation straight to immediate-mode GL.
struct GlSink {
    void begin_strip() { glBegin(GL_TRIANGLE_STRIP); }
    void vertex(float x, float y, float z, float r, float g, float b)
    {
        glColor3f(r, g, b);
        glVertex3f(x, y, z);
    }
    void end_strip() { glEnd(); }
};

}  // namespace

void ConeView::draw_top() const
{
    GlSink sink;
    tessellate(Surface::top, value, sink);
}

void ConeView::draw_side() const
{
    GlSink sink;
    tessellate(Surface::side, value, sink);
}

void ConeView::draw()
{
    if (!valid()) {
        // No matrix mode is chosen: a fresh context has model-view current,
        // and the push/pop below keeps it intact between frames. The
        // viewport is in drawing-buffer pixels, which on a scaled screen
        // outnumber the window units of w() and h().
        glViewport(0, 0, pixel_w(), pixel_h());
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -2, 2);
        glClearColor(0.5, 0.5, 0.5, 1.0);
        glEnable(GL_DEPTH_TEST);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glRotated(phi * 180.0 / half_turn - 180.0, 1, 0, 0);
    glRotated(theta * 180.0 / half_turn, 0, 0, 1);
    glTranslatef(0, 0, -1);
    draw_top();
    draw_side();
    glPopMatrix();
}

int ConeView::handle(int event)
{
    switch (event) {
    case FL_PUSH:
        key_dragging = false;  // keys start again from the centre
        // Nothing to say while dragging: the toolkit would show the view's
        // tooltip as a drag comes back into it.
        words[0] = '\0';
        if (Fl::focus() != this) take_focus();
        on_push();
        return 1;
    case FL_DRAG: on_drag(); return 1;
    case FL_RELEASE:
        // A tap, pressed and released without turning, asks what it is.
        if (theta == press_theta && phi == press_phi) say_words(Fl::event_x(), Fl::event_y(), false);
        return Fl_Gl_Window::handle(event);
    case FL_ENTER:
    case FL_MOVE:
        Fl_Gl_Window::handle(event);
        // Windows also reports a pointer that stayed, when a window shows
        // under it; the words after a key stay until it moves. A drag that
        // comes back into the view enters it with its button held: no words.
        if (!Fl::event_buttons() && (Fl::event_x() != pointer_x || Fl::event_y() != pointer_y)) {
            pointer_x = Fl::event_x();
            pointer_y = Fl::event_y();
            say_words(pointer_x, pointer_y, false);
        }
        return 1;
    case FL_FOCUS:
    case FL_UNFOCUS:
        // The window's margin shows where the keyboard is; the picture stays.
        if (Fl_Window* outer = window()) outer->redraw();
        return 1;
    case FL_KEYBOARD: return on_key();
    default: return Fl_Gl_Window::handle(event);
    }
}

void ConeView::on_push() { press_at(Fl::event_x(), Fl::event_y()); }

void ConeView::on_drag() { drag_to(Fl::event_x(), Fl::event_y()); }

void ConeView::press_at(int x, int y)
{
    press_x = x;
    press_y = y;
    // Keep both divisors below away from zero.
    if (press_y == 0) press_y += 1;
    if (press_y == h()) press_y -= 1;
    // Moving up lowers the tilt towards 0 and moving down raises it towards
    // half a turn, so each scale is the distance left in its own direction;
    // the tilt then stays within 0 .. 3.142 however many drags follow.
    phi_per_pixel_up = phi / press_y;
    phi_per_pixel_down = (half_turn - phi) / (h() - press_y);
    theta_per_pixel = full_turn / w();
    press_theta = theta;
    press_phi = phi;
}

void ConeView::drag_to(int x, int y)
{
    // Only the tilt is bounded; the spin goes on as the pointer leaves sideways.
    if (y >= h()) y = h() - 1;
    if (y <= 0) y = 1;
    theta = press_theta - static_cast<double>(press_x - x) * theta_per_pixel;
    const double phi_per_pixel = y < press_y ? phi_per_pixel_up : phi_per_pixel_down;
    phi = press_phi - static_cast<double>(press_y - y) * phi_per_pixel;
    invalidate();
    Fl::redraw();
}

// An arrow key drags the keys' pointer a 72nd of the view's width sideways
// or a 36th of its height up or down: 5 degrees a press from the start-up
// tilt. A view resized since (the page's) starts again from its centre.
int ConeView::on_key()
{
    int right = 0, down = 0;
    switch (Fl::event_key()) {
    case FL_Left: right = -1; break;
    case FL_Right: right = 1; break;
    case FL_Up: down = -1; break;
    case FL_Down: down = 1; break;
    default: return 0;
    }
    if (Fl::event_state() & (FL_ALT | FL_CTRL | FL_META)) return 0;
    if (!key_dragging || theta_per_pixel != full_turn / w()) {
        const int centre_x = w() / 2, centre_y = h() / 2;  // whole pixels, as a pointer's
        key_dragging = true;
        key_x = centre_x;
        key_y = centre_y;
        press_at(centre_x, centre_y);
    }
    key_x += right * w() / 72.0;
    key_y = std::min(h() - 1.0, std::max(1.0, key_y + down * h() / 36.0));
    drag_to(static_cast<int>(std::floor(key_x + 0.5)), static_cast<int>(std::floor(key_y + 0.5)));
    say_words(w() / 2, h() / 2, true);
    return 1;
}

// Puts the words for the colour at (x, y) in the toolkit's tooltip, none
// over the background. From the pointer, the tooltip first waits for it to
// rest, then follows it at once; after a key it shows at once, beside the
// centre, where the words are for.
void ConeView::say_words(int x, int y, bool by_keys)
{
    ConePoint point;
    if (!point_at(x, y, w(), h(), theta, phi, value, point)) {
        words[0] = '\0';
        Fl_Tooltip::exit(this);
        return;
    }
    describe(point, rgb_of(point), words, sizeof words);

    Fl_Window* box = Fl_Tooltip::current_window();
    if (!by_keys && !(box && box->visible() && Fl_Tooltip::current() == this)) {
        // Asked anew, so that it waits until the pointer rests.
        Fl_Tooltip::exit(this);
        Fl_Tooltip::enter_area(this, 0, 0, w(), h(), words);
        return;
    }
    if (!box) {
        // The toolkit makes its box as it first shows it: at once, for keys.
        const float delay = Fl_Tooltip::delay();
        Fl_Tooltip::delay(0.0f);
        Fl_Tooltip::enter_area(this, x, y, 1, 1, words);
        Fl_Tooltip::delay(delay);
        if (!(box = Fl_Tooltip::current_window())) return;
    }
    if (Fl_Tooltip::current() != this) Fl_Tooltip::current(this);  // a key took it away
    // Below and right of the point, as the toolkit places it.
    fl_font(Fl_Tooltip::font(), Fl_Tooltip::size());
    int text_w = Fl_Tooltip::wrap_width(), text_h = 0;
    fl_measure(words, text_w, text_h, 0);
    const int box_w = text_w + 2 * Fl_Tooltip::margin_width(), box_h = text_h + 2 * Fl_Tooltip::margin_height();
    int screen_x, screen_y, screen_w, screen_h;
    Fl::screen_xywh(screen_x, screen_y, screen_w, screen_h);
    const int left = by_keys ? x_root() + x : Fl::event_x_root();
    const int top = (by_keys ? y_root() + y : Fl::event_y_root()) + 13;
#ifdef FLTK_USE_WAYLAND
    // There a shown tooltip can be neither moved nor resized (the toolkit
    // ends the program trying), so it is shown anew.
    if (fl_wl_display()) box->hide();
#endif
    box->resize(std::max(screen_x, std::min(left, screen_x + screen_w - box_w)),
                top + box_h > screen_y + screen_h ? top - 23 - box_h : top, box_w, box_h);
    box->show();
    box->redraw();  // new words, perhaps in a box of the same size
}

#include "cone_view.h"

#include <FL/Fl.H>
#include <FL/gl.h>

#include <cmath>

ConeView::ConeView(int x, int y, int w, int h, const char* label)
    : Fl_Gl_Window(x, y, w, h, label), theta(0.0), phi(1.571), value(1.0f),
      phi_per_pixel_up(0.0), phi_per_pixel_down(0.0), theta_per_pixel(0.0),
      press_theta(0.0), press_phi(0.0), press_x(0), press_y(0)
{
}

ConeView::ConeView(int w, int h, const char* label)
    : Fl_Gl_Window(w, h, label), theta(0.0), phi(1.571), value(1.0f),
      phi_per_pixel_up(0.0), phi_per_pixel_down(0.0), theta_per_pixel(0.0),
      press_theta(0.0), press_phi(0.0), press_x(0), press_y(0)
{
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
    case FL_PUSH: on_push(); return 1;
    case FL_DRAG: on_drag(); return 1;
    default: return Fl_Gl_Window::handle(event);
    }
}

void ConeView::on_push()
{
    press_x = Fl::event_x();
    press_y = Fl::event_y();
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

void ConeView::on_drag()
{
    const int x = Fl::event_x();
    int y = Fl::event_y();
    // Only the tilt is bounded; the spin goes on as the pointer leaves sideways.
    if (y >= h()) y = h() - 1;
    if (y <= 0) y = 1;
    theta = press_theta - static_cast<double>(press_x - x) * theta_per_pixel;
    const double phi_per_pixel = y < press_y ? phi_per_pixel_up : phi_per_pixel_down;
    phi = press_phi - static_cast<double>(press_y - y) * phi_per_pixel;
    invalidate();
    Fl::redraw();
}

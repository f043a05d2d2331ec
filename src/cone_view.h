// The OpenGL view of the HSV colour cone: orientation, cut value, colour
// conversion, tessellation and mouse rotation.
#pragma once

#include "readout.h"

#include <FL/Fl_Gl_Window.H>

#include <cmath>

constexpr int cone_slices = 32;  // angular steps per ring
constexpr int cone_rings = 4;    // concentric strips per surface

class ConeView : public Fl_Gl_Window {
public:
    double theta;  // spin about the cone's own axis, radians
    double phi;    // tilt of the axis, radians
    float value;   // HSV value at which the cone is cut
    // Drag state fixed at the press.
    double phi_per_pixel_up;
    double phi_per_pixel_down;
    double theta_per_pixel;
    double press_theta;
    double press_phi;
    int press_x;
    int press_y;
    // The arrow keys drag a pointer of their own from the view's centre.
    bool key_dragging;
    double key_x;
    double key_y;
    // What the toolkit's tooltip says: the colour at the pointer, or after
    // a key the one facing the viewer; and where the pointer was last.
    char words[160];
    int pointer_x;
    int pointer_y;

    ConeView(int x, int y, int w, int h, const char* label);
    ConeView(int w, int h, const char* label);

    void set_value(float v);
    void draw() override;
    int handle(int event) override;

    // Reads no field; static so that it can be used without a view.
    static void hsv_to_rgb(float h, float s, float v, float& r, float& g, float& b);
    // A point's colour as the readout gives it, 8 bits a channel: 0xRRGGBB.
    static unsigned rgb_of(const ConePoint& point);

    enum class Surface : unsigned char { top, side };

    // Walks the four triangle strips of one surface, calling
    // begin_strip(), vertex(x, y, z, r, g, b) for each of its 66 vertices,
    // and end_strip(). Both surfaces put a vertex of saturation s and
    // value v at radius s and height 2 v; they differ only in v.
    template <class Sink>
    static void tessellate(Surface surface, float value, Sink& sink);

private:
    void draw_top() const;
    void draw_side() const;
    void on_push();
    void on_drag();
    void press_at(int x, int y);
    void drag_to(int x, int y);
    int on_key();
    void say_words(int x, int y, bool by_keys);
};

template <class Sink>
void ConeView::tessellate(Surface surface, float value, Sink& sink)
{
    const float angle_step = full_turn / cone_slices;
    const float ring_step = value / cone_rings;
    float r = 0.0f;
    for (int ring = 0; ring < cone_rings; ++ring) {
        const float r2 = r + ring_step;
        const float v_in = surface == Surface::top ? value : r;
        const float v_out = surface == Surface::top ? value : r2;
        sink.begin_strip();
        float a = 0.0f;
        for (int i = 0; i <= cone_slices; ++i) {
            const float hue = a * 180.0f / 3.142f;
            const double c = std::cos(static_cast<double>(a));
            const double s = std::sin(static_cast<double>(a));
            float red, green, blue;
            hsv_to_rgb(hue, r, v_in, red, green, blue);
            sink.vertex(static_cast<float>(c * r), static_cast<float>(s * r), 2 * v_in,
                        red, green, blue);
            hsv_to_rgb(hue, r2, v_out, red, green, blue);
            sink.vertex(static_cast<float>(c * r2), static_cast<float>(s * r2), 2 * v_out,
                        red, green, blue);
            a += angle_step;
        }
        sink.end_strip();
        r += ring_step;
    }
}

#include "readout.h"

#include <libintl.h>

#include <cmath>
#include <cstdio>

// Marks words for the catalogues that are translated where they are used.
#define N_(text) text

namespace {

struct Vector {
    double x, y, z;
};

// Undoes the view's tilt about the x axis and then its spin about the
// cone's axis. GL turns by degrees with the true pi, so this does too.
Vector unturn(Vector v, double tilt_degrees, double spin_degrees)
{
    const double degree = std::acos(-1.0) / 180.0;
    const double ct = std::cos(tilt_degrees * degree), st = std::sin(tilt_degrees * degree);
    v = {v.x, ct * v.y + st * v.z, ct * v.z - st * v.y};
    const double cs = std::cos(spin_degrees * degree), ss = std::sin(spin_degrees * degree);
    return {cs * v.x + ss * v.y, cs * v.y - ss * v.x, v.z};
}

// The numbers as the words show them: whole degrees, hundredths.
struct Shown {
    int hue, saturation, value;
};

Shown shown(const ConePoint& point)
{
    return {static_cast<int>(std::lround(point.hue)) % 360, static_cast<int>(std::lround(point.saturation * 100)),
            static_cast<int>(std::lround(point.value * 100))};
}

}  // namespace

bool point_at(int x, int y, int w, int h, double theta, double phi, float value, ConePoint& point)
{
    if (!(value > 0.0f) || w <= 0 || h <= 0) return false;
    // The pixel's centre in the view box (-2 to 2 each way), looking along
    // -z, taken back through the view's turns into the cone's own frame,
    // where the apex is at the origin and the top disk at height 2 value.
    const double tilt = phi * 180.0 / half_turn - 180.0, spin = theta * 180.0 / half_turn;
    Vector from = unturn({4.0 * (x + 0.5) / w - 2.0, 2.0 - 4.0 * (y + 0.5) / h, 0.0}, tilt, spin);
    from.z += 1.0;
    const Vector toward_viewer = unturn({0.0, 0.0, 1.0}, tilt, spin);
    const auto at = [&](double t) {
        return Vector{from.x + t * toward_viewer.x, from.y + t * toward_viewer.y, from.z + t * toward_viewer.z};
    };

    // Of the crossings within the view box's depth, the nearest the viewer
    // (the largest t) is the one the depth test keeps.
    const double top = 2.0 * value, radius = value;
    double nearest = -3.0;
    bool on_top = false;
    const auto seen = [&](double t, bool top_disk) {
        if (t >= -2.0 && t <= 2.0 && t > nearest) {
            nearest = t;
            on_top = top_disk;
        }
    };
    if (toward_viewer.z != 0.0) {
        const double t = (top - from.z) / toward_viewer.z;
        const Vector p = at(t);
        if (p.x * p.x + p.y * p.y <= radius * radius) seen(t, true);
    }
    // The side: x² + y² = (z / 2)², for z from 0 to the top.
    const Vector& o = from;
    const Vector& d = toward_viewer;
    const double a = d.x * d.x + d.y * d.y - d.z * d.z / 4;
    const double b = 2 * (o.x * d.x + o.y * d.y - o.z * d.z / 4);
    const double c = o.x * o.x + o.y * o.y - o.z * o.z / 4;
    double roots[2];
    int count = 0;
    if (std::fabs(a) < 1e-12) {
        if (b != 0.0) roots[count++] = -c / b;
    } else if (const double discriminant = b * b - 4 * a * c; discriminant >= 0.0) {
        roots[count++] = (-b + std::sqrt(discriminant)) / (2 * a);
        roots[count++] = (-b - std::sqrt(discriminant)) / (2 * a);
    }
    for (int i = 0; i < count; ++i) {
        const double z = at(roots[i]).z;
        if (z >= 0.0 && z <= top) seen(roots[i], false);
    }
    if (nearest < -2.0) return false;

    // Hue from the angle as the picture's colours are made from it. The
    // angle is the true one, measured from the x axis by its cosine (acos,
    // which the program has already), a true turn less it below the axis.
    const Vector p = at(nearest);
    const double out = std::sqrt(p.x * p.x + p.y * p.y);
    double angle = out > 0.0 ? std::acos(std::fmax(-1.0, std::fmin(1.0, p.x / out))) : 0.0;
    if (p.y < 0.0) angle = 2.0 * std::acos(-1.0) - angle;
    point.hue = static_cast<float>(angle) * 180.0f / 3.142f;
    if (on_top) {
        point.value = value;
        point.saturation = std::fmin(static_cast<float>(out), value);
    } else {
        point.value = static_cast<float>(p.z / 2);
        point.saturation = point.value;
    }
    return true;
}

const char* colour_name(const ConePoint& point)
{
    // Judged on the numbers as shown, so that the name agrees with them.
    const Shown s = shown(point);
    // TRANSLATORS: the colour names are the readout's last word, as a
    // teacher would name the colour to a class: the darkest (value under
    // 0.15) is black; nearly unsaturated ones (under 0.15) are greys; the
    // rest are twelve hues, each 30 degrees wide (red round 0, orange 30,
    // yellow 60, chartreuse 90, green 120, spring green 150, cyan 180, azure
    // 210, blue 240, violet 270, magenta 300, rose 330), dark where the
    // value is under 0.6, else pale where the saturation is under 0.5.
    if (s.value < 15) return N_("black");
    if (s.saturation < 15) {
        if (s.value < 40) return N_("dark grey");
        if (s.value < 70) return N_("grey");
        if (s.value < 90) return N_("light grey");
        return N_("white");
    }
    // Twelve hues, each 30 degrees wide and centred on its name's.
    static const char* const hues[3][12] = {
        {N_("red"), N_("orange"), N_("yellow"), N_("chartreuse"), N_("green"), N_("spring green"), N_("cyan"),
         N_("azure"), N_("blue"), N_("violet"), N_("magenta"), N_("rose")},
        {N_("dark red"), N_("dark orange"), N_("dark yellow"), N_("dark chartreuse"), N_("dark green"),
         N_("dark spring green"), N_("dark cyan"), N_("dark azure"), N_("dark blue"), N_("dark violet"),
         N_("dark magenta"), N_("dark rose")},
        {N_("pale red"), N_("pale orange"), N_("pale yellow"), N_("pale chartreuse"), N_("pale green"),
         N_("pale spring green"), N_("pale cyan"), N_("pale azure"), N_("pale blue"), N_("pale violet"),
         N_("pale magenta"), N_("pale rose")}};
    const int shade = s.value < 60 ? 1 : s.saturation < 50 ? 2 : 0;
    return hues[shade][(s.hue + 15) / 30 % 12];
}

void describe(const ConePoint& point, unsigned rgb, char* text, std::size_t size)
{
    const Shown s = shown(point);
    // TRANSLATORS: the readout, one line: hue in whole degrees, saturation
    // and value each as a whole number and two decimals, the colour as
    // #RRGGBB and its name. Write H, S and V as your schools write the
    // model's letters, and the decimal mark as your language does ("0,50").
    // Keep the numbers and the colour in this order.
    std::snprintf(text, size, gettext("H %d°  S %d.%02d  V %d.%02d  #%02X%02X%02X  %s"), s.hue,
                  s.saturation / 100, s.saturation % 100, s.value / 100, s.value % 100, rgb >> 16 & 0xff,
                  rgb >> 8 & 0xff, rgb & 0xff,
                  gettext(colour_name(point)));
}

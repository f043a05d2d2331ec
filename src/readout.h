// The readout: which colour of the cone the view shows at a pixel, and the
// words that say it. Pure arithmetic, shared by every platform.
#pragma once

#include <cstddef>

// The whole program works with these approximations of pi and 2 pi; the
// picture depends on them, so they must not be "improved".
constexpr double half_turn = 3.142;
constexpr double full_turn = 6.284;

// A colour as the cone places it: hue round the axis, saturation out from
// it, value up it.
struct ConePoint {
    float hue;         // degrees, 0 to just under 360
    float saturation;  // distance from the axis
    float value;       // half the height
};

// The point of the cone's surface that a w x h view, turned by theta, tilted
// by phi and cut at value, shows at pixel (x, y) of its own frame (origin at
// the top left): the nearer of the top disk and the side, as the depth test
// keeps it. False where the pixel shows the background.
bool point_at(int x, int y, int w, int h, double theta, double phi, float value, ConePoint& point);

// One line for the colour, such as "H 120°  S 0.50  V 0.80  #66CC66  green",
// in UTF-8, given its 8-bit red, green and blue as 0xRRGGBB.
void describe(const ConePoint& point, unsigned rgb, char* text, std::size_t size);

// The colour's name: black, a grey or white where the value or the
// saturation is low, else one of twelve hues, darker or paler.
const char* colour_name(const ConePoint& point);

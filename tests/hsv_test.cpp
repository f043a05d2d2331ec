#include "cone_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Case {
    float h, s, v;
    float r, g, b;
};

void expect_colour(const Case& c)
{
    // Start from garbage so that an output left unwritten shows.
    float r = -7.0f, g = -7.0f, b = -7.0f;
    ConeView::hsv_to_rgb(c.h, c.s, c.v, r, g, b);
    SCOPED_TRACE(testing::Message() << "hsv(" << c.h << ", " << c.s << ", " << c.v << ")");
    EXPECT_NEAR(r, c.r, 1e-4f);
    EXPECT_NEAR(g, c.g, 1e-4f);
    EXPECT_NEAR(b, c.b, 1e-4f);
}

const float infinity = std::numeric_limits<float>::infinity();
const float not_a_number = std::numeric_limits<float>::quiet_NaN();

}  // namespace

TEST(HsvToRgb, SectorsWrapsAndClamps)
{
    const Case cases[] = {
        {0, 1, 1, 1, 0, 0},       {60, 1, 1, 1, 1, 0},   {120, 1, 1, 0, 1, 0},
        {180, 1, 1, 0, 1, 1},     {240, 1, 1, 0, 0, 1},  {300, 1, 1, 1, 0, 1},
        {30, 1, 1, 1, 0.5f, 0},   {0, 0.5f, 1, 1, 0.5f, 0.5f},
        {360, 1, 1, 1, 0, 0},     {420, 1, 1, 1, 1, 0},
        {123, 0, 0.3f, 0.3f, 0.3f, 0.3f},  // grey whatever the hue
        {240, 1.7f, 1, 0, 0, 1},           // saturation clamped to 1
        {120, 1, -0.2f, 0, 0, 0},          // value clamped to 0: black
        {90, 1, 3, 0.5f, 1, 0},            // value clamped to 1
        {359.9999f, 1, 1, 1, 0, 0},        // last sector: a red
        {-30, 0, 0.4f, 0.4f, 0.4f, 0.4f},  // grey decided before the hue is used
        {-360, 1, 1, 1, 0, 0},
        {270, 0.5f, 0.5f, 0.375f, 0.25f, 0.5f},  // the cone's front at half height
    };
    for (const Case& c : cases) expect_colour(c);
}

TEST(HsvToRgb, NegativeAndNonFiniteInputsGiveASoundColour)
{
    const Case cases[] = {
        {-30, 1, 1, 1, 0, 0.5f},   // hue 330
        {-1e-7f, 1, 1, 1, 0, 0},   // wraps to just under 360, which rounds to 0
        {-390, 1, 1, 1, 0, 0.5f},
        {-1e9f, 1, 1, 2 / 3.0f, 1, 0},  // remainder -280: hue 80
        {not_a_number, 1, 0.6f, 0.6f, 0.6f, 0.6f},
        {infinity, 1, 0.6f, 0.6f, 0.6f, 0.6f},
        {-infinity, 1, 2, 1, 1, 1},
        {0, not_a_number, 1, 1, 1, 1},      // NaN saturation is 0: grey
        {0, 1, not_a_number, 0, 0, 0},      // NaN value is 0: black
    };
    for (const Case& c : cases) expect_colour(c);
    // Every output is written and in range over a sweep of awkward hues.
    for (float h = -1000.0f; h <= 1000.0f; h += 0.37f) {
        float rgb[3] = {not_a_number, not_a_number, not_a_number};
        ConeView::hsv_to_rgb(h, 1, 1, rgb[0], rgb[1], rgb[2]);
        for (float c : rgb) ASSERT_TRUE(c >= 0.0f && c <= 1.0f) << "hue " << h;
    }
}

#include "readout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ConePoint seen(int x, int y, double theta, double phi, float value = 1.0f)
{
    ConePoint point{-1, -1, -1};
    EXPECT_TRUE(point_at(x, y, 700, 700, theta, phi, value, point)) << x << ", " << y;
    return point;
}

void expect_point(const ConePoint& point, float hue, float saturation, float value)
{
    EXPECT_NEAR(point.hue, hue, 0.5f);
    EXPECT_NEAR(point.saturation, saturation, 0.01f);
    EXPECT_NEAR(point.value, value, 0.01f);
}

std::string words(float hue, float saturation, float value, unsigned rgb = 0)
{
    char text[160];
    describe({hue, saturation, value}, rgb, text, sizeof text);
    return text;
}

}  // namespace

// Upright at start (apex down, hue 270 facing the viewer), after a quarter
// turn, from above, and tilted 45 degrees either way: the tilt's sign decides
// whether the view's centre shows the top disk's rim or the side low down.
TEST(Readout, PointsKnownByHand)
{
    expect_point(seen(350, 350, 0, 1.571), 270, 0.5f, 0.5f);      // the front at half height
    expect_point(seen(350, 175, 0, 1.571), 270, 1, 1);            // the rim facing the viewer
    EXPECT_LT(seen(350, 520, 0, 1.571).value, 0.02f);             // just above the apex
    expect_point(seen(350, 350, 1.571, 1.571), 180, 0.5f, 0.5f);  // a quarter turn right
    expect_point(seen(350, 350, 0, 3.142), seen(350, 350, 0, 3.142).hue, 0, 1);  // the top disk's centre
    expect_point(seen(350, 349, 0, 2.356), 270, 1, 1);            // the rim, tilted towards the viewer
    expect_point(seen(350, 349, 0, 0.786), 270, 0.33f, 0.33f);    // the side, tilted away
    expect_point(seen(350, 351, 0, 1.571, 0.5f), 270, 0.5f, 0.5f);  // the top disk's rim, cut at 0.5
    expect_point(seen(176, 176, 0, 1.571), 185, 1, 1);            // near the left-hand edge: cyan
    // The grey ground, beside the cone and all round a cone cut to nothing.
    ConePoint point;
    EXPECT_FALSE(point_at(5, 5, 700, 700, 0, 1.571, 1, point));
    EXPECT_FALSE(point_at(524, 176, 700, 700, 0, 1.571, 1, point));
    EXPECT_FALSE(point_at(350, 350, 700, 700, 0, 1.571, 0, point));
}

TEST(Readout, WordsAndNames)
{
    EXPECT_EQ(words(120, 0.5f, 0.8f, 0x66cc66), "H 120°  S 0.50  V 0.80  #66CC66  green");
    EXPECT_EQ(words(359.6f, 0.995f, 1, 0xff0002), "H 0°  S 1.00  V 1.00  #FF0002  red");
    // Judged on the numbers as shown: the edges of the greys, of dark and
    // pale, and of the twelve hues 30 degrees wide.
    const struct {
        float hue, saturation, value;
        const char* name;
    } names[] = {{0, 1, 0.144f, "black"},      {0, 1, 0.15f, "dark red"},      {200, 0.144f, 0.39f, "dark grey"},
                 {200, 0.15f, 0.39f, "dark azure"}, {200, 0.14f, 0.4f, "grey"}, {200, 0.14f, 0.7f, "light grey"},
                 {200, 0.14f, 0.9f, "white"},
                 {60, 0.15f, 0.59f, "dark yellow"}, {60, 0.49f, 0.6f, "pale yellow"}, {60, 0.5f, 0.6f, "yellow"},
                 {14.4f, 1, 1, "red"},         {14.5f, 1, 1, "orange"},        {344.5f, 1, 1, "red"},
                 {344.4f, 1, 1, "rose"},       {270, 1, 1, "violet"},          {210, 1, 1, "azure"}};
    for (const auto& c : names) EXPECT_STREQ(colour_name({c.hue, c.saturation, c.value}), c.name) << c.hue;
}

#include "cone_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Vertex {
    float x, y, z, r, g, b;
};

// Records what a surface would send to GL, strip by strip.
struct Recorder {
    std::vector<std::vector<Vertex>> strips;
    void begin_strip() { strips.emplace_back(); }
    void vertex(float x, float y, float z, float r, float g, float b)
    {
        strips.back().push_back({x, y, z, r, g, b});
    }
    void end_strip() {}
};

Recorder record(ConeView::Surface surface, float value)
{
    Recorder recorder;
    ConeView::tessellate(surface, value, recorder);
    return recorder;
}

void expect_colour(const Vertex& v, float r, float g, float b)
{
    EXPECT_NEAR(v.r, r, 1e-5f);
    EXPECT_NEAR(v.g, g, 1e-5f);
    EXPECT_NEAR(v.b, b, 1e-5f);
}

}  // namespace

TEST(Tessellation, FourStripsOfSixtySixVerticesWithExactRings)
{
    for (auto surface : {ConeView::Surface::top, ConeView::Surface::side}) {
        const Recorder cone = record(surface, 0.5f);
        ASSERT_EQ(cone.strips.size(), 4u);
        float r = 0.0f;
        for (const auto& strip : cone.strips) {
            ASSERT_EQ(strip.size(), 66u);
            const float r2 = r + 0.125f;
            // Column 0 lies on the x axis: inner then outer vertex.
            EXPECT_EQ(strip[0].x, r);
            EXPECT_EQ(strip[0].y, 0.0f);
            EXPECT_EQ(strip[1].x, r2);
            EXPECT_EQ(strip[0].z, surface == ConeView::Surface::top ? 1.0f : 2 * r);
            EXPECT_EQ(strip[1].z, surface == ConeView::Surface::top ? 1.0f : 2 * r2);
            r = r2;
        }
    }
}

TEST(Tessellation, ClosingColumnOverlapsTheFirstByAFloatSliver)
{
    const Recorder top = record(ConeView::Surface::top, 1.0f);
    const Vertex& last = top.strips[3][65];
    float a = 0.0f;
    for (int i = 0; i < 32; ++i) a += static_cast<float>(6.284 / 32);
    EXPECT_EQ(last.x, static_cast<float>(std::cos(static_cast<double>(a)) * 1.0f));
    EXPECT_EQ(last.y, static_cast<float>(std::sin(static_cast<double>(a)) * 1.0f));
    EXPECT_GT(last.y, 0.0f);  // slightly past the first column, not short of it
    // Its hue is just under 360: a red with a trace of blue.
    EXPECT_EQ(last.r, 1.0f);
    EXPECT_EQ(last.g, 0.0f);
    EXPECT_LT(last.b, 0.01f);
}

TEST(Tessellation, ColoursFollowPosition)
{
    const Recorder top = record(ConeView::Surface::top, 0.5f);
    const Recorder side = record(ConeView::Surface::side, 0.5f);
    expect_colour(top.strips[0][0], 0.5f, 0.5f, 0.5f);  // centre: grey of the value
    expect_colour(side.strips[0][0], 0, 0, 0);           // apex: black
    EXPECT_EQ(side.strips[0][0].z, 0.0f);
    // Rim at hue 0 on both surfaces: saturation 0.5, value 0.5.
    expect_colour(top.strips[3][1], 0.5f, 0.25f, 0.25f);
    expect_colour(side.strips[3][1], 0.5f, 0.25f, 0.25f);
    // Column 8 is a quarter turn round: hue 90 on the full cone's rim.
    const Recorder full = record(ConeView::Surface::side, 1.0f);
    const Vertex& quarter = full.strips[3][17];
    EXPECT_NEAR(quarter.x, 0.0f, 1e-3f);
    EXPECT_NEAR(quarter.y, 1.0f, 1e-6f);
    EXPECT_NEAR(quarter.r, 0.5f, 1e-4f);
    EXPECT_EQ(quarter.g, 1.0f);
    EXPECT_EQ(quarter.b, 0.0f);
}

TEST(Tessellation, ZeroValueCollapsesOntoTheApex)
{
    for (auto surface : {ConeView::Surface::top, ConeView::Surface::side})
        for (const auto& strip : record(surface, 0.0f).strips)
            for (const Vertex& v : strip) {
                EXPECT_EQ(v.x, 0.0f);
                EXPECT_EQ(v.y, 0.0f);
                EXPECT_EQ(v.z, 0.0f);
                expect_colour(v, 0, 0, 0);
            }
}

#include "views/teapot_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace gnss {
namespace {

using Vec3 = std::array<double, 3>;

Vec3 At(const std::vector<float>& values, std::size_t vertex) {
    return {values[vertex * 3], values[vertex * 3 + 1], values[vertex * 3 + 2]};
}

TEST(TeapotMesh, HasTwoTrianglesPerQuadOfEveryPatch) {
    for (int steps : {1, 4, 10}) {
        const TriangleMesh mesh = MakeTeapotMesh(2.0F, steps);
        EXPECT_EQ(mesh.VertexCount(), 32U * steps * steps * 6) << steps;
        EXPECT_EQ(mesh.Normals.size(), mesh.Positions.size()) << steps;
    }
}

TEST(TeapotMesh, StandsCentredWithTheSpoutAlongX) {
    for (float height : {1.0F, 3.0F}) {
        const TriangleMesh mesh = MakeTeapotMesh(height, 8);
        Vec3 low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
        for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
            const Vec3 p = At(mesh.Positions, v);
            const Vec3 n = At(mesh.Normals, v);
            for (std::size_t k = 0; k < 3; ++k) {
                ASSERT_TRUE(std::isfinite(p[k]) && std::isfinite(n[k])) << v;
                low[k] = std::min(low[k], p[k]);
                high[k] = std::max(high[k], p[k]);
            }
            ASSERT_NEAR(std::hypot(n[0], n[1], n[2]), 1.0, 1e-4) << v;
        }
        EXPECT_NEAR(high[1] - low[1], height, 1e-4 * height);  // as tall as asked
        EXPECT_NEAR(high[1] + low[1], 0.0, 1e-4 * height);     // centred on the origin
        EXPECT_NEAR(high[2] + low[2], 0.0, 1e-4 * height);     // symmetric across
        // The spout's tip (x = 3.45 of the 3.15 tall design) reaches further than the handle.
        EXPECT_NEAR(high[0], 3.45 / 3.15 * height, 0.02 * height);
        EXPECT_NEAR(low[0], -3.0 / 3.15 * height, 0.02 * height);
    }
}

// The body, lid and bottom wrap the vertical axis: their normals must point away from it (or,
// at the top and bottom, up and down), which catches a patch turned inside out or a mistaken
// control point.
TEST(TeapotMesh, NormalsPointOutOfTheBody) {
    const float height = 3.15F;  // one unit per unit of the design
    const TriangleMesh mesh = MakeTeapotMesh(height, 8);
    std::size_t body = 0, outward = 0, top = 0, bottom = 0;
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        const Vec3 p = At(mesh.Positions, v);
        const Vec3 n = At(mesh.Normals, v);
        const double radius = std::hypot(p[0], p[2]);
        const double y = p[1] + height / 2;  // height above the bottom
        if (radius < 1e-4 && y > 3.1) {
            ++top;
            EXPECT_GT(n[1], 0.99) << "lid top " << v;
        } else if (radius < 1e-4 && y < 1e-4) {
            ++bottom;
            EXPECT_LT(n[1], -0.99) << "bottom centre " << v;
        }
        // Body vertices: within the pot's outline, away from spout and handle.
        if (radius > 1.0 && std::abs(p[0]) < 1.4 && y > 0.3 && y < 2.3) {
            ++body;
            if (n[0] * p[0] + n[2] * p[2] > 0) ++outward;
        }
    }
    EXPECT_GT(top, 0U);
    EXPECT_GT(bottom, 0U);
    ASSERT_GT(body, 100U);
    EXPECT_EQ(outward, body);
}

// Neighbouring patches share their edges. A patch corner that no other patch touches (a
// patch put in the wrong place, or a wrong control point number at a corner) is used by only
// one or two triangles; every grid point shared along a patch edge by at least three.
TEST(TeapotMesh, PatchEdgesMeet) {
    const TriangleMesh mesh = MakeTeapotMesh(3.15F, 4);
    std::vector<std::array<long, 3>> keys;
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        const Vec3 p = At(mesh.Positions, v);
        keys.push_back({std::lround(p[0] * 1e4), std::lround(p[1] * 1e4), std::lround(p[2] * 1e4)});
    }
    std::sort(keys.begin(), keys.end());
    std::size_t loneCount = 0;
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t j = i;
        while (j < keys.size() && keys[j] == keys[i]) ++j;
        if (j - i < 3) ++loneCount;
        i = j;
    }
    EXPECT_EQ(loneCount, 0U);
}

TEST(TeapotMesh, CompassRoseLiesFlat) {
    const std::vector<float> lines = MakeCompassRoseLines(-2.0F, 3.0F, 5);
    ASSERT_EQ(lines.size() % 6, 0U);
    ASSERT_GT(lines.size(), 5U * 2 * 6);
    for (std::size_t i = 1; i < lines.size(); i += 3) EXPECT_FLOAT_EQ(lines[i], -2.0F);
}

}  // namespace
}  // namespace gnss

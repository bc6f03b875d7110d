#include "views/teapot_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace gnss {
namespace {

TEST(TeapotMesh, StandsCentredWithTheSpoutAlongX) {
    const TriangleMesh mesh = MakeTeapotMesh(3.0F, 6);
    ASSERT_GT(mesh.VertexCount(), 300U);
    ASSERT_EQ(mesh.VertexCount() % 3, 0U);
    ASSERT_EQ(mesh.Normals.size(), mesh.Positions.size());
    std::array<float, 3> low{1e9F, 1e9F, 1e9F}, high{-1e9F, -1e9F, -1e9F};
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        double length = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], mesh.Positions[v * 3 + k]);
            high[k] = std::max(high[k], mesh.Positions[v * 3 + k]);
            length += mesh.Normals[v * 3 + k] * mesh.Normals[v * 3 + k];
        }
        ASSERT_NEAR(std::sqrt(length), 1.0, 1e-4) << v;
    }
    EXPECT_NEAR(high[1] - low[1], 3.0, 1e-3);  // as tall as asked
    EXPECT_NEAR(high[1] + low[1], 0.0, 1e-3);  // centred on the origin
    EXPECT_NEAR(high[2] + low[2], 0.0, 1e-3);  // symmetric across
    EXPECT_GT(high[0], -low[0]);               // the spout reaches further than the handle
}

TEST(TeapotMesh, CompassRoseLiesFlat) {
    const std::vector<float> lines = MakeCompassRoseLines(-2.0F, 3.0F, 5);
    ASSERT_EQ(lines.size() % 6, 0U);
    ASSERT_GT(lines.size(), 5U * 2 * 6);
    for (std::size_t i = 1; i < lines.size(); i += 3) EXPECT_FLOAT_EQ(lines[i], -2.0F);
}

}  // namespace
}  // namespace gnss

#pragma once

#include <cstddef>
#include <vector>

namespace gnss {

// A triangle mesh: per vertex a position and a unit normal (x, y, z each), three vertices a
// triangle.
struct TriangleMesh {
    std::vector<float> Positions;
    std::vector<float> Normals;
    [[nodiscard]] std::size_t VertexCount() const { return Positions.size() / 3; }
};

// The classic teapot, built from the Bezier curves of its well-known public-domain design: the
// rim, body, lid and bottom are surfaces of revolution of their profile curves, the handle and
// spout tubes swept along their centre curves. Y is up, the spout points along +X, the pot
// stands centred on the origin and is `height` units tall. `steps` is the number of segments a
// curve is cut into (at least 2).
[[nodiscard]] TriangleMesh MakeTeapotMesh(float height, int steps);

// The compass rose under the model: a square grid of lines in the plane y = `level` and a ring,
// as pairs of points (x, y, z each) for line drawing.
[[nodiscard]] std::vector<float> MakeCompassRoseLines(float level, float radius, int gridLines);

}  // namespace gnss

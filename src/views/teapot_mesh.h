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

// The classic teapot, evaluated from its public-domain design of 32 bicubic Bezier patches
// over 306 control points. Each patch is cut into steps x steps quads of two triangles; the
// normals come from the patch's partial derivatives. Y is up, the spout points along +X, the
// pot stands centred on the origin and is `height` units tall. `steps` is at least 1.
[[nodiscard]] TriangleMesh MakeTeapotMesh(float height, int steps);

// The compass rose under the model: a square grid of lines in the plane y = `level` and a ring,
// as pairs of points (x, y, z each) for line drawing.
[[nodiscard]] std::vector<float> MakeCompassRoseLines(float level, float radius, int gridLines);

}  // namespace gnss

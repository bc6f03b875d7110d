#include "views/teapot_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace gnss {

namespace {

struct P2 {
    double R;  // distance from the axis (or along X for the tubes)
    double Z;  // height
};
using Curve = std::array<P2, 4>;

P2 BezierAt(const Curve& c, double t) {
    const double s = 1.0 - t;
    const double b0 = s * s * s, b1 = 3 * s * s * t, b2 = 3 * s * t * t, b3 = t * t * t;
    return {b0 * c[0].R + b1 * c[1].R + b2 * c[2].R + b3 * c[3].R,
            b0 * c[0].Z + b1 * c[1].Z + b2 * c[2].Z + b3 * c[3].Z};
}

P2 BezierSlope(const Curve& c, double t) {
    const double s = 1.0 - t;
    const double d0 = 3 * s * s, d1 = 6 * s * t, d2 = 3 * t * t;
    return {d0 * (c[1].R - c[0].R) + d1 * (c[2].R - c[1].R) + d2 * (c[3].R - c[2].R),
            d0 * (c[1].Z - c[0].Z) + d1 * (c[2].Z - c[1].Z) + d2 * (c[3].Z - c[2].Z)};
}

double CubicAt(const std::array<double, 4>& v, double t) {
    const double s = 1.0 - t;
    return s * s * s * v[0] + 3 * s * s * t * v[1] + 3 * s * t * t * v[2] + t * t * t * v[3];
}

// Profiles of the pot as (radius, height) control points, from the top of the lid down to the
// middle of the bottom.
constexpr std::array<Curve, 6> kProfiles{{
    {{{0.0, 3.15}, {0.8, 3.15}, {0.0, 2.85}, {0.2, 2.7}}},             // lid knob
    {{{0.2, 2.7}, {0.4, 2.55}, {1.3, 2.55}, {1.3, 2.4}}},              // lid
    {{{1.4, 2.4}, {1.3375, 2.53125}, {1.4375, 2.53125}, {1.5, 2.4}}},  // rim
    {{{1.5, 2.4}, {1.75, 1.875}, {2.0, 1.35}, {2.0, 0.9}}},            // upper body
    {{{2.0, 0.9}, {2.0, 0.45}, {1.5, 0.225}, {1.5, 0.15}}},            // lower body
    {{{1.5, 0.15}, {1.5, 0.075}, {1.425, 0.0}, {0.0, 0.0}}},           // bottom
}};

// Tubes as two side curves in the plane of symmetry (x, height) and their half widths across.
struct Tube {
    Curve Outer;
    Curve Inner;
    std::array<double, 4> HalfWidth;
};
constexpr std::array<Tube, 4> kTubes{{
    // handle, upper and lower half
    {{{{-1.6, 2.025}, {-2.3, 2.025}, {-2.7, 2.025}, {-2.7, 1.8}}},
     {{{-1.5, 2.25}, {-2.5, 2.25}, {-3.0, 2.25}, {-3.0, 1.8}}},
     {0.3, 0.3, 0.3, 0.3}},
    {{{{-2.7, 1.8}, {-2.7, 1.575}, {-2.5, 1.125}, {-2.0, 0.9}}},
     {{{-3.0, 1.8}, {-3.0, 1.35}, {-2.5, 0.975}, {-1.9, 0.6}}},
     {0.3, 0.3, 0.3, 0.3}},
    // spout, lower and upper part
    {{{{1.7, 1.275}, {2.6, 1.275}, {2.3, 1.95}, {2.7, 2.25}}},
     {{{1.7, 0.45}, {3.1, 0.675}, {2.4, 1.875}, {3.3, 2.25}}},
     {0.66, 0.66, 0.25, 0.25}},
    {{{{2.7, 2.25}, {2.8, 2.325}, {2.9, 2.325}, {2.8, 2.25}}},
     {{{3.3, 2.25}, {3.525, 2.34375}, {3.45, 2.3625}, {3.2, 2.25}}},
     {0.25, 0.25, 0.15, 0.15}},
}};

constexpr double kPotHeight = 3.15;

struct Vertex {
    std::array<double, 3> Position;
    std::array<double, 3> Normal;
};

class MeshBuilder {
  public:
    explicit MeshBuilder(float height) : scale_(height / kPotHeight) {}

    // A grid of rows x columns vertices joined into quads (two triangles each).
    void AddGrid(const std::vector<Vertex>& grid, int rows, int columns) {
        const auto at = [&](int r, int c) -> const Vertex& {
            return grid[static_cast<std::size_t>(r * columns + c)];
        };
        for (int r = 0; r + 1 < rows; ++r) {
            for (int c = 0; c + 1 < columns; ++c) {
                Triangle(at(r, c), at(r + 1, c), at(r + 1, c + 1));
                Triangle(at(r, c), at(r + 1, c + 1), at(r, c + 1));
            }
        }
    }

    TriangleMesh Take() { return std::move(mesh_); }

  private:
    void Triangle(const Vertex& a, const Vertex& b, const Vertex& c) {
        const auto& pa = a.Position;
        const auto& pb = b.Position;
        const auto& pc = c.Position;
        const double area =
            std::hypot((pb[1] - pa[1]) * (pc[2] - pa[2]) - (pb[2] - pa[2]) * (pc[1] - pa[1]),
                       (pb[2] - pa[2]) * (pc[0] - pa[0]) - (pb[0] - pa[0]) * (pc[2] - pa[2]),
                       (pb[0] - pa[0]) * (pc[1] - pa[1]) - (pb[1] - pa[1]) * (pc[0] - pa[0]));
        if (area < 1e-12) return;  // collapsed at a pole
        for (const Vertex* v : {&a, &b, &c}) {
            mesh_.Positions.push_back(static_cast<float>(v->Position[0] * scale_));
            mesh_.Positions.push_back(
                static_cast<float>((v->Position[1] - kPotHeight / 2) * scale_));
            mesh_.Positions.push_back(static_cast<float>(v->Position[2] * scale_));
            for (double n : v->Normal) mesh_.Normals.push_back(static_cast<float>(n));
        }
    }

    double scale_;
    TriangleMesh mesh_;
};

std::array<double, 3> Unit(std::array<double, 3> v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length < 1e-12) return {0.0, 1.0, 0.0};
    return {v[0] / length, v[1] / length, v[2] / length};
}

void AddRevolution(MeshBuilder& builder, const Curve& profile, int steps) {
    const int around = steps * 4;
    std::vector<Vertex> grid;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const P2 p = BezierAt(profile, t);
        P2 d = BezierSlope(profile, t);
        if (std::hypot(d.R, d.Z) < 1e-9) d = BezierSlope(profile, std::clamp(t, 0.01, 0.99));
        for (int j = 0; j <= around; ++j) {
            const double a = 2 * std::numbers::pi * j / around;
            const double c = std::cos(a), s = std::sin(a);
            // The profile's normal (slope turned by a right angle), turned about the axis.
            grid.push_back({{p.R * c, p.Z, p.R * s}, Unit({d.Z * c, -d.R, d.Z * s})});
        }
    }
    builder.AddGrid(grid, steps + 1, around + 1);
}

void AddTube(MeshBuilder& builder, const Tube& tube, int steps) {
    const int around = steps * 2;
    std::vector<Vertex> grid;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const P2 outer = BezierAt(tube.Outer, t);
        const P2 inner = BezierAt(tube.Inner, t);
        const P2 centre{(outer.R + inner.R) / 2, (outer.Z + inner.Z) / 2};
        // Across the tube in the plane of symmetry, and its half thickness there.
        const double dx = outer.R - inner.R, dz = outer.Z - inner.Z;
        const double halfInPlane = std::max(std::hypot(dx, dz) / 2, 1e-3);
        const std::array<double, 3> across = Unit({dx, dz, 0.0});
        const double halfWidth = std::max(CubicAt(tube.HalfWidth, t), 1e-3);
        for (int j = 0; j <= around; ++j) {
            const double a = 2 * std::numbers::pi * j / around;
            const double c = std::cos(a), s = std::sin(a);
            const std::array<double, 3> position{centre.R + across[0] * halfInPlane * c,
                                                 centre.Z + across[1] * halfInPlane * c,
                                                 halfWidth * s};
            const std::array<double, 3> normal =
                Unit({across[0] * c / halfInPlane, across[1] * c / halfInPlane, s / halfWidth});
            grid.push_back({position, normal});
        }
    }
    builder.AddGrid(grid, steps + 1, around + 1);
}

}  // namespace

TriangleMesh MakeTeapotMesh(float height, int steps) {
    steps = std::max(steps, 2);
    MeshBuilder builder(height);
    for (const Curve& profile : kProfiles) AddRevolution(builder, profile, steps);
    for (const Tube& tube : kTubes) AddTube(builder, tube, steps);
    return builder.Take();
}

std::vector<float> MakeCompassRoseLines(float level, float radius, int gridLines) {
    std::vector<float> lines;
    const auto segment = [&lines, level](float x1, float z1, float x2, float z2) {
        lines.insert(lines.end(), {x1, level, z1, x2, level, z2});
    };
    gridLines = std::max(gridLines, 2);
    for (int i = 0; i < gridLines; ++i) {
        const float offset = -radius + 2 * radius * static_cast<float>(i) / (gridLines - 1);
        segment(offset, -radius, offset, radius);
        segment(-radius, offset, radius, offset);
    }
    constexpr int kRingSegments = 72;
    for (int i = 0; i < kRingSegments; ++i) {
        const double a1 = 2 * std::numbers::pi * i / kRingSegments;
        const double a2 = 2 * std::numbers::pi * (i + 1) / kRingSegments;
        segment(
            static_cast<float>(radius * std::cos(a1)), static_cast<float>(radius * std::sin(a1)),
            static_cast<float>(radius * std::cos(a2)), static_cast<float>(radius * std::sin(a2)));
    }
    return lines;
}

}  // namespace gnss

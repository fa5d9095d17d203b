#include "gfx/ClipVolume.h"

#include <cmath>

namespace zamp {

namespace {

// How far inside a plane, relative to the magnitudes of the terms that make a point's clip
// coordinates, a device's single-precision arithmetic might put a point that is exactly
// outside. Single precision rounds at 6e-8 of a value; about a dozen roundings lie between a
// vertex and its clip test (the world-view product, the vertex times it, the projection, the
// pixel shift); this is more than ten times their sum.
constexpr double kRoundingMargin = 1e-5;

using Row = std::array<double, 4>;
using Matrix4 = std::array<Row, 4>;

Matrix4 toDouble(const Matrix& m, bool absolute) {
    Matrix4 r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r[i][j] = absolute ? std::fabs(double(m.m[i][j])) : double(m.m[i][j]);
    return r;
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r[i][j] += a[i][k] * b[k][j];
    return r;
}

// m * column: with row vectors acting on the left, the coefficients over m's input space of
// the linear function `column` of its output.
Row multiplied(const Matrix4& m, const Row& column) {
    Row r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r[i] += m[i][j] * column[j];
    return r;
}

} // namespace

ClipVolume::ClipVolume(const Matrix& view, const Matrix& projection, int targetWidth, int targetHeight) {
    const Matrix4 viewProjection = multiply(toDouble(view, false), toDouble(projection, false));
    const Matrix4 magnitudes = multiply(toDouble(view, true), toDouble(projection, true));
    // A device may move vertices by up to half a pixel to match Direct3D's pixel centres
    // (x' = x + s w, with |s| <= 1 / width in clip units): each side of x and y is tested at
    // both extremes of the shift, and a box counts as beyond it only when beyond both.
    const double sx = 1.0 / double(targetWidth > 1 ? targetWidth : 1);
    const double sy = 1.0 / double(targetHeight > 1 ? targetHeight : 1);
    // Each function of (x, y, z, w) is non-negative inside the volume. The near plane comes
    // first: what is behind the eye is the commonest case and is then settled at once.
    const Row clipPlanes[6][2] = {
        {{0, 0, 1, 0}, {0, 0, 1, 0}},             // near: z >= 0
        {{1, 0, 0, 1 - sx}, {1, 0, 0, 1 + sx}},   // left: x + s w >= -w
        {{-1, 0, 0, 1 - sx}, {-1, 0, 0, 1 + sx}}, // right: x + s w <= w
        {{0, 1, 0, 1 - sy}, {0, 1, 0, 1 + sy}},   // bottom
        {{0, -1, 0, 1 - sy}, {0, -1, 0, 1 + sy}}, // top
        {{0, 0, -1, 1}, {0, 0, -1, 1}},           // far: z <= w
    };
    for (int s = 0; s < 6; ++s) {
        for (int p = 0; p < 2; ++p) {
            Row absolute{};
            for (int k = 0; k < 4; ++k) absolute[k] = std::fabs(clipPlanes[s][p][k]);
            sides_[s].plane[p] = multiplied(viewProjection, clipPlanes[s][p]);
            sides_[s].magnitude[p] = multiplied(magnitudes, absolute);
        }
    }
}

bool ClipVolume::excludes(const BoundingBox& box, const Matrix& world) const {
    if (!box.bounded) return false;
    const Matrix4 w = toDouble(world, false), wAbs = toDouble(world, true);
    const double centre[3] = {0.5 * (double(box.min.x) + box.max.x), 0.5 * (double(box.min.y) + box.max.y),
                              0.5 * (double(box.min.z) + box.max.z)};
    const double extent[3] = {0.5 * (double(box.max.x) - box.min.x), 0.5 * (double(box.max.y) - box.min.y),
                              0.5 * (double(box.max.z) - box.min.z)};
    for (const Side& side : sides_) {
        bool beyondBoth = true;
        for (int p = 0; p < 2 && beyondBoth; ++p) {
            // The plane over the mesh's own coordinates and its largest value over the box;
            // when that is negative, the size of the terms it is made of. Written so that a
            // NaN anywhere counts as not beyond.
            const Row h = multiplied(w, side.plane[p]);
            double largest = h[3];
            for (int i = 0; i < 3; ++i) largest += centre[i] * h[i] + extent[i] * std::fabs(h[i]);
            if (!(largest < 0)) {
                beyondBoth = false;
                break;
            }
            const Row m = multiplied(wAbs, side.magnitude[p]);
            double size = m[3];
            for (int i = 0; i < 3; ++i) size += (std::fabs(centre[i]) + extent[i]) * m[i];
            beyondBoth = largest < -kRoundingMargin * size;
        }
        if (beyondBoth) return true;
    }
    return false;
}

} // namespace zamp

// Value types animated by the curves and handed unchanged to the device layer.
// All components are 32-bit floats with the layouts of the Direct3D utility library's
// two- and three-float vectors, colour value and quaternion.
#pragma once

namespace zamp {

struct Vec2 {
    float x = 0, y = 0;
    bool operator==(const Vec2&) const = default;
};

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

// A colour value: red, green, blue, alpha.
struct Vec4 {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Vec4&) const = default;
};

struct Quaternion {
    float x = 0, y = 0, z = 0, w = 0;
    bool operator==(const Quaternion&) const = default;
};

static_assert(sizeof(Vec2) == 8 && sizeof(Vec3) == 12 && sizeof(Vec4) == 16 && sizeof(Quaternion) == 16);

} // namespace zamp

// Key records of the three curve families. Every field is a 32-bit float and the value
// follows the time (and a TCB key's shape parameters) directly, as the scene loader and
// the image functions fill them.
#pragma once

#include "core/Values.h"

namespace zamp {

template<class V>
struct LinearKey {
    float time = 0;
    V value{};
};

// Tension 1 flattens both tangents at the key; the system's own keys use (1, 0, 0).
template<class V>
struct TCBKey {
    float time = 0;
    float tension = 0;
    float continuity = 0;
    float bias = 0;
    V value{};
};

struct QuaternionKey {
    float time = 0;
    Quaternion value{};
};

static_assert(sizeof(LinearKey<float>) == 8 && sizeof(LinearKey<Vec4>) == 20);
static_assert(sizeof(TCBKey<float>) == 20 && sizeof(TCBKey<Vec3>) == 28);
static_assert(sizeof(QuaternionKey) == 20);

} // namespace zamp

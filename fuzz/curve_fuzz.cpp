// Curves with random keys and times: every family and value type, keys in any order with any
// floats (NaN and infinities included), evaluated at key times, between them and at random
// times. No input may crash or fail otherwise than with the family's empty-curve message; and
// where the arithmetic allows a finite answer (finite keys of moderate size in time order,
// a finite time) the value must be finite: no NaN from finite input.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "curves/LinearCurve.h"
#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace zamp;

namespace {

// Reads floats: most of moderate size (whole and fractional, a 16-bit step scaled), some as
// raw bits (anything at all). `moderate` turns false once a raw one was read.
class Floats {
public:
    explicit Floats(FuzzedDataProvider& in) : in_(in) {}
    float next() {
        if (in_.ConsumeIntegralInRange(0, 7) == 0) {
            const std::uint32_t bits = in_.ConsumeIntegral<std::uint32_t>();
            float f;
            std::memcpy(&f, &bits, sizeof f);
            if (!std::isfinite(f) || std::fabs(f) > kModerate) moderate = false;
            return f;
        }
        return static_cast<float>(in_.ConsumeIntegral<std::int16_t>()) / static_cast<float>(1 << in_.ConsumeIntegralInRange(0, 8));
    }
    bool moderate = true;
    static constexpr float kModerate = 1e6f;

private:
    FuzzedDataProvider& in_;
};

bool finite(float v) { return std::isfinite(v); }
bool finite(const Vec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }
bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool finite(const Vec4& v) { return std::isfinite(v.r) && std::isfinite(v.g) && std::isfinite(v.b) && std::isfinite(v.a); }
bool finite(const Quaternion& q) {
    return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

void fill(Floats& f, float& v) { v = f.next(); }
void fill(Floats& f, Vec2& v) { v = {f.next(), f.next()}; }
void fill(Floats& f, Vec3& v) { v = {f.next(), f.next(), f.next()}; }
void fill(Floats& f, Vec4& v) { v = {f.next(), f.next(), f.next(), f.next()}; }
void fill(Floats& f, Quaternion& q) { q = {f.next(), f.next(), f.next(), f.next()}; }

template <class K>
void fillShape(Floats&, K&) {}
template <class V>
void fillShape(Floats& f, TCBKey<V>& key) {
    key.tension = f.next();
    key.continuity = f.next();
    key.bias = f.next();
}

template <class Curve>
void exercise(FuzzedDataProvider& in, const char* emptyMessage) {
    Floats f(in);
    Curve curve;
    std::vector<float> times;
    bool ordered = true;
    const int keys = in.ConsumeIntegralInRange(0, 48);
    for (int k = 0; k < keys; ++k) {
        typename Curve::Key key;
        key.time = f.next();
        if (!times.empty() && !(key.time >= times.back())) ordered = false;
        times.push_back(key.time);
        fillShape(f, key);
        fill(f, key.value);
        curve.addKey(key);
    }
    // Key times, the middles of segments, and times from the input.
    std::vector<float> at = times;
    for (std::size_t k = 0; k + 1 < times.size(); ++k) at.push_back(times[k] + (times[k + 1] - times[k]) * 0.37f);
    while (in.remaining_bytes() > 0 && at.size() < times.size() * 2 + 16) at.push_back(f.next());

    for (float t : at) {
        try {
            const auto value = curve.evaluate(t);
            const bool allowsFinite = f.moderate && ordered && std::isfinite(t) && std::fabs(t) <= Floats::kModerate;
            if (allowsFinite && !finite(value))
                fuzz::finding(std::string(emptyMessage) + ": no finite value from finite keys in time order at t = " +
                              std::to_string(t));
        } catch (const Error& e) {
            if (keys != 0 || std::string(e.what()) != emptyMessage) fuzz::finding(std::string("unexpected ") + e.what());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0: exercise<LinearCurve<float>>(in, "LinearCurve needs atleast one key"); break;
    case 1: exercise<LinearCurve<Vec4>>(in, "LinearCurve needs atleast one key"); break;
    case 2: exercise<TCBCurve<float>>(in, "TCBCurve needs atleast one key"); break;
    case 3: exercise<TCBCurve<Vec2>>(in, "TCBCurve needs atleast one key"); break;
    case 4: exercise<TCBCurve<Vec3>>(in, "TCBCurve needs atleast one key"); break;
    default: exercise<LinearQuaternionCurve>(in, "LinearQuaternionCurve needs atleast one key"); break;
    }
    return 0;
}

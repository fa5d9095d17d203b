#include "show/SivTracks.h"

namespace zamp {

namespace {

// The key the loader gives a curve that no track names: it holds still at the stored value.
template <class V>
TCBKey<V> restingKey(const V& value) {
    TCBKey<V> key;
    key.time = 0.0f;
    key.tension = 1.0f;
    key.continuity = 0.0f;
    key.bias = 0.0f;
    key.value = value;
    return key;
}

// Calls `add` with every key of every matching track, in order; false when none matched.
template <class AddKey>
bool forEachMatchingKey(std::span<const SivTrackRecord> tracks, std::span<const std::uint32_t> matching,
                        AddKey add) {
    for (std::uint32_t t : matching)
        for (const SivKey& key : tracks[t].keys) add(key);
    return !matching.empty();
}

} // namespace

void fillSivCurve(const SivTrackIndex& tracks, std::int32_t objectId, std::int32_t kind, TCBCurve<Vec3>& curve,
                  const Vec3& fallback) {
    fillSivCurve(tracks.tracks(), tracks.find(kind, objectId), curve, fallback);
}

void fillSivCurve(const SivTrackIndex& tracks, std::int32_t objectId, std::int32_t kind, LinearQuaternionCurve& curve,
                  const Quaternion& fallback) {
    fillSivCurve(tracks.tracks(), tracks.find(kind, objectId), curve, fallback);
}

void fillSivCurve(std::span<const SivTrackRecord> tracks, std::span<const std::uint32_t> matching,
                  TCBCurve<Vec3>& curve, const Vec3& fallback) {
    const bool found = forEachMatchingKey(tracks, matching, [&](const SivKey& key) {
        TCBKey<Vec3> k;
        k.time = key.time;
        k.tension = key.tension;
        k.continuity = key.continuity;
        k.bias = key.bias;
        k.value = key.value;
        curve.addKey(k);
    });
    if (!found) curve.addKey(restingKey(fallback));
}

void fillSivCurve(std::span<const SivTrackRecord> tracks, std::span<const std::uint32_t> matching,
                  LinearQuaternionCurve& curve, const Quaternion& fallback) {
    const bool found = forEachMatchingKey(tracks, matching, [&](const SivKey& key) {
        QuaternionKey k;
        k.time = key.time;
        k.value = {key.value.x, key.value.y, key.value.z, key.w};
        curve.addKey(k);
    });
    if (!found) {
        QuaternionKey k;
        k.time = 0.0f;
        k.value = fallback;
        curve.addKey(k);
    }
}

SceneCamera buildSivCamera(const SivCamera& record, const SivTrackIndex& tracks) {
    CheckedSivCamera found{&record, {tracks.find(kSivTrackPosition, record.positionTrackId),
                                     tracks.find(kSivTrackPosition, record.targetTrackId)}};
    return buildSivCamera(found, tracks.tracks());
}

SceneCamera buildSivCamera(const CheckedSivCamera& checked, std::span<const SivTrackRecord> tracks) {
    const SivCamera& record = *checked.record;
    SceneCamera camera;
    // The file cannot animate these two: every camera gets exactly one key of each.
    camera.fov.addKey(restingKey(45.0f));
    camera.up.addKey(restingKey(Vec3{0.0f, 1.0f, 0.0f}));
    fillSivCurve(tracks, checked.curves.position, camera.position, record.position);
    fillSivCurve(tracks, checked.curves.target, camera.target, record.target);
    return camera;
}

SceneLight buildSivLight(const SivLight& record) {
    SceneLight scene;
    Light& light = scene.light;
    light.diffuse = {record.color.r, record.color.g, record.color.b, 1.0f};
    light.position = record.position;
    light.direction = record.direction;
    light.range = 1000.0f;
    light.attenuation0 = 1.0f;
    switch (record.kind) {
    case kSivLightPoint:
        light.type = D3DLIGHT_POINT;
        break;
    case kSivLightSpot:
        // Fixed narrow cone: the file's own angles are not used.
        light.type = D3DLIGHT_SPOT;
        light.theta = 0.01f;
        light.phi = 0.02f;
        light.falloff = 1.0f;
        break;
    case kSivLightDirectional:
        light.type = D3DLIGHT_DIRECTIONAL;
        break;
    default:
        light.type = 0; // other kinds (2, 3, ...) leave type 0, which names no light type
        break;
    }
    return scene;
}

} // namespace zamp

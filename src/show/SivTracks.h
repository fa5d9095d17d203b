// How tracks, cameras and lights of a SIV file become curves and scene objects. A track feeds
// every curve whose object id and kind it carries; a curve that no track names gets one key at
// time 0 that holds the object's stored value.
#pragma once

#include "show/Scene.h"
#include "siv/SivFile.h"
#include "siv/SivSceneCheck.h"
#include "siv/SivTrackIndex.h"

#include <cstdint>
#include <span>

namespace zamp {

// Appends, in the order given, the keys of the tracks at positions `matching` of `tracks` to
// `curve`. When `matching` is empty it appends one key: time 0, tension 1, continuity 0, bias
// 0, value `fallback`.
void fillSivCurve(std::span<const SivTrackRecord> tracks, std::span<const std::uint32_t> matching,
                  TCBCurve<Vec3>& curve, const Vec3& fallback);
// The same for rotations: keys take time and (x, y, z, w); the fallback key holds `fallback`.
void fillSivCurve(std::span<const SivTrackRecord> tracks, std::span<const std::uint32_t> matching,
                  LinearQuaternionCurve& curve, const Quaternion& fallback);

// Appends, in file order, the keys of every track with this objectId and kind to `curve`.
// When no track matches (a matching track with no keys counts as a match) it appends one key:
// time 0, tension 1, continuity 0, bias 0, value `fallback`.
void fillSivCurve(const SivTrackIndex& tracks, std::int32_t objectId, std::int32_t kind, TCBCurve<Vec3>& curve,
                  const Vec3& fallback);
// The same for rotations: keys take time and (x, y, z, w); the fallback key holds `fallback`.
void fillSivCurve(const SivTrackIndex& tracks, std::int32_t objectId, std::int32_t kind, LinearQuaternionCurve& curve,
                  const Quaternion& fallback);

// A camera with fov 45 and up (0, 1, 0) (one key each, which no track can change), and eye and
// target filled from position tracks.
SceneCamera buildSivCamera(const SivCamera& record, const SivTrackIndex& tracks);
// The same from a checked camera, whose curves' tracks the check pass found.
SceneCamera buildSivCamera(const CheckedSivCamera& camera, std::span<const SivTrackRecord> tracks);

// A fixed light: diffuse colour with alpha 1, range 1000, constant attenuation 1, and the type
// that its kind names (spot lights with theta 0.01, phi 0.02, falloff 1); other kinds give
// type 0.
SceneLight buildSivLight(const SivLight& record);

} // namespace zamp

// Checks on the tracks that feed the curves of a scene's meshes and cameras, run by the check
// pass (siv/SivSceneCheck.h) in the player's order.
#pragma once

#include "siv/SivFile.h"
#include "siv/SivTrackIndex.h"

#include <cstdint>
#include <span>
#include <string>

namespace zamp {

// The tracks that feed one curve, as SivTrackIndex::find gives them: their positions in the
// file, in file order; none when no track names the curve (it gets its resting key).
using SivCurveTracks = std::span<const std::uint32_t>;

struct SivMeshCurveTracks {
    SivCurveTracks position, rotation;
};
struct SivCameraCurveTracks {
    SivCurveTracks position, target;
};

// A curve whose matching tracks hold no key at all (a key count of 0 or less) cannot be
// evaluated: the first frame would fail far from the file's fault, so the load fails instead.
// Throws "File <path>: mesh M has no position: its position track T (object O) has no keys
// (key count K)." (or rotation) when mesh `meshIndex` has such a curve; else gives the tracks
// of its curves.
SivMeshCurveTracks checkSivMeshCurves(const SivFile& file, const SivTrackIndex& index, std::size_t meshIndex,
                                      const std::string& path);
// The same for the eye position and target of camera `cameraIndex`: "File <path>: camera C has
// no target: its target track T (object O) has no keys (key count K)."
SivCameraCurveTracks checkSivCameraCurves(const SivFile& file, const SivTrackIndex& index, std::size_t cameraIndex,
                                          const std::string& path);

// Every curve copies the keys of the tracks that name it: refuses a file whose curves would
// take more than kSivCurveKeysPerTrackKey times the keys its tracks hold (many meshes or
// cameras sharing one object id), before anything is built.
void checkSivCurveKeyBudget(const SivFile& file, const SivTrackIndex& index, const std::string& path);

} // namespace zamp

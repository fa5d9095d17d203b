#include "siv/SivCurveChecks.h"

#include "core/Error.h"
#include "siv/SivLimits.h"

namespace zamp {

namespace {

SivCurveTracks checkHasKeys(const SivTrackIndex& index, std::int32_t kind, std::int32_t objectId,
                            const std::string& owner, const char* curve, const std::string& path) {
    const SivCurveTracks matching = index.find(kind, objectId);
    // No track at all: the curve gets its resting key. Tracks with keys: it gets theirs.
    if (matching.empty() || index.keyCount(kind, objectId) != 0) return matching;
    const std::uint32_t first = matching.front();
    throw Error("File " + path + ": " + owner + " has no " + curve + ": its " + curve + " track " +
                std::to_string(first) + " (object " + std::to_string(objectId) + ") has no keys (key count " +
                std::to_string(index.tracks()[first].header.keyCount) + ").");
}

} // namespace

SivMeshCurveTracks checkSivMeshCurves(const SivFile& file, const SivTrackIndex& index, std::size_t meshIndex,
                                      const std::string& path) {
    const std::int32_t id = file.meshes[meshIndex].header.objectId;
    const std::string owner = "mesh " + std::to_string(meshIndex);
    SivMeshCurveTracks tracks;
    tracks.position = checkHasKeys(index, kSivTrackPosition, id, owner, "position", path);
    tracks.rotation = checkHasKeys(index, kSivTrackRotation, id, owner, "rotation", path);
    return tracks;
}

SivCameraCurveTracks checkSivCameraCurves(const SivFile& file, const SivTrackIndex& index, std::size_t cameraIndex,
                                          const std::string& path) {
    const SivCamera& camera = file.cameras[cameraIndex];
    const std::string owner = "camera " + std::to_string(cameraIndex);
    SivCameraCurveTracks tracks;
    tracks.position = checkHasKeys(index, kSivTrackPosition, camera.positionTrackId, owner, "position", path);
    tracks.target = checkHasKeys(index, kSivTrackPosition, camera.targetTrackId, owner, "target", path);
    return tracks;
}

void checkSivCurveKeyBudget(const SivFile& file, const SivTrackIndex& index, const std::string& path) {
    std::uint64_t taken = 0;
    for (const SivMesh& mesh : file.meshes)
        taken += index.keyCount(kSivTrackPosition, mesh.header.objectId) +
                 index.keyCount(kSivTrackRotation, mesh.header.objectId);
    for (const SivCamera& camera : file.cameras)
        taken += index.keyCount(kSivTrackPosition, camera.positionTrackId) +
                 index.keyCount(kSivTrackPosition, camera.targetTrackId);
    const std::uint64_t held = index.totalKeys();
    if (taken > held * kSivCurveKeysPerTrackKey)
        throw Error("File " + path + ": its meshes and cameras would copy " + std::to_string(taken) +
                    " keys from its tracks, more than " + std::to_string(kSivCurveKeysPerTrackKey) +
                    " times the " + std::to_string(held) +
                    " keys the tracks hold (many meshes or cameras share one object id).");
}

} // namespace zamp

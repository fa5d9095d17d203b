// The one check pass of a parsed SIV file. Every check that stands between a parsed file and a
// scene runs here, in one order, and what the checks find (the built meshes, each mesh's
// material and texture name, the track index) is kept for building. The player's loader
// (show/SivSceneBuilder.h) builds only from what this returns; `siv info`, `siv build` and the
// fuzz targets call the same pass, so all of them refuse a file with the same first message.
#pragma once

#include "gfx/BoundingBox.h"
#include "gfx/Mesh.h"
#include "siv/SivCurveChecks.h"
#include "siv/SivFile.h"
#include "siv/SivTrackIndex.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zamp {

// One mesh that passed every check: its Direct3D mesh, built and optimised (buildSivMesh in
// siv/SivMeshBuilder.h), and the records it uses, found and checked. Its bounds and the tracks
// of its curves are taken while the pass has them at hand, so building looks nothing up again.
struct CheckedSivMesh {
    const SivMeshHeader* header = nullptr;  // the file's: object id, resting position and rotation
    std::unique_ptr<Mesh> mesh;             // never null
    BoundingBox bounds;                     // boundingBoxOf(*mesh)
    const SivMaterial* material = nullptr;  // the file's record that the first face names
    std::string_view textureName;           // as the file names it (its bytes); empty when none
    SivMeshCurveTracks curves;              // each curve's tracks, all holding keys, or none
};

// One camera whose curves passed their checks.
struct CheckedSivCamera {
    const SivCamera* record = nullptr; // the file's
    SivCameraCurveTracks curves;       // each curve's tracks, all holding keys, or none
};

// A scene that passed the check pass; only checkSivScene makes one. It views the records of the
// SivFile it was checked from (materials, headers, cameras, lights, tracks), so that file must
// outlive it, unchanged; the meshes are its own, to be moved into the scene that is built.
class CheckedSivScene {
public:
    CheckedSivScene(CheckedSivScene&&) = default;
    CheckedSivScene& operator=(CheckedSivScene&&) = default;

    std::vector<CheckedSivMesh> meshes;    // file order
    std::vector<CheckedSivCamera> cameras; // file order
    std::span<const SivLight> lights;      // the file's, in its order; lights need no check
    // The file's tracks by (kind, object id): the curves' track positions are views into it,
    // and tracks.tracks() the records they name.
    SivTrackIndex tracks;

private:
    explicit CheckedSivScene(const SivFile& file);
    friend CheckedSivScene checkSivScene(const SivFile& file, const std::string& path);
};

// Checks `file` completely; `path` names it in messages. Throws the first fault in this order:
// the curve key budget (siv/SivCurveChecks.h), then for each mesh in file order its building
// (the mesh library's refusal, a face naming no vertex), its material, its texture entry's name
// (siv/SivMeshBuilder.h) and its curves' tracks, then each camera's curves' tracks. Textures
// are named, not loaded: whether their files load is the builder's business.
CheckedSivScene checkSivScene(const SivFile& file, const std::string& path);

} // namespace zamp

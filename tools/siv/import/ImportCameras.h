// A model's cameras as the player's: an eye and a target, each perhaps on a track. Readers
// describe cameras in their own ways (a position inside the camera's node or copied from it,
// a view direction, a target node, or, in 3DS files, a target the reader drops), and the
// player's projection has one fixed field of view and keeps y up; this turns each into an
// eye and target that show the picture the source framed, and lists what cannot come over.
#pragma once

#include "import/ModelConversion.h"
#include "import/MotionFit.h"
#include "import/SourceAnimation.h"

#include <assimp/scene.h>

namespace zamp::sivtool {

struct CameraSource {
    const aiScene& scene;
    const SourceAnimation& animation;
    const aiMatrix4x4& root; // the import's own transform above the model: its frame and --scale
    aiVector3D center;       // of the model's bounds, in the scene's frame
    MotionTolerance tolerance;
    const ImportOptions& options;
};

// Appends the cameras of `source.scene` to `out` (records, tracks, and their lines in the
// converted, warnings and dropped lists), the camera that --camera names first. Throws an
// Error when --camera names no camera of the model.
void convertCameras(const CameraSource& source, ConvertedModel& out);

// fitMotion within `tolerance`, with a warning naming `name` when the keys stay outside it.
FittedMotion fitNoting(const SourceMotion& motion, const std::vector<double>& times, const MotionTolerance& tolerance,
                       const std::string& name, std::vector<std::string>& warnings);

} // namespace zamp::sivtool

// A scene at a scene time: the camera's view and projection, and each mesh's world matrix.
#pragma once

#include "gfx/D3DTypes.h"

namespace zamp {

class Device;
struct SceneCamera;
struct SceneMesh;

// View from the camera's up, target and eye; projection from its field of view taken as
// radians (the loaded 45 gives a y scale of 1.7925910), the aspect ratio and its near and
// far planes.
void applyCamera(const SceneCamera& camera, Device& device, float sceneTime, float aspectRatio);
Matrix cameraView(const SceneCamera& camera, float sceneTime);
Matrix cameraProjection(const SceneCamera& camera, float sceneTime, float aspect);

// Rotation about the mesh's own origin, then the move to its position: R * T.
Matrix meshWorldMatrix(const SceneMesh& mesh, float sceneTime);

} // namespace zamp

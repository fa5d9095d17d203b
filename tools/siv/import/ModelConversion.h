// A model as Assimp reads it, converted into the records of a SIV file: meshes with their
// node transforms baked in (or, for moving nodes, the static scale baked in and the motion
// in tracks), materials, texture names, cameras and lights, mirrored into the player's
// left-handed frame. Everything that cannot be carried is listed with its reason.
#pragma once

#include "import/ImportTextures.h"
#include "import/SourceFrame.h"
#include "import/ThreeDsCameras.h"

#include "siv/SivFile.h"

#include <assimp/scene.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zamp::sivtool {

struct ImportOptions {
    bool makeCamera = true; // a model without a camera gets one that frames it from the front
    bool makeLight = true;  // a model without lights gets one white directional light
    float scale = 1.0f;     // every length is multiplied by this
    // Assimp's glTF reader stores yfov times the aspect ratio as the horizontal field of view.
    bool gltfCameras = false;
    // The glTF and 3DS readers copy the camera node's translation into the camera's own
    // position, so that the node alone places the camera.
    bool cameraPositionInNode = false;
    // The ASE reader hangs a camera's target node under the camera, but its keys are where
    // the target is in the scene, and its rest place is relative to the camera's position.
    bool targetKeysInScene = false;
    bool keepAmbient = false; // the file's ambient colour even where it is black
    bool strictTextures = false; // a texture not found stops the import (else its materials go untextured)
    bool keepEye = false;     // cameras keep their eye although the player's field of view differs
    std::optional<std::string> camera; // --camera N|NAME: which camera becomes camera 0
    SourceFrame frame;        // the file's up axis and unit, into the player's frame
    std::map<std::string, ThreeDsCamera> threeDsCameras; // a 3DS file's camera targets
    std::size_t vertexAnimationFrames = 0; // frames of a vertex-animated format (MD2), shown as the first
    TextureSettings textures;
};

struct ImportCounts {
    std::size_t meshes = 0, faces = 0, materials = 0, textures = 0, cameras = 0, lights = 0, tracks = 0;
    bool madeCamera = false, madeLight = false;
};

struct ConvertedModel {
    SivFile file;
    std::vector<TexturePlan> textures; // in texture id order, ids from 1
    ImportCounts counts;
    std::vector<std::string> converted; // one line per thing carried over, for --info
    std::vector<std::string> dropped;   // "what: why" for everything left out
    std::vector<std::string> warnings;  // carried over, but not exactly as the source has it
    std::vector<std::string> notes;     // changed on purpose, for the summary line
    std::string frame;                  // the up axis and unit used, for the summary line
    float radius = 0;                   // of the model's bounding sphere, after scaling
};

// Assimp's post-processing that the conversion expects: triangles, shared vertices, smooth
// normals where the model has none, primitives sorted by kind, texture rows top first.
unsigned importPostProcessing();

// The vertices and faces of one mesh as meshes the player can index: one when it fits, else
// parts of at most 65535 vertices each (faces keep their order).
std::vector<SivMesh> splitForPlayer(std::vector<SivVertex> vertices, std::vector<SivFace> faces);

// Throws an Error when the scene has no triangles to show (meshes the model library makes up
// to show a skeleton do not count).
ConvertedModel convertModel(const aiScene& scene, const ImportOptions& options);

// The player's vertical field of view in degrees: its cameras hand 45 to the projection as
// radians, which is 58.3 degrees.
double playerVerticalFovDegrees();

} // namespace zamp::sivtool

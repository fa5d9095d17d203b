// Which way is up in a model, and how long its unit is. Modelling programs disagree: Blender
// and 3ds Max work z-up, Maya and glTF y-up; FBX files say which in their settings, Collada
// files in their asset element, and many formats say nothing. The model library turns some
// of them y-up itself (3DS, MD2, Collada) and leaves others as the file has them (Blender,
// FBX). The import brings every model into one frame, y up with lengths in metres where the
// file names its unit, so that its meshes, cameras and lights stand as they stood in the
// program that made it.
#pragma once

#include <assimp/matrix4x4.h>
#include <assimp/scene.h>

#include <optional>
#include <string>

namespace zamp::sivtool {

enum class UpAxis { Y, Z };

struct SourceFrame {
    // Applied above the model's root node: from the axes and unit of the scene as the model
    // library gives it into y up and metres.
    aiMatrix4x4 toPlayerFrame;
    UpAxis up = UpAxis::Y;        // the file's own up axis, as used
    double metresPerUnit = 1.0;   // 1 where the file names no unit
    bool upFromFile = false;      // the file said which way is up
    bool upForced = false;        // --up said it
    bool unitFromFile = false;    // the file named its unit
    std::string describe() const; // "z up (the file's), 1 unit = 0.01 m (the file's)"
};

// The frame of `scene`, read from the file at `modelPath` (its name tells the format);
// `forcedUp` (--up) overrides what the file says, for files that say nothing or say it wrong.
SourceFrame sourceFrameOf(const aiScene& scene, const std::string& modelPath, std::optional<UpAxis> forcedUp);

// The model's file name extension in lower case, with its dot (".fbx").
std::string lowerExtension(const std::string& path);

} // namespace zamp::sivtool

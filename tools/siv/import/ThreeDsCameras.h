// The targets of a 3DS file's cameras. A 3DS camera looks at a target point that the editor
// keeps beside the camera (and animates on a track of its own); the model library reads the
// camera's position and roll but drops the target, so its cameras would look straight up.
// This reads the targets from the file's chunks: the camera records of the editor section and
// the target tracks of the keyframer. Coordinates are the file's own (z up); times are frames.
#pragma once

#include "core/Values.h"

#include <map>
#include <string>
#include <vector>

namespace zamp::sivtool {

struct ThreeDsKey {
    double frame = 0;
    Vec3 value;
};

struct ThreeDsCamera {
    Vec3 position, target;
    float bankDegrees = 0;            // the camera's roll about its view
    std::vector<ThreeDsKey> targetKeys; // empty when the target does not move
};

// By camera name. A file that is damaged or holds no cameras gives what could be read,
// perhaps nothing: the model library has read the file already and reports its own faults.
std::map<std::string, ThreeDsCamera> readThreeDsCameras(const std::vector<unsigned char>& file);
std::map<std::string, ThreeDsCamera> readThreeDsCameras(const std::string& path);

// The target at `frame`: straight between keys, held before the first and after the last.
Vec3 targetAt(const ThreeDsCamera& camera, double frame);

} // namespace zamp::sivtool

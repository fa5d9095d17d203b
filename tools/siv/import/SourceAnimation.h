// The motion of a model's nodes as Assimp describes it: each animated node's local transform
// from its position, rotation and scale keys (vectors interpolated linearly, rotations by
// spherical interpolation, held at the first and last key outside them), composed up the
// node hierarchy. This is what an import must reproduce; it knows nothing of SIV.
#pragma once

#include <assimp/anim.h>
#include <assimp/scene.h>

#include <map>
#include <string>
#include <vector>

namespace zamp::sivtool {

class SourceAnimation {
public:
    // `animation` may be null: then every node keeps its rest transform.
    SourceAnimation(const aiScene& scene, const aiAnimation* animation);

    // The node's transform in the scene (root's frame) at `seconds`, column vectors as Assimp
    // keeps them: global = parent's global * local.
    aiMatrix4x4 global(const aiNode& node, double seconds) const;
    aiMatrix4x4 local(const aiNode& node, double seconds) const;

    // True when the node or one of its ancestors has keys of more than one value (keys of one
    // value only pose the node).
    bool moves(const aiNode& node) const;
    // Every key time, in seconds, of the node and its moving ancestors, ascending, without
    // repeats.
    std::vector<double> keyTimes(const aiNode& node) const;

    // True when the node has keys of its own (perhaps of one value).
    bool hasKeys(const aiNode& node) const { return channel(node) != nullptr; }

    const aiAnimation* animation() const { return animation_; }
    double secondsPerTick() const { return secondsPerTick_; }

private:
    const aiNodeAnim* channel(const aiNode& node) const;

    const aiAnimation* animation_;
    double secondsPerTick_ = 1.0 / 25.0;
    std::map<std::string, const aiNodeAnim*> channels_;
};

// The node of `scene` called `name`, or null.
const aiNode* findNode(const aiScene& scene, const aiString& name);

} // namespace zamp::sivtool

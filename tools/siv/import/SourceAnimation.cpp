#include "import/SourceAnimation.h"

#include <algorithm>
#include <cmath>

namespace zamp::sivtool {

namespace {

// The key interval holding `tick` and the fraction into it; before the first key the first,
// after the last the last (fraction 0).
template <class Key>
std::pair<unsigned, double> locate(const Key* keys, unsigned count, double tick) {
    if (count == 1 || tick <= keys[0].mTime) return {0, 0.0};
    // Keys ascend in time: the first key later than `tick` ends its interval.
    const Key* later = std::upper_bound(keys, keys + count, tick, [](double t, const Key& k) { return t < k.mTime; });
    if (later == keys + count) return {count - 1, 0.0};
    const unsigned i = unsigned(later - keys) - 1;
    const double span = keys[i + 1].mTime - keys[i].mTime;
    return {i, span > 0 ? (tick - keys[i].mTime) / span : 0.0};
}

aiVector3D vectorAt(const aiVectorKey* keys, unsigned count, double tick, const aiVector3D& rest) {
    if (count == 0) return rest;
    const auto [i, u] = locate(keys, count, tick);
    if (u == 0.0) return keys[i].mValue;
    const aiVector3D& a = keys[i].mValue;
    const aiVector3D& b = keys[i + 1].mValue;
    return a + (b - a) * static_cast<ai_real>(u);
}

aiQuaternion rotationAt(const aiQuatKey* keys, unsigned count, double tick, const aiQuaternion& rest) {
    if (count == 0) return rest;
    const auto [i, u] = locate(keys, count, tick);
    if (u == 0.0) return keys[i].mValue;
    aiQuaternion out;
    aiQuaternion::Interpolate(out, keys[i].mValue, keys[i + 1].mValue, static_cast<ai_real>(u));
    return out.Normalize();
}

template <class Key>
bool keysDiffer(const Key* keys, unsigned count) {
    for (unsigned i = 1; i < count; ++i)
        if (!(keys[i].mValue == keys[0].mValue)) return true;
    return false;
}

// A channel whose keys all hold one value poses its node but does not move it.
bool varies(const aiNodeAnim& c) {
    return keysDiffer(c.mPositionKeys, c.mNumPositionKeys) || keysDiffer(c.mRotationKeys, c.mNumRotationKeys) ||
           keysDiffer(c.mScalingKeys, c.mNumScalingKeys);
}

const aiNode* findIn(const aiNode* node, const aiString& name) {
    if (!node) return nullptr;
    if (node->mName == name) return node;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        if (const aiNode* found = findIn(node->mChildren[i], name)) return found;
    return nullptr;
}

} // namespace

const aiNode* findNode(const aiScene& scene, const aiString& name) { return findIn(scene.mRootNode, name); }

SourceAnimation::SourceAnimation(const aiScene&, const aiAnimation* animation) : animation_(animation) {
    if (!animation) return;
    if (animation->mTicksPerSecond > 0 && std::isfinite(animation->mTicksPerSecond))
        secondsPerTick_ = 1.0 / animation->mTicksPerSecond;
    for (unsigned i = 0; i < animation->mNumChannels; ++i) {
        const aiNodeAnim* c = animation->mChannels[i];
        channels_.emplace(c->mNodeName.C_Str(), c); // the first channel of a node counts
    }
}

const aiNodeAnim* SourceAnimation::channel(const aiNode& node) const {
    const auto found = channels_.find(node.mName.C_Str());
    return found == channels_.end() ? nullptr : found->second;
}

aiMatrix4x4 SourceAnimation::local(const aiNode& node, double seconds) const {
    const aiNodeAnim* c = channel(node);
    if (!c) return node.mTransformation;
    aiVector3D restScale, restPosition;
    aiQuaternion restRotation;
    node.mTransformation.Decompose(restScale, restRotation, restPosition);
    const double tick = seconds / secondsPerTick_;
    const aiVector3D position = vectorAt(c->mPositionKeys, c->mNumPositionKeys, tick, restPosition);
    const aiQuaternion rotation = rotationAt(c->mRotationKeys, c->mNumRotationKeys, tick, restRotation);
    const aiVector3D scale = vectorAt(c->mScalingKeys, c->mNumScalingKeys, tick, restScale);
    aiMatrix4x4 t, s;
    aiMatrix4x4::Translation(position, t);
    aiMatrix4x4::Scaling(scale, s);
    return t * aiMatrix4x4(rotation.GetMatrix()) * s;
}

aiMatrix4x4 SourceAnimation::global(const aiNode& node, double seconds) const {
    aiMatrix4x4 m = local(node, seconds);
    for (const aiNode* p = node.mParent; p; p = p->mParent) m = local(*p, seconds) * m;
    return m;
}

bool SourceAnimation::moves(const aiNode& node) const {
    for (const aiNode* n = &node; n; n = n->mParent)
        if (const aiNodeAnim* c = channel(*n); c && varies(*c)) return true;
    return false;
}

std::vector<double> SourceAnimation::keyTimes(const aiNode& node) const {
    std::vector<double> times;
    for (const aiNode* n = &node; n; n = n->mParent) {
        const aiNodeAnim* c = channel(*n);
        if (!c || !varies(*c)) continue;
        for (unsigned i = 0; i < c->mNumPositionKeys; ++i) times.push_back(c->mPositionKeys[i].mTime * secondsPerTick_);
        for (unsigned i = 0; i < c->mNumRotationKeys; ++i) times.push_back(c->mRotationKeys[i].mTime * secondsPerTick_);
        for (unsigned i = 0; i < c->mNumScalingKeys; ++i) times.push_back(c->mScalingKeys[i].mTime * secondsPerTick_);
    }
    // A damaged file's NaN or infinite key time is no time at all.
    std::erase_if(times, [](double t) { return !std::isfinite(t); });
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

} // namespace zamp::sivtool

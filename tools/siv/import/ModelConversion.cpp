#include "import/ModelConversion.h"

#include "core/Error.h"
#include "import/Handedness.h"
#include "import/ImportCameras.h"
#include "import/ImportText.h"
#include "import/MotionFit.h"
#include "import/SourceAnimation.h"

#include <assimp/postprocess.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>

namespace zamp::sivtool {

namespace {

// The player indexes a mesh of fewer than 65535 faces with 16 bits: at most 65535 vertices.
constexpr std::size_t kMost16BitVertices = 65535;
constexpr std::size_t k32BitFaceCount = 65535;
// Played motion stays within half the promised tolerance (0.1 % of the model's radius, 0.1
// degree), which leaves room for rounding in the player.
constexpr double kDistanceTolerance = 0.0005;
constexpr double kDegreeTolerance = 0.05;
// The material the model library gives the mesh it makes up to show a skeleton in a file
// without meshes.
constexpr const char* kMadeUpSkeletonMaterial = "SkeletonMaterial";

SivRgb rgb(const aiColor3D& c) { return {c.r, c.g, c.b}; }

struct Instance {
    const aiNode* node;
    const aiMesh* mesh;
};

void collectInstances(const aiScene& scene, const aiNode* node, std::vector<Instance>& out) {
    // Assimp's readers do not check what a broken file's nodes and faces refer to.
    if (!node) return;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        if (node->mMeshes[i] >= scene.mNumMeshes)
            throw Error("node " + quoted(node->mName) + " refers to mesh " + std::to_string(node->mMeshes[i]) +
                        " of " + std::to_string(scene.mNumMeshes));
        out.push_back({node, scene.mMeshes[node->mMeshes[i]]});
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) collectInstances(scene, node->mChildren[i], out);
}

class Converter {
public:
    Converter(const aiScene& scene, const ImportOptions& options)
        : scene_(scene), options_(options),
          animation_(scene, scene.mNumAnimations > 0 ? scene.mAnimations[0] : nullptr) {
        aiMatrix4x4 scale;
        aiMatrix4x4::Scaling(aiVector3D(options.scale), scale);
        root_ = scale * options.frame.toPlayerFrame;
    }

    ConvertedModel run() {
        if (scene_.mRootNode) collectInstances(scene_, scene_.mRootNode, instances_);
        leaveOutMadeUpSkeletons();
        noteAnimations();
        measureBounds();
        convertMaterials();
        for (std::size_t i = 0; i < instances_.size(); ++i) convertInstance(instances_[i]);
        if (out_.file.meshes.empty())
            throw Error("the model holds no triangles to show (" + counted(scene_.mNumCameras, "camera", "cameras") +
                        " and " + counted(scene_.mNumLights, "light", "lights") + " only; a scene shows meshes)");
        convertCameras({scene_, animation_, root_, center_, tolerance(), options_}, out_);
        if (out_.file.cameras.empty() && options_.makeCamera) makeCamera();
        for (unsigned i = 0; i < scene_.mNumLights; ++i) convertLight(*scene_.mLights[i]);
        if (out_.file.lights.empty() && options_.makeLight) makeLight();
        count();
        out_.frame = options_.frame.describe();
        return std::move(out_);
    }

private:
    aiMatrix4x4 world(const aiNode& node, double seconds) const { return root_ * animation_.global(node, seconds); }

    // A file without meshes gets a mesh from the model library that draws its node tree;
    // it is not the model's, and the player would draw it as a black shape.
    void leaveOutMadeUpSkeletons() {
        if (!(scene_.mFlags & AI_SCENE_FLAGS_INCOMPLETE)) return;
        std::erase_if(instances_, [this](const Instance& inst) {
            return inst.mesh->mMaterialIndex < scene_.mNumMaterials &&
                   scene_.mMaterials[inst.mesh->mMaterialIndex]->GetName() == aiString(kMadeUpSkeletonMaterial);
        });
    }

    MotionTolerance tolerance() const { return {kDistanceTolerance * radius_, kDegreeTolerance}; }

    void noteAnimations() {
        for (unsigned i = 1; i < scene_.mNumAnimations; ++i)
            out_.dropped.push_back("animation " + quoted(scene_.mAnimations[i]->mName) +
                                   ": only the first animation is imported");
        if (const aiAnimation* a = animation_.animation()) {
            out_.converted.push_back("animation " + quoted(a->mName) + ": " + number(a->mDuration * animation_.secondsPerTick()) +
                                     " s, " + std::to_string(a->mNumChannels) + " animated nodes");
            if (a->mNumMeshChannels || a->mNumMorphMeshChannels)
                out_.dropped.push_back("animation " + quoted(a->mName) +
                                       ": vertex and morph animation (the player moves whole meshes only)");
            const std::size_t bones = animatedBones(*a);
            if (bones)
                out_.dropped.push_back("animation " + quoted(a->mName) + ": the skeletal motion of " +
                                       counted(bones, "bone", "bones") +
                                       " (the player moves whole meshes; skinned meshes keep their rest pose)");
        }
        if (options_.vertexAnimationFrames > 1)
            out_.dropped.push_back("vertex animation of " + std::to_string(options_.vertexAnimationFrames) +
                                   " frames (the player moves whole meshes; the first frame is shown)");
    }

    // The channels of `a` that move a bone of a skinned mesh.
    std::size_t animatedBones(const aiAnimation& a) const {
        std::set<std::string> bones;
        for (unsigned m = 0; m < scene_.mNumMeshes; ++m)
            for (unsigned b = 0; b < scene_.mMeshes[m]->mNumBones; ++b) bones.insert(scene_.mMeshes[m]->mBones[b]->mName.C_Str());
        std::size_t n = 0;
        for (unsigned c = 0; c < a.mNumChannels; ++c) n += bones.count(a.mChannels[c]->mNodeName.C_Str());
        return n;
    }

    void measureBounds() {
        aiVector3D lo(1e30f), hi(-1e30f);
        for (const Instance& inst : instances_) {
            const aiMatrix4x4 m = world(*inst.node, 0.0);
            for (unsigned v = 0; v < inst.mesh->mNumVertices; ++v) {
                const aiVector3D p = m * inst.mesh->mVertices[v];
                lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
                hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            }
        }
        if (lo.x > hi.x) return;
        center_ = (lo + hi) * 0.5f;
        radius_ = std::max(1e-6, length(hi - lo) / 2);
        out_.radius = float(radius_);
    }

    // One SIV material per source material that a mesh uses, in source order; texture ids
    // count from 1 in first-use order.
    void convertMaterials() {
        std::vector<bool> used(scene_.mNumMaterials, false);
        for (const Instance& inst : instances_)
            if (inst.mesh->mMaterialIndex < used.size()) used[inst.mesh->mMaterialIndex] = true;
        std::vector<std::string> references;
        std::size_t ambientFromDiffuse = 0;
        for (unsigned i = 0; i < scene_.mNumMaterials; ++i) {
            if (!used[i]) continue;
            materialIndex_[i] = std::int32_t(out_.file.materials.size());
            const aiMaterial& m = *scene_.mMaterials[i];
            SivMaterial record{};
            aiColor3D diffuse(1, 1, 1), ambient, specular(0, 0, 0);
            m.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
            // A material without an ambient colour (glTF has none), or a black one (what most
            // exporters write), answers the script's ambient light with its diffuse colour, as
            // fixed-function lighting usually has it; else its dark sides stay black.
            const bool hasAmbient = m.Get(AI_MATKEY_COLOR_AMBIENT, ambient) == AI_SUCCESS;
            if (!hasAmbient || (ambient.IsBlack() && !options_.keepAmbient)) {
                ambient = diffuse;
                ++ambientFromDiffuse;
            }
            m.Get(AI_MATKEY_COLOR_SPECULAR, specular);
            float shininess = 0;
            m.Get(AI_MATKEY_SHININESS, shininess);
            int twoSided = 0;
            m.Get(AI_MATKEY_TWOSIDED, twoSided);
            record.diffuse = rgb(diffuse);
            record.ambient = rgb(ambient);
            record.specular = rgb(specular);
            record.power = shininess;
            record.twoSided = twoSided ? 1 : 0;
            record.textureId = -1;
            aiString path;
            if (m.GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS ||
                m.GetTexture(aiTextureType_BASE_COLOR, 0, &path) == AI_SUCCESS) {
                auto found = std::find(references.begin(), references.end(), path.C_Str());
                if (found == references.end()) found = references.insert(references.end(), path.C_Str());
                record.textureId = std::int32_t(found - references.begin()) + 1;
            }
            if (m.GetTextureCount(aiTextureType_NORMALS) || m.GetTextureCount(aiTextureType_SPECULAR) ||
                m.GetTextureCount(aiTextureType_EMISSIVE) || m.GetTextureCount(aiTextureType_LIGHTMAP))
                out_.dropped.push_back("material " + materialName(i) +
                                       ": textures other than the diffuse one (the player draws one texture)");
            out_.converted.push_back("material " + std::to_string(materialIndex_[i]) + " from " + materialName(i) + ": diffuse " + vec({diffuse.r, diffuse.g, diffuse.b}) +
                                     (record.textureId > 0 ? ", texture " + references[record.textureId - 1] : "") +
                                     (record.twoSided ? ", two-sided" : ""));
            out_.file.materials.push_back(record);
        }
        if (ambientFromDiffuse)
            out_.notes.push_back("ambient = diffuse in " + counted(ambientFromDiffuse, "material", "materials") +
                                 " whose own is black or missing (--keep-ambient keeps the file's)");
        if (out_.file.materials.empty()) out_.file.materials.push_back(defaultMaterial());
        out_.textures = planTextures(scene_, references, options_.textures);
        leaveOutMissingTextures();
        for (std::size_t t = 0; t < out_.textures.size(); ++t)
            out_.file.textures.push_back(makeSivTextureEntry(std::int32_t(t) + 1, out_.textures[t].sivName));
    }

    // A texture that cannot be found leaves its materials untextured, with a warning; with
    // --strict it stays a problem that stops the import.
    void leaveOutMissingTextures() {
        const auto isMissing = [](const TexturePlan& t) { return t.missing; };
        if (options_.strictTextures || std::none_of(out_.textures.begin(), out_.textures.end(), isMissing)) return;
        std::vector<std::int32_t> newId(out_.textures.size() + 1, -1);
        std::vector<TexturePlan> kept;
        std::string missing;
        for (std::size_t t = 0; t < out_.textures.size(); ++t) {
            if (out_.textures[t].missing) {
                missing += (missing.empty() ? "" : ", ") + out_.textures[t].reference;
                continue;
            }
            kept.push_back(std::move(out_.textures[t]));
            newId[t + 1] = std::int32_t(kept.size());
        }
        for (SivMaterial& m : out_.file.materials)
            if (m.textureId > 0) m.textureId = newId[std::size_t(m.textureId)];
        const std::string line = counted(out_.textures.size() - kept.size(), "texture", "textures") + " not found: " + missing +
                                 " (their materials import untextured; --textures DIR names where else to look)";
        out_.warnings.push_back(line);
        out_.notes.push_back(line);
        out_.textures = std::move(kept);
    }

    static SivMaterial defaultMaterial() {
        SivMaterial m{};
        m.diffuse = m.ambient = {0.8f, 0.8f, 0.8f};
        m.textureId = -1;
        return m;
    }

    std::string materialName(unsigned i) const {
        const aiString name = scene_.mMaterials[i]->GetName();
        return std::to_string(i) + (name.length ? " " + quoted(name) : "");
    }

    void convertInstance(const Instance& inst) {
        const aiMesh& mesh = *inst.mesh;
        const bool moves = animation_.moves(*inst.node);
        const std::string name = "mesh " + quoted(mesh.mName) + " of node " + quoted(inst.node->mName);
        if (mesh.HasBones())
            out_.dropped.push_back(name + ": its skin (" + std::to_string(mesh.mNumBones) +
                                   " bones); it is shown in its rest pose");
        if (mesh.mNumAnimMeshes) out_.dropped.push_back(name + ": morph targets");
        if (mesh.HasVertexColors(0)) out_.dropped.push_back(name + ": vertex colours (the player lights materials)");
        if (mesh.GetNumUVChannels() > 1) out_.dropped.push_back(name + ": texture coordinates beyond the first set");

        // A still mesh has its whole transform baked in; a moving one only its scale, and its
        // tracks carry the rest.
        FittedMotion motion;
        aiMatrix4x4 baked;
        if (moves) {
            motion = fitInstanceMotion(*inst.node, name, baked);
        } else {
            baked = world(*inst.node, 0.0);
        }

        std::vector<SivVertex> vertices(mesh.mNumVertices);
        aiMatrix4x4 normalMatrix = baked;
        normalMatrix.Inverse().Transpose();
        for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
            SivVertex& out = vertices[v];
            out = SivVertex{};
            out.position = toPlayer(baked * mesh.mVertices[v]);
            if (mesh.HasNormals()) {
                aiVector3D n = transformDirection(normalMatrix, mesh.mNormals[v]);
                if (length(n) > 0) n.Normalize();
                out.normal = toPlayer(n);
            }
            if (mesh.HasTextureCoords(0)) {
                out.u = mesh.mTextureCoords[0][v].x;
                out.v = mesh.mTextureCoords[0][v].y;
            }
        }
        // Mirroring z turns every triangle over; a transform that mirrors as well turns it back.
        const bool reverse = baked.Determinant() > 0;
        const auto found = materialIndex_.find(mesh.mMaterialIndex);
        const std::int32_t material = found == materialIndex_.end() ? 0 : found->second;
        std::vector<SivFace> faces;
        std::size_t other = 0;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3) {
                ++other;
                continue;
            }
            for (unsigned k = 0; k < 3; ++k)
                if (face.mIndices[k] >= mesh.mNumVertices)
                    throw Error(name + ": a face refers to vertex " + std::to_string(face.mIndices[k]) + " of " +
                                std::to_string(mesh.mNumVertices));
            SivFace out{};
            out.indices[0] = std::int32_t(face.mIndices[0]);
            out.indices[1] = std::int32_t(face.mIndices[reverse ? 2 : 1]);
            out.indices[2] = std::int32_t(face.mIndices[reverse ? 1 : 2]);
            out.materialIndex = material;
            faces.push_back(out);
        }
        if (other) out_.dropped.push_back(name + ": " + std::to_string(other) + " points and lines (the player draws triangles)");
        if (faces.empty()) return;

        const std::vector<SivMesh> parts = splitForPlayer(std::move(vertices), std::move(faces));
        if (parts.size() > 1)
            out_.warnings.push_back(name + " has more vertices than the player indexes in one mesh: split into " +
                                    std::to_string(parts.size()) + " meshes");
        for (const SivMesh& part : parts) addMesh(part, motion, moves);
        out_.converted.push_back(name + ": " + std::to_string(mesh.mNumVertices) + " vertices, " +
                                 std::to_string(mesh.mNumFaces - other) + " faces, material " +
                                 std::to_string(material) + (moves ? ", animated" : ""));
    }

    void addMesh(SivMesh mesh, const FittedMotion& motion, bool moves) {
        const std::int32_t id = std::int32_t(out_.file.meshes.size()) + 1;
        mesh.header.objectId = id;
        mesh.header.rotation = {0, 0, 0, 1};
        if (moves) {
            const SivKey& p = motion.position.front();
            const SivKey& r = motion.rotation.front();
            mesh.header.position = p.value;
            mesh.header.rotation = {r.value.x, r.value.y, r.value.z, r.w};
            addTrack(kSivTrackPosition, id, motion.position);
            addTrack(kSivTrackRotation, id, motion.rotation);
        }
        out_.file.meshes.push_back(std::move(mesh));
    }

    void addTrack(std::int32_t kind, std::int32_t id, const std::vector<SivKey>& keys) {
        SivTrackRecord track;
        track.header.kind = kind;
        track.header.objectId = id;
        track.keys = keys;
        out_.file.tracks.push_back(std::move(track));
    }

    // The motion of a moving node as tracks; `baked` receives its scale, which the vertices
    // take (the player has no scale).
    FittedMotion fitInstanceMotion(const aiNode& node, const std::string& name, aiMatrix4x4& baked) {
        const std::vector<double> times = animation_.keyTimes(node);
        aiVector3D scale, position;
        aiQuaternion rotation;
        world(node, times.empty() ? 0.0 : times.front()).Decompose(scale, rotation, position);
        aiMatrix4x4::Scaling(scale, baked);
        for (double t : times) {
            aiVector3D s, p;
            aiQuaternion r;
            world(node, t).Decompose(s, r, p);
            if (length(s - scale) > 1e-3 * length(scale)) {
                out_.dropped.push_back(name + ": animated scale (the player cannot scale; it keeps the scale at the first key)");
                break;
            }
        }
        SourceMotion source;
        source.position = [this, &node](double t) {
            aiVector3D s, p;
            aiQuaternion r;
            world(node, t).Decompose(s, r, p);
            return toPlayer(p);
        };
        source.rotation = [this, &node](double t) {
            aiVector3D s, p;
            aiQuaternion r;
            world(node, t).Decompose(s, r, p);
            return toPlayer(r.Normalize());
        };
        return checkedFit(source, times, name);
    }

    FittedMotion checkedFit(const SourceMotion& source, const std::vector<double>& times, const std::string& name) {
        return fitNoting(source, times, tolerance(), name, out_.warnings);
    }

    void makeCamera() {
        // From the front: glTF's and most modellers' front faces +z, which is the player's -z.
        const double halfFov = playerVerticalFovDegrees() / 2 * M_PI / 180;
        const double fit = radius_ / std::sin(halfFov) * 1.1;
        // The near plane is fixed at 1: the camera never comes closer than that to the model.
        const double distance = std::max(fit, radius_ + 1.1);
        if (distance > fit * 1.5)
            out_.warnings.push_back("the model is small (radius " + number(radius_) +
                                    "): the made camera keeps the player's near plane (1 unit) clear of it and shows "
                                    "it small; --scale enlarges it");
        SivCamera record{};
        const Vec3 c = toPlayer(center_);
        record.position = {c.x, c.y, float(c.z - distance)};
        record.target = c;
        record.positionTrackId = record.targetTrackId = -1;
        out_.file.cameras.push_back(record);
        out_.counts.madeCamera = true;
        out_.converted.push_back("camera (made): eye " + vec(record.position) + ", target " + vec(record.target));
    }

    void convertLight(const aiLight& light) {
        const aiNode* node = findNode(scene_, light.mName);
        const std::string name = "light " + quoted(light.mName);
        SivLight record{};
        record.positionTrackId = record.targetTrackId = -1;
        switch (light.mType) {
        case aiLightSource_POINT: record.kind = kSivLightPoint; break;
        case aiLightSource_SPOT: record.kind = kSivLightSpot; break;
        case aiLightSource_DIRECTIONAL: record.kind = kSivLightDirectional; break;
        default:
            out_.dropped.push_back(name + ": ambient and area lights (the script sets the ambient light)");
            return;
        }
        const aiMatrix4x4 m = node ? world(*node, 0.0) : root_;
        record.position = toPlayer(m * light.mPosition);
        aiVector3D direction = transformDirection(m, light.mDirection);
        if (length(direction) > 0) direction.Normalize();
        record.direction = toPlayer(direction);
        // Physical intensities (glTF's candela) far above 1 would only saturate: the colour
        // keeps its hue at full brightness.
        aiColor3D colour = light.mColorDiffuse;
        const float brightest = std::max({colour.r, colour.g, colour.b});
        if (brightest > 1) {
            out_.warnings.push_back(name + ": its intensity " + number(brightest) + " is scaled to 1 (the player's lights have no falloff)");
            colour = colour * (1 / brightest);
        }
        record.color = rgb(colour);
        if (light.mType == aiLightSource_SPOT)
            out_.dropped.push_back(name + ": its cone (the player gives every spot light a fixed narrow cone)");
        if (light.mType != aiLightSource_DIRECTIONAL &&
            (light.mAttenuationLinear != 0 || light.mAttenuationQuadratic != 0))
            out_.dropped.push_back(name + ": its falloff (the player's lights reach 1000 units at full strength)");
        if (node && animation_.moves(*node)) out_.dropped.push_back(name + ": its motion (the player's lights stand still)");
        out_.converted.push_back(name + ": " + (record.kind == kSivLightPoint ? "point" : record.kind == kSivLightSpot ? "spot" : "directional") +
                                 ", colour " + vec({record.color.r, record.color.g, record.color.b}));
        out_.file.lights.push_back(record);
    }

    void makeLight() {
        // From above the made camera's left shoulder, towards the model.
        SivLight record{};
        record.kind = kSivLightDirectional;
        const float k = float(1 / std::sqrt(3.0));
        record.direction = {k, -k, k};
        record.color = {1, 1, 1};
        record.positionTrackId = record.targetTrackId = -1;
        out_.file.lights.push_back(record);
        out_.counts.madeLight = true;
        out_.converted.push_back("light (made): white directional light, direction " + vec(record.direction));
    }

    void count() {
        ImportCounts& c = out_.counts;
        c.meshes = out_.file.meshes.size();
        for (const SivMesh& m : out_.file.meshes) c.faces += m.faces.size();
        c.materials = out_.file.materials.size();
        c.textures = out_.file.textures.size();
        c.cameras = out_.file.cameras.size();
        c.lights = out_.file.lights.size();
        c.tracks = out_.file.tracks.size();
    }

    const aiScene& scene_;
    const ImportOptions& options_;
    SourceAnimation animation_;
    aiMatrix4x4 root_;
    std::vector<Instance> instances_;
    std::map<unsigned, std::int32_t> materialIndex_; // source material -> SIV material
    aiVector3D center_;
    double radius_ = 1;
    ConvertedModel out_;
};

} // namespace

std::vector<SivMesh> splitForPlayer(std::vector<SivVertex> vertices, std::vector<SivFace> faces) {
    std::vector<SivMesh> parts;
    if (vertices.size() <= kMost16BitVertices || faces.size() >= k32BitFaceCount) {
        parts.push_back({SivMeshHeader{}, std::move(vertices), std::move(faces)});
        return parts;
    }
    // Faces in order, each part taking vertices until one more face would pass the limit.
    std::map<std::int32_t, std::int32_t> remap;
    SivMesh part;
    for (const SivFace& face : faces) {
        std::size_t fresh = 0;
        for (std::int32_t i : face.indices) fresh += remap.count(i) ? 0 : 1;
        if (part.vertices.size() + fresh > kMost16BitVertices) {
            parts.push_back(std::move(part));
            part = SivMesh{};
            remap.clear();
        }
        SivFace out = face;
        for (std::int32_t& i : out.indices) {
            auto [slot, added] = remap.emplace(i, std::int32_t(part.vertices.size()));
            if (added) part.vertices.push_back(vertices[std::size_t(i)]);
            i = slot->second;
        }
        part.faces.push_back(out);
    }
    if (!part.faces.empty()) parts.push_back(std::move(part));
    return parts;
}

unsigned importPostProcessing() {
    return aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals | aiProcess_SortByPType |
           aiProcess_FlipUVs;
}

double playerVerticalFovDegrees() {
    // The projection's y scale is 1 / tan(45 / 2) with the angle in radians.
    const double yScale = 1 / std::tan(45.0 / 2);
    return 2 * std::atan(1 / yScale) * 180 / M_PI;
}

ConvertedModel convertModel(const aiScene& scene, const ImportOptions& options) { return Converter(scene, options).run(); }

} // namespace zamp::sivtool

#include "import/ImportCameras.h"

#include "core/Error.h"
#include "import/Handedness.h"
#include "import/ImportText.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace zamp::sivtool {

namespace {

// Object ids of cameras' tracks start here, far from the meshes' 1, 2, 3, ...
constexpr std::int32_t kFirstCameraTrackId = 1000000;
// A source camera whose field of view differs from the player's by more than this is
// framed anew (or named, with --keep-eye).
constexpr double kFovSlackDegrees = 1.0;
// A roll smaller than this is rounding, not a turn of the camera.
constexpr double kRollSlackDegrees = 0.5;

aiVector3D normalised(aiVector3D v) { return length(v) > 0 ? v.Normalize() : v; }

double degrees(double radians) { return radians * 180 / M_PI; }

// The angle of a rotation, in degrees.
double turnDegrees(const aiQuaternion& q) { return degrees(2 * std::acos(std::min(1.0, std::fabs(double(q.w))))); }

class CameraConverter {
public:
    CameraConverter(const CameraSource& source, ConvertedModel& out) : s_(source), out_(out) {}

    void run() {
        for (unsigned i = 0; i < s_.scene.mNumCameras; ++i) convert(*s_.scene.mCameras[i]);
        if (s_.options.camera) putChosenFirst(*s_.options.camera);
    }

private:
    aiMatrix4x4 world(const aiNode& node, double t) const { return s_.root * s_.animation.global(node, t); }

    // Where the camera's eye, target and up are at a time, in the scene's frame.
    struct View {
        std::function<aiVector3D(double)> eye, target, up;
        std::vector<double> times; // key times of everything that moves the view
        bool pointTarget = false;  // the source names a target point (else only a direction)
        bool fromThreeDs = false;
        const ThreeDsCamera* threeDs = nullptr;
    };

    View viewOf(const aiCamera& camera, const aiNode* node) const {
        View v;
        // Where the reader copied the node's translation into the camera, the node alone
        // places it.
        const aiVector3D own = node && s_.options.cameraPositionInNode ? aiVector3D() : camera.mPosition;
        v.eye = [this, node, own](double t) { return node ? world(*node, t) * own : s_.root * own; };
        if (node) v.times = s_.animation.keyTimes(*node);

        const aiString targetName((std::string(camera.mName.C_Str()) + ".Target").c_str());
        const aiNode* targetNode = findNode(s_.scene, targetName);
        const auto threeDs = s_.options.threeDsCameras.find(camera.mName.C_Str());
        if (targetNode) {
            v.pointTarget = true;
            if (s_.options.targetKeysInScene && node) {
                v.target = [this, node, targetNode](double t) {
                    const aiMatrix4x4 above = node->mParent ? world(*node->mParent, t) : s_.root;
                    const aiMatrix4x4 own = s_.animation.local(*targetNode, t);
                    aiVector3D place(own.a4, own.b4, own.c4);
                    if (!s_.animation.hasKeys(*targetNode)) {
                        const aiMatrix4x4 camera = s_.animation.local(*node, t);
                        place += aiVector3D(camera.a4, camera.b4, camera.c4);
                    }
                    return above * place;
                };
            } else {
                v.target = [this, targetNode](double t) { return world(*targetNode, t) * aiVector3D(); };
            }
            const std::vector<double> more = s_.animation.keyTimes(*targetNode);
            v.times.insert(v.times.end(), more.begin(), more.end());
        } else if (threeDs != s_.options.threeDsCameras.end() && s_.scene.mRootNode) {
            v.pointTarget = v.fromThreeDs = true;
            v.threeDs = &threeDs->second;
            const double perTick = s_.animation.secondsPerTick();
            v.target = [this, record = v.threeDs, perTick](double t) {
                const Vec3 p = targetAt(*record, t / perTick);
                return world(*s_.scene.mRootNode, t) * aiVector3D(p.x, p.y, p.z);
            };
            if (v.threeDs->targetKeys.size() > 1)
                for (const ThreeDsKey& k : v.threeDs->targetKeys) v.times.push_back(k.frame * perTick);
        } else {
            // Only a direction: the target lies as far ahead as the model's centre, so that
            // `siv info` shows a point on the model rather than one a unit before the lens.
            const double reach = std::max(1.0, length(s_.center - v.eye(0.0)));
            v.target = [this, node, &camera, eye = v.eye, reach](double t) {
                const aiVector3D d = node ? transformDirection(world(*node, t), camera.mLookAt) : camera.mLookAt;
                return eye(t) + normalised(d) * ai_real(reach);
            };
        }
        v.up = [this, node, &camera](double t) {
            return normalised(node ? transformDirection(world(*node, t), camera.mUp) : camera.mUp);
        };
        std::sort(v.times.begin(), v.times.end());
        v.times.erase(std::unique(v.times.begin(), v.times.end()), v.times.end());
        return v;
    }

    // The source's vertical field of view in degrees, or nullopt when it has none.
    std::optional<double> verticalFov(const aiCamera& camera) const {
        if (!(camera.mHorizontalFOV > 0)) return std::nullopt;
        // Assimp gives the horizontal angle; the vertical one follows from the aspect ratio.
        // Its glTF reader stores the vertical angle times the aspect ratio instead.
        const double aspect = camera.mAspect > 0 ? camera.mAspect : 4.0 / 3.0;
        const double radians = s_.options.gltfCameras ? camera.mHorizontalFOV / aspect
                                                      : 2 * std::atan(std::tan(camera.mHorizontalFOV / 2) / aspect);
        return degrees(radians);
    }

    // How the eye moves along its view so that the player's fixed field of view frames what
    // the source framed at the target: a factor on the eye's distance, or an exact distance
    // for an orthographic camera.
    struct Framing {
        double factor = 1;
        std::optional<double> distance;
    };

    Framing framingOf(const aiCamera& camera, const std::string& name) {
        Framing f;
        const double player = playerVerticalFovDegrees();
        const double halfPlayer = player / 2 * M_PI / 180;
        if (camera.mOrthographicWidth > 0 && !(camera.mHorizontalFOV > 0)) {
            const double aspect = camera.mAspect > 0 ? camera.mAspect : 4.0 / 3.0;
            const double halfHeight = camera.mOrthographicWidth / aspect;
            f.distance = halfHeight / std::tan(halfPlayer);
            out_.warnings.push_back(name + " is orthographic: it becomes a perspective camera that frames the same " +
                                    number(2 * halfHeight) + " units high at its target");
            return f;
        }
        const std::optional<double> source = verticalFov(camera);
        if (!source || std::fabs(*source - player) <= kFovSlackDegrees) return f;
        if (s_.options.keepEye) {
            out_.warnings.push_back(name + " has a vertical field of view of " + number(*source) +
                                    " degrees; the player always shows " + number(player) +
                                    " degrees (its fixed field of view of 45), so the picture is framed differently");
            return f;
        }
        f.factor = std::tan(*source / 2 * M_PI / 180) / std::tan(halfPlayer);
        out_.warnings.push_back(name + " has a vertical field of view of " + number(*source) + " degrees and the player shows " +
                                number(player) + ": its eye moves to " + number(f.factor) +
                                " times its distance from the target, so that the picture is framed as in the source "
                                "(--keep-eye keeps the eye where it is)");
        return f;
    }

    static aiVector3D framedEye(const aiVector3D& eye, const aiVector3D& target, const Framing& f) {
        const aiVector3D back = eye - target;
        if (f.distance) return target + normalised(back) * ai_real(*f.distance);
        return target + back * ai_real(f.factor);
    }

    // The player's cameras keep y up: a camera turned about its view loses the turn.
    void noteRoll(const aiNode* node, const View& v, const std::string& name) {
        bool rolled = false;
        if (v.fromThreeDs) {
            // A 3DS camera's node turns only about the view: its roll, besides the bank angle.
            rolled = std::fabs(v.threeDs->bankDegrees) > kRollSlackDegrees;
            if (node) {
                aiVector3D scale, position;
                aiQuaternion rotation;
                std::vector<double> times = v.times;
                times.push_back(0.0);
                for (double t : times) {
                    s_.animation.local(*node, t).Decompose(scale, rotation, position);
                    rolled = rolled || turnDegrees(rotation) > kRollSlackDegrees;
                }
            }
        } else {
            std::vector<double> times = v.times;
            times.push_back(0.0);
            for (double t : times) {
                const aiVector3D direction = normalised(v.target(t) - v.eye(t));
                const aiVector3D side = direction ^ v.up(t);
                if (std::fabs(side.y) > std::sin(kRollSlackDegrees * M_PI / 180) * length(side)) rolled = true;
            }
        }
        if (rolled) out_.dropped.push_back(name + ": its roll (the player's cameras always keep y up)");
    }

    void convert(const aiCamera& camera) {
        const aiNode* node = findNode(s_.scene, camera.mName);
        const std::string name = "camera " + quoted(camera.mName);
        const View v = viewOf(camera, node);
        const Framing framing = framingOf(camera, name);
        noteRoll(node, v, name);
        auto eyeAt = [&](double t) { return framedEye(v.eye(t), v.target(t), framing); };

        SivCamera record{};
        record.position = toPlayer(eyeAt(0.0));
        record.target = toPlayer(v.target(0.0));
        record.positionTrackId = record.targetTrackId = -1;
        if (moves(v, eyeAt)) {
            SourceMotion source;
            source.position = [&](double t) { return toPlayer(eyeAt(t)); };
            source.target = [&](double t) { return toPlayer(v.target(t)); };
            const FittedMotion fit = fitNoting(source, v.times, s_.tolerance, name, out_.warnings);
            record.positionTrackId = kFirstCameraTrackId + 2 * std::int32_t(out_.file.cameras.size());
            record.targetTrackId = record.positionTrackId + 1;
            addTrack(record.positionTrackId, fit.position);
            addTrack(record.targetTrackId, fit.target);
        }
        names_.push_back(camera.mName.C_Str());
        out_.converted.push_back(name + ": eye " + vec(record.position) + ", target " + vec(record.target) +
                                 (record.positionTrackId >= 0 ? ", animated" : ""));
        out_.file.cameras.push_back(record);
    }

    // Whether the eye or the target goes anywhere: a camera that only turns about its view
    // (a 3DS roll) keeps still.
    template <class Eye>
    static bool moves(const View& v, const Eye& eyeAt) {
        const aiVector3D eye = eyeAt(0.0), target = v.target(0.0);
        const double scale = std::max(1.0, length(target - eye));
        return std::any_of(v.times.begin(), v.times.end(), [&](double t) {
            return length(eyeAt(t) - eye) > 1e-6 * scale || length(v.target(t) - target) > 1e-6 * scale;
        });
    }

    void addTrack(std::int32_t id, const std::vector<SivKey>& keys) {
        SivTrackRecord track;
        track.header.kind = kSivTrackPosition;
        track.header.objectId = id;
        track.keys = keys;
        out_.file.tracks.push_back(std::move(track));
    }

    // --camera N (counting from 0 in the file's order) or NAME.
    void putChosenFirst(const std::string& wanted) {
        std::size_t chosen = names_.size();
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == wanted) chosen = i;
        if (chosen == names_.size() && !wanted.empty() &&
            wanted.find_first_not_of("0123456789") == std::string::npos && wanted.size() < 9)
            chosen = std::size_t(std::stoul(wanted));
        if (chosen >= names_.size()) {
            std::string list;
            for (std::size_t i = 0; i < names_.size(); ++i)
                list += (i ? ", " : "") + std::to_string(i) + " \"" + names_[i] + "\"";
            throw Error("--camera " + wanted + ": the model has no such camera (" +
                        (names_.empty() ? std::string("it has none") : "its cameras: " + list) + ")");
        }
        auto& cameras = out_.file.cameras;
        std::rotate(cameras.begin(), cameras.begin() + std::ptrdiff_t(chosen), cameras.begin() + std::ptrdiff_t(chosen) + 1);
        out_.converted.push_back("camera \"" + names_[chosen] + "\" is camera 0 (--camera)");
    }

    const CameraSource& s_;
    ConvertedModel& out_;
    std::vector<std::string> names_; // in the file's order
};

} // namespace

FittedMotion fitNoting(const SourceMotion& motion, const std::vector<double>& times, const MotionTolerance& tolerance,
                       const std::string& name, std::vector<std::string>& warnings) {
    FittedMotion fit = fitMotion(motion, times, tolerance);
    if (!fit.withinTolerance)
        warnings.push_back(name + ": its motion is followed to within " + number(fit.worstDistance) + " units and " +
                           number(fit.worstDegrees) + " degrees only");
    return fit;
}

void convertCameras(const CameraSource& source, ConvertedModel& out) { CameraConverter(source, out).run(); }

} // namespace zamp::sivtool

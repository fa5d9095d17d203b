// Tracks, cameras and lights: which curves a track feeds, the fallback key of a curve that no
// track names, the fixed camera keys, and how light kinds become Direct3D lights.
#include "support/SivTestSupport.h"

#include "platform/Platform.h"
#include "show/TextureRegistry.h"
#include "support/RecordingDevice.h"
#include "show/SivSceneBuilder.h"
#include "siv/SivSceneCheck.h"
#include "show/SivTracks.h"

using namespace zamp;
using namespace zamp::sivtest;

namespace {

// The fallback key: time 0, tension 1, continuity 0, bias 0.
void expectRestingKey(const TCBCurve<Vec3>& curve, Vec3 value, const char* what) {
    ASSERT_EQ(curve.keyCount(), 1u) << what;
    const TCBKey<Vec3>& k = curve.keys()[0];
    EXPECT_EQ(k.time, 0.0f) << what;
    EXPECT_EQ(k.tension, 1.0f) << what;
    EXPECT_EQ(k.continuity, 0.0f) << what;
    EXPECT_EQ(k.bias, 0.0f) << what;
    EXPECT_EQ(k.value, value) << what;
}

std::vector<float> times(const TCBCurve<Vec3>& curve) {
    std::vector<float> out;
    for (const auto& k : curve.keys()) out.push_back(k.time);
    return out;
}

std::vector<float> times(const LinearQuaternionCurve& curve) {
    std::vector<float> out;
    for (const auto& k : curve.keys()) out.push_back(k.time);
    return out;
}

class SivTracks : public ::testing::Test {
protected:
    std::unique_ptr<Scene> build(const SivFile& file) { return buildSivScene(device, *imageFiles, textures, checkSivScene(file, "t.siv"), "t"); }
    test::RecordingDevice device;
    std::unique_ptr<ImageFiles> imageFiles = openImageFiles();
    TextureRegistry textures;
};

} // namespace

TEST(SivFillCurve, KeysOfEveryMatchingTrackInFileOrderOrOneRestingKey) {
    const std::vector<SivTrackRecord> records = {
        track(kSivTrackPosition, 3, {key(5, {1, 1, 1}, 0, 0.1f, 0.2f, 0.3f), key(1, {2, 2, 2})}),
        track(kSivTrackRotation, 3, {key(7, {0, 0, 1}, 0.5f)}),
        track(kSivTrackPosition, 4, {key(9, {9, 9, 9})}),
        track(kSivTrackPosition, 3, {key(0.5f, {3, 3, 3})}),
        track(kSivTrackPosition, 6, {}),
    };
    const SivTrackIndex tracks(records);

    TCBCurve<Vec3> position;
    fillSivCurve(tracks, 3, kSivTrackPosition, position, {100, 100, 100});
    // Not sorted: the first track's keys in stored order, then the second matching track's.
    EXPECT_EQ(times(position), (std::vector<float>{5, 1, 0.5f}));
    const TCBKey<Vec3>& first = position.keys()[0];
    EXPECT_EQ(first.value, (Vec3{1, 1, 1}));
    EXPECT_EQ(first.tension, 0.1f);
    EXPECT_EQ(first.continuity, 0.2f);
    EXPECT_EQ(first.bias, 0.3f);

    LinearQuaternionCurve rotation;
    fillSivCurve(tracks, 3, kSivTrackRotation, rotation, {1, 0, 0, 0});
    ASSERT_EQ(rotation.keyCount(), 1u);
    EXPECT_EQ(rotation.keys()[0].time, 7.0f);
    EXPECT_EQ(rotation.keys()[0].value, (Quaternion{0, 0, 1, 0.5f})) << "w comes from the key's fourth real";

    TCBCurve<Vec3> unnamed;
    fillSivCurve(tracks, 5, kSivTrackPosition, unnamed, {4, 5, 6});
    expectRestingKey(unnamed, {4, 5, 6}, "no track names id 5");

    LinearQuaternionCurve unrotated;
    fillSivCurve(tracks, 4, kSivTrackRotation, unrotated, {0.1f, 0.2f, 0.3f, 0.9f});
    ASSERT_EQ(unrotated.keyCount(), 1u);
    EXPECT_EQ(unrotated.keys()[0].time, 0.0f);
    EXPECT_EQ(unrotated.keys()[0].value, (Quaternion{0.1f, 0.2f, 0.3f, 0.9f}));

    TCBCurve<Vec3> empty;
    fillSivCurve(tracks, 6, kSivTrackPosition, empty, {1, 2, 3});
    EXPECT_EQ(empty.keyCount(), 0u) << "a matching track without keys is a match: no fallback key";
}

TEST_F(SivTracks, MeshCurvesTakeTheirTracksOrTheHeaderValues) {
    SivFile file;
    file.materials.push_back(material(1));
    file.meshes = {quadMesh(1), quadMesh(2), quadMesh(3), quadMesh(4)};
    file.meshes[3].header.position = {7, 8, 9};
    file.meshes[3].header.rotation = {0.5f, 0.5f, 0.5f, 0.5f};
    file.tracks = {
        track(kSivTrackPosition, 1, {key(0, {1, 0, 0}), key(1, {2, 0, 0})}),
        track(kSivTrackRotation, 2, {key(0, {0, 1, 0}, 0), key(3, {0, 0, 1}, 0)}),
        // A track without keys beside one with keys: the curve has keys.
        track(kSivTrackPosition, 3, {}),
        track(kSivTrackPosition, 3, {key(5, {})}),
        // Kinds that feed no curve, all naming mesh 4.
        track(0, 4, {key(5, {})}),
        track(kSivTrackScale, 4, {key(5, {})}),
        track(4, 4, {key(5, {})}),
        track(-1, 4, {key(5, {})}),
    };
    const auto scene = build(file);
    const auto& m = scene->meshes;
    EXPECT_EQ(times(m[0]->position), (std::vector<float>{0, 1}));
    ASSERT_EQ(m[0]->rotation.keyCount(), 1u);
    EXPECT_EQ(m[0]->rotation.keys()[0].value, (Quaternion{0, 0, 0, 1}));
    expectRestingKey(m[1]->position, {1, 2, 3}, "mesh 2 position");
    EXPECT_EQ(times(m[1]->rotation), (std::vector<float>{0, 3}));
    EXPECT_EQ(times(m[2]->position), (std::vector<float>{5}));
    expectRestingKey(m[3]->position, {7, 8, 9}, "mesh 4 position");
    ASSERT_EQ(m[3]->rotation.keyCount(), 1u);
    EXPECT_EQ(m[3]->rotation.keys()[0].value, (Quaternion{0.5f, 0.5f, 0.5f, 0.5f}));
}

TEST_F(SivTracks, ACurveWhoseTracksHoldNoKeysEndsTheLoadNamingTheObjectAndTrack) {
    // Such a curve cannot be evaluated: the first frame used to fail with the curve's message,
    // naming no file, mesh or track. Cameras and meshes are checked in the order they are built.
    auto noKeys = [](std::int32_t kind, std::int32_t id, std::int32_t keyCount) {
        SivTrackRecord t = track(kind, id, {});
        t.header.keyCount = keyCount;
        return t;
    };
    struct Case {
        const char* what;
        SivTrackRecord damage;
        std::string message;
    };
    const Case cases[] = {
        {"mesh position", noKeys(kSivTrackPosition, 2, 0),
         "File t.siv: mesh 1 has no position: its position track 1 (object 2) has no keys (key count 0)."},
        {"mesh rotation, negative count", noKeys(kSivTrackRotation, 1, -3),
         "File t.siv: mesh 0 has no rotation: its rotation track 1 (object 1) has no keys (key count -3)."},
        {"camera eye", noKeys(kSivTrackPosition, 10, 0),
         "File t.siv: camera 0 has no position: its position track 1 (object 10) has no keys (key count 0)."},
        {"camera target", noKeys(kSivTrackPosition, 11, -1),
         "File t.siv: camera 0 has no target: its target track 1 (object 11) has no keys (key count -1)."},
    };
    for (const Case& c : cases) {
        SivFile file;
        file.materials.push_back(material(1));
        file.meshes = {quadMesh(1), quadMesh(2)};
        file.cameras = {camera({0, 0, -5}, {}, 10, 11)};
        file.tracks = {track(kSivTrackPosition, 1, {key(0, {})}), c.damage};
        const Failure f = failureOf([&] { build(file); });
        EXPECT_EQ(f.kind, Failure::Message) << c.what;
        EXPECT_EQ(f.text, c.message) << c.what;
        // `siv info` runs the same check without a device.
        EXPECT_EQ(failureOf([&] { checkSivScene(file, "t.siv"); }).text, c.message) << c.what;
    }
    // Rotation tracks feed no camera curve: an empty one naming a camera is no fault.
    SivFile file;
    file.cameras = {camera({0, 0, -5}, {}, 10, 11)};
    file.tracks = {noKeys(kSivTrackRotation, 10, 0)};
    EXPECT_EQ(failureOf([&] { build(file); }).kind, Failure::None);
}

TEST_F(SivTracks, CurvesMayNotCopyTheSameKeysIntoThousandsOfObjects) {
    // 200 meshes sharing object id 1 and one track of 1000 keys: 200000 keys copied from 1000
    // stored. A few shared ids (a mesh and a camera) stay well inside the bound.
    SivFile file;
    file.materials.push_back(material(1));
    std::vector<SivKey> keys;
    for (int k = 0; k < 1000; ++k) keys.push_back(key(float(k), {}));
    file.tracks = {track(kSivTrackPosition, 1, keys)};
    file.meshes.assign(4, quadMesh(1));
    EXPECT_EQ(failureOf([&] { build(file); }).kind, Failure::None);
    file.meshes.assign(200, quadMesh(1));
    const std::string message = "File t.siv: its meshes and cameras would copy 200000 keys from its tracks, more "
                                "than 4 times the 1000 keys the tracks hold (many meshes or cameras share one object id).";
    EXPECT_EQ(failureOf([&] { build(file); }).text, message);
    EXPECT_EQ(failureOf([&] { checkSivScene(file, "t.siv"); }).text, message);
}

TEST_F(SivTracks, CamerasTakePositionTracksOnlyAndFixedFovAndUp) {
    SivFile file;
    file.materials.push_back(material(1));
    file.meshes = {quadMesh(20)};
    file.cameras = {camera({1, 2, 3}, {4, 5, 6}, 20, 21), camera({7, 7, 7}, {8, 8, 8}, 30, 31)};
    file.tracks = {
        // Shared by the mesh and the first camera's eye: feeds both.
        track(kSivTrackPosition, 20, {key(2, {0, 0, -5}), key(4, {0, 0, -9})}),
        // Rotation tracks naming only camera ids change nothing.
        track(kSivTrackRotation, 21, {key(1, {1, 0, 0}, 0)}),
        track(kSivTrackRotation, 30, {key(1, {1, 0, 0}, 0)}),
        track(kSivTrackPosition, 31, {key(6, {1, 1, 1})}),
    };
    const auto scene = build(file);
    EXPECT_EQ(times(scene->meshes[0]->position), (std::vector<float>{2, 4}));
    ASSERT_EQ(scene->cameras.size(), 2u);

    const SceneCamera& a = scene->cameras[0];
    EXPECT_EQ(times(a.position), (std::vector<float>{2, 4}));
    expectRestingKey(a.target, {4, 5, 6}, "camera 0 target");
    const SceneCamera& b = scene->cameras[1];
    expectRestingKey(b.position, {7, 7, 7}, "camera 1 position");
    EXPECT_EQ(times(b.target), (std::vector<float>{6}));

    for (const SceneCamera& c : scene->cameras) {
        expectRestingKey(c.up, {0, 1, 0}, "up");
        ASSERT_EQ(c.fov.keyCount(), 1u);
        EXPECT_EQ(c.fov.keys()[0].value, 45.0f);
        EXPECT_EQ(c.fov.keys()[0].time, 0.0f);
        EXPECT_EQ(c.fov.keys()[0].tension, 1.0f);
        EXPECT_EQ(c.nearPlane, 1.0f);
        EXPECT_EQ(c.farPlane, 100000.0f);
    }
}

TEST(SivLights, KindsBecomeTypesAndEverythingElseIsFixed) {
    struct Case {
        std::int32_t kind;
        DWORD type;
    };
    const Case cases[] = {{0, D3DLIGHT_POINT}, {1, D3DLIGHT_SPOT}, {2, 0}, {3, 0}, {4, D3DLIGHT_DIRECTIONAL}, {-1, 0}, {5, 0}};
    for (const Case& c : cases) {
        SivLight record = light(c.kind, {1, 2, 3}, {0, -1, 0.5f}, {0.2f, 0.4f, 0.6f});
        const Light l = buildSivLight(record).light;
        EXPECT_EQ(l.type, c.type) << c.kind;
        EXPECT_EQ(l.diffuse, (Vec4{0.2f, 0.4f, 0.6f, 1.0f})) << c.kind;
        EXPECT_EQ(l.specular, (Vec4{})) << c.kind;
        EXPECT_EQ(l.ambient, (Vec4{})) << c.kind;
        EXPECT_EQ(l.position, (Vec3{1, 2, 3})) << c.kind;
        EXPECT_EQ(l.direction, (Vec3{0, -1, 0.5f})) << c.kind;
        EXPECT_EQ(l.range, 1000.0f) << c.kind;
        EXPECT_EQ(l.attenuation0, 1.0f) << c.kind;
        EXPECT_EQ(l.attenuation1, 0.0f) << c.kind;
        EXPECT_EQ(l.attenuation2, 0.0f) << c.kind;
        const bool spot = c.kind == kSivLightSpot;
        EXPECT_EQ(l.theta, spot ? 0.01f : 0.0f) << c.kind;
        EXPECT_EQ(l.phi, spot ? 0.02f : 0.0f) << c.kind;
        EXPECT_EQ(l.falloff, spot ? 1.0f : 0.0f) << c.kind;
    }
}

TEST_F(SivTracks, LightsKeepFileOrderAndIgnoreTracks) {
    SivFile file;
    for (std::int32_t kind : {4, 1, 0, 3}) file.lights.push_back(light(kind));
    file.lights[2].positionTrackId = 9;
    file.tracks = {track(kSivTrackPosition, 9, {key(0, {50, 50, 50})})};
    const auto scene = build(file);
    ASSERT_EQ(scene->lights.size(), 4u);
    EXPECT_EQ(scene->lights[0].light.type, DWORD{D3DLIGHT_DIRECTIONAL});
    EXPECT_EQ(scene->lights[1].light.type, DWORD{D3DLIGHT_SPOT});
    EXPECT_EQ(scene->lights[2].light.type, DWORD{D3DLIGHT_POINT});
    EXPECT_EQ(scene->lights[2].light.position, (Vec3{1, 2, 3}));
    EXPECT_EQ(scene->lights[3].light.type, 0u);
}

// Skipping the meshes out of a camera's view changes no pixel: scenes swept across every side of
// the view, drawn by the real OpenGL device with culling on and off, frame by frame, compared
// byte for byte; and the meshes really were skipped.
#include "gfx/ClipVolume.h"
#include "gfx/D3DXMath.h"
#include "show/ImageLayer.h"
#include "show/SceneLayer.h"
#include "show/Show.h"
#include "support/SceneMaker.h"
#include "support/ShowSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zamp {
namespace {

// A small back buffer: half a pixel is a larger part of the view, and frames are quick.
constexpr int kWidth = 256, kHeight = 192;

std::size_t differingBytes(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height) return a.pixels.size() + b.pixels.size();
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

bool anyLit(const RgbImage& image) {
    for (std::uint8_t byte : image.pixels)
        if (byte != 0) return true;
    return false;
}

Vec4 colour(int i, float alpha = 1) {
    return {0.2f + 0.1f * float(i % 7), 0.9f - 0.12f * float(i % 5), 0.3f + 0.2f * float(i % 3), alpha};
}

struct CullingSweep : ::testing::Test {
    test::OffscreenGl gl{kWidth, kHeight};
    Device& device = gl.device();
    Show show;
    TextureRecord checker;

    CullingSweep() {
        checker.texture = device.createTexture(2, 2, 0, D3DFMT_A8R8G8B8);
        const std::uint32_t texels[] = {0xFFFF8040, 0x80204080, 0x4080FF20, 0xFFFFFFFF};
        checker.texture->upload(texels);
    }

    // A mesh moving in straight lines through `path` over times 0, 1, 2, ... (TCB keys with
    // tension 1, so it eases between them), turning with `rotation` (not normalised: a quaternion
    // of another length also stretches the mesh).
    SceneMesh& moving(Scene& s, std::unique_ptr<Mesh> mesh, std::initializer_list<Vec3> path, int look,
                      Quaternion rotation = {0, 0, 0, 1}) {
        auto owned = std::make_unique<SceneMesh>();
        SceneMesh& m = *owned;
        m.mesh = std::move(mesh);
        m.bounds = boundingBoxOf(*m.mesh);
        m.material = test::plainMaterial(colour(look), colour(look + 3));
        float time = 0;
        for (const Vec3& p : path) m.position.addKey({time++, 1, 0, 0, p});
        m.rotation.addKey({0, rotation});
        s.meshes.push_back(std::move(owned));
        m.material.specular = {0.5f, 0.5f, 0.5f, 1};
        m.material.power = 8;
        return m;
    }
    void textured(SceneMesh& m) {
        m.texture = &checker;
        m.hasTexture = true;
    }

    // The field: a room around the first camera (the eye inside its bounds), meshes crossing
    // the left, right, top and bottom sides, the near plane (through the eye) and the far plane,
    // long thin bars, stretched and flattened meshes, tiny ones at the edges, textured and not,
    // the last one leaving the view.
    Scene& field() {
        auto owned = std::make_unique<Scene>();
        Scene& s = *owned;
        s.name = "field";
        SceneCamera& still = test::addCamera(s, {0, 0, -10}, {0, 0, 0});
        still.farPlane = 45;
        SceneCamera flying;
        flying.fov.addKey({0, 1, 0, 0, 45.0f});
        flying.up.addKey({0, 1, 0, 0, {0, 1, 0}});
        for (int k = 0; k <= 4; ++k) {
            flying.position.addKey({float(k), 1, 0, 0, {float(k - 2) * 3, 2, -40 + 20 * float(k)}});
            flying.target.addKey({float(k), 1, 0, 0, {float(2 - k) * 5, 0, -30 + 20 * float(k)}});
        }
        flying.nearPlane = 0.5f;
        flying.farPlane = 60;
        s.cameras.push_back(std::move(flying));
        s.lights.push_back({test::directionalLight({0.3f, -0.5f, 1}, {0.8f, 0.8f, 0.8f, 1})});

        SceneMesh& room = moving(s, test::makeBox(60, 30, 56), {{0, 0, 10}}, 0);
        room.twoSided = true;
        int look = 1;
        // Across the sides: rows moving left to right and columns moving down to up, at
        // several depths, some textured.
        for (int i = 0; i < 6; ++i) {
            const float z = -4 + 9 * float(i), y = -6 + 2.5f * float(i), x = -9 + 3.5f * float(i);
            SceneMesh& row = moving(s, test::makeBox(2, 1.5f, 2), {{-60, y, z}, {-12, y, z}, {12, y, z}, {60, y, z}}, look++);
            if (i % 2) textured(row);
            SceneMesh& column = moving(s, test::makeBox(1.5f, 2, 1), {{x, 50, z}, {x, 9, z}, {x, -9, z}, {x, -50, z}}, look++);
            if (i % 3 == 0) textured(column);
        }
        // Through the eye and the near plane, and out through the far plane.
        for (int i = 0; i < 4; ++i) {
            const float x = -3 + 2 * float(i);
            moving(s, test::makeBox(1, 1, 1), {{x, 0.5f, -30}, {x, 0.5f, -10.5f}, {x, 0.5f, -8}, {x, 0.5f, 30}, {x, 0.5f, 120}},
                   look++);
        }
        // Long thin bars, stretched by a quaternion of length 2 and turned, sweeping across.
        moving(s, test::makeBox(80, 0.2f, 0.2f), {{0, -30, 5}, {0, -3, 5}, {0, 3, 5}, {0, 30, 5}}, look++,
               {0.6f, 0, 0, 1.9f});
        moving(s, test::makeBox(0.2f, 80, 0.2f), {{-40, 0, 15}, {-5, 0, 15}, {5, 0, 15}, {40, 0, 15}}, look++,
               {0, 0, 1.2f, 1.2f});
        moving(s, test::makeBox(3, 3, 0.01f), {{0, 0, 80}, {2, 1, 20}, {-2, -1, 3}, {0, 0, -20}}, look++,
               {0.3f, 0.4f, 0, 0.5f});
        // Tiny meshes about each side of the still camera's view at depth 10, 20 units from the
        // eye: x = 14.876 and y = 11.157 from the axis (half a pixel is 0.058 there), stepping
        // across it by less than a pixel.
        const float side = 20 / 1.7925910f * 4 / 3, top = 20 / 1.7925910f;
        for (int i = 0; i < 8; ++i) {
            const float d = 0.02f * float(i);
            moving(s, test::makeBox(0.05f, 0.05f, 0.05f), {{side + d, 0, 10}, {side - 0.3f + d, 0.5f, 10}, {side + 0.5f + d, 0, 10}},
                   look++);
            moving(s, test::makeBox(0.05f, 0.05f, 0.05f), {{-side - d, 1, 10}, {-side - 0.5f - d, 0, 10}, {-side + 0.3f - d, 0, 10}},
                   look++);
            moving(s, test::makeBox(0.05f, 0.05f, 0.05f), {{0, top + d, 10}, {1, top - 0.3f + d, 10}, {0, top + 0.5f + d, 10}},
                   look++);
            moving(s, test::makeBox(0.05f, 0.05f, 0.05f), {{2, -top - d, 10}, {0, -top - 0.5f - d, 10}, {0, -top + 0.3f - d, 10}},
                   look++);
        }
        // The last mesh: textured, in view at first, then behind the eye, so that what a skipped
        // last mesh sets still reaches the layers after this one.
        SceneMesh& last = moving(s, test::makeBox(2, 2, 2), {{4, -2, 0}, {4, -2, -30}, {4, -2, -30}, {4, -2, 0}}, look++);
        textured(last);
        return show.scenes.append(std::move(owned));
    }

    // Untextured quads drawn after the field: they keep the texture stage states the field's
    // textured meshes left.
    Scene& after() {
        auto owned = std::make_unique<Scene>();
        owned->name = "after";
        test::addCamera(*owned, {0, 0, -10}, {0, 0, 0});
        for (int i = 0; i < 3; ++i)
            test::addMesh(*owned, test::makeFacingQuad(2, 2), {-4 + 4 * float(i), -3, 0},
                          test::plainMaterial(colour(i, 0.6f), colour(i + 1, 0.6f)));
        return show.scenes.append(std::move(owned));
    }

    void sceneLayer(int scene, int camera, int order, float offset, DWORD src, DWORD dst) {
        auto l = std::make_unique<SceneLayer>(show.scenes, scene, camera, offset, src, dst);
        l->start = 0, l->end = 100;
        show.layers.add(std::move(l), order);
    }
};

TEST_F(CullingSweep, FramesAreTheSameWithCullingOnAndOff) {
    device.setRenderState(D3DRS_AMBIENT, 0x00404040);
    field();
    after();
    // Both cameras on screen, the still one also into an odd-sized capture (another half
    // pixel) that an image layer shows, and the quads last.
    sceneLayer(0, 0, 0, 0, D3DBLEND_ONE, D3DBLEND_ZERO);
    sceneLayer(0, 1, 1, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    sceneLayer(0, 0, 20, 0.5f, D3DBLEND_ONE, D3DBLEND_ZERO);
    test::addCaptureShownAsImage(show, device, "rt", 77, 45, 2);
    sceneLayer(1, 0, 3, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);

    MeshCounts culled, all;
    int framesWithSkips = 0;
    RgbImage first;
    bool moved = false;
    for (int k = 0; k <= 16; ++k) {
        const float t = 0.25f * float(k);
        const MeshCounts before = culled;
        test::drawFrame(show, device, t, true, &culled);
        const RgbImage withCulling = device.readRenderTarget();
        test::drawFrame(show, device, t, false, &all);
        const RgbImage without = device.readRenderTarget();
        EXPECT_EQ(differingBytes(withCulling, without), 0u) << "at t = " << t;
        EXPECT_TRUE(anyLit(without)) << "at t = " << t;
        framesWithSkips += culled.skipped > before.skipped;
        if (k == 0) first = without;
        else moved = moved || differingBytes(first, without) > 0;
    }
    EXPECT_TRUE(moved);
    // Every frame skipped something; the same meshes were handed over either way; with
    // culling off nothing is skipped.
    EXPECT_EQ(framesWithSkips, 17);
    EXPECT_GT(culled.drawn, 0u);
    EXPECT_EQ(culled.drawn + culled.skipped, all.drawn);
    EXPECT_EQ(all.skipped, 0u);
    EXPECT_GT(culled.skipped * 4, all.drawn); // more than a quarter of the meshes were skipped
}

// The clip volume straight against the device's rasterizer, with what a scene's cameras cannot
// give: orthographic projections, mirrored views and worlds, non-uniform and negative scale.
struct ClipVolumeSweep : ::testing::Test {
    test::OffscreenGl gl{kWidth, kHeight};
    Device& device = gl.device();
    std::unique_ptr<Mesh> cube = test::makeBox(1, 1, 1);

    struct Placed {
        Matrix world;
        Material material;
    };

    // Draws every mesh, or only those the clip volume keeps; returns the frame and counts
    // the skipped ones.
    RgbImage draw(const std::vector<Placed>& meshes, const ClipVolume* volume, int& skipped) {
        device.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device.beginScene();
        for (const Placed& p : meshes) {
            if (volume && volume->excludes(boundingBoxOf(*cube), p.world)) {
                ++skipped;
                continue;
            }
            device.setMaterial(p.material);
            device.setTransform(D3DTS_WORLD, p.world);
            device.drawSubset(*cube, 0);
        }
        device.endScene();
        return device.readRenderTarget();
    }
};

TEST_F(ClipVolumeSweep, OrthographicPerspectiveMirroredAndStretchedDrawTheSame) {
    device.setRenderState(D3DRS_ZENABLE, 1);
    device.setRenderState(D3DRS_LIGHTING, 1);
    device.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
    device.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const Matrix projections[] = {
        matrixPerspectiveFovLH(1.0f, 4.0f / 3.0f, 0.5f, 40),
        matrixOrthoOffCenterLH(-8, 8, -6, 6, 0.5f, 40),
        matrixOrthoOffCenterLH(-3, 13, -9, 3, -5, 20), // off centre, the near plane behind the eye
    };
    const Matrix mirror = matrixScaling(-1, 1, 1);
    int skipped = 0, kept = 0, frames = 0;
    for (const Matrix& projection : projections) {
        for (int mirrored = 0; mirrored < 2; ++mirrored) {
            for (int k = 0; k < 4; ++k) {
                // The eye moves and turns through the grid.
                const Vec3 eye{float(k) * 1.7f - 3, float(k % 2) * 2 - 1, float(k) * 6 - 12};
                const Vec3 at{eye.x + std::sin(float(k)), eye.y * 0.5f, eye.z + std::cos(float(k))};
                Matrix view = matrixLookAtLH(eye, at, {0, 1, 0});
                if (mirrored) view = matrixMultiply(view, mirror);
                device.setTransform(D3DTS_VIEW, view);
                device.setTransform(D3DTS_PROJECTION, projection);
                std::vector<Placed> meshes;
                int i = 0;
                for (int gx = -6; gx <= 6; ++gx) {
                    for (int gy = -3; gy <= 3; ++gy) {
                        for (int gz = -4; gz <= 8; gz += 2) {
                            ++i;
                            const float sx = (i % 3 == 0 ? -1.f : 1.f) * (0.3f + float(i % 5)),
                                        sy = 0.2f + float(i % 4) * 0.7f, sz = (i % 7 == 0 ? -0.5f : 1.2f);
                            const Matrix world = matrixMultiply(
                                matrixMultiply(matrixScaling(sx, sy, sz), matrixRotationYawPitchRoll(float(i), float(i) * 0.3f, 0)),
                                matrixTranslation(float(gx) * 2.5f, float(gy) * 2.5f, float(gz) * 2.5f));
                            meshes.push_back({world, test::plainMaterial({0, 0, 0, 1}, colour(i))});
                        }
                    }
                }
                const Surface* target = device.renderTarget(0);
                const ClipVolume volume(view, projection, target->width(), target->height());
                int none = 0, skippedHere = 0;
                const RgbImage reference = draw(meshes, nullptr, none);
                const RgbImage culled = draw(meshes, &volume, skippedHere);
                EXPECT_EQ(differingBytes(reference, culled), 0u)
                    << "projection " << (&projection - projections) << ", mirrored " << mirrored << ", step " << k;
                EXPECT_TRUE(anyLit(reference));
                skipped += skippedHere;
                kept += int(meshes.size()) - skippedHere;
                ++frames;
            }
        }
    }
    EXPECT_EQ(frames, 24);
    EXPECT_GT(skipped, kept / 4);
    EXPECT_GT(kept, 0);
}

} // namespace
} // namespace zamp

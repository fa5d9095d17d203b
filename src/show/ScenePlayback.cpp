#include "show/ScenePlayback.h"

#include "gfx/D3DXMath.h"
#include "gfx/Device.h"
#include "show/Scene.h"

namespace zamp {

Matrix cameraView(const SceneCamera& camera, float t) {
    Vec3 up = camera.up.evaluate(t);
    Vec3 at = camera.target.evaluate(t);
    Vec3 eye = camera.position.evaluate(t);
    return matrixLookAtLH(eye, at, up);
}

Matrix cameraProjection(const SceneCamera& camera, float t, float aspect) {
    return matrixPerspectiveFovLH(camera.fov.evaluate(t), aspect, camera.nearPlane, camera.farPlane);
}

void applyCamera(const SceneCamera& camera, Device& device, float t, float aspectRatio) {
    device.setTransform(D3DTS_VIEW, cameraView(camera, t));
    device.setTransform(D3DTS_PROJECTION, cameraProjection(camera, t, aspectRatio));
}

Matrix meshWorldMatrix(const SceneMesh& mesh, float t) {
    Vec3 p = mesh.position.evaluate(t);
    Quaternion q = mesh.rotation.evaluate(t);
    return matrixMultiply(matrixRotationQuaternion(q), matrixTranslation(p.x, p.y, p.z));
}

} // namespace zamp

// The matrix functions of the Direct3D utility library with their documented left-handed,
// row-vector results. A vertex v is transformed as v * M.
#pragma once

#include "gfx/D3DTypes.h"

namespace zamp {

Matrix matrixMultiply(const Matrix& a, const Matrix& b); // a acts first
Matrix matrixScaling(float sx, float sy, float sz);
Matrix matrixTranslation(float x, float y, float z);
Matrix matrixRotationYawPitchRoll(float yaw, float pitch, float roll);
Matrix matrixRotationQuaternion(const Quaternion& q); // q is not normalised first
Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);
Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf);
Matrix matrixOrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf);

// Row vector (x, y, z, 1) times m.
Vec4 transformPoint(const Vec3& p, const Matrix& m);

// Inverse-transpose of the upper 3x3 for normals; when the matrix is singular (the image
// quads' zero z-scale) the matrix itself is returned, as Direct3D 9 drivers do.
Matrix normalMatrix(const Matrix& worldView);

} // namespace zamp

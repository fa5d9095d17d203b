#include "gfx/D3DXMath.h"

#include <cmath>

namespace zamp {

namespace {

Vec3 sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalize(const Vec3& v) {
    float len = std::sqrt(dot(v, v));
    return len > 0 ? Vec3{v.x / len, v.y / len, v.z / len} : v;
}

} // namespace

Matrix matrixMultiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

Matrix matrixScaling(float sx, float sy, float sz) {
    Matrix r = Matrix::identity();
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    return r;
}

Matrix matrixTranslation(float x, float y, float z) {
    Matrix r = Matrix::identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix matrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
    Matrix rz = Matrix::identity(), rx = Matrix::identity(), ry = Matrix::identity();
    float c = std::cos(roll), s = std::sin(roll);
    rz.m[0][0] = c, rz.m[0][1] = s, rz.m[1][0] = -s, rz.m[1][1] = c;
    c = std::cos(pitch), s = std::sin(pitch);
    rx.m[1][1] = c, rx.m[1][2] = s, rx.m[2][1] = -s, rx.m[2][2] = c;
    c = std::cos(yaw), s = std::sin(yaw);
    ry.m[0][0] = c, ry.m[0][2] = -s, ry.m[2][0] = s, ry.m[2][2] = c;
    return matrixMultiply(matrixMultiply(rz, rx), ry);
}

Matrix matrixRotationQuaternion(const Quaternion& q) {
    Matrix r = Matrix::identity();
    r.m[0][0] = 1 - 2 * (q.y * q.y + q.z * q.z);
    r.m[0][1] = 2 * (q.x * q.y + q.z * q.w);
    r.m[0][2] = 2 * (q.x * q.z - q.y * q.w);
    r.m[1][0] = 2 * (q.x * q.y - q.z * q.w);
    r.m[1][1] = 1 - 2 * (q.x * q.x + q.z * q.z);
    r.m[1][2] = 2 * (q.y * q.z + q.x * q.w);
    r.m[2][0] = 2 * (q.x * q.z + q.y * q.w);
    r.m[2][1] = 2 * (q.y * q.z - q.x * q.w);
    r.m[2][2] = 1 - 2 * (q.x * q.x + q.y * q.y);
    return r;
}

Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up) {
    Vec3 z = normalize(sub(at, eye));
    Vec3 x = normalize(cross(up, z));
    Vec3 y = cross(z, x);
    Matrix r;
    r.m[0][0] = x.x, r.m[0][1] = y.x, r.m[0][2] = z.x;
    r.m[1][0] = x.y, r.m[1][1] = y.y, r.m[1][2] = z.y;
    r.m[2][0] = x.z, r.m[2][1] = y.z, r.m[2][2] = z.z;
    r.m[3][0] = -dot(x, eye), r.m[3][1] = -dot(y, eye), r.m[3][2] = -dot(z, eye);
    r.m[3][3] = 1;
    return r;
}

Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    Matrix r;
    float ys = 1.0f / std::tan(fovY / 2);
    r.m[0][0] = ys / aspect;
    r.m[1][1] = ys;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1;
    r.m[3][2] = -zn * zf / (zf - zn);
    return r;
}

Matrix matrixOrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf) {
    Matrix m = Matrix::identity();
    m.m[0][0] = 2 / (r - l);
    m.m[1][1] = 2 / (t - b);
    m.m[2][2] = 1 / (zf - zn);
    m.m[3][0] = (l + r) / (l - r);
    m.m[3][1] = (t + b) / (b - t);
    m.m[3][2] = zn / (zn - zf);
    return m;
}

Vec4 transformPoint(const Vec3& p, const Matrix& m) {
    Vec4 r;
    r.r = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    r.g = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    r.b = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2];
    r.a = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    return r;
}

Matrix normalMatrix(const Matrix& wv) {
    const auto& a = wv.m;
    double c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    double c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    double c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    double det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
    if (det == 0 || !std::isfinite(det)) return wv;
    // Inverse-transpose = cofactor matrix / det.
    Matrix r;
    r.m[0][0] = float(c00 / det);
    r.m[0][1] = float(c01 / det);
    r.m[0][2] = float(c02 / det);
    r.m[1][0] = float((a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det);
    r.m[1][1] = float((a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det);
    r.m[1][2] = float((a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det);
    r.m[2][0] = float((a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det);
    r.m[2][1] = float((a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det);
    r.m[2][2] = float((a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det);
    r.m[3][3] = 1;
    return r;
}

} // namespace zamp

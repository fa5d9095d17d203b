#include "gfx/D3DTypes.h"

namespace zamp {

Matrix Matrix::identity() {
    Matrix m;
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

Vec4 colorValue(D3DCOLOR c) {
    return {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, ((c >> 24) & 0xFF) / 255.0f};
}

} // namespace zamp
